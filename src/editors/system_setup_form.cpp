#include "editors/system_setup_form.h"

#include "editors/form_fields.h"
#include "transfers/group_layouts.h"
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
// are shown but cannot be typed, so they are kept while their text is unchanged.
void StoreTime(const UnshownValues& unshown, const char* name, const std::string& text,
               int16_t& field, const std::string& message, Messages& messages) {
    if (!unshown.Untouched(name, text))
        StoreOr(ParseTimeValue(text), field, TimeRefusal(message, name), messages);
}

// An integer field that holds no integer (empty, or a sign alone) is refused like one out
// of range, not passed over silently.
template <class T>
void StoreInteger(const std::optional<int>& value, int lo, int hi, const char* name,
                  const char* message, Messages& messages, T& field) {
    if (value && *value >= lo && *value <= hi)
        field = static_cast<T>(*value);
    else
        messages.Show(IntegerRefusal(message, name, lo, hi));
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
        StoreOr(OneDecimalIn(fullText, 10, -2500, 12500), full,
                OneDecimalRefusal(text.mvFull, text.full, -2500, 12500, 100), m);
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
    StoreInteger(t.PVF, -999, 9999, "PVF", "Parameter PVF is wrong.", m, r.PVF);
    StoreInteger(t.PVB, -999, 9999, "PVB", "Parameter PVB is wrong.", m, r.PVB);
    StoreInteger(t.CI, 1, 120, "CI", "Parameter C1 is wrong.", m, r.CI);
    StoreOr(OneDecimalIn(t.TF, 1, 0, 9000), r.TF,
            OneDecimalRefusal("Parameter TF is wrong.", "TF", 0, 9000, 10), m);
    StoreOr(OneDecimalIn(t.PSET, 10, -500, 10500), r.PSET,
            OneDecimalRefusal("Parameter PSET is wrong.", "PSET", -500, 10500, 100), m);
    StoreOr(OneDecimalIn(t.BURN, 10, -500, 10500), r.BURN,
            OneDecimalRefusal("Parameter BURN is wrong.", "BURN", -500, 10500, 100), m);
    StoreTime(u, "ENDT", t.ENDT, r.ENDT, "Parameter ENDT is wrong.", m);
    StoreTime(u, "GS-T", t.GS_T, r.GS_T, "Parameter GS-T is wrong.", m);

    // Ranges are selected afresh for each value: PVT, PVU, PVD, PVF and PVB above may
    // just have changed, and the new range applies to the values entered with them.
    RefuseEmptyScale(SelectInputRange(r), m);
    const InputRange difference = SelectInputRange(r).Difference();
    StoreRangeValue(difference, t.SFT, -5001, 5001, r.SFT,
                    RangeRefusal(difference, "Parameter SFT is wrong.", "SFT", -5001, 5001), m);
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
    StoreRangeValue(difference, t.GS_H, 0, 5000, r.GS_H,
                    RangeRefusal(difference, "Parameter GS-H is wrong.", "GS-H", 0, 5000), m);
    StoreRangeValue(difference, t.GS_L, 0, 5000, r.GS_L,
                    RangeRefusal(difference, "Parameter GS-L is wrong.", "GS-L", 0, 5000), m);

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
    TransferResult result;
    {
        WaitCursor wait(cursor);
        result = RetrieveSystemSetup(Link(), m_record);
        Show();
    }
    ShowTransferFailures("RETRIEVE", result, m_messages);
}

void SystemSetupForm::Send(CursorControl& cursor) {
    TransferResult result;
    StationChange station;
    {
        WaitCursor wait(cursor);
        Store();
        Show();
        // The bytes this system does not own keep what the controller holds, and a
        // block that could not be read is not written.
        result = SendSystemSetup(Link(), m_record, &station);
    }
    ShowTransferFailures("SEND", result, m_messages);
    if (station.changed)
        m_messages.Show(StationChangeMessage(station));
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
