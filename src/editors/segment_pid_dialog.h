#pragma once

#include "editors/segment_pid_form.h"
#include "editors/sub_editor_qt.h"

// "Setting of PID group": the PID group number of each of the twenty segments of the
// pattern open in the program pattern editor. OK stays open at the first wrong field.
class SegmentPidDialog : public SubEditor {
    Q_OBJECT
public:
    SegmentPidDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                     QWidget* parent = nullptr);

private:
    std::unique_ptr<SubEditorForm> FormOver(PatternWorkingState& state,
                                            const ParameterImage& image) const override;

    SegmentPidForm m_form;
};
