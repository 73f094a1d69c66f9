#include "editors/system_setup_form.h"

#include "editors/form_fields.h"
#include "link/tqxcomm.h"
#include "transfers/group_layouts.h"
#include "transfers/group_transfers.h"

namespace setup_lists {
const std::vector<std::string>& Pvu() {
    static const std::vector<std::string> l = {"0.C", "1.F"};
    return l;
}
const std::vector<std::string>& Pvd() {
    static const std::vector<std::string> l = {"0.1", "1.0.1", "2.0.01", "3.0.001"};
    return l;
}
const std::vector<std::string>& Stm() {
    static const std::vector<std::string> l = {"Continuous start", "Reset start"};
    return l;
}
const std::vector<std::string>& Aor() {
    static const std::vector<std::string> l = {"1-5V", "0-5V", "0-10V"};
    return l;
}
const std::vector<std::string>& Aot() {
    static const std::vector<std::string> l = {"PV", "SV", "MV"};
    return l;
}
const std::vector<std::string>& Tmu() {
    static const std::vector<std::string> l = {"hr:min", "min:sec"};
    return l;
}
const std::vector<std::string>& Tmdt() {
    static const std::vector<std::string> l = {"Remaining time indication",
                                               "Lapsed time indication"};
    return l;
}
const std::vector<std::string>& Stn() {
    static const std::vector<std::string> l = [] {
        std::vector<std::string> v;
        for (int n = 1; n <= 31; ++n)
            v.push_back(std::to_string(n));
        return v;
    }();
    return l;
}
} // namespace setup_lists

