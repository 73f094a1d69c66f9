#pragma once

#include "editors/form_fields.h"
#include "image/records.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <array>
#include <string>
#include <vector>

// Value lists of the advanced drop-downs; the stored code is the position.
namespace advanced_lists {
const std::vector<std::string>& Dvdv(); // "PV differentitation", "DV differentitation"
const std::vector<std::string>& Tds();  // "Write enable", "Write Inhibit"
const std::vector<std::string>& Atsv(); // "Standard", "Low PV type"
const std::vector<std::string>& Pid();  // "PI tuning", "PID tuning"
} // namespace advanced_lists

// The working texts of the advanced dialog, one per edit field and drop-down.
struct AdvancedTexts {
    std::string SV_H, SV_L, DMV;
    std::array<std::string, 4> HS; // A1HS..A4HS
    std::string DVDV, TDS, ATSV, PID;
};

// The rules of the advanced editor and the transfers of blocks 10 and 13. MVLT, GAP,
// MAX, PP, PI and PD are carried through unchanged.
class AdvancedForm {
public:
    AdvancedForm(AdvancedRecord& record, const SystemSetupRecord& setup, Messages& messages);

    AdvancedTexts& Texts() { return m_texts; }
    const AdvancedTexts& Texts() const { return m_texts; }

    void Store();
    void Show();

    void Open() { Show(); }
    void Retrieve(CursorControl& cursor);
    void Send(CursorControl& cursor);
    void Ok() { Store(); }

private:
    AdvancedRecord& m_record;
    const SystemSetupRecord& m_setup; // the input range the values are measured in
    Messages& m_messages;
    AdvancedTexts m_texts;
    UnshownValues m_unshown;
};
