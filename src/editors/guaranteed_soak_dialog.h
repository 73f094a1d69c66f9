#pragma once

#include "editors/guaranteed_soak_form.h"
#include "editors/pattern_working_state.h"
#include "operator/messages.h"

#include <QDialog>

#include <array>

class QComboBox;

// "Guaranteed soak": on/off and type of the guaranteed soak of each of the twenty
// segments of the open pattern. OK stays open at the first wrong field.
class GuaranteedSoakDialog : public QDialog {
    Q_OBJECT
public:
    GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage& image,
                         Messages& messages, QWidget* parent = nullptr);

private:
    void PushTexts();
    void ReadTexts();
    void OnOk();

    GuaranteedSoakForm m_form;
    Messages& m_messages;
    std::array<QComboBox*, GuaranteedSoakForm::kSegments> m_onOff{};
    std::array<QComboBox*, GuaranteedSoakForm::kSegments> m_type{};
};
