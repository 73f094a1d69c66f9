#include "values/conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

namespace {

constexpr int64_t kPow10[] = {1, 10, 100, 1000, 10000};
constexpr size_t kExaminedChars = 10;

// Reads an optional sign and the decimal digits after leading white space, as atoi does,
// but saturating instead of overflowing.
int64_t ReadInteger(const std::string& text, int64_t limit) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(limit, value * 10 + (text[i] - '0'));
    return negative ? -value : value;
}

// True for blanks, an optional sign and decimal digits only, at least one digit: the
// texts that are numbers. Anything else ("abc", "1e9", "0x10", "-") would be read as a
// number's prefix or as 0 and stored silently.
bool IsIntegerText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// The engineering value of a stored range value times 10000 (for DC inputs in displayed
// units), truncated toward zero.
int64_t ScaledValue(const InputRange& range, int d, double value) {
    double x = value * static_cast<double>(range.span) + static_cast<double>(range.base) * 10000.0;
    if (range.dc)
        x /= static_cast<double>(kPow10[d]);
    return static_cast<int64_t>(x); // toward zero
}

// A typed zero: blanks, a sign at most and zeros only, the point aside ("0", "0.0",
// "-0.0"; the empty text reads as 0 too).
bool IsZeroText(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return true;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    return text.find_first_not_of("0.", i) == std::string::npos;
}

double TextValue(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

// The stored step a typed zero stands for: of the steps that show the plain zero text
// ("0.0"), the one nearest to zero; where none does, the one whose text is nearest to zero
// ("-0.0" before "0.1"), and of those the one nearest to zero. Near zero is within a few
// steps of where the engineering value crosses it.
double ZeroStep(const InputRange& range, int d) {
    const double crossing =
        -static_cast<double>(range.base) * 10000.0 / static_cast<double>(range.span);
    if (!std::isfinite(crossing))
        return crossing;
    const std::string zero = d == 0 ? "0" : "0." + std::string(static_cast<size_t>(d), '0');
    double best = std::nan("");
    std::tuple<bool, double, double> bestRank;
    for (double s = std::floor(crossing) - 3; s <= std::ceil(crossing) + 3; ++s) {
        if (s < -32767.0 || s >= 20000.0)
            continue;
        const std::string text = FormatRangeValue(range, static_cast<int16_t>(s));
        const double exact =
            s * static_cast<double>(range.span) + static_cast<double>(range.base) * 10000.0;
        const std::tuple<bool, double, double> rank{text != zero, std::fabs(TextValue(text)),
                                                    std::fabs(exact)};
        if (std::isnan(best) || rank < bestRank)
            best = s, bestRank = rank;
    }
    return best;
}

class SilentMessages : public Messages {
public:
    void Show(const std::string&) override {}
};

// A field's text left as the window showed `stored` (untouched, or changed and changed back)
// keeps `stored` exactly: reading it would move a value the display cannot tell from its
// neighbour by one stored step.
std::optional<int16_t> KeptValue(const InputRange& range, const std::string& text, int16_t stored) {
    if (text != FormatRangeValue(range, stored))
        return std::nullopt;
    return stored;
}

} // namespace

std::string FormatRangeValue(const InputRange& range, int16_t value) {
    if (value == kNoValue)
        return "----";
    const int d = std::min(std::max(range.decimals, 0), 3);
    const int64_t n = ScaledValue(range, d, value);
    int64_t a = n < 0 ? -n : n;
    // Round half up at the digit of weight 10^(3 - d), then drop the last 4 - d digits.
    if ((a / kPow10[3 - d]) % 10 >= 5)
        a += kPow10[4 - d];
    a /= kPow10[4 - d];
    std::string text = n < 0 ? "-" : "";
    text += std::to_string(a / kPow10[d]);
    if (d > 0) {
        std::string fraction = std::to_string(a % kPow10[d]);
        text += "." + std::string(static_cast<size_t>(d) - fraction.size(), '0') + fraction;
    }
    return text;
}

bool IsGenericRangeRefusal(const std::string& text) {
    return text == kOutsideRangeMessage || text == kNotANumberMessage || text == kTooLongMessage;
}

int32_t ParseRangeValue(const InputRange& range, const std::string& text, Messages& messages) {
    if (text == "----")
        return kNoValue;
    const int d = range.decimals;
    if (d < 0 || d > 3) {
        messages.Show("PVD parameter error");
        return kRangeParseError;
    }
    if (text.size() > kExaminedChars) {
        // Longer texts would be cut silently; refuse them instead.
        messages.Show(kTooLongMessage);
        return kRangeParseError;
    }
    const size_t length = text.size();
    const size_t point = text.find('.');
    const size_t after = point == std::string::npos ? 0 : length - point - 1;
    static const char* const kDecimalMessages[] = {
        "Input no decimal position data", "Input the first decimal position data",
        "Input the second decimal position data", "Input the third position data"};
    const bool decimalsOk = d == 0 ? (point == std::string::npos || after == 0)
                                   : (point != std::string::npos && after == size_t(d));
    if (!decimalsOk) {
        messages.Show(kDecimalMessages[d]);
        return kRangeParseError;
    }
    std::string digits = text;
    if (point != std::string::npos)
        digits.erase(point, 1);
    // The empty text reads as 0; other texts must be numbers. The pattern and alarm value
    // editors have no message of their own, so the refusal is always named.
    if (!text.empty() && !IsIntegerText(digits)) {
        messages.Show(kNotANumberMessage);
        return kRangeParseError;
    }
    digits += std::string(static_cast<size_t>(4 - d), '0');
    double n = static_cast<double>(ReadInteger(digits, int64_t(1) << 40));
    if (range.dc)
        n *= static_cast<double>(kPow10[d]);
    // The nearest stored step, halves away from zero: truncating would read many shown
    // texts back one step lower, so that OK without typing would lower the value.
    const double q = n - static_cast<double>(range.base) * 10000.0;
    const double s =
        IsZeroText(text) ? ZeroStep(range, d) : std::round(q / static_cast<double>(range.span));
    if (!std::isfinite(s) || s < -32767.0 || s >= 20000.0) {
        messages.Show(kOutsideRangeMessage);
        return kRangeParseError;
    }
    return static_cast<int32_t>(s);
}

