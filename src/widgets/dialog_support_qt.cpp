#include "widgets/dialog_support_qt.h"
#include "widgets/saved_settings_qt.h"
#include "widgets/window_fit_qt.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

// Boxes open over the window that raised them: an editor's over that editor.
void QtMessages::Show(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption),
                    QString::fromStdString(text), QMessageBox::Ok, RaisingWindow(m_parent));
    CenterOnParent(&box);
    box.exec();
}

std::string QtFilePrompts::PickPath(Purpose purpose, const std::string& title,
                                    const std::string& filters) {
    // The folder last used, per user.
    SavedSettings saved;
    const QString folder = saved.LastFolder();
    const QString path = purpose == Purpose::Save
                             ? QFileDialog::getSaveFileName(m_parent, Q(title), folder, Q(filters))
                             : QFileDialog::getOpenFileName(m_parent, Q(title), folder, Q(filters));
    if (!path.isEmpty())
        saved.SetLastFolder(QFileInfo(path).absolutePath());
    return path.toStdString();
}

namespace {

// `yes` and `safe` are the box's two buttons; `safe` is the default and Escape's.
bool AskWith(QWidget* parent, const std::string& text, QMessageBox::StandardButton yes,
             QMessageBox::StandardButton safe) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption),
                    QString::fromStdString(text), yes | safe, RaisingWindow(parent));
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    CenterOnParent(&box);
    return box.exec() == yes;
}

} // namespace

bool QtQuestions::Ask(const std::string& text) {
    return AskWith(m_parent, text, QMessageBox::Yes, QMessageBox::No);
}

bool QtQuestions::Confirm(const std::string& text) {
    return AskWith(m_parent, text, QMessageBox::Ok, QMessageBox::Cancel);
}

void QtCursor::BeginWait() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtCursor::EndWait() {
    QApplication::restoreOverrideCursor();
}

void CenterOnPointer(QWidget* window) {
    window->adjustSize();
    const QPoint pointer = QCursor::pos();
    const QSize size = window->sizeHint().expandedTo(window->size());
    QScreen* screen = QGuiApplication::screenAt(pointer);
    MoveCentredWithin(window, size, pointer,
                      screen ? screen->availableGeometry()
                             : QRect(pointer - QPoint(size.width(), size.height()), size * 2));
}

QPushButton* MakeHelpButton(const QString& mnemonic, const std::string& helpText,
                            Messages& messages, QWidget* parent) {
    auto* button = new QPushButton(mnemonic, parent);
    button->setObjectName(QStringLiteral("help_") + mnemonic);
    button->setAccessibleName(mnemonic);
    button->setAccessibleDescription(QStringLiteral("Help"));
    // Out of the Tab order (Tab goes from field to field; F1 gives the same help), but a
    // click still gives it the focus, so Enter shows the help again.
    button->setFocusPolicy(Qt::ClickFocus);
    QObject::connect(button, &QPushButton::clicked, button,
                     [&messages, helpText] { messages.Show(helpText); });
    return button;
}

void NameControl(QWidget* control, const QString& accessibleName) {
    control->setAccessibleName(accessibleName);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(accessibleName);
}

QComboBox* MakeEditableCombo(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    NameControl(combo, accessibleName);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    return combo;
}

OkCancelRow MakeOkCancelRow(QDialog* dialog) {
    OkCancelRow r{new QHBoxLayout, new QPushButton(QStringLiteral("OK"), dialog),
                  new QPushButton(QStringLiteral("CANCEL"), dialog)};
    r.ok->setObjectName(QStringLiteral("OK"));
    r.cancel->setObjectName(QStringLiteral("CANCEL"));
    QObject::connect(r.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    r.row->addStretch();
    r.row->addWidget(r.ok);
    r.row->addWidget(r.cancel);
    return r;
}

QString FieldText(const QWidget* field) {
    if (auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(field))
        return combo->currentText();
    return QString();
}

void SetFieldText(QWidget* field, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->isEditable())
        combo->setEditText(text);
    else if (combo)
        combo->setCurrentText(text);
}
