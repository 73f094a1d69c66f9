#include "editors/system_setup_form.h"

#include "editors/form_fields.h"
#include "image/group_layouts.h"
#include "transfers/group_transfers.h"

namespace setup_lists {
namespace {
// The texts of a drop-down, as the catalogue lists them for its row.
std::vector<std::string> ListOf(const char* mnemonic) {
    const auto& choices = FindRow(GroupId::Kind::SystemSetup, mnemonic)->choices;
    return std::vector<std::string>(choices.begin(), choices.end());
}
} // namespace
const std::vector<std::string>& Pvu() {
    static const std::vector<std::string> l = ListOf("PVU");
    return l;
}
const std::vector<std::string>& Pvd() {
    static const std::vector<std::string> l = ListOf("PVD");
    return l;
}
const std::vector<std::string>& Stm() {
    static const std::vector<std::string> l = ListOf("STM");
    return l;
}
const std::vector<std::string>& Aor() {
    static const std::vector<std::string> l = ListOf("AO1R");
    return l;
}
const std::vector<std::string>& Aot() {
    static const std::vector<std::string> l = ListOf("AO1T");
    return l;
}
const std::vector<std::string>& Tmu() {
    static const std::vector<std::string> l = ListOf("TMU");
    return l;
}
const std::vector<std::string>& Tmdt() {
    static const std::vector<std::string> l = ListOf("TMDT");
    return l;
}
const std::vector<std::string>& Stn() {
    static const std::vector<std::string> l = [] {
        std::vector<std::string> v;
        for (int n = 1; n <= kMaxStation; ++n)
            v.push_back(std::to_string(n));
        return v;
    }();
    return l;
}
} // namespace setup_lists

namespace {

using namespace setup_lists;

// Station numbers 0..31 as plain decimal texts ("07" is not one).
std::optional<int> StationOf(const std::string& text) {
    for (int n = 0; n <= kMaxStation; ++n)
        if (text == std::to_string(n))
            return n;
    return std::nullopt;
}

// A drop-down text in `list` sets the field; any other text leaves it, and so does the
// text shown for a code outside the list while it is unchanged.
template <class T>
void SetFromList(const UnshownValues& unshown, const char* name,
                 const std::vector<std::string>& list, const std::string& text, T& field) {
    if (unshown.Untouched(name, text))
        return;
    if (auto code = CodeOf(list, text))
        field = static_cast<T>(*code);
}

void StoreOr(std::optional<int32_t> v, int16_t& field, const std::string& message,
             Messages& messages) {
    if (v)
        field = static_cast<int16_t>(*v);
    else
        messages.Show(message);
}

// ENDT and GS-T have no not-used marker: "----" (-32768) and the times of 6000 or more
// are shown but cannot be typed, so they are kept while their text is unchanged, as every
// time is.
void StoreTime(const UnshownValues& unshown, const char* name, const std::string& text,
               int16_t& field, const std::string& message, Messages& messages) {
    if (!unshown.Untouched(name, text) && text != FormatTime(field))
        StoreOr(ParseTimeValue(text), field, TimeRefusal(message, name), messages);
}

const ParameterRow& Row(const char* label) {
    return *FindRow(GroupId::Kind::SystemSetup, label);
}

// The messages of one analogue output's scale checks, by the source the texts are read in.
struct AnalogueOutputMessages {
    const char *full, *base; // the labels
    const char *rangeFull, *rangeBase, *mvFull, *mvBase;
};

// The scale texts are read in the source the drop-down names now; a text that names no
// source leaves the stored one, and the scale is read in that. Reading them as range
// values while the output stays on MV would store a wrong scale.
bool OutputIsMv(const std::string& sourceText, uint8_t storedSource) {
    if (auto code = CodeOf(Aot(), sourceText))
        return *code == kAnalogueSourceMv;
    return storedSource == kAnalogueSourceMv;
}

void StoreOutputScale(const SystemSetupRecord& r, bool mv, const std::string& fullText,
                      const std::string& baseText, int16_t& full, int16_t& base,
                      const AnalogueOutputMessages& text, Messages& m) {
    if (!mv) {
        const InputRange range = SelectInputRange(r);
        StoreRangeValue(range, fullText, -2500, 12500, full,
                        RangeRefusal(range, text.rangeFull, text.full, -2500, 12500), m);
        StoreRangeValue(range, baseText, -2500, 12500, base,
                        RangeRefusal(range, text.rangeBase, text.base, -2500, 12500), m);
    } else {
        // A scale left as shown keeps what it holds, whatever the tenths rounded off.
        if (fullText != FormatOneDecimal(full, 100))
            StoreOr(OneDecimalIn(fullText, 10, -2500, 12500), full,
                    OneDecimalRefusal(text.mvFull, text.full, -2500, 12500, 100), m);
        if (baseText != FormatOneDecimal(base, 100))
            StoreOr(OneDecimalIn(baseText, 10, -2500, 12500), base,
                    OneDecimalRefusal(text.mvBase, text.base, -2500, 12500, 100), m);
    }
}

void ShowOutputScale(const SystemSetupRecord& r, bool mv, int16_t full, int16_t base,
                     std::string& fullText, std::string& baseText) {
    if (!mv) {
        fullText = FormatRangeValue(SelectInputRange(r), full);
        baseText = FormatRangeValue(SelectInputRange(r), base);
    } else {
        fullText = FormatOneDecimal(full, 100);
        baseText = FormatOneDecimal(base, 100);
    }
}

} // namespace