namespace {

using namespace setup_lists;

constexpr int kMaxStation = 31;

// Station numbers 0..31 as plain decimal texts ("07" is not one).
std::optional<int> StationOf(const std::string& text) {
    for (int n = 0; n <= kMaxStation; ++n)
        if (text == std::to_string(n))
            return n;
    return std::nullopt;
}

template <class T>
void SetFromList(const std::vector<std::string>& list, const std::string& text, T& field) {
    if (auto code = CodeOf(list, text))
        field = static_cast<T>(*code);
}

void ShowFromList(const std::vector<std::string>& list, int value, std::string& text) {
    if (value >= 0 && value < static_cast<int>(list.size()))
        text = list[value];
}

std::optional<int32_t> TimeIn(const std::string& text) {
    const TimeParts t = ParseTime(text);
    if (t.first < 0 || t.first > 99 || t.second < 0 || t.second > 59)
        return std::nullopt;
    return t.first * 60 + t.second;
}

void StoreOr(std::optional<int32_t> v, int16_t& field, const char* message, Messages& messages) {
    if (v)
        field = static_cast<int16_t>(*v);
    else
        messages.Show(message);
}

// The messages of one analogue output's scale checks, by the source the texts are read in.
struct AnalogueOutputMessages {
    const char *rangeFull, *rangeBase, *mvFull, *mvBase;
};

// The scale texts are read in the source the drop-down names now; a text that names no
// source leaves the stored one, and the scale is read in that. Reading them as range
// values while the output stays on MV would store a wrong scale.
bool OutputIsMv(const std::string& sourceText, uint8_t storedSource) {
    if (auto code = CodeOf(Aot(), sourceText))
        return *code == 2;
    return storedSource == 2;
}

void StoreOutputScale(const SystemSetupRecord& r, bool mv, const std::string& fullText,
                      const std::string& baseText, int16_t& full, int16_t& base,
                      const AnalogueOutputMessages& text, Messages& m) {
    if (!mv) {
        StoreRangeValue(SelectInputRange(r), fullText, -2500, 12500, full, text.rangeFull, m);
        StoreRangeValue(SelectInputRange(r), baseText, -2500, 12500, base, text.rangeBase, m);
    } else {
        StoreOr(OneDecimalIn(fullText, 10, -2500, 12500), full, text.mvFull, m);
        StoreOr(OneDecimalIn(baseText, 10, -2500, 12500), base, text.mvBase, m);
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
    Messages& m = m_messages;

    // A typed text that names no input type keeps the stored type, as PVU and PVD keep
    // theirs: taking it as code 0 would switch the controller to another sensor and
    // read every range value below in that sensor's range.
    const int pvt = InputTypeCode(t.PVT);
    if (InputTypeText(pvt) == t.PVT)
        r.PVT = static_cast<uint8_t>(pvt);
    SetFromList(Pvu(), t.PVU, r.PVU);
    SetFromList(Pvd(), t.PVD, r.PVD);
    if (t.PVF >= -999 && t.PVF <= 9999)
        r.PVF = static_cast<int16_t>(t.PVF);
    else
        m.Show("Parameter PVF is wrong.");
    if (t.PVB >= -999 && t.PVB <= 9999)
        r.PVB = static_cast<int16_t>(t.PVB);
    else
        m.Show("Parameter PVB is wrong.");
    if (t.CI >= 1 && t.CI <= 120)
        r.CI = static_cast<uint8_t>(t.CI);
    else
        m.Show("Parameter C1 is wrong.");
    StoreOr(OneDecimalIn(t.TF, 1, 0, 9000), r.TF, "Parameter TF is wrong.", m);
    StoreOr(OneDecimalIn(t.PSET, 10, -500, 10500), r.PSET, "Parameter PSET is wrong.", m);
    StoreOr(OneDecimalIn(t.BURN, 10, -500, 10500), r.BURN, "Parameter BURN is wrong.", m);
    StoreOr(TimeIn(t.ENDT), r.ENDT, "Parameter ENDT is wrong.", m);
    StoreOr(TimeIn(t.GS_T), r.GS_T, "Parameter GS-T is wrong.", m);

    // Ranges are selected afresh for each value: PVT, PVU, PVD, PVF and PVB above may
    // just have changed, and the new range applies to the values entered with them.
    StoreRangeValue(SelectInputRange(r).Difference(), t.SFT, -5001, 5001, r.SFT,
                    "Parameter SFT is wrong.", m);
    const AnalogueOutputMessages out1 = {"Parameter A01F is wrong.", "Parameter AO1B is wrong.",
                                         "Parameter AO1F is wrong.", "Parameter AO1B is wrong."};
    const AnalogueOutputMessages out2 = {"Parameter AO2F is wrong.", "Parameter AO2B is wrong.",
                                         "Parameter AO2F is wrong.", "Parameter AO2B is wrong."};
    StoreOutputScale(r, OutputIsMv(t.A01T, r.AO1T), t.A01F, t.A01B, r.AO1F, r.AO1B, out1, m);
    StoreOutputScale(r, OutputIsMv(t.A02T, r.AO2T), t.A02F, t.A02B, r.AO2F, r.AO2B, out2, m);
    StoreRangeValue(SelectInputRange(r).Difference(), t.GS_H, 0, 5000, r.GS_H,
                    "Parameter GS-H is wrong.", m);
    StoreRangeValue(SelectInputRange(r).Difference(), t.GS_L, 0, 5000, r.GS_L,
                    "Parameter GS-L is wrong.", m);

    if (auto n = StationOf(t.STN))
        r.STN = static_cast<uint8_t>(*n);
    SetFromList(Stm(), t.STM, r.STM);
    SetFromList(Aor(), t.A01R, r.AO1R);
    SetFromList(Aot(), t.A01T, r.AO1T);
    SetFromList(Aor(), t.A02R, r.AO2R);
    SetFromList(Aot(), t.A02T, r.AO2T);
    SetFromList(Tmu(), t.TMU, r.TMU);
    SetFromList(Tmdt(), t.TMDT, r.TMDT);

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
            m_messages.Show("Parameter AL" + std::to_string(k + 1) + "T is wrong.");
    }
}

void SystemSetupForm::Show() {
    const SystemSetupRecord& r = m_record;
    SystemSetupTexts& t = m_texts;

    t.PVT = InputTypeText(r.PVT);
    ShowFromList(Pvu(), r.PVU, t.PVU);
    ShowFromList(Pvd(), r.PVD, t.PVD);
    ShowFromList(Stm(), r.STM, t.STM);
    ShowFromList(Aor(), r.AO1R, t.A01R);
    ShowFromList(Aot(), r.AO1T, t.A01T);
    ShowFromList(Aor(), r.AO2R, t.A02R);
    ShowFromList(Aot(), r.AO2T, t.A02T);
    ShowFromList(Tmu(), r.TMU, t.TMU);
    ShowFromList(Tmdt(), r.TMDT, t.TMDT);
    t.PVF = r.PVF;
    t.PVB = r.PVB;
    t.CI = r.CI;
    if (r.STN <= kMaxStation)
        t.STN = std::to_string(r.STN);
    t.TF = FormatOneDecimal(r.TF, 10);
    t.PSET = FormatOneDecimal(r.PSET, 100);
    t.BURN = FormatOneDecimal(r.BURN, 100);
    t.ENDT = FormatTime(r.ENDT);
    t.GS_T = FormatTime(r.GS_T);
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
    std::vector<std::string> failed;
    {
        WaitCursor wait(cursor);
        failed = RetrieveSystemSetupBlocks(m_record);
        Show();
    }
    ShowTransferFailures("RETRIEVE", failed, m_messages);
}

void SystemSetupForm::Send(CursorControl& cursor) {
    std::vector<std::string> failed;
    {
        WaitCursor wait(cursor);
        Store();
        Show();
        // The bytes this system does not own keep what the controller holds, and a
        // block that could not be read is not written.
        failed = SendSystemSetupBlocks(m_record);
    }
    ShowTransferFailures("SEND", failed, m_messages);
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
