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
    : GroupForm(messages), m_record(record) {}

template <class Member> void SystemSetupForm::StoreRow(Member member, bool mv) {
    const ParameterRow& row = RowOf(member);
    uint16_t value = RawValue(m_record, row);
    // Read with the range of the input as it stands after the fields before it.
    if (StoreText(row, value, SelectInputRange(m_record), mv))
        SetRawValue(m_record, row, value);
}

template <class Member> void SystemSetupForm::ShowRow(Member member, bool mv) {
    const ParameterRow& row = RowOf(member);
    ShowText(row, RawValue(m_record, row), SelectInputRange(m_record), mv);
}

void SystemSetupForm::Store() {
    const SystemSetupRecord& r = m_record;
    StoreRows(&S::PVT, &S::PVU, &S::PVD);
    StoreRows(&S::PVF, &S::PVB, &S::CI, &S::TF, &S::PSET, &S::BURN, &S::ENDT, &S::GS_T);
    // Ranges are selected afresh for each value: PVT, PVU, PVD, PVF and PVB above may
    // just have changed, and the new range applies to the values entered with them.
    RefuseEmptyScale(SelectInputRange(r), m_messages);
    StoreRow(&S::SFT);
    const bool mv1 = OutputIsMv(Text(&S::AO1T), r.AO1T), mv2 = OutputIsMv(Text(&S::AO2T), r.AO2T);
    StoreRow(&S::AO1F, mv1);
    StoreRow(&S::AO1B, mv1);
    StoreRow(&S::AO2F, mv2);
    StoreRow(&S::AO2B, mv2);
    StoreRow(&S::GS_H);
    StoreRow(&S::GS_L);
    StoreRows(&S::STN, &S::STM, &S::AO1R, &S::AO1T, &S::AO2R, &S::AO2T, &S::TMU, &S::TMDT,
              &S::EV_T1, &S::EV_T2, &S::EV_T3, &S::EV_T4);
}

void SystemSetupForm::Show() {
    const SystemSetupRecord& r = m_record;
    ShowRows(&S::PVT, &S::PVU, &S::PVD, &S::STM, &S::AO1R, &S::AO1T, &S::AO2R, &S::AO2T, &S::TMU,
             &S::TMDT);
    ShowRows(&S::PVF, &S::PVB, &S::CI, &S::TF, &S::PSET, &S::BURN, &S::ENDT, &S::GS_T, &S::SFT,
             &S::GS_H, &S::GS_L);
    // The drop-down offers the stations a controller answers at; another value leaves its
    // text, and is kept while that is unchanged.
    const ParameterRow& stn = RowOf(&S::STN);
    if (r.STN <= stn.hi)
        ShowRow(&S::STN);
    else
        m_unshown.Remember(stn.Label(), m_texts.At(stn.Label()));
    // Shown in the source its drop-down now names.
    const auto showsMv = [](const std::string& source) {
        return CodeOf(setup_lists::Aot(), source) == kAnalogueSourceMv;
    };
    const bool mv1 = showsMv(Text(&S::AO1T)), mv2 = showsMv(Text(&S::AO2T));
    ShowRow(&S::AO1F, mv1);
    ShowRow(&S::AO1B, mv1);
    ShowRow(&S::AO2F, mv2);
    ShowRow(&S::AO2B, mv2);
    ShowRows(&S::EV_T1, &S::EV_T2, &S::EV_T3, &S::EV_T4);
}

void SystemSetupForm::Retrieve(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Link().BeginOperation();
    // Read into a copy of its own; only blocks that arrived change it.
    auto held = std::make_shared<SystemSetupRecord>(m_record);
    SystemSetupRecord& record = m_record;
    Operation operation;
    operation.title = "RETRIEVE of " + GroupTitle(GroupId::SystemSetup());
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
    operation.title = "SEND of " + GroupTitle(GroupId::SystemSetup());
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
    if (InputTypeCode(Text(&S::PVT)) >= 64)
        return false;
    m_messages.Show("PVF & PVB are not available in case of the PVT");
    ShowRow(upper ? &S::PVF : &S::PVB);
    return true;
}