SystemSetupForm::SystemSetupForm(SystemSetupRecord& record, Messages& messages)
    : m_record(record), m_messages(messages) {}

void SystemSetupForm::Store() {
    SystemSetupRecord& r = m_record;
    const SystemSetupTexts& t = m_texts;
    const UnshownValues& u = m_unshown;
    Messages& m = m_messages;

    // A typed text that names no input type keeps the stored type, as PVU and PVD keep
    // theirs: taking it as code 0 would switch the controller to another sensor and
    // read every range value below in that sensor's range.
    const int pvt = InputTypeCode(t.PVT);
    if (InputTypeText(pvt) == t.PVT)
        r.PVT = static_cast<uint8_t>(pvt);
    SetFromList(u, "PVU", Pvu(), t.PVU, r.PVU);
    SetFromList(u, "PVD", Pvd(), t.PVD, r.PVD);
    for (const auto& [label, text] : {std::pair{"PVF", &t.PVF}, {"PVB", &t.PVB}, {"CI", &t.CI}}) {
        const ParameterRow& row = Row(label);
        if (*text && **text >= row.lo && **text <= row.hi)
            SetRawValue(r, row, static_cast<uint16_t>(**text));
        else // no integer at all (empty, a sign alone) is refused as well
            m.Show(IntegerRefusal(row.message, label, row.lo, row.hi));
    }
    // Read with the range of the input as it stands after the fields above.
    const auto store = [&](const char* label, const std::string& text) {
        const ParameterRow& row = Row(label);
        uint16_t value = RawValue(r, row);
        if (StoreField(row, text, value, SelectInputRange(r), u, m))
            SetRawValue(r, row, value);
    };
    store("TF", t.TF);
    store("PSET", t.PSET);
    store("BURN", t.BURN);
    StoreTime(u, "ENDT", t.ENDT, r.ENDT, Row("ENDT").message, m);
    StoreTime(u, "GS-T", t.GS_T, r.GS_T, Row("GS-T").message, m);

    // Ranges are selected afresh for each value: PVT, PVU, PVD, PVF and PVB above may
    // just have changed, and the new range applies to the values entered with them.
    RefuseEmptyScale(SelectInputRange(r), m);
    store("SFT", t.SFT);
    const AnalogueOutputMessages out1 = {"A01F",
                                         "A01B",
                                         "Parameter A01F is wrong.",
                                         "Parameter AO1B is wrong.",
                                         "Parameter AO1F is wrong.",
                                         "Parameter AO1B is wrong."};
    const AnalogueOutputMessages out2 = {"A02F",
                                         "A02B",
                                         "Parameter AO2F is wrong.",
                                         "Parameter AO2B is wrong.",
                                         "Parameter AO2F is wrong.",
                                         "Parameter AO2B is wrong."};
    StoreOutputScale(r, OutputIsMv(t.A01T, r.AO1T), t.A01F, t.A01B, r.AO1F, r.AO1B, out1, m);
    StoreOutputScale(r, OutputIsMv(t.A02T, r.AO2T), t.A02F, t.A02B, r.AO2F, r.AO2B, out2, m);
    store("GS-H", t.GS_H);
    store("GS-L", t.GS_L);

    if (auto n = StationOf(t.STN); n && !u.Untouched("STN", t.STN))
        r.STN = static_cast<uint8_t>(*n);
    SetFromList(u, "STM", Stm(), t.STM, r.STM);
    SetFromList(u, "A01R", Aor(), t.A01R, r.AO1R);
    SetFromList(u, "A01T", Aot(), t.A01T, r.AO1T);
    SetFromList(u, "A02R", Aor(), t.A02R, r.AO2R);
    SetFromList(u, "A02T", Aot(), t.A02T, r.AO2T);
    SetFromList(u, "TMU", Tmu(), t.TMU, r.TMU);
    SetFromList(u, "TMDT", Tmdt(), t.TMDT, r.TMDT);

    StoreAlarmTypes();
}

