#pragma once

#include "editors/form_fields.h"
#include "image/records.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Value lists of the system setup drop-downs; the stored code is the position.
namespace setup_lists {
const std::vector<std::string>& Pvu();  // "0.C", "1.F"
const std::vector<std::string>& Pvd();  // "0.1", "1.0.1", "2.0.01", "3.0.001"
const std::vector<std::string>& Stm();  // start mode
const std::vector<std::string>& Aor();  // analogue output signal
const std::vector<std::string>& Aot();  // analogue output source
const std::vector<std::string>& Tmu();  // time unit
const std::vector<std::string>& Tmdt(); // time display
const std::vector<std::string>& Stn();  // the station numbers the drop-down offers, "1".."31"
} // namespace setup_lists

// The working texts of the system setup dialog, one per control; PVF, PVB and CI are
// integers because their fields accept integers only, nothing when the field holds none
// (empty, or a sign alone).
struct SystemSetupTexts {
    std::string PVT, PVU, PVD;
    std::optional<int> PVF = 0, PVB = 0, CI = 0;
    std::string TF, SFT, PSET, BURN;
    std::array<std::string, 4> ALT; // AL1T..AL4T
    std::string A01T, A01R, A01F, A01B, A02T, A02R, A02F, A02B;
    std::string TMU, TMDT, STM, ENDT, GS_H, GS_L, GS_T, STN;
};

// The rules of the system setup editor: the texts <-> record steps with their messages,
// and the transfers of blocks 12 and 9.
class SystemSetupForm : public FormLink {
public:
    SystemSetupForm(SystemSetupRecord& record, Messages& messages);

    SystemSetupTexts& Texts() { return m_texts; }
    const SystemSetupTexts& Texts() const { return m_texts; }

    // Texts to record, then EV-T1..4 from the alarm texts.
    void Store();
    // Record to texts, including the alarm texts.
    void Show();

    void Open() { Show(); }
    void Retrieve(CursorControl& cursor);
    void Send(CursorControl& cursor);
    void Ok() { Store(); }

    // The PVF/PVB guard after a user edit of the scale field; `upper` picks PVF.
    // Returns true when the field was put back to the record's value.
    bool GuardScaleEdit(bool upper);

private:
    // One field's store or show step by its record member's catalogue row; `mv`: an
    // analogue scale read as percent of MV.
    template <class Member> void StoreRow(Member member, const std::string& text, bool mv = false);
    template <class Member> void ShowRow(Member member, std::string& text, bool mv = false);

    SystemSetupRecord& m_record;
    Messages& m_messages;
    SystemSetupTexts m_texts;
    UnshownValues m_unshown;
};
