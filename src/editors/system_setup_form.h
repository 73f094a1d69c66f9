#pragma once

#include "editors/group_form.h"
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

// The working texts of the system setup dialog, by the window's labels ("PVT", "A01F",
// "GS-H", "AL1T", ...).
using SystemSetupTexts = FieldTexts;

// The rules of the system setup editor: the texts <-> record steps with their messages,
// and the transfers of blocks 12 and 9.
class SystemSetupForm : public GroupForm {
public:
    SystemSetupForm(SystemSetupRecord& record, Messages& messages);

    void Store() override;
    void Show() override;
    void Retrieve(CursorControl& cursor) override;
    void Send(CursorControl& cursor) override;

    // The PVF/PVB guard after a user edit of the scale field; `upper` picks PVF.
    // Returns true when the field was put back to the record's value.
    bool GuardScaleEdit(bool upper);

private:
    // One field's store or show step by its record member's catalogue row; `mv`: an
    // analogue scale read as percent of MV.
    template <class Member> void StoreRow(Member member, bool mv = false);
    template <class Member> void ShowRow(Member member, bool mv = false);
    // The same for several, in order.
    template <class... Members> void StoreRows(Members... members) { (StoreRow(members), ...); }
    template <class... Members> void ShowRows(Members... members) { (ShowRow(members), ...); }
    // The text of a member's field.
    template <class Member> const std::string Text(Member member) const {
        return m_texts.At(RowOf(member).Label());
    }

    SystemSetupRecord& m_record;
};
