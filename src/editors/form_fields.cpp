#include "editors/form_fields.h"

void FormLink::RunOperation(Operation operation, Messages& tell) {
    const std::weak_ptr<bool> alive = m_alive;
    operation.after = [this, alive, after = std::move(operation.after)] {
        if (alive.expired())
            return;
        if (after)
            after();
        if (m_refresh)
            m_refresh();
    };
    Link().Run(std::move(operation), tell);
}

std::string Refusal(const std::string& message, const std::string& field,
                    const std::string& takes) {
    return message + "\n" + field + ": " + takes;
}

std::string RangeRefusal(const InputRange& range, const std::string& message,
                         const std::string& field, int32_t lo, int32_t hi) {
    return Refusal(message, field,
                   FormatRangeValue(range, static_cast<int16_t>(lo)) + " to " +
                       FormatRangeValue(range, static_cast<int16_t>(hi)));
}

std::string OneDecimalRefusal(const std::string& message, const std::string& field, int32_t lo,
                              int32_t hi, int32_t divisor) {
    return Refusal(message, field,
                   FormatOneDecimal(lo, divisor) + " to " + FormatOneDecimal(hi, divisor));
}

std::string TimeRefusal(const std::string& message, const std::string& field) {
    return Refusal(message, field, "00:00 to 99:59");
}

std::string IntegerRefusal(const std::string& message, const std::string& field, int32_t lo,
                           int32_t hi) {
    return Refusal(message, field, std::to_string(lo) + " to " + std::to_string(hi));
}

bool RefuseEmptyScale(const InputRange& range, Messages& messages) {
    if (!range.Empty())
        return false;
    messages.Show(kEmptyScaleMessage);
    return true;
}

bool StoreRangeValue(const InputRange& range, const std::string& text, int32_t lo, int32_t hi,
                     int16_t& field, const std::string& message, Messages& messages) {
    if (range.Empty())
        return false;
    if (const std::optional<int32_t> v = RangeValueIn(range, text, lo, hi, messages, field)) {
        field = static_cast<int16_t>(*v);
        return true;
    }
    messages.Show(message);
    return false;
}

std::string UnshownValues::ShowTime(const std::string& field, int32_t value,
                                    std::optional<int32_t> marker) {
    if ((value < 0 || value > 5999) && value != marker)
        Remember(field, FormatTime(value));
    else
        Forget(field);
    return FormatTime(value);
}

namespace {

// A two-text choice: zero shows the first text, anything else the second; a code other
// than 0 and 1 is kept while the second text is unchanged.
bool StoreChoice(const ParameterRow& row, const std::string& text, uint16_t& value,
                 const UnshownValues& unshown, Messages& messages) {
    if (unshown.Untouched(row.Label(), text))
        return false;
    if (const std::optional<int> code = CodeOf(row.choices, text)) {
        value = static_cast<uint16_t>(*code);
        return true;
    }
    if (row.message)
        messages.Show(Refusal(row.message, row.Label(),
                              std::string(row.choices[0]) + " or " + row.choices[1]));
    return false;
}

} // namespace

bool StoreField(const ParameterRow& row, const std::string& text, uint16_t& value,
                const InputRange& range, const UnshownValues& unshown, Messages& messages) {
    switch (row.encoding) {
    case Encoding::RangeAbsolute:
    case Encoding::RangeDifference: {
        const InputRange r = row.encoding == Encoding::RangeDifference ? range.Difference() : range;
        int16_t field = static_cast<int16_t>(value);
        const bool stored =
            StoreRangeValue(r, text, row.lo, row.hi, field,
                            RangeRefusal(r, row.message, row.Label(), row.lo, row.hi), messages);
        value = static_cast<uint16_t>(field);
        return stored;
    }
    case Encoding::OneDecimal: {
        // Left as shown, the field keeps what it holds, whatever the display rounded off.
        if (text == FormatOneDecimal(static_cast<int16_t>(value), row.divisor))
            return true;
        const std::optional<int32_t> tenths = ParseOneDecimal(text);
        const int32_t v = tenths ? *tenths * (row.divisor / 10) : 0;
        // KnL's 327.7 % is stored as the largest word.
        const int32_t stored = std::string(row.mnemonic) == "KNL" ? ClampedKnl(v) : v;
        if (tenths && stored >= row.lo && stored <= row.hi) {
            value = static_cast<uint16_t>(stored);
            return true;
        }
        messages.Show(OneDecimalRefusal(row.message, row.Label(), row.lo, row.hi, row.divisor));
        return false;
    }
    case Encoding::Choice:
        return StoreChoice(row, text, value, unshown, messages);
    default:
        return false;
    }
}

std::string ShowField(const ParameterRow& row, uint16_t value, const InputRange& range,
                      UnshownValues& unshown) {
    const auto signedValue = static_cast<int16_t>(value);
    switch (row.encoding) {
    case Encoding::RangeAbsolute:
        return FormatRangeValue(range, signedValue);
    case Encoding::RangeDifference:
        return FormatRangeValue(range.Difference(), signedValue);
    case Encoding::OneDecimal:
        return FormatOneDecimal(signedValue, row.divisor);
    case Encoding::Choice: {
        const int32_t code = row.width == FieldWidth::I16 ? signedValue : value;
        const std::string text = row.choices[code == 0 ? 0 : 1];
        if (code != 0 && code != 1)
            unshown.Remember(row.Label(), text);
        else
            unshown.Forget(row.Label());
        return text;
    }
    default:
        return std::to_string(value);
    }
}
