#pragma once

#include "editors/pid_group_form.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/parameter_set.h"

#include <QDialog>

class FieldAssist;

#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;

// "SETTING OF PID GROUP": one of the nine PID groups at a time, chosen by radio buttons.
// A thin view over PidGroupForm.
class PidGroupDialog : public QDialog {
    Q_OBJECT
public:
    PidGroupDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr, TransferContext* link = nullptr);

    // Marks the fields that differ from what `set` knows the controller (or the file)
    // holds.
    void UseReference(const ParameterSet& set);
    // Where SEND asks before it writes what nobody chose or what would cut the controller
    // off; the toolkit's boxes until then.
    void UseQuestions(Questions& questions);

    const PidGroupForm& Form() const { return m_form; }
    // Shows group 0..8, as its radio button does.
    void ShowGroup(int group);

private:
    QLineEdit* AddField(class QGridLayout* grid, int row, const char* mnemonic);
    void TakeTexts();
    // The fields from the form's texts, then the marks of those that differ from the
    // reference values.
    void FillControls();
    void FillFields();
    void ShowMarks();
    void OnGroup(int group);
    void OnRetrieve();
    void OnSend();
    void OnOk();

    PidGroupForm m_form;
    Messages& m_messages;
    CursorControl& m_cursor;
    QButtonGroup* m_groups = nullptr;
    QLineEdit *m_p = nullptr, *m_i = nullptr, *m_d = nullptr, *m_gap = nullptr;
    QLineEdit *m_mvH = nullptr, *m_mvL = nullptr, *m_knl = nullptr, *m_ar = nullptr;
    QLineEdit* m_man = nullptr;
    QComboBox* m_rev = nullptr;

    const ParameterImage& m_image;
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
};
