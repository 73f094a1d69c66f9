#pragma once

#include "editors/pattern_working_state.h"
#include "editors/segment_pid_form.h"
#include "operator/messages.h"

#include <QDialog>

#include <array>

class FieldAssist;
class ParameterSet;
class QComboBox;

// "Setting of PID group": the PID group number of each of the twenty segments of the
// pattern open in the program pattern editor. OK stays open at the first wrong field.
class SegmentPidDialog : public QDialog {
    Q_OBJECT
public:
    SegmentPidDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                     QWidget* parent = nullptr);

    // Marks each field that differs from pattern `n` of the set's reference values.
    void UseReference(const ParameterSet& set, const ParameterImage& image, int n);

private:
    void PushTexts();
    void ReadTexts();
    void OnOk();

    SegmentPidForm m_form;
    Messages& m_messages;
    FieldAssist* m_assist = nullptr;
    std::array<QComboBox*, SegmentPidForm::kSegments> m_fields{};
};
