#pragma once

#include "editors/advanced_form.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/parameter_set.h"

#include <QDialog>

class FieldAssist;

#include <map>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// "EXPERT PARAMETER": a view over AdvancedForm. Controls are named by their labels in the
// window ("DMV", "A1HS", "DVDV", "ATSV", "PID", "TDS", ...).
class AdvancedDialog : public QDialog {
    Q_OBJECT
public:
    AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr, TransferContext* link = nullptr);

    // Marks the fields that differ from what `set` knows the controller (or the file)
    // holds.
    void UseReference(const ParameterSet& set);
    // Where SEND asks before it writes what nobody chose or what would cut the controller
    // off; the toolkit's boxes until then.
    void UseQuestions(Questions& questions);

private:
    void BuildControls();
    void TakeTexts();
    // The fields from the form's texts, then the marks of those that differ from the
    // reference values.
    void FillControls();
    void FillFields();
    void ShowMarks();
    void OnRetrieve();
    void OnSend();
    void OnOk();

    Messages& m_messages;
    CursorControl& m_cursor;
    AdvancedForm m_form;

    // By label: the edit field or the drop-down of each shown parameter.
    std::map<std::string, QLineEdit*> m_edits;
    std::map<std::string, QComboBox*> m_combos;

    const ParameterImage& m_image;
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
};