int32_t ParseShownRangeValue(const InputRange& range, const std::string& text, int16_t stored,
                             Messages& messages) {
    if (const std::optional<int16_t> kept = KeptValue(range, text, stored))
        return *kept;
    return ParseRangeValue(range, text, messages);
}

std::optional<int32_t> RangeValueIn(const InputRange& range, const std::string& text, int32_t lo,
                                    int32_t hi, Messages& messages, std::optional<int16_t> stored) {
    if (const std::optional<int16_t> kept = stored ? KeptValue(range, text, *stored) : std::nullopt)
        return *kept; // what the field holds goes back as it is
    const int32_t v = ParseRangeValue(range, text, messages);
    if (v == kRangeParseError)
        return std::nullopt;
    if (!IsZeroText(text))
        return v < lo || v > hi ? std::nullopt : std::optional<int32_t>(v);
    // A typed zero is checked as 0 against the limits as the operator sees them, and takes
    // the step within them nearest to its own.
    const auto shown = [&](int32_t limit) {
        return TextValue(FormatRangeValue(range, static_cast<int16_t>(std::max(limit, -32767))));
    };
    if (std::min(shown(lo), shown(hi)) > 0.0 || std::max(shown(lo), shown(hi)) < 0.0)
        return std::nullopt;
    return std::min(std::max(v, lo), hi);
}

std::string FormatOneDecimal(int32_t value, int32_t divisor) {
    const int64_t t = static_cast<int64_t>(value) * 10;
    int64_t tenths = t / divisor;
    const int64_t rest = t % divisor;
    if (2 * (rest < 0 ? -rest : rest) >= divisor)
        tenths += t < 0 ? -1 : 1;
    const int64_t a = tenths < 0 ? -tenths : tenths;
    // A value that rounds to zero tenths shows "0.0": "-0.0" would read back as 0 and show
    // another text after OK without typing.
    return std::string(tenths < 0 ? "-" : "") + std::to_string(a / 10) + "." +
           std::to_string(a % 10);
}

std::optional<int32_t> ParseOneDecimal(const std::string& text) {
    const size_t point = text.find('.');
    // Exactly one digit after the point; "12.34" or "12." would otherwise be read as
    // 124 and 12 tenths.
    if (point == std::string::npos || point + 2 != text.size() || text.back() < '0' ||
        text.back() > '9')
        return std::nullopt;
    const std::string digits = text.substr(0, point) + text.back();
    if (!IsIntegerText(digits))
        return std::nullopt;
    return static_cast<int32_t>(ReadInteger(digits, 100000000));
}

std::optional<int32_t> OneDecimalIn(const std::string& text, int32_t factor, int32_t lo,
                                    int32_t hi) {
    const std::optional<int32_t> tenths = ParseOneDecimal(text);
    if (!tenths)
        return std::nullopt;
    const int64_t v = static_cast<int64_t>(*tenths) * factor;
    if (v < lo || v > hi)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

std::string FormatTime(int32_t value) {
    if (value == kNoValue || value == kTimeNotUsed)
        return "----";
    if (value < 0 || value >= 6000)
        return {};
    const int32_t h = value / 60;
    const int32_t m = value % 60;
    std::string text;
    text += static_cast<char>('0' + h / 10);
    text += static_cast<char>('0' + h % 10);
    text += ':';
    text += static_cast<char>('0' + m / 10);
    text += static_cast<char>('0' + m % 10);
    return text;
}

std::optional<int32_t> ParseTimeValue(const std::string& text) {
    // Only digits and one colon are read as a time; "ab" or "1O:30" would otherwise be
    // read as 00:00 or 01:30.
    size_t colons = 0;
    for (const char c : text) {
        if (c == ':')
            ++colons;
        else if (c < '0' || c > '9')
            return std::nullopt;
    }
    if (colons > 1)
        return std::nullopt;
    const TimeParts t = ParseTime(text);
    if (t.first < 0 || t.first > 99 || t.second < 0 || t.second > 59)
        return std::nullopt;
    return t.first * 60 + t.second;
}

TimeParts ParseTime(const std::string& text) {
    TimeParts parts;
    parts.first = static_cast<int32_t>(ReadInteger(text.substr(0, 2), 1000));
    parts.second = static_cast<int32_t>(
        ReadInteger(text.size() > 2 ? text.substr(text.size() - 2) : text, 1000));
    return parts;
}
