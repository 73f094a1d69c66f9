#include "editors/system_setup_form.h"

#include "editors/form_fields.h"
#include "transfers/group_transfers.h"

namespace setup_lists {
namespace {
// The texts of a drop-down, as the catalogue lists them for its row.
std::vector<std::string> ListOf(uint8_t SystemSetupRecord::*member) {
    const auto& choices = RowOf(member).choices;
    return std::vector<std::string>(choices.begin(), choices.end());
}
using S = SystemSetupRecord;
} // namespace
const std::vector<std::string>& Pvu() {
    static const std::vector<std::string> l = ListOf(&S::PVU);
    return l;
}
const std::vector<std::string>& Pvd() {
    static const std::vector<std::string> l = ListOf(&S::PVD);
    return l;
}
const std::vector<std::string>& Stm() {
    static const std::vector<std::string> l = ListOf(&S::STM);
    return l;
}
const std::vector<std::string>& Aor() {
    static const std::vector<std::string> l = ListOf(&S::AO1R);
    return l;
}
const std::vector<std::string>& Aot() {
    static const std::vector<std::string> l = ListOf(&S::AO1T);
    return l;
}
const std::vector<std::string>& Tmu() {
    static const std::vector<std::string> l = ListOf(&S::TMU);
    return l;
}
const std::vector<std::string>& Tmdt() {
    static const std::vector<std::string> l = ListOf(&S::TMDT);
    return l;
}
const std::vector<std::string>& Stn() {
    static const std::vector<std::string> l = [] {
        std::vector<std::string> v;
        for (int n = 1; n <= RowOf(&S::STN).hi; ++n)
            v.push_back(std::to_string(n));
        return v;
    }();
    return l;
}
} // namespace setup_lists

namespace {

using S = SystemSetupRecord;

// The scale texts are read in the source the drop-down names now; a text that names no
// source leaves the stored one, and the scale is read in that. Reading them as range
// values while the output stays on MV would store a wrong scale.
bool OutputIsMv(const std::string& sourceText, uint8_t storedSource) {
    if (auto code = CodeOf(setup_lists::Aot(), sourceText))
        return *code == kAnalogueSourceMv;
    return storedSource == kAnalogueSourceMv;
}

} // namespace

SystemSetupForm::SystemSetupForm(SystemSetupRecord& record, Messages& messages)
    : m_record(record), m_messages(messages) {}

template <class Member>
void SystemSetupForm::StoreRow(Member member, const std::string& text, bool mv) {
    const ParameterRow& row = RowOf(member);
    uint16_t value = RawValue(m_record, row);
    // Read with the range of the input as it stands after the fields before it.
    if (StoreField(row, text, value, SelectInputRange(m_record), m_unshown, m_messages, mv))
        SetRawValue(m_record, row, value);
}

template <class Member> void SystemSetupForm::ShowRow(Member member, std::string& text, bool mv) {
    const ParameterRow& row = RowOf(member);
    text = ShowField(row, RawValue(m_record, row), SelectInputRange(m_record), m_unshown, text, mv);
}

void SystemSetupForm::Store() {
    const SystemSetupRecord& r = m_record;
    const SystemSetupTexts& t = m_texts;
    StoreRow(&S::PVT, t.PVT);
    StoreRow(&S::PVU, t.PVU);
    StoreRow(&S::PVD, t.PVD);
    StoreRow(&S::PVF, IntegerText(t.PVF));
    StoreRow(&S::PVB, IntegerText(t.PVB));
    StoreRow(&S::CI, IntegerText(t.CI));
    StoreRow(&S::TF, t.TF);
    StoreRow(&S::PSET, t.PSET);
    StoreRow(&S::BURN, t.BURN);
    StoreRow(&S::ENDT, t.ENDT);
    StoreRow(&S::GS_T, t.GS_T);
    // Ranges are selected afresh for each value: PVT, PVU, PVD, PVF and PVB above may
    // just have changed, and the new range applies to the values entered with them.
    RefuseEmptyScale(SelectInputRange(r), m_messages);
    StoreRow(&S::SFT, t.SFT);
    const bool mv1 = OutputIsMv(t.A01T, r.AO1T), mv2 = OutputIsMv(t.A02T, r.AO2T);
    StoreRow(&S::AO1F, t.A01F, mv1);
    StoreRow(&S::AO1B, t.A01B, mv1);
    StoreRow(&S::AO2F, t.A02F, mv2);
    StoreRow(&S::AO2B, t.A02B, mv2);
    StoreRow(&S::GS_H, t.GS_H);
    StoreRow(&S::GS_L, t.GS_L);
    StoreRow(&S::STN, t.STN);
    StoreRow(&S::STM, t.STM);
    StoreRow(&S::AO1R, t.A01R);
    StoreRow(&S::AO1T, t.A01T);
    StoreRow(&S::AO2R, t.A02R);
    StoreRow(&S::AO2T, t.A02T);
    StoreRow(&S::TMU, t.TMU);
    StoreRow(&S::TMDT, t.TMDT);
    uint8_t S::*const alarms[4] = {&S::EV_T1, &S::EV_T2, &S::EV_T3, &S::EV_T4};
    for (int k = 0; k < 4; ++k)
        StoreRow(alarms[k], t.ALT[k]);
}

