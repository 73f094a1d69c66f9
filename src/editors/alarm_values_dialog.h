#pragma once

#include "editors/alarm_values_form.h"
#include "editors/sub_editor_qt.h"

// "Setting of alarm values": the four alarm values of each segment of the open pattern's
// working copy. OK stores every field the parser accepts and closes.
class AlarmValuesDialog : public SubEditor {
    Q_OBJECT
public:
    AlarmValuesDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                      QWidget* parent = nullptr);

private:
    std::unique_ptr<SubEditorForm> FormOver(PatternWorkingState& state,
                                            const ParameterImage& image) const override;

    AlarmValuesForm m_form;
};
