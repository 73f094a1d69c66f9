#pragma once

#include "editors/pattern_working_state.h"
#include "editors/segment_pid_form.h"
#include "operator/messages.h"

#include <QDialog>

#include <array>

class QComboBox;

// "Setting of PID group": the PID group number of each of the twenty segments of the
// pattern open in the program pattern editor. OK stays open at the first wrong field.
class SegmentPidDialog : public QDialog {
    Q_OBJECT
public:
    SegmentPidDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                     QWidget* parent = nullptr);

private:
    void PushTexts();
    void ReadTexts();
    void OnOk();

    SegmentPidForm m_form;
    Messages& m_messages;
    std::array<QComboBox*, SegmentPidForm::kSegments> m_fields{};
};
