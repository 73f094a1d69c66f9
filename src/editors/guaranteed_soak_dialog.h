#pragma once

#include "editors/guaranteed_soak_form.h"
#include "editors/pattern_working_state.h"
#include "operator/messages.h"

#include <QDialog>

#include <array>

class FieldAssist;
class ParameterSet;
class QComboBox;

// "Guaranteed soak": on/off and type of the guaranteed soak of each of the twenty
// segments of the open pattern. OK stays open at the first wrong field.
class GuaranteedSoakDialog : public QDialog {
    Q_OBJECT
public:
    GuaranteedSoakDialog(PatternWorkingState& state, const ParameterImage& image,
                         Messages& messages, QWidget* parent = nullptr);

    // Marks each field that differs from pattern `n` of the set's reference values.
    void UseReference(const ParameterSet& set, const ParameterImage& image, int n);

private:
    void PushTexts();
    void ReadTexts();
    void OnOk();

    GuaranteedSoakForm m_form;
    Messages& m_messages;
    FieldAssist* m_assist = nullptr;
    std::array<QComboBox*, GuaranteedSoakForm::kSegments> m_onOff{};
    std::array<QComboBox*, GuaranteedSoakForm::kSegments> m_type{};
};
