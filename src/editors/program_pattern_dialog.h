#pragma once

#include "editors/group_editor_qt.h"
#include "editors/program_pattern_form.h"

#include <array>

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// "Program Pattern": one of the nine patterns at a time, its twenty set values and
// times, the times of one time signal, the pattern settings, and the buttons to the
// per-segment sub-editors and the graph. A thin view over ProgramPatternForm.
class ProgramPatternDialog : public GroupEditor {
    Q_OBJECT
public:
    ProgramPatternDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                         QWidget* parent = nullptr, TransferContext* link = nullptr);

    const ProgramPatternForm& Form() const { return m_form; }
    // Shows pattern n (1..9), as its pattern button does.
    void ShowPattern(int n) { OnPattern(n); }

private:
    using Row = std::array<QLineEdit*, PatternFields::kSegments>;

    QWidget* BuildTopRow();
    QWidget* BuildSetValueGroup();
    QWidget* BuildTimeSignalGroup();
    QWidget* BuildBottomRow();
    void AddFieldRow(QGridLayout* grid, int row, QWidget* label, const QString& prefix,
                     Row& fields);

    GroupId Group() const override { return GroupId::Pattern(m_form.SelectedPattern()); }
    void TakeTexts() override;
    void FillFields() override;
    void FillReferenceFields(const ParameterSet& set) override;

    void OnPattern(int n);
    void OnTimeSignal(int k);
    void OnView();
    void OnProfile(); // the working copy against real time
    void OnSegmentPid();
    void OnAlarmValues();
    void OnGuaranteedSoak();

    ProgramPatternForm m_form;
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
};