void SystemSetupForm::Show() {
    const SystemSetupRecord& r = m_record;
    SystemSetupTexts& t = m_texts;
    ShowRow(&S::PVT, t.PVT);
    ShowRow(&S::PVU, t.PVU);
    ShowRow(&S::PVD, t.PVD);
    ShowRow(&S::STM, t.STM);
    ShowRow(&S::AO1R, t.A01R);
    ShowRow(&S::AO1T, t.A01T);
    ShowRow(&S::AO2R, t.A02R);
    ShowRow(&S::AO2T, t.A02T);
    ShowRow(&S::TMU, t.TMU);
    ShowRow(&S::TMDT, t.TMDT);
    t.PVF = r.PVF;
    t.PVB = r.PVB;
    t.CI = r.CI;
    // The drop-down offers the stations a controller answers at; another value leaves its
    // text, and is kept while that is unchanged.
    if (r.STN <= RowOf(&S::STN).hi)
        ShowRow(&S::STN, t.STN);
    else
        m_unshown.Remember(RowOf(&S::STN).Label(), t.STN);
    ShowRow(&S::TF, t.TF);
    ShowRow(&S::PSET, t.PSET);
    ShowRow(&S::BURN, t.BURN);
    ShowRow(&S::ENDT, t.ENDT);
    ShowRow(&S::GS_T, t.GS_T);
    ShowRow(&S::SFT, t.SFT);
    ShowRow(&S::AO1F, t.A01F, t.A01T == "MV");
    ShowRow(&S::AO1B, t.A01B, t.A01T == "MV");
    ShowRow(&S::AO2F, t.A02F, t.A02T == "MV");
    ShowRow(&S::AO2B, t.A02B, t.A02T == "MV");
    ShowRow(&S::GS_H, t.GS_H);
    ShowRow(&S::GS_L, t.GS_L);
    uint8_t S::*const alarms[4] = {&S::EV_T1, &S::EV_T2, &S::EV_T3, &S::EV_T4};
    for (int k = 0; k < 4; ++k)
        ShowRow(alarms[k], t.ALT[k]);
}

void SystemSetupForm::Retrieve(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Link().BeginOperation();
    // Read into a copy of its own; only blocks that arrived change it.
    auto held = std::make_shared<SystemSetupRecord>(m_record);
    SystemSetupRecord& record = m_record;
    Operation operation;
    operation.title = "RETRIEVE of the system setup";
    operation.work = [held](TransferContext& link, Messages& tell) {
        ShowTransferFailures("RETRIEVE", RetrieveSystemSetup(link, *held), tell);
    };
    operation.apply = [held, &record] { record = *held; };
    operation.after = [this] { Show(); };
    RunOperation(std::move(operation), m_messages);
}

void SystemSetupForm::Send(CursorControl& cursor) {
    Link().BeginOperation();
    {
        WaitCursor wait(cursor);
        Store();
        Show();
    }
    // A station port 1 cannot follow would cut the controller off the link: asked first,
    // and Cancel writes nothing.
    if (!IsFollowableStation(m_record.STN) && !Ask().Confirm(StationQuestion(m_record.STN)))
        return;
    WaitCursor wait(cursor);
    Operation operation;
    operation.title = "SEND of the system setup";
    operation.work = [sent = m_record](TransferContext& link, Messages& tell) {
        // The bytes this system does not own keep what the controller holds, and a
        // block that could not be read is not written.
        StationChange station;
        const TransferResult result = SendSystemSetup(link, sent, &station);
        ShowTransferFailures("SEND", result, tell);
        if (station.changed)
            tell.Show(StationChangeMessage(station));
    };
    RunOperation(std::move(operation), m_messages);
}

bool SystemSetupForm::GuardScaleEdit(bool upper) {
    if (InputTypeCode(m_texts.PVT) >= 64)
        return false;
    m_messages.Show("PVF & PVB are not available in case of the PVT");
    if (upper)
        m_texts.PVF = m_record.PVF;
    else
        m_texts.PVB = m_record.PVB;
    return true;
}
