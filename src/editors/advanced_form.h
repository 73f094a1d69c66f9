#pragma once

#include "editors/group_form.h"
#include "image/records.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <string>
#include <vector>

// The working texts of the advanced dialog, one per edit field and drop-down, by the
// window's labels ("DMV", "A1HS", "DVDV", "TDS", "ATSV", "PID").
using AdvancedTexts = FieldTexts;

// The rows the advanced dialog shows, in the order of its store step.
std::vector<const ParameterRow*> AdvancedShownRows();

// The rules of the advanced editor and the transfers of blocks 10 and 13. MVLT, GAP,
// MAX, PP, PI and PD are carried through unchanged.
class AdvancedForm : public GroupForm {
public:
    AdvancedForm(AdvancedRecord& record, const SystemSetupRecord& setup, Messages& messages);

    void Store() override;
    void Show() override;
    void Retrieve(CursorControl& cursor) override;
    void Send(CursorControl& cursor) override;

private:
    AdvancedRecord& m_record;
    const SystemSetupRecord& m_setup; // the input range the values are measured in
};
