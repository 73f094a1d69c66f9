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
                    const std::string& text, int32_t hi, const char* message, Messages& messages) {
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
    if (!StoreOneDecimal(r, R::P, t.P, 1, 0, 9999))
        m_messages.Show("Parameter P is wrong.");
    if (t.I >= 0 && t.I <= 3200)
        r.SetWord(R::I, static_cast<uint16_t>(t.I * 10));
    else
        m_messages.Show("Parameter I is wrong.");
    if (!StoreOneDecimal(r, R::D, t.D, 1, 0, 9999))
        m_messages.Show("Parameter D is wrong.");
    // 327.7 % would be 32770, which does not fit: it is stored as the largest word.
    if (const std::optional<int32_t> k = ParseOneDecimal(t.KnL);
        k && *k * 10 >= -19990 && *k * 10 <= 32770)
        r.SetSigned(R::KNL, static_cast<int16_t>(*k * 10 == 32770 ? 32767 : *k * 10));
    else
        m_messages.Show("Parameter KnL is wrong.");
    if (!StoreOneDecimal(r, R::MAN, t.MAN, 10, -2500, 12500))
        m_messages.Show("Parameter MAN is wrong.");
    if (!StoreOneDecimal(r, R::MV_H, t.MV_H, 10, -500, 10500))
        m_messages.Show("Parameter MVH is wrong.");
    if (!StoreOneDecimal(r, R::MV_L, t.MV_L, 10, -500, 10500))
        m_messages.Show("Parameter MVL is wrong.");
    const InputRange difference = SelectInputRange(m_image.systemSetup).Difference();
    StoreRangeWord(r, R::GAP, difference, t.GAP, 5001, "Parameter GAP is wrong.", m_messages);
    StoreRangeWord(r, R::ARW, difference, t.Ar, 10000, "Parameter ARW is wrong.", m_messages);
    if (t.REV == kNormal)
        r.SetSigned(R::REV, 0);
    else if (t.REV == kReverse)
        r.SetSigned(R::REV, 1);
    else
        m_messages.Show("Parameter REV is wrong.");
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
    m_texts.REV = r.Signed(R::REV) == 0 ? kNormal : kReverse;
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
    int32_t status = 0;
    // The record is the block's exact image; a failed read leaves it unchanged.
    if (TQXRead(TQX_MODE_READ_WORDS, BlockOf(m_group), 0, PidGroupRecord::kWords,
                Record().bytes.data(), &status) == 0)
        m_messages.Show(WithLinkCause("false"));
    Show();
}

void PidGroupForm::Send(CursorControl& cursor) {
    WaitCursor wait(cursor);
    Store();
    Show();
    BeginLinkCommand();
    // Every group is written; each failed write says "false" and the next still runs.
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        if (!SendPidGroupBlock(m_image, g))
            m_messages.Show(WithLinkCause("false"));
}
