#pragma once

#include "operator/cursor.h"
#include "operator/file_prompts.h"
#include "operator/messages.h"
#include "operator/questions.h"

#include <QString>

#include <string>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

// A text of the pure side as the toolkit's string.
inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The application title every message box is captioned with.
inline constexpr const char* kMessageCaption = "TQXLOADER961114";

// Message boxes of the system: one OK button, no icon.
class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : m_parent(parent) {}
    void Show(const std::string& text) override;

private:
    QWidget* m_parent;
};

// The question boxes: Yes and No, or OK and Cancel; No and Cancel the default, no icon.
class QtQuestions : public Questions {
public:
    explicit QtQuestions(QWidget* parent = nullptr) : m_parent(parent) {}
    bool Ask(const std::string& text) override;
    bool Confirm(const std::string& text) override;

private:
    QWidget* m_parent;
};

// The system's file dialog over `parent`.
class QtFilePrompts : public FilePrompts {
public:
    explicit QtFilePrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    std::string PickPath(Purpose purpose, const std::string& title,
                         const std::string& filters) override;

private:
    QWidget* m_parent;
};

// The toolkit's wait cursor, restored to the arrow when the last wait ends.
class QtCursor : public CursorControl {
public:
    void BeginWait() override;
    void EndWait() override;
};

// Moves a window so that its centre is on the mouse pointer, kept on the screen.
void CenterOnPointer(QWidget* window);

// A push button labelled with a parameter's mnemonic that shows its help text.
// The button's object name is "help_" followed by the mnemonic.
QPushButton* MakeHelpButton(const QString& mnemonic, const std::string& helpText,
                            Messages& messages, QWidget* parent);

// Names a control for screen readers; an editable drop-down's own edit field gets the
// same name, since that is what has the focus while the operator types.
void NameControl(QWidget* control, const QString& accessibleName);

// An editable drop-down as every window uses it: typed texts never enter its list, and
// completion keeps the case of what is typed ("yes" stays "yes"). `name` is its object
// name, `accessibleName` what a screen reader says ("PIDNO, segment 3").
QComboBox* MakeEditableCombo(const QString& name, const QString& accessibleName, QWidget* parent);

// The text of an edit field or a drop-down (empty for any other widget), and the same set:
// an editable drop-down takes any text, another one selects the item of that text.
QString FieldText(const QWidget* field);
void SetFieldText(QWidget* field, const QString& text);

// The OK and CANCEL buttons of a small dialog, right-aligned in one row (object names "OK"
// and "CANCEL"); CANCEL rejects the dialog, OK is for the caller to connect.
struct OkCancelRow {
    QHBoxLayout* row;
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancelRow MakeOkCancelRow(QDialog* dialog);
