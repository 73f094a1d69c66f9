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

void StoreChoice(const std::vector<std::string>& list, const std::string& text, uint8_t& field,
                 const char* message, Messages& messages) {
    if (const std::optional<int> code = CodeOf(list, text))
        field = static_cast<uint8_t>(*code);
    else
        messages.Show(message);
}

// Zero shows the first text, anything else the second.
const std::string& ShowChoice(const std::vector<std::string>& list, uint8_t value) {
    return list[value == 0 ? 0 : 1];
}

} // namespace

AdvancedForm::AdvancedForm(AdvancedRecord& record, const SystemSetupRecord& setup,
                           Messages& messages)
    : m_record(record), m_setup(setup), m_messages(messages) {}

void AdvancedForm::Store() {
    AdvancedRecord& r = m_record;
    const AdvancedTexts& t = m_texts;
    Messages& m = m_messages;

    StoreRangeValue(SelectInputRange(m_setup), t.SV_H, 0, 10000, r.SV_H, "Parameter SVH is wrong.",
                    m);
    StoreRangeValue(SelectInputRange(m_setup), t.SV_L, 0, 10000, r.SV_L, "Parameter SVL is wrong.",
                    m);
    if (const std::optional<int32_t> dmv = OneDecimalIn(t.DMV, 10, 0, 10500))
        r.DMV = static_cast<int16_t>(*dmv);
    else
        m.Show("Parameter DMV is wrong.");
    int16_t* hs[4] = {&r.A1HS, &r.A2HS, &r.A3HS, &r.A4HS};
    for (int k = 0; k < 4; ++k)
        StoreRangeValue(SelectInputRange(m_setup).Difference(), t.HS[k], 0, 5001, *hs[k],
                        "Parameter A" + std::to_string(k + 1) + "HS is wrong.", m);
    StoreChoice(Dvdv(), t.DVDV, r.DV_D, "Parameter DVD is wrong.", m);
    StoreChoice(Tds(), t.TDS, r.WDIS, "Parameter WDIS is wrong.", m);
    StoreChoice(Atsv(), t.ATSV, r.SVMOD, "Parameter SVMODE is wrong.", m);
    StoreChoice(Pid(), t.PID, r.PID, "Parameter PID is wrong.", m);
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
    t.DVDV = ShowChoice(Dvdv(), r.DV_D);
    t.TDS = ShowChoice(Tds(), r.WDIS);
    t.ATSV = ShowChoice(Atsv(), r.SVMOD);
    t.PID = ShowChoice(Pid(), r.PID);
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
