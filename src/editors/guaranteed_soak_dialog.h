#pragma once

#include "editors/guaranteed_soak_form.h"
#include "editors/sub_editor_qt.h"

// "Guaranteed soak": on/off and type of the guaranteed soak of each of the twenty
// segments of the open pattern. OK stays open at the first wrong field.
class GuaranteedSoakDialog : public SubEditor {
    Q_OBJECT
public:
    GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage& image,
                         Messages& messages, QWidget* parent = nullptr);

private:
    std::unique_ptr<SubEditorForm> FormOver(PatternWorkingState& state,
                                            const ParameterImage& image) const override;

    GuaranteedSoakForm m_form;
};
