#pragma once

#include "editors/system_setup_form.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/parameter_set.h"

#include <QDialog>

class FieldAssist;

class QComboBox;
class QLabel;
class QLineEdit;

// "SYSTEM PARAMETER": a view over SystemSetupForm. Controls are named by their
// mnemonics as the dialog labels them ("PVT", "A01F", "GS-H", "AL1T", ...).
class SystemSetupDialog : public QDialog {
    Q_OBJECT
public:
    SystemSetupDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
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
    void OnScaleEdited(bool upper);
    void OnRetrieve();
    void OnSend();
    void OnOk();

    Messages& m_messages;
    CursorControl& m_cursor;
    SystemSetupForm m_form;

    QComboBox *m_pvt = nullptr, *m_pvu = nullptr, *m_pvd = nullptr;
    QLineEdit *m_pvf = nullptr, *m_pvb = nullptr, *m_ci = nullptr;
    QLineEdit *m_tf = nullptr, *m_sft = nullptr, *m_pset = nullptr, *m_burn = nullptr;
    QComboBox* m_alt[4] = {};
    QComboBox *m_a01t = nullptr, *m_a01r = nullptr, *m_a02t = nullptr, *m_a02r = nullptr;
    QLineEdit *m_a01f = nullptr, *m_a01b = nullptr, *m_a02f = nullptr, *m_a02b = nullptr;
    QComboBox *m_tmu = nullptr, *m_tmdt = nullptr, *m_stm = nullptr, *m_stn = nullptr;
    QLineEdit *m_endt = nullptr, *m_gsh = nullptr, *m_gsl = nullptr, *m_gst = nullptr;

    const ParameterImage& m_image;
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
};
