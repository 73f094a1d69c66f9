#pragma once

#include "editors/advanced_form.h"
#include "editors/group_editor_qt.h"

// "EXPERT PARAMETER": a view over AdvancedForm. Controls are named by their labels in the
// window ("DMV", "A1HS", "DVDV", "ATSV", "PID", "TDS", ...).
class AdvancedDialog : public LabelledEditor {
    Q_OBJECT
public:
    AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr, TransferContext* link = nullptr);

private:
    GroupId Group() const override { return GroupId::Advanced(); }
    FieldTexts ReferenceTexts(const ParameterSet& set) const override;

    AdvancedForm m_form;
};
