// One catalogue row's text <-> stored value steps, for every encoding.

#include "editors/form_fields.h"

#include "values/parameter_text.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int32_t Signed(const ParameterRow& row, uint16_t value) {
    return row.width == FieldWidth::I16 ? static_cast<int16_t>(value) : value;
}

} // namespace

// What a refused text's row takes, as its refusal's second line says it: its list, or its
// limits as the window shows them.
std::string RowTakes(const ParameterRow& row, const InputRange& range, bool mv) {
    if (row.takes)
        return row.takes;
    if (row.encoding == Encoding::Choice) {
        std::string list;
        for (size_t k = 0; k < row.choices.size(); ++k)
            list += (k == 0                        ? ""
                     : k + 1 == row.choices.size() ? " or "
                                                   : ", ") +
                    std::string(row.choices[k]);
        return list;
    }
    UnshownValues shown;
    return ShowField(row, static_cast<uint16_t>(row.lo), range, shown, {}, mv) + " to " +
           ShowField(row, static_cast<uint16_t>(row.hi), range, shown, {}, mv);
}

std::string FieldRangeText(const ParameterRow& row, const SystemSetupRecord& setup) {
    if (row.encoding == Encoding::Choice || row.encoding == Encoding::InputType ||
        row.encoding == Encoding::AlarmType)
        return {}; // a drop-down shows what it takes
    const std::string unit = UnitText(row, setup);
    const bool mv = row.encoding == Encoding::AnalogueScale && unit == "Unit:%";
    const InputRange range = SelectInputRange(setup);
    if (IsRangeValue(row) && range.Empty())
        return {};
    const std::string symbol = unit == "Unit:degree C"   ? " \u00B0C"
                               : unit == "Unit:degree F" ? " \u00B0F"
                               : unit == "Unit:%"        ? " %"
                               : unit == "Unit:second"   ? " s"
                                                         : "";
    // A segment's SV and alarm values take any stored value: the input range guides.
    if (row.encoding == Encoding::RangeAbsolute && row.lo == -32768 && row.hi == 32767)
        return FormatRangeValue(range, 0) + " to " + FormatRangeValue(range, 10000) + symbol;
    return RowTakes(row, range, mv) + symbol;
}

namespace {

// Shows the row's refusal, where it has one; false.
bool Refuse(const ParameterRow& row, const InputRange& range, bool mv, Messages& messages) {
    if (row.message)
        messages.Show(RowRefusal(row, range, mv));
    return false;
}

bool Take(uint16_t& value, int32_t v) {
    value = static_cast<uint16_t>(v);
    return true;
}

} // namespace

std::optional<int32_t> ParseIntegerText(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == end)
        return std::nullopt;
    int64_t value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<int32_t>(text[begin] == '-' ? -value : value);
}

