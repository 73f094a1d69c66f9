#include "editors/pid_group_form.h"

#include "editors/form_fields.h"
#include "link/link_failure.h"
#include "link/tqxcomm.h"
#include "transfers/group_transfers.h"

namespace {

using R = PidGroupRecord;

// A one-decimal text scaled by `factor`, stored when it lies in lo..hi.
bool StoreOneDecimal(PidGroupRecord& record, int word, const std::string& text, int32_t factor,
                     int32_t lo, int32_t hi) {
    const std::optional<int32_t> v = OneDecimalIn(text, factor, lo, hi);
    if (v)
        record.SetSigned(word, static_cast<int16_t>(*v));
    return v.has_value();
}

// A difference range value stored when it lies in 0..hi, else the message.
void StoreRangeWord(PidGroupRecord& record, int word, const InputRange& range,
                    const std::string& text, int32_t hi, const std::string& message,
                    Messages& messages) {
    int16_t value = record.Signed(word);
    if (StoreRangeValue(range, text, 0, hi, value, message, messages))
        record.SetSigned(word, value);
}

} // namespace

PidGroupForm::PidGroupForm(ParameterImage& image, Messages& messages)
    : m_image(image), m_messages(messages) {}

int32_t PidGroupForm::BlockOf(int group) {
    return PidGroupBlock(group + 1);
}

void PidGroupForm::Store() {
    PidGroupRecord& r = Record();
    const PidGroupTexts& t = m_texts;
    Messages& m = m_messages;
    if (!StoreOneDecimal(r, R::P, t.P, 1, 0, 9999))
        m.Show(OneDecimalRefusal("Parameter P is wrong.", "P", 0, 9999, 10));
    // A field that holds no integer (empty, or a sign alone) is refused, not passed over.
    if (t.I && *t.I >= 0 && *t.I <= 3200)
        r.SetWord(R::I, static_cast<uint16_t>(*t.I * 10));
    else
        m.Show(IntegerRefusal("Parameter I is wrong.", "I", 0, 3200));
    if (!StoreOneDecimal(r, R::D, t.D, 1, 0, 9999))
        m.Show(OneDecimalRefusal("Parameter D is wrong.", "D", 0, 9999, 10));
    // 327.7 % would be 32770, which does not fit: it is stored as the largest word.
    if (const std::optional<int32_t> k = ParseOneDecimal(t.KnL);
        k && *k * 10 >= -19990 && *k * 10 <= 32770)
        r.SetSigned(R::KNL, static_cast<int16_t>(*k * 10 == 32770 ? 32767 : *k * 10));
    else
        m.Show(OneDecimalRefusal("Parameter KnL is wrong.", "KnL", -19990, 32767, 100));
    if (!StoreOneDecimal(r, R::MAN, t.MAN, 10, -2500, 12500))
        m.Show(OneDecimalRefusal("Parameter MAN is wrong.", "MAN", -2500, 12500, 100));
    if (!StoreOneDecimal(r, R::MV_H, t.MV_H, 10, -500, 10500))
        m.Show(OneDecimalRefusal("Parameter MVH is wrong.", "MV-H", -500, 10500, 100));
    if (!StoreOneDecimal(r, R::MV_L, t.MV_L, 10, -500, 10500))
        m.Show(OneDecimalRefusal("Parameter MVL is wrong.", "MV-L", -500, 10500, 100));
    const InputRange difference = SelectInputRange(m_image.systemSetup).Difference();
    RefuseEmptyScale(difference, m);
    StoreRangeWord(r, R::GAP, difference, t.GAP, 5001,
                   RangeRefusal(difference, "Parameter GAP is wrong.", "GAP", 0, 5001), m);
    StoreRangeWord(r, R::ARW, difference, t.Ar, 10000,
                   RangeRefusal(difference, "Parameter ARW is wrong.", "Ar", 0, 10000), m);
    // A stored direction other than 0 and 1 shows as reverse but is kept while that text
    // is unchanged.
    if (m_unshown.Untouched("REV", t.REV))
        return;
    if (t.REV == kNormal)
        r.SetSigned(R::REV, 0);
    else if (t.REV == kReverse)
        r.SetSigned(R::REV, 1);
    else
        m.Show(Refusal("Parameter REV is wrong.", "REV",
                       std::string(kNormal) + " or " + std::string(kReverse)));
}

void PidGroupForm::Show() {
    const PidGroupRecord& r = Record();
    m_texts.P = FormatOneDecimal(r.Signed(R::P), 10);
    m_texts.D = FormatOneDecimal(r.Signed(R::D), 10);
    m_texts.I = r.Word(R::I) / 10; // whole seconds, truncated
    m_texts.KnL = FormatOneDecimal(r.Signed(R::KNL), 100);
    m_texts.MAN = FormatOneDecimal(r.Signed(R::MAN), 100);
    m_texts.MV_H = FormatOneDecimal(r.Signed(R::MV_H), 100);
    m_texts.MV_L = FormatOneDecimal(r.Signed(R::MV_L), 100);
    const InputRange difference = SelectInputRange(m_image.systemSetup).Difference();
    m_texts.GAP = FormatRangeValue(difference, r.Signed(R::GAP));
    m_texts.Ar = FormatRangeValue(difference, r.Signed(R::ARW));
    const int16_t rev = r.Signed(R::REV);
    m_texts.REV = rev == 0 ? kNormal : kReverse;
    if (rev != 0 && rev != 1)
        m_unshown.Remember("REV", m_texts.REV);
    else
        m_unshown.Forget("REV");
}

void PidGroupForm::SelectGroup(int group) {
    if (group < 0 || group >= ParameterImage::kPidGroups)
        return;
    m_group = group;
    Show();
}

void PidGroupForm::Retrieve(CursorControl& cursor) {
    WaitCursor wait(cursor);
    BeginLinkCommand();
    if (!RetrievePidGroupBlock(m_image, m_group + 1))
        m_messages.Show(WithLinkCause("false"));
    Show();
}

void PidGroupForm::Send(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Store();
    Show();
    BeginLinkCommand();
    // Every group is written; each failed write says "false" and the next still runs. What
    // the read-back after SEND found is told once, at the end.
    std::vector<std::string> readBack;
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        if (!SendPidGroupBlock(m_image, g, readBack))
            m_messages.Show(WithLinkCause("false"));
    ShowTransferFailures("SEND", readBack, m_messages);
}