void SystemSetupForm::StoreAlarmTypes() {
    uint8_t* fields[4] = {&m_record.EV_T1, &m_record.EV_T2, &m_record.EV_T3, &m_record.EV_T4};
    for (int k = 0; k < 4; ++k) {
        const int code = AlarmTypeCode(m_texts.ALT[k]);
        // A typed text that names no alarm type keeps the stored type.
        if (code >= 0)
            *fields[k] = static_cast<uint8_t>(code);
        else
            m_messages.Show(Refusal("Parameter AL" + std::to_string(k + 1) + "T is wrong.",
                                    "AL" + std::to_string(k + 1) + "T",
                                    "one of the alarm types of the list"));
    }
}

void SystemSetupForm::Show() {
    const SystemSetupRecord& r = m_record;
    SystemSetupTexts& t = m_texts;
    UnshownValues& u = m_unshown;

    t.PVT = InputTypeText(r.PVT);
    u.ShowCode("PVU", Pvu(), r.PVU, t.PVU);
    u.ShowCode("PVD", Pvd(), r.PVD, t.PVD);
    u.ShowCode("STM", Stm(), r.STM, t.STM);
    u.ShowCode("A01R", Aor(), r.AO1R, t.A01R);
    u.ShowCode("A01T", Aot(), r.AO1T, t.A01T);
    u.ShowCode("A02R", Aor(), r.AO2R, t.A02R);
    u.ShowCode("A02T", Aot(), r.AO2T, t.A02T);
    u.ShowCode("TMU", Tmu(), r.TMU, t.TMU);
    u.ShowCode("TMDT", Tmdt(), r.TMDT, t.TMDT);
    t.PVF = r.PVF;
    t.PVB = r.PVB;
    t.CI = r.CI;
    if (r.STN <= kMaxStation) {
        t.STN = std::to_string(r.STN);
        u.Forget("STN");
    } else {
        u.Remember("STN", t.STN);
    }
    t.TF = FormatOneDecimal(r.TF, 10);
    t.PSET = FormatOneDecimal(r.PSET, 100);
    t.BURN = FormatOneDecimal(r.BURN, 100);
    t.ENDT = u.ShowTime("ENDT", r.ENDT, std::nullopt);
    t.GS_T = u.ShowTime("GS-T", r.GS_T, std::nullopt);
    t.SFT = FormatRangeValue(SelectInputRange(r).Difference(), r.SFT);
    ShowOutputScale(r, t.A01T == "MV", r.AO1F, r.AO1B, t.A01F, t.A01B);
    ShowOutputScale(r, t.A02T == "MV", r.AO2F, r.AO2B, t.A02F, t.A02B);
    t.GS_H = FormatRangeValue(SelectInputRange(r).Difference(), r.GS_H);
    t.GS_L = FormatRangeValue(SelectInputRange(r).Difference(), r.GS_L);

    ShowAlarmTypes();
}

void SystemSetupForm::ShowAlarmTypes() {
    const uint8_t codes[4] = {m_record.EV_T1, m_record.EV_T2, m_record.EV_T3, m_record.EV_T4};
    for (int k = 0; k < 4; ++k)
        m_texts.ALT[k] = AlarmTypeText(codes[k]);
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
