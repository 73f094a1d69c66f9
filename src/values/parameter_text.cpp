#include "values/parameter_text.h"

#include "values/conversions.h"

namespace {

std::string Suffix(Unit unit) {
    switch (unit) {
    case Unit::Percent:
        return " %";
    case Unit::Second:
        return " s";
    default:
        return {};
    }
}

std::string Unknown(int32_t stored) {
    return "(" + std::to_string(stored) + ")";
}

bool IsMvScale(const ParameterRow& row, const SystemSetupRecord& setup) {
    return row.encoding == Encoding::AnalogueScale && AnalogueOutputIsMv(setup, row.output);
}

} // namespace

std::string ParameterText(const ParameterRow& row, int32_t stored, const SystemSetupRecord& setup) {
    const InputRange range = SelectInputRange(setup);
    switch (row.encoding) {
    case Encoding::Integer:
        return std::to_string(stored) + Suffix(row.unit);
    case Encoding::OneDecimal:
        return FormatOneDecimal(stored, row.divisor) + Suffix(row.unit);
    case Encoding::Seconds:
        return std::to_string(IntegralSeconds(static_cast<uint16_t>(stored))) + " s";
    case Encoding::Time:
        return FormatTime(stored);
    case Encoding::PatternTime:
        return stored == kTimeNotUsed ? "----" : FormatTime(stored);
    case Encoding::RangeAbsolute:
        return FormatRangeValue(range, static_cast<int16_t>(stored));
    case Encoding::RangeDifference:
        return FormatRangeValue(range.Difference(), static_cast<int16_t>(stored));
    case Encoding::AnalogueScale:
        return IsMvScale(row, setup) ? FormatOneDecimal(stored, row.divisor) + " %"
                                     : FormatRangeValue(range, static_cast<int16_t>(stored));
    case Encoding::Choice:
        return stored >= 0 && stored < static_cast<int32_t>(row.choices.size())
                   ? row.choices[static_cast<size_t>(stored)]
                   : Unknown(stored);
    case Encoding::InputType:
        return InputTypeText(stored);
    case Encoding::AlarmType: {
        const std::string text = AlarmTypeText(stored);
        return text.empty() ? Unknown(stored) : text;
    }
    case Encoding::Link:
        return stored == 0 ? "OFF" : std::to_string(stored);
    }
    return std::to_string(stored);
}

std::string UnitText(const ParameterRow& row, const SystemSetupRecord& setup) {
    if (IsMvScale(row, setup))
        return "Unit:%";
    switch (row.unit) {
    case Unit::Percent:
        return "Unit:%";
    case Unit::Second:
        return "Unit:second";
    case Unit::Engineering:
        return SelectInputRange(setup).dc ? "Unit:scale unit"
               : setup.PVU == 0           ? "Unit:degree C"
                                          : "Unit:degree F";
    case Unit::None:
        break;
    }
    return {};
}
