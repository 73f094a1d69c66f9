#pragma once

#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/transfer_context.h"
#include "values/conversions.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// Store-step pieces the group forms share.

// The link a form's RETRIEVE and SEND go through: its own plain one (TQXCOMM, no
// listener, no read-back) until the caller gives it the program's; and where a SEND asks
// before it writes what may cut the controller off (a form of its own says Yes).
class FormLink {
public:
    void UseLink(TransferContext& link) { m_link = &link; }
    TransferContext& Link() { return *m_link; }
    void UseQuestions(Questions& questions) { m_questions = &questions; }
    Questions& Ask() { return *m_questions; }
    // What the form's window does once an operation of the form is over (fill its fields).
    void WhenDone(std::function<void()> refresh) { m_refresh = std::move(refresh); }

protected:
    // Runs `operation` on the link; its `after`, and the window's refresh, only while the
    // form still exists (its window may have been closed meanwhile).
    void RunOperation(Operation operation, Messages& tell);

private:
    TransferContext m_plain;
    TransferContext* m_link = &m_plain;
    AnsweringQuestions m_yes{true};
    Questions* m_questions = &m_yes;
    std::function<void()> m_refresh;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Position of `text` in `list` (any sequence of texts), nothing when it is not there.
template <class List> std::optional<int> CodeOf(const List& list, const std::string& text) {
    int code = 0;
    for (const auto& item : list) {
        if (text == item)
            return code;
        ++code;
    }
    return std::nullopt;
}

// A refusal as the operator reads it: the parameter's own message, then which field it is
// and what it takes (the field's label, then its limits: "DMV: 0.0 to 105.0").
std::string Refusal(const std::string& message, const std::string& field, const std::string& takes);

// Passes every text on with a second line that names the field ("ALARM2, segment 7"), for
// the parser's own messages, which name none.
class NamedMessages : public Messages {
public:
    NamedMessages(Messages& inner, std::string field) : m_inner(inner), m_field(std::move(field)) {}
    void Show(const std::string& text) override { m_inner.Show(text + "\n" + m_field); }

private:
    Messages& m_inner;
    std::string m_field;
};

// Shown once per store step when a DC scale has PVF equal to PVB; the range fields then
// keep their values.
constexpr const char* kEmptyScaleMessage =
    "The input scale is empty: PVF equals PVB. The range values are kept.";
// True (after the message) when `range` is such a scale.
bool RefuseEmptyScale(const InputRange& range, Messages& messages);

// Stores a range value typed as `text` when it lies in lo..hi; otherwise shows `message`
// (after the parser's own) and keeps `field`. An empty scale keeps `field` silently (the
// store step has said so once). True when stored.
bool StoreRangeValue(const InputRange& range, const std::string& text, int32_t lo, int32_t hi,
                     int16_t& field, const std::string& message, Messages& messages);

class UnshownValues;

// The texts of a window's fields by the catalogue's labels ("DMV", "TDS").
class FieldTexts {
public:
    std::string& operator[](const std::string& label) { return m_texts[label]; }
    std::string operator[](const std::string& label) const { return At(label); }
    std::string At(const std::string& label) const {
        const auto it = m_texts.find(label);
        return it == m_texts.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> m_texts;
};

// One row's store step from its text, for every encoding. `value` is the field's stored
// 16-bit pattern; it changes only when the text is accepted, else the row's refusal is
// shown (a range value on an empty scale is kept silently: the store step said so once).
// A text left as the window showed it keeps the stored value exactly, and so does the text
// shown for a value the window cannot show while it is unchanged. `mv`: an analogue scale
// whose output's source is MV, read as one decimal of percent. True when stored.
bool StoreField(const ParameterRow& row, const std::string& text, uint16_t& value,
                const InputRange& range, const UnshownValues& unshown, Messages& messages,
                bool mv = false);
// The row's text for `value`, as the window shows it; `shown` is the field's text so far,
// which a choice keeps for a code outside its list.
std::string ShowField(const ParameterRow& row, uint16_t value, const InputRange& range,
                      UnshownValues& unshown, const std::string& shown = {}, bool mv = false);
// What the row takes as its refusal says it ("0 to 600", "00:00 to 99:59", a list).
std::string RowTakes(const ParameterRow& row, const InputRange& range, bool mv = false);
// What a field of the row takes, with its unit, in the input range and units of `setup`:
// "0.0 to 1200.0 °C", "1 to 120 s", "0.0 to 105.0 %"; empty for a drop-down's list and
// for a range value on an empty scale.
std::string FieldRangeText(const ParameterRow& row, const SystemSetupRecord& setup);
// The row's refusal: its message, then what it takes.
std::string RowRefusal(const ParameterRow& row, const InputRange& range, bool mv = false);

// An optionally signed decimal integer, blanks around it allowed; nothing for any other
// text or one outside 32 bits.
std::optional<int32_t> ParseIntegerText(const std::string& text);
std::string IntegerText(const std::optional<int32_t>& value);

// The texts a form showed for values its window cannot show: a time of 6000 or more or a
// negative one other than the not-used marker (shown empty or "----"), a code outside its
// list (its text left as it was). While such a text is unchanged the store step keeps the
// stored value instead of reading the text; every other field is read from its text.
class UnshownValues {
public:
    void Remember(const std::string& field, const std::string& text) { m_texts[field] = text; }
    void Forget(const std::string& field) { m_texts.erase(field); }
    // True when `field` showed a value it cannot show and still holds the text it showed.
    bool Untouched(const std::string& field, const std::string& text) const {
        const auto it = m_texts.find(field);
        return it != m_texts.end() && it->second == text;
    }

    // FormatTime(value); remembered when the value is outside 0..5999 and is not
    // `marker` (a value the field reads back from "----").
    std::string ShowTime(const std::string& field, int32_t value, std::optional<int32_t> marker);

private:
    std::map<std::string, std::string> m_texts;
};
