#pragma once

#include "image/parameter_catalogue.h"
#include "image/records.h"
#include "operator/messages.h"

#include <cstdint>
#include <optional>
#include <string>

// Conversions between the controller's stored integers and the texts an operator reads
// and types. Range values are hundredths of a percent of the input span.

constexpr int32_t kRangeParseError = 20000; // ParseRangeValue's error result; never stored

// The parser's own refusals that the controller's texts do not have. Where the caller's
// refusal follows, naming the field and what it takes, these say nothing more and are
// left out, so that one bad entry gives one box.
constexpr const char* kOutsideRangeMessage = "The value is outside the input range";
constexpr const char* kNotANumberMessage = "Input a number";
constexpr const char* kTooLongMessage = "Input at most 10 characters";
bool IsGenericRangeRefusal(const std::string& text);

// Span and base of the input range, with what the two range conversions need besides.
struct InputRange {
    float span = 0.0f;
    float base = 0.0f;
    int decimals = 0; // EffectiveDecimals
    bool dc = false;  // DC input (or a code outside the table): values in scale units
    int pvd = 0;      // the stored decimal position, to report a PVD above 3

    // A DC scale whose PVF equals PVB: every value shows the same text and none can be read.
    bool Empty() const { return span == 0.0f; }

    // The same range measured from 0, for difference values (shift, band, deviation).
    InputRange Difference() const {
        InputRange r = *this;
        r.base = 0.0f;
        return r;
    }
};

InputRange SelectInputRange(const SystemSetupRecord& setup);
int EffectiveDecimals(const SystemSetupRecord& setup);
bool IsTemperatureSensor(int code);
bool IsDcInput(int code); // 64..69

std::string FormatRangeValue(const InputRange& range, int16_t value);
// Shows the decimal-position messages through `messages`; returns kRangeParseError on
// error, and refuses quotients outside -32767..19999 and texts over 10 characters the same
// way. A text that is not a number ("abc", "1e3") shows "Input a number"; the empty text
// is 0. Other texts take the nearest stored step; a zero ("0", "0.0", "-0.0") takes the
// step nearest to zero that shows "0.0", or where none does, the one whose text is nearest.
int32_t ParseRangeValue(const InputRange& range, const std::string& text, Messages& messages);

// ParseRangeValue for the text of a field that holds `stored`: left as the window shows it,
// the text gives `stored` back exactly, so OK or SEND without typing changes nothing.
int32_t ParseShownRangeValue(const InputRange& range, const std::string& text, int16_t stored,
                             Messages& messages);

// ParseRangeValue's result when it lies in lo..hi; nothing otherwise (the parser has shown
// its own messages, the caller shows the parameter's). Given the stored value, a text left
// as the window shows it gives that value back as it is. A typed zero is checked as 0 against the
// limits as they are shown, and stored as the step within lo..hi nearest to its own.
std::optional<int32_t> RangeValueIn(const InputRange& range, const std::string& text, int32_t lo,
                                    int32_t hi, Messages& messages,
                                    std::optional<int16_t> stored = std::nullopt);

std::string FormatOneDecimal(int32_t value, int32_t divisor);
// The value in tenths, or nothing unless the text is a number with exactly one digit
// after its ".".
std::optional<int32_t> ParseOneDecimal(const std::string& text);
// ParseOneDecimal times `factor` when it lies in lo..hi; nothing otherwise.
std::optional<int32_t> OneDecimalIn(const std::string& text, int32_t factor, int32_t lo,
                                    int32_t hi);

std::string FormatTime(int32_t value);
struct TimeParts {
    int32_t first = 0;
    int32_t second = 0;
};
TimeParts ParseTime(const std::string& text);
// A time text as the editors take it: digits and at most one colon, read by ParseTime,
// first part 0..99 and second part 0..59; the value first x 60 + second, or nothing.
// The empty text is 0.
std::optional<int32_t> ParseTimeValue(const std::string& text);

// Input type table: list text, range texts, span and base.
int InputTypeCount();           // 37
int InputTypeCodeAt(int index); // codes in table order
std::string InputTypeText(int code);
int InputTypeCode(const std::string& text);
std::string RangeText(int code, int pvu); // degree C for pvu 0, degree F otherwise

// Alarm type table, code = position.
int AlarmTypeCount(); // 19
std::string AlarmTypeText(int code);
int AlarmTypeCode(const std::string& text); // -1 when the text is not in the table

// Texts of the pattern editor's three read-only boxes; nothing when the stored value is
// outside the list (the caller shows the matching message).
std::optional<std::string> RangeBoxText(const SystemSetupRecord& setup);
// By the decimals the range fields use (EffectiveDecimals), not PVD alone: the box tells
// the operator how many decimals to type.
std::optional<std::string> DecimalPointBoxText(int decimals);
std::optional<std::string> TimeUnitBoxText(int tmu);