std::string IntegerText(const std::optional<int32_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::string RowRefusal(const ParameterRow& row, const InputRange& range, bool mv) {
    const char* message = mv && row.mvMessage ? row.mvMessage : row.message;
    // A pattern time's refusal is its message alone; the caller names the field.
    if (row.encoding == Encoding::PatternTime)
        return message ? message : "";
    return Refusal(message ? message : "", row.Label(), RowTakes(row, range, mv));
}

bool StoreField(const ParameterRow& row, const std::string& text, uint16_t& value,
                const InputRange& range, const UnshownValues& unshown, Messages& messages,
                bool mv) {
    if (unshown.Untouched(row.Label(), text))
        return false;
    const int32_t stored = Signed(row, value);
    switch (row.encoding) {
    case Encoding::Integer:
    case Encoding::Seconds: {
        const std::optional<int32_t> typed = ParseIntegerText(text);
        if (row.encoding == Encoding::Integer) {
            const bool plain =
                row.rule != StoreRule::PlainDecimal || (typed && text == std::to_string(*typed));
            if (typed && plain && *typed >= row.lo && *typed <= row.hi)
                return Take(value, *typed);
            return Refuse(row, range, mv, messages);
        }
        // Left as shown, the value keeps the tenths the whole seconds do not show.
        if (typed && *typed == IntegralSeconds(value))
            return true;
        if (typed && *typed >= IntegralSeconds(static_cast<uint16_t>(row.lo)) &&
            *typed <= IntegralSeconds(static_cast<uint16_t>(row.hi)))
            return Take(value, IntegralStored(*typed));
        return Refuse(row, range, mv, messages);
    }
    case Encoding::AnalogueScale:
        if (!mv)
            break;
        [[fallthrough]];
    case Encoding::OneDecimal: {
        // Left as shown, the field keeps what it holds, whatever the display rounded off.
        if (text == FormatOneDecimal(stored, row.divisor))
            return true;
        const std::optional<int32_t> tenths = ParseOneDecimal(text);
        int32_t v = tenths ? *tenths * (row.divisor / 10) : 0;
        if (row.rule == StoreRule::LargestWord)
            v = ClampedToWord(v);
        if (tenths && v >= row.lo && v <= row.hi)
            return Take(value, v);
        return Refuse(row, range, mv, messages);
    }
    case Encoding::Time:
    case Encoding::PatternTime: {
        if (text == FormatTime(stored))
            return true;
        if (row.encoding == Encoding::PatternTime && text == "----")
            return Take(value, kTimeNotUsed);
        if (const std::optional<int32_t> time = ParseTimeValue(text))
            return Take(value, *time);
        return Refuse(row, range, mv, messages);
    }
    case Encoding::Choice:
        if (const std::optional<int> code = CodeOf(row.choices, text))
            return Take(value, *code);
        return Refuse(row, range, mv, messages);
    case Encoding::InputType: {
        // A text that names no input type keeps the stored type: taking it as code 0 would
        // switch the controller to another sensor.
        const int code = InputTypeCode(text);
        if (InputTypeText(code) == text)
            return Take(value, code);
        return Refuse(row, range, mv, messages);
    }
    case Encoding::AlarmType:
        if (const int code = AlarmTypeCode(text); code >= 0)
            return Take(value, code);
        return Refuse(row, range, mv, messages);
    case Encoding::Link:
        if (text == "OFF")
            return Take(value, 0);
        if (text.size() == 1 && text[0] >= '1' && text[0] <= '0' + row.hi)
            return Take(value, text[0] - '0');
        return Refuse(row, range, mv, messages);
    case Encoding::RangeAbsolute:
    case Encoding::RangeDifference:
        break;
    }
    // A range value: absolute, or a difference measured from 0.
    const InputRange r = row.encoding == Encoding::RangeDifference ? range.Difference() : range;
    int16_t field = static_cast<int16_t>(value);
    const bool taken =
        StoreRangeValue(r, text, row.lo, row.hi, field, RowRefusal(row, range, mv), messages);
    value = static_cast<uint16_t>(field);
    return taken;
}

std::string ShowField(const ParameterRow& row, uint16_t value, const InputRange& range,
                      UnshownValues& unshown, const std::string& shown, bool mv) {
    const int32_t v = Signed(row, value);
    // A value shown as it is: whatever text the field showed before is read again. (A
    // time or a choice the window cannot show is remembered again below.)
    unshown.Forget(row.Label());
    switch (row.encoding) {
    case Encoding::Integer:
        return std::to_string(v);
    case Encoding::Seconds:
        return std::to_string(IntegralSeconds(value)); // whole seconds, truncated
    case Encoding::AnalogueScale:
        if (!mv)
            return FormatRangeValue(range, static_cast<int16_t>(v));
        [[fallthrough]];
    case Encoding::OneDecimal:
        return FormatOneDecimal(v, row.divisor);
    case Encoding::Time:
        return unshown.ShowTime(row.Label(), v, std::nullopt);
    case Encoding::PatternTime:
        return unshown.ShowTime(row.Label(), value, kTimeNotUsed);
    case Encoding::RangeAbsolute:
        return FormatRangeValue(range, static_cast<int16_t>(v));
    case Encoding::RangeDifference:
        return FormatRangeValue(range.Difference(), static_cast<int16_t>(v));
    case Encoding::Choice: {
        // A code outside the list keeps the field's text or shows the last one, as its
        // row says; either way it is kept while that text is unchanged.
        const std::string text = row.unlistedKeepsText ? shown : row.choices.back();
        if (v >= 0 && v < static_cast<int32_t>(row.choices.size())) {
            unshown.Forget(row.Label());
            return row.choices[static_cast<size_t>(v)];
        }
        unshown.Remember(row.Label(), text);
        return text;
    }
    case Encoding::InputType:
        return InputTypeText(v);
    case Encoding::AlarmType:
        return AlarmTypeText(v);
    case Encoding::Link:
        // Any stored value but 0 shows as its number, so that OK refuses one outside the
        // list instead of changing it unseen.
        return v == 0 ? "OFF" : std::to_string(v);
    }
    return std::to_string(v);
}
