#include "widgets/enter_cancels_qt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool IsEnter(const QEvent* event) {
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// An open drop-down list takes Enter while the key is still a shortcut override: it picks
// the item and closes. The key press itself then reaches the drop-down's field, where it
// must do nothing more. A focused push button keeps Enter: it presses the button.
class EnterFilter : public QObject {
public:
    enum class Mode { Cancel, PressDefault };
    EnterFilter(QDialog* dialog, Mode mode) : QObject(dialog), m_dialog(dialog), m_mode(mode) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && IsEnter(event)) {
            // Seen again by the list's parents once the list has closed: only set here.
            if (QApplication::activePopupWidget())
                m_listTookEnter = true;
            return false;
        }
        if (event->type() != QEvent::KeyPress || !IsEnter(event))
            return false;
        if (QApplication::activePopupWidget()) {
            m_listTookEnter = false; // the list is still open and takes the key itself
            return false;
        }
        if (m_listTookEnter) {
            m_listTookEnter = false;
            return true;
        }
        if (qobject_cast<QPushButton*>(watched))
            return false;
        if (m_mode == Mode::Cancel) {
            m_dialog->reject();
            return true;
        }
        // A closed drop-down's field would swallow Enter; it presses the default button,
        // as Enter in an edit field does.
        for (QPushButton* button : m_dialog->findChildren<QPushButton*>()) {
            if (button->isDefault() && button->isVisible()) {
                if (button->isEnabled())
                    button->click();
                return true;
            }
        }
        return false;
    }

private:
    QDialog* m_dialog;
    Mode m_mode;
    bool m_listTookEnter = false;
};

} // namespace

void MakeEnterCancel(QDialog* dialog) {
    auto* filter = new EnterFilter(dialog, EnterFilter::Mode::Cancel);
    for (QComboBox* combo : dialog->findChildren<QComboBox*>())
        combo->view(); // the list exists from here on, so it is watched too
    dialog->installEventFilter(filter);
    for (QWidget* child : dialog->findChildren<QWidget*>())
        child->installEventFilter(filter);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        button->setAutoDefault(true); // Enter presses the focused button
        button->setDefault(false);
    }
}

void MakeEnterInDropDownsPressDefault(QDialog* dialog) {
    auto* filter = new EnterFilter(dialog, EnterFilter::Mode::PressDefault);
    for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
        combo->view()->installEventFilter(filter);
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(filter);
    }
}
