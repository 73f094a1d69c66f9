#pragma once

#include "editors/group_editor_qt.h"
#include "editors/system_setup_form.h"

class QLineEdit;

// "SYSTEM PARAMETER": a view over SystemSetupForm. Controls are named by their
// mnemonics as the dialog labels them ("PVT", "A01F", "GS-H", "AL1T", ...).
class SystemSetupDialog : public LabelledEditor {
    Q_OBJECT
public:
    SystemSetupDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                      QWidget* parent = nullptr, TransferContext* link = nullptr);

private:
    GroupId Group() const override { return GroupId::SystemSetup(); }
    FieldTexts ReferenceTexts(const ParameterSet& set) const override;
    void OnScaleEdited(bool upper);

    SystemSetupForm m_form;
};
