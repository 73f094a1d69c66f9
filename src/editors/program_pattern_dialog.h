#pragma once

#include "editors/program_pattern_form.h"
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
class QGridLayout;
class QLabel;
class QLineEdit;

// "Program Pattern": one of the nine patterns at a time, its twenty set values and
// times, the times of one time signal, the pattern settings, and the buttons to the
// per-segment sub-editors and the graph. A thin view over ProgramPatternForm.
class ProgramPatternDialog : public QDialog {
    Q_OBJECT
public:
    ProgramPatternDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                         QWidget* parent = nullptr, TransferContext* link = nullptr);

    const ProgramPatternForm& Form() const { return m_form; }
    // Shows pattern n (1..9), as its pattern button does.
    void ShowPattern(int n) { OnPattern(n); }
    // Marks the fields that differ from what `set` knows the controller (or the file)
    // holds for the pattern shown.
    void UseReference(const ParameterSet& set);
    // Where SEND asks before it writes what nobody chose or what would cut the controller
    // off; the toolkit's boxes until then.
    void UseQuestions(Questions& questions);

private:
    using Row = std::array<QLineEdit*, PatternFields::kSegments>;

    QWidget* BuildTopRow();
    QWidget* BuildSetValueGroup();
    QWidget* BuildTimeSignalGroup();
    QWidget* BuildBottomRow();
    void AddFieldRow(QGridLayout* grid, int row, QWidget* label, const QString& prefix,
                     Row& fields);

    void ReadControls();
    // The fields from the form, then the marks of those that differ from the reference.
    void PushControls();
    void PushFields();
    void ShowMarks();

    void OnPattern(int n);
    void OnTimeSignal(int k);
    void OnRetrieve();
    void OnSend();
    void OnOk();
    void OnView();
    void OnProfile(); // the working copy against real time
    void OnSegmentPid();
    void OnAlarmValues();
    void OnGuaranteedSoak();

    ProgramPatternForm m_form;
    Messages& m_messages;
    QButtonGroup* m_patterns = nullptr;
    QButtonGroup* m_timeSignals = nullptr;
    QLineEdit* m_rangeBox = nullptr;
    QLineEdit* m_decimalBox = nullptr;
    QLineEdit* m_timeUnitBox = nullptr;
    Row m_sv{}, m_time{}, m_on{}, m_off{};
    QComboBox* m_pvstart = nullptr;
    QLineEdit* m_cyclic = nullptr;
    QComboBox* m_link = nullptr;
    int m_labelColumnWidth = 0; // shared by both segment grids so their columns line up
    FieldAssist* m_assist = nullptr;
    const ParameterSet* m_set = nullptr;
    Questions* m_questions = nullptr;
    QLabel* m_unchosen = nullptr; // says the group holds values nobody chose
};
