#include "widgets/enter_cancels_qt.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Watches the dialog and every control in it: an editable drop-down's line edit takes
// Enter for itself, so the key is caught before any control sees it. A focused push
// button keeps Enter (it presses the button), and so does an open drop-down list (Enter
// picks the item).
class EnterCancelsFilter : public QObject {
public:
    explicit EnterCancelsFilter(QDialog* dialog) : QObject(dialog), m_dialog(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
                !qobject_cast<QPushButton*>(watched) && !QApplication::activePopupWidget()) {
                m_dialog->reject();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QDialog* m_dialog;
};

} // namespace

void MakeEnterCancel(QDialog* dialog) {
    auto* filter = new EnterCancelsFilter(dialog);
    dialog->installEventFilter(filter);
    for (QWidget* child : dialog->findChildren<QWidget*>())
        child->installEventFilter(filter);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        button->setAutoDefault(true); // Enter presses the focused button
        button->setDefault(false);
    }
}
