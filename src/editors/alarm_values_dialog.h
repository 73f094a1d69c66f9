#pragma once

#include "editors/alarm_values_form.h"
#include "editors/pattern_working_state.h"
#include "operator/messages.h"

#include <QDialog>

#include <array>

class FieldAssist;
class ParameterSet;
class QLineEdit;

// "Setting of alarm values": the four alarm values of each segment of the open pattern's
// working copy. OK stores every field the parser accepts and closes.
class AlarmValuesDialog : public QDialog {
    Q_OBJECT
public:
    AlarmValuesDialog(PatternWorkingState& state, const ParameterImage& image, Messages& messages,
                      QWidget* parent = nullptr);

    // Marks each field that differs from pattern `n` of the set's reference values.
    void UseReference(const ParameterSet& set, const ParameterImage& image, int n);

private:
    void PushTexts();
    void ReadTexts();
    void OnOk();

    AlarmValuesForm m_form;
    Messages& m_messages;
    FieldAssist* m_assist = nullptr;
    // [alarm - 1][segment - 1]
    std::array<std::array<QLineEdit*, AlarmValuesForm::kSegments>, AlarmValuesForm::kAlarms>
        m_fields{};
};
