#include "editors/advanced_form.h"

#include "editors/form_fields.h"
#include "link/tqxcomm.h"
#include "transfers/group_layouts.h"
#include "transfers/group_transfers.h"

#include <optional>

namespace advanced_lists {
const std::vector<std::string>& Dvdv() {
    static const std::vector<std::string> l = {"PV differentitation", "DV differentitation"};
    return l;
}
const std::vector<std::string>& Tds() {
    static const std::vector<std::string> l = {"Write enable", "Write Inhibit"};
    return l;
}
const std::vector<std::string>& Atsv() {
    static const std::vector<std::string> l = {"Standard", "Low PV type"};
    return l;
}
const std::vector<std::string>& Pid() {
    static const std::vector<std::string> l = {"PI tuning", "PID tuning"};
    return l;
}
} // namespace advanced_lists

namespace {

using namespace advanced_lists;

// The list's texts, for the second line of a refusal: "PV differentitation or DV ...".
std::string ChoiceTexts(const std::vector<std::string>& list) {
    return list[0] + " or " + list[1];
}

// A stored code other than 0 and 1 is shown as the second text but kept while that text
// is unchanged: reading it back would turn it into 1.
void StoreChoice(const UnshownValues& unshown, const char* label,
                 const std::vector<std::string>& list, const std::string& text, uint8_t& field,
                 const char* message, Messages& messages) {
    if (unshown.Untouched(label, text))
        return;
    if (const std::optional<int> code = CodeOf(list, text))
        field = static_cast<uint8_t>(*code);
    else
        messages.Show(Refusal(message, label, ChoiceTexts(list)));
}

// Zero shows the first text, anything else the second.
std::string ShowChoice(UnshownValues& unshown, const char* label,
                       const std::vector<std::string>& list, uint8_t value) {
    const std::string& text = list[value == 0 ? 0 : 1];
    if (value > 1)
        unshown.Remember(label, text);
    else
        unshown.Forget(label);
    return text;
}

} // namespace

AdvancedForm::AdvancedForm(AdvancedRecord& record, const SystemSetupRecord& setup,
                           Messages& messages)
    : m_record(record), m_setup(setup), m_messages(messages) {}

void AdvancedForm::Store() {
    AdvancedRecord& r = m_record;
    const AdvancedTexts& t = m_texts;
    const UnshownValues& u = m_unshown;
    Messages& m = m_messages;

    const InputRange range = SelectInputRange(m_setup);
    RefuseEmptyScale(range, m);
    StoreRangeValue(range, t.SV_H, 0, 10000, r.SV_H,
                    RangeRefusal(range, "Parameter SVH is wrong.", "SV-H", 0, 10000), m);
    StoreRangeValue(range, t.SV_L, 0, 10000, r.SV_L,
                    RangeRefusal(range, "Parameter SVL is wrong.", "SV-L", 0, 10000), m);
    if (const std::optional<int32_t> dmv = OneDecimalIn(t.DMV, 10, 0, 10500))
        r.DMV = static_cast<int16_t>(*dmv);
    else
        m.Show(OneDecimalRefusal("Parameter DMV is wrong.", "DMV", 0, 10500, 100));
    int16_t* hs[4] = {&r.A1HS, &r.A2HS, &r.A3HS, &r.A4HS};
    const InputRange difference = range.Difference();
    for (int k = 0; k < 4; ++k) {
        const std::string name = "A" + std::to_string(k + 1) + "HS";
        StoreRangeValue(difference, t.HS[k], 0, 5001, *hs[k],
                        RangeRefusal(difference, "Parameter " + name + " is wrong.", name, 0, 5001),
                        m);
    }
    StoreChoice(u, "DVDV", Dvdv(), t.DVDV, r.DV_D, "Parameter DVD is wrong.", m);
    StoreChoice(u, "TDS", Tds(), t.TDS, r.WDIS, "Parameter WDIS is wrong.", m);
    StoreChoice(u, "ATSV", Atsv(), t.ATSV, r.SVMOD, "Parameter SVMODE is wrong.", m);
    StoreChoice(u, "PID", Pid(), t.PID, r.PID, "Parameter PID is wrong.", m);
}

void AdvancedForm::Show() {
    const AdvancedRecord& r = m_record;
    AdvancedTexts& t = m_texts;
    t.SV_H = FormatRangeValue(SelectInputRange(m_setup), r.SV_H);
    t.SV_L = FormatRangeValue(SelectInputRange(m_setup), r.SV_L);
    t.DMV = FormatOneDecimal(r.DMV, 100);
    const int16_t hs[4] = {r.A1HS, r.A2HS, r.A3HS, r.A4HS};
    for (int k = 0; k < 4; ++k)
        t.HS[k] = FormatRangeValue(SelectInputRange(m_setup).Difference(), hs[k]);
    t.DVDV = ShowChoice(m_unshown, "DVDV", Dvdv(), r.DV_D);
    t.TDS = ShowChoice(m_unshown, "TDS", Tds(), r.WDIS);
    t.ATSV = ShowChoice(m_unshown, "ATSV", Atsv(), r.SVMOD);
    t.PID = ShowChoice(m_unshown, "PID", Pid(), r.PID);
}

void AdvancedForm::Retrieve(CursorControl& cursor) {
    std::vector<std::string> failed;
    {
        WaitCursor wait(cursor);
        failed = RetrieveAdvancedBlocks(m_record); // only blocks that arrived change
        Show();
    }
    ShowTransferFailures("RETRIEVE", failed, m_messages);
}

void AdvancedForm::Send(CursorControl& cursor) {
    std::vector<std::string> failed;
    {
        WaitCursor wait(cursor);
        Store();
        Show();
        failed = SendAdvancedBlocks(m_record);
    }
    ShowTransferFailures("SEND", failed, m_messages);
}
