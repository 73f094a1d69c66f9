#include "values/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

namespace {

SystemSetupRecord Input(int pvt, int pvu, int pvd, int pvf = 0, int pvb = 0) {
    SystemSetupRecord s;
    s.PVT = static_cast<uint8_t>(pvt);
    s.PVU = static_cast<uint8_t>(pvu);
    s.PVD = static_cast<uint8_t>(pvd);
    s.PVF = static_cast<int16_t>(pvf);
    s.PVB = static_cast<int16_t>(pvb);
    return s;
}

struct ParseCase {
    const char* name;
    SystemSetupRecord setup;
    bool difference;
    const char* text;
    int32_t expected;
    const char* message; // nullptr for none
};

TEST(ParseRangeValue, Cases) {
    const ParseCase cases[] = {
        {"K 600.0", Input(36, 0, 1), false, "600.0", 5000, nullptr},
        {"K 600 no decimal", Input(36, 0, 1), false, "600", 20000,
         "Input the first decimal position data"},
        {"Pt100 PVD3 one decimal", Input(6, 0, 3), false, "100.0", 3749, nullptr},
        {"Pt100 PVD3 refuses three", Input(6, 0, 3), false, "100.000", 20000,
         "Input the first decimal position data"},
        {"DC0-10V 50.0", Input(66, 0, 1, 1000, 0), false, "50.0", 5000, nullptr},
        {"DC -100..100 0", Input(66, 0, 0, 100, -100), false, "0", 5000, nullptr},
        {"Pt100 -100..200 diff", Input(5, 0, 0), true, "150", 5000, nullptr},
        {"Pt100 -100..200 abs", Input(5, 0, 0), false, "150", 8333, nullptr},
        {"no value", Input(36, 0, 1), false, "----", -32768, nullptr},
        {"empty d0 is base", Input(36, 0, 0), false, "", 0, nullptr},
        {"point last d0", Input(36, 0, 0), false, "600.", 5000, nullptr},
        {"d0 decimals", Input(36, 0, 0), false, "600.5", 20000, "Input no decimal position data"},
        {"d2 DC", Input(66, 0, 2, 10000, 0), false, "50.00", 5000, nullptr},
        {"d2 wrong", Input(66, 0, 2, 10000, 0), false, "50.0", 20000,
         "Input the second decimal position data"},
        {"d3 wrong", Input(66, 0, 3, 10000, 0), false, "5.00", 20000,
         "Input the third position data"},
        {"PVD 4", Input(66, 0, 4, 10000, 0), false, "5", 20000, "PVD parameter error"},
        {"too large", Input(36, 0, 0), false, "99999", 20000,
         "The value is outside the input range"},
        {"quotient 20000", Input(36, 0, 0), false, "2400", 20000,
         "The value is outside the input range"},
        {"below -32767", Input(36, 0, 0), false, "-3960", 20000,
         "The value is outside the input range"},
        {"eleven characters", Input(36, 0, 0), false, "00000000001", 20000,
         "Input at most 10 characters"},
        {"zero span DC", Input(66, 0, 0, 5, 5), false, "5", 20000,
         "The value is outside the input range"},
        {"degree F", Input(36, 1, 0), false, "1112", 5000, nullptr},
        {"leading blanks", Input(36, 0, 1), false, "  600.0", 5000, nullptr},
        {"negative", Input(5, 0, 0), false, "-100", 0, nullptr},
        {"not a number", Input(36, 0, 0), false, "abc", 20000, "Input a number"},
        {"exponent", Input(36, 0, 0), false, "1e3", 20000, "Input a number"},
        {"hex", Input(36, 0, 0), false, "0x10", 20000, "Input a number"},
        {"lone sign", Input(36, 0, 0), false, "-", 20000, "Input a number"},
        {"lone point d0", Input(36, 0, 0), false, ".", 20000, "Input a number"},
        {"two points", Input(36, 0, 1), false, "12.3.4", 20000,
         "Input the first decimal position data"},
        {"point only fraction", Input(36, 0, 1), false, ".5", 4, nullptr},
    };
    for (const ParseCase& c : cases) {
        RecordingMessages messages;
        InputRange range = SelectInputRange(c.setup);
        if (c.difference)
            range = range.Difference();
        EXPECT_EQ(ParseRangeValue(range, c.text, messages), c.expected) << c.name;
        if (c.message) {
            ASSERT_EQ(messages.Texts().size(), 1u) << c.name;
            EXPECT_EQ(messages.Texts()[0], c.message) << c.name;
        } else {
            EXPECT_TRUE(messages.Texts().empty()) << c.name;
        }
    }
}

// A typed zero stores the step nearest to zero that shows the plain zero text, or where
// none does the one whose text is nearest; it is checked against the limits as 0.
TEST(RangeValueIn, TypedZeros) {
    const SystemSetupRecord pt100 = Input(6, 0, 1), pt100d0 = Input(6, 0, 0),
                            pt100f = Input(6, 1, 1), pt100fd0 = Input(6, 1, 0),
                            dc = Input(64, 0, 0, 9999, -999), dcd1 = Input(64, 0, 1, 9999, -999);
    const std::optional<int32_t> refused;
    const struct {
        const char* name;
        SystemSetupRecord setup;
        bool difference;
        const char* text;
        int32_t lo, hi;
        std::optional<int32_t> stored;
        const char* shown;
    } cases[] = {
        {"Pt100 SV-H 0.0", pt100, false, "0.0", 0, 10000, 2499, "-0.0"},
        {"Pt100 SV-H -0.0", pt100, false, "-0.0", 0, 10000, 2499, "-0.0"},
        {"Pt100 A1HS 0.0", pt100, true, "0.0", 0, 5001, 0, "0.0"},
        {"Pt100 A1HS -0.0", pt100, true, "-0.0", 0, 5001, 0, "0.0"},
        {"Pt100 Ar +00.0", pt100, true, "+00.0", 0, 10000, 0, "0.0"},
        {"Pt100 PVD 0: 0", pt100d0, false, "0", 0, 10000, 2500, "0"},
        {"Pt100 PVD 0: -0", pt100d0, false, "-0", 0, 10000, 2500, "0"},
        {"Pt100 PVD 0: empty", pt100d0, false, "", 0, 10000, 2500, "0"},
        {"Pt100 degree F -0.0", pt100f, false, "-0.0", 0, 10000, 2278, "0.0"},
        {"DC 0", dc, false, "0", 0, 10000, 908, "-0"},
        {"DC -0", dc, false, "-0", 0, 10000, 908, "-0"},
        {"DC difference -0", dc, true, "-0", 0, 5001, 0, "0"},
        {"DC PVD 1 0.0", dcd1, false, "0.0", 0, 10000, 908, "-0.0"},
        {"DC PVD 1 difference -0.0", dcd1, true, "-0.0", 0, 5000, 0, "0.0"},
        {"limit shown as -0 takes it", pt100fd0, false, "0", 0, 2277, 2277, "-0"},
        {"limit shown as 0.1 refuses", pt100, false, "0.0", 2500, 10000, refused, ""},
        {"difference from 0.1 refuses", pt100, true, "-0.0", 1, 5001, refused, ""},
    };
    for (const auto& c : cases) {
        InputRange range = SelectInputRange(c.setup);
        if (c.difference)
            range = range.Difference();
        RecordingMessages messages;
        const std::optional<int32_t> stored = RangeValueIn(range, c.text, c.lo, c.hi, messages);
        EXPECT_EQ(stored, c.stored) << c.name;
        EXPECT_TRUE(messages.Texts().empty()) << c.name;
        if (stored) {
            EXPECT_EQ(FormatRangeValue(range, int16_t(*stored)), c.shown) << c.name;
        }
    }
}

TEST(FormatRangeValue, Cases) {
    const struct {
        const char* name;
        SystemSetupRecord setup;
        bool difference;
        int16_t value;
        const char* expected;
    } cases[] = {
        {"K 5000", Input(36, 0, 1), false, 5000, "600.0"},
        {"DC 5000", Input(66, 0, 1, 1000, 0), false, 5000, "50.0"},
        {"negative to zero keeps sign", Input(66, 0, 1, 1000, 0), false, -4, "-0.0"},
        {"no value", Input(36, 0, 1), false, -32768, "----"},
        {"Pt100 base", Input(6, 0, 3), false, 0, "-199.9"},
        {"K d0", Input(36, 0, 0), false, 10000, "1200"},
        {"K d0 rounds half up", Input(36, 0, 0), false, 5004, "600"},
        {"K d0 rounds", Input(36, 0, 0), false, 5005, "601"},
        {"difference", Input(5, 0, 0), true, 5000, "150"},
        {"DC d2", Input(66, 0, 2, 10000, 0), false, 5000, "50.00"},
        {"DC d3", Input(66, 0, 3, 1000, -1000), false, 2500, "-0.500"},
    };
    for (const auto& c : cases) {
        InputRange range = SelectInputRange(c.setup);
        if (c.difference)
            range = range.Difference();
        EXPECT_EQ(FormatRangeValue(range, c.value), c.expected) << c.name;
    }
}

TEST(RangeValue, FormattedValuesParseBack) {
    RecordingMessages messages;
    for (int i = 0; i < InputTypeCount(); ++i) {
        const int code = InputTypeCodeAt(i);
        for (int pvu : {0, 1}) {
            const SystemSetupRecord setup = Input(code, pvu, 1, 2000, -500);
            const InputRange range = SelectInputRange(setup);
            for (int16_t s : {0, 1234, 5000, 10000, -500}) {
                const std::string text = FormatRangeValue(range, s);
                const int32_t back = ParseRangeValue(range, text, messages);
                EXPECT_NEAR(back, s, 10) << code << " " << text; // one displayed step
            }
        }
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(InputTypes, TableRoundTripAndTexts) {
    EXPECT_EQ(InputTypeCount(), 37);
    for (int i = 0; i < InputTypeCount(); ++i)
        EXPECT_EQ(InputTypeCode(InputTypeText(InputTypeCodeAt(i))), InputTypeCodeAt(i));
    EXPECT_EQ(InputTypeText(8), "no use");
    EXPECT_EQ(InputTypeCode("nonsense"), 0);
    EXPECT_EQ(RangeText(16, 0), "JPt100 0 to 150 degree C ");
    EXPECT_EQ(RangeText(64, 1), "DC1-5V/DC4-20mA ");
    EXPECT_EQ(RangeText(36, 1), "K 32 to 2192 degree F");
    EXPECT_EQ(InputTypeText(5), "Pt100  -100   to 200  degree C,-148 to 392  degree F");
    // The three short spans stay short.
    EXPECT_FLOAT_EQ(SelectInputRange(Input(7, 0, 1)).span, 1049.8f);
    EXPECT_FLOAT_EQ(SelectInputRange(Input(22, 0, 1)).span, 799.8f);
    EXPECT_FLOAT_EQ(SelectInputRange(Input(39, 0, 1)).span, 399.8f);
    EXPECT_EQ(EffectiveDecimals(Input(6, 0, 3)), 1);
    EXPECT_EQ(EffectiveDecimals(Input(66, 0, 3)), 3);
    EXPECT_EQ(EffectiveDecimals(Input(6, 2, 3)), 3);
}

TEST(AlarmTypes, Table) {
    EXPECT_EQ(AlarmTypeCount(), 19);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(AlarmTypeCode(AlarmTypeText(i)), i);
    EXPECT_EQ(AlarmTypeText(19), "");
    EXPECT_EQ(AlarmTypeCode("no such alarm"), -1);
    EXPECT_EQ(AlarmTypeText(10), "fault");
}

TEST(OneDecimal, FormatAndParse) {
    EXPECT_EQ(FormatOneDecimal(10500, 100), "105.0");
    EXPECT_EQ(FormatOneDecimal(32767, 100), "327.7");
    EXPECT_EQ(FormatOneDecimal(-50, 100), "-0.5");
    EXPECT_EQ(FormatOneDecimal(123, 10), "12.3");
    EXPECT_EQ(FormatOneDecimal(-123, 10), "-12.3");
    EXPECT_EQ(FormatOneDecimal(5, 10), "0.5");
    const struct {
        const char* text;
        std::optional<int32_t> tenths;
    } cases[] = {{"12.3", 123},
                 {"-5.0", -50},
                 {".5", 5},
                 {"10", std::nullopt},
                 {"12.34", std::nullopt},
                 {"12.", std::nullopt},
                 {"", std::nullopt},
                 {"1.x", std::nullopt},
                 {"99999999999999.9", 100000000},
                 {"abc.5", std::nullopt},
                 {"-.5", -5},
                 {"1e.5", std::nullopt},
                 {"-", std::nullopt},
                 {" 7.5", 75},
                 {"+1.0", 10}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseOneDecimal(c.text), c.tenths) << c.text;
}

TEST(Time, FormatAndParse) {
    EXPECT_EQ(FormatTime(0), "00:00");
    EXPECT_EQ(FormatTime(90), "01:30");
    EXPECT_EQ(FormatTime(5), "00:05");
    EXPECT_EQ(FormatTime(5999), "99:59");
    EXPECT_EQ(FormatTime(6000), "");
    EXPECT_EQ(FormatTime(-32768), "----");
    EXPECT_EQ(FormatTime(0x8000), "----");
    EXPECT_EQ(FormatTime(-5), "");
    const struct {
        const char* text;
        int first, second;
    } cases[] = {{"1:30", 1, 30},   {"130", 13, 30},   {"5", 5, 5},     {"", 0, 0},
                 {"100:00", 10, 0}, {"99:60", 99, 60}, {"-1:00", -1, 0}};
    for (const auto& c : cases) {
        const TimeParts parts = ParseTime(c.text);
        EXPECT_EQ(parts.first, c.first) << c.text;
        EXPECT_EQ(parts.second, c.second) << c.text;
    }
}

TEST(Conversions, HostileTextsNeverCrash) {
    const std::string texts[] = {"",
                                 " ",
                                 "-",
                                 "--",
                                 "+",
                                 ".",
                                 "12.3.4",
                                 "0x10",
                                 "1e9",
                                 std::string(1000, '9'),
                                 "\xc3\xa9\xc3\xa9",
                                 std::string("1\0"
                                             "2",
                                             3),
                                 "-.",
                                 "99999999999.9"};
    RecordingMessages messages;
    for (int pvd = 0; pvd <= 3; ++pvd) {
        const InputRange range = SelectInputRange(Input(36, 0, pvd));
        for (const std::string& t : texts) {
            const int32_t v = ParseRangeValue(range, t, messages);
            EXPECT_TRUE(v == kRangeParseError || (v >= -32767 && v < 20000)) << t;
            ParseOneDecimal(t);
            ParseTime(t);
        }
    }
}

} // namespace

namespace {

class NullMessages : public Messages {
public:
    void Show(const std::string&) override { ++m_count; }
    int m_count = 0;
};

// Every input type, unit, decimal position and stored value 0..10000: a shown text reads
// back to a value that shows the same text, and where the display step is finer than the
// stored step the value itself comes back. The steps are worked out here from the table's
// spans, not by the conversions.
TEST(RangeValueRoundTrip, EveryTypeUnitDecimalAndValue) {
    constexpr size_t npos = std::string::npos;
    struct Scale {
        int pvf, pvb;
    };
    const Scale dcScales[] = {{1000, 0}, {100, -100}, {-50, 50}, {10998, 0}, {1, 0}};
    const Scale noScale[] = {{0, 0}};
    long checked = 0, exact = 0;
    for (int i = 0; i < InputTypeCount(); ++i) {
        const int pvt = InputTypeCodeAt(i);
        const bool dc = IsDcInput(pvt);
        for (const Scale& scale : dc ? std::vector<Scale>(std::begin(dcScales), std::end(dcScales))
                                     : std::vector<Scale>(std::begin(noScale), std::end(noScale)))
            for (int pvu = 0; pvu <= 1; ++pvu)
                for (int pvd = 0; pvd <= 3; ++pvd) {
                    const SystemSetupRecord setup = Input(pvt, pvu, pvd, scale.pvf, scale.pvb);
                    const InputRange range = SelectInputRange(setup);
                    // Display step and stored step, both in units of the last shown digit.
                    const int d = dc || pvd < 2 ? pvd : 1;
                    const double stored =
                        std::abs(range.span) / 10000.0 * (dc ? 1 : std::pow(10, d));
                    const bool finer = stored > 1.0;
                    NullMessages none;
                    for (int s = 0; s <= 10000; ++s) {
                        const std::string shown = FormatRangeValue(range, static_cast<int16_t>(s));
                        const int32_t back = ParseRangeValue(range, shown, none);
                        ASSERT_LT(back, kRangeParseError)
                            << pvt << "/" << pvu << "/" << pvd << " " << s;
                        // Typed, a "-0" reads as the step that shows "0" where there is one;
                        // left as shown, no text changes.
                        const std::string typed = FormatRangeValue(range, int16_t(back));
                        const bool negativeZero = shown.find_first_not_of("-0.") == npos;
                        ASSERT_TRUE(typed == shown || (negativeZero && typed == shown.substr(1)))
                            << "type " << pvt << " unit " << pvu << " PVD " << pvd << " scale "
                            << scale.pvf << "/" << scale.pvb << " S " << s << " " << typed;
                        ASSERT_EQ(FormatRangeValue(range, int16_t(ParseShownRangeValue(
                                                              range, shown, int16_t(s), none))),
                                  shown)
                            << "type " << pvt << " unit " << pvu << " PVD " << pvd << " S " << s;
                        if (finer) {
                            ASSERT_EQ(back, s)
                                << "type " << pvt << " unit " << pvu << " PVD " << pvd << " scale "
                                << scale.pvf << "/" << scale.pvb << " text " << shown;
                            ++exact;
                        }
                        ++checked;
                    }
                    ASSERT_EQ(none.m_count, 0);
                }
    }
    EXPECT_EQ(checked, (31 * 8 + 6 * 5 * 8) * 10001L);
    EXPECT_GT(exact, 0);
}

} // namespace
