#include "editors/alarm_values_form.h"
#include "editors/segment_column_forms.h"
#include "support/first_lines.h"
#include "values/conversions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
constexpr int kSegments = ProgramPatternRecord::kSegments;

SegmentByteTable TableWith(SegmentByteTable::Column column, uint16_t value) {
    SegmentByteTable table;
    for (int s = 1; s <= kSegments; ++s)
        table.At(s, column) = value;
    return table;
}

// ---- Segment PID numbers ----

struct PidWrongCase {
    const char* name;
    const char* text;
};

class PidWrongText : public ::testing::TestWithParam<PidWrongCase> {};

TEST_P(PidWrongText, StopsAtSegmentThreeWithEarlierSegmentsStored) {
    SegmentByteTable table = TableWith(SegmentByteTable::PIDNO, 1);
    SegmentPidForm form(table);
    form.Text(1) = "7";
    form.Text(2) = "9";
    form.Text(3) = GetParam().text;
    form.Text(4) = "5";
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), Texts{"PIDNO_seg3 is wrong"});
    EXPECT_EQ(table.At(1, SegmentByteTable::PIDNO), 7);
    EXPECT_EQ(table.At(2, SegmentByteTable::PIDNO), 9);
    EXPECT_EQ(table.At(3, SegmentByteTable::PIDNO), 1);
    EXPECT_EQ(table.At(4, SegmentByteTable::PIDNO), 1); // not reached
}

INSTANTIATE_TEST_SUITE_P(Texts, PidWrongText,
                         ::testing::Values(PidWrongCase{"Empty", ""}, PidWrongCase{"Ten", "10"},
                                           PidWrongCase{"LeadingBlank", " 1"},
                                           PidWrongCase{"LeadingZero", "01"},
                                           PidWrongCase{"Zero", "0"},
                                           PidWrongCase{"TrailingBlank", "1 "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SegmentPidForm, ReportsOnlyTheFirstWrongSegmentPerPress) {
    SegmentByteTable table = TableWith(SegmentByteTable::PIDNO, 2);
    SegmentPidForm form(table);
    form.Text(5) = "x";
    form.Text(9) = "";
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    form.Text(5) = "4";
    EXPECT_FALSE(form.Collect(messages));
    form.Text(9) = "8";
    EXPECT_TRUE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), (Texts{"PIDNO_seg5 is wrong", "PIDNO_seg9 is wrong"}));
    EXPECT_EQ(table.At(5, SegmentByteTable::PIDNO), 4);
    EXPECT_EQ(table.At(9, SegmentByteTable::PIDNO), 8);
}

TEST(SegmentPidForm, ShowsEveryStoredNumberAndStoresAllNineDigits) {
    SegmentByteTable table;
    for (int s = 1; s <= kSegments; ++s)
        table.At(s, SegmentByteTable::PIDNO) = static_cast<uint16_t>(s);
    SegmentPidForm form(table);
    EXPECT_EQ(form.Text(1), "1");
    EXPECT_EQ(form.Text(9), "9");
    EXPECT_EQ(form.Text(10), "10"); // outside 1..9: shown as it is, so OK reports it
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), Texts{"PIDNO_seg10 is wrong"});
    for (int s = 1; s <= kSegments; ++s)
        form.Text(s) = std::to_string(10 - (s - 1) % 9 - 1); // 9, 8, ..., 1, 9, ...
    EXPECT_TRUE(form.Collect(messages));
    for (int s = 1; s <= kSegments; ++s)
        EXPECT_EQ(table.At(s, SegmentByteTable::PIDNO), 9 - (s - 1) % 9) << "segment " << s;
}

// ---- Guaranteed soak ----

TEST(GuaranteedSoakForm, UnknownTypeReportedAfterAllOnOffStored) {
    SegmentByteTable table;
    table.At(4, SegmentByteTable::GSTYP) = 7;
    GuaranteedSoakForm form(table);
    EXPECT_EQ(form.TypeText(4), "NG");
    EXPECT_EQ(form.OnOffText(20), "NO");
    for (int s = 1; s <= kSegments; ++s)
        form.OnOffText(s) = "YES";
    for (int s = 1; s <= 3; ++s)
        form.TypeText(s) = "Up";
    form.TypeText(5) = "Down"; // after the wrong one: not reached
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), Texts{"GSTYPE_seg4 is wrong"});
    for (int s = 1; s <= kSegments; ++s)
        EXPECT_EQ(table.At(s, SegmentByteTable::GSORK), 1) << s;
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(table.At(s, SegmentByteTable::GSTYP), 2) << s;
    EXPECT_EQ(table.At(4, SegmentByteTable::GSTYP), 7);
    EXPECT_EQ(table.At(5, SegmentByteTable::GSTYP), 0);
}

struct SoakWrongCase {
    const char* name;
    bool onOff; // which field of segment 7 holds the text
    const char* text;
    const char* message;
};

class SoakWrongText : public ::testing::TestWithParam<SoakWrongCase> {};

TEST_P(SoakWrongText, IsRefusedExactly) {
    SegmentByteTable table;
    GuaranteedSoakForm form(table);
    (GetParam().onOff ? form.OnOffText(7) : form.TypeText(7)) = GetParam().text;
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), Texts{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SoakWrongText,
    ::testing::Values(SoakWrongCase{"LowerCaseYes", true, "yes", "GSORK_seg7 is wrong"},
                      SoakWrongCase{"MixedCaseNo", true, "No", "GSORK_seg7 is wrong"},
                      SoakWrongCase{"EmptyOnOff", true, "", "GSORK_seg7 is wrong"},
                      SoakWrongCase{"ShownNg", true, "NG", "GSORK_seg7 is wrong"},
                      SoakWrongCase{"PaddedYes", true, "YES ", "GSORK_seg7 is wrong"},
                      SoakWrongCase{"LowerCaseUp", false, "up", "GSTYPE_seg7 is wrong"},
                      SoakWrongCase{"UpperCaseDown", false, "DOWN", "GSTYPE_seg7 is wrong"},
                      SoakWrongCase{"UandDWithoutAmpersand", false, "UD", "GSTYPE_seg7 is wrong"},
                      SoakWrongCase{"EmptyType", false, "", "GSTYPE_seg7 is wrong"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GuaranteedSoakForm, OnOffCheckedBeforeAnyType) {
    SegmentByteTable table;
    GuaranteedSoakForm form(table);
    form.OnOffText(1) = "YES";
    form.OnOffText(2) = "maybe";
    form.TypeText(1) = "Up";
    form.TypeText(12) = "sideways";
    RecordingMessages messages;
    EXPECT_FALSE(form.Collect(messages));
    EXPECT_EQ(messages.Texts(), Texts{"GSORK_seg2 is wrong"});
    EXPECT_EQ(table.At(1, SegmentByteTable::GSORK), 1);
    EXPECT_EQ(table.At(1, SegmentByteTable::GSTYP), 0); // no type stored yet
}

TEST(GuaranteedSoakForm, AllFortyStored) {
    SegmentByteTable table = TableWith(SegmentByteTable::GSTYP, 1);
    GuaranteedSoakForm form(table);
    const char* const types[] = {"U&D", "Down", "Up"};
    for (int s = 1; s <= kSegments; ++s) {
        form.OnOffText(s) = s % 2 ? "YES" : "NO";
        form.TypeText(s) = types[s % 3];
    }
    RecordingMessages messages;
    EXPECT_TRUE(form.Collect(messages));
    EXPECT_TRUE(messages.Texts().empty());
    for (int s = 1; s <= kSegments; ++s) {
        EXPECT_EQ(table.At(s, SegmentByteTable::GSORK), s % 2);
        EXPECT_EQ(table.At(s, SegmentByteTable::GSTYP), s % 3);
    }
}

// ---- Alarm values ----

// K thermocouple, 0 to 400 degree C, no decimals: 25 stored units per degree.
SystemSetupRecord KType() {
    SystemSetupRecord setup;
    setup.PVT = 34;
    setup.PVU = 0;
    setup.PVD = 0;
    return setup;
}

TEST(AlarmValuesForm, OkWithoutEditsKeepsEveryStoredValue) {
    const SystemSetupRecord setup = KType();
    ProgramPatternRecord copy;
    for (int s = 1; s <= kSegments; ++s)
        for (int k = 1; k <= 4; ++k)
            copy.Segment(s).SetAlarm(k, static_cast<int16_t>(1234 + 100 * s - 37 * k));
    copy.Segment(3).SetAlarm(2, kNoValue);
    const ProgramPatternRecord before = copy;

    AlarmValuesForm form(copy, setup);
    EXPECT_EQ(form.Text(1, 1), "52"); // 1297 units = 51.88 degrees, rounded
    EXPECT_EQ(form.Text(2, 3), "----");
    RecordingMessages messages;
    form.Collect(messages);
    EXPECT_TRUE(messages.Texts().empty());
    // Not the 1300 of the "52" shown: a value between two displayed steps stays as it is.
    EXPECT_EQ(copy.Segment(1).Alarm(1), 1297);
    EXPECT_TRUE(copy == before);
    // A typed text takes its own step.
    form.Text(1, 1) = "51";
    form.Collect(messages);
    EXPECT_EQ(FormatRangeValue(SelectInputRange(setup), copy.Segment(1).Alarm(1)), "51");
}

TEST(AlarmValuesForm, NoValueTextStoresMinus32768) {
    const SystemSetupRecord setup = KType();
    ProgramPatternRecord copy;
    AlarmValuesForm form(copy, setup);
    form.Text(4, 20) = "----";
    RecordingMessages messages;
    form.Collect(messages);
    EXPECT_EQ(copy.Segment(20).Alarm(4), -32768);
    form.Show();
    EXPECT_EQ(form.Text(4, 20), "----");
}

TEST(AlarmValuesForm, RefusedFieldKeepsItsValueAndTheOthersAreStored) {
    const SystemSetupRecord setup = KType();
    ProgramPatternRecord copy;
    for (int s = 1; s <= kSegments; ++s)
        for (int k = 1; k <= 4; ++k)
            copy.Segment(s).SetAlarm(k, 111);
    AlarmValuesForm form(copy, setup);
    for (int s = 1; s <= kSegments; ++s)
        for (int k = 1; k <= 4; ++k)
            form.Text(k, s) = "100";
    form.Text(3, 11) = "12.5";
    RecordingMessages messages;
    form.Collect(messages);
    EXPECT_EQ(FirstLines(messages), Texts{"Input no decimal position data"});
    for (int s = 1; s <= kSegments; ++s)
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(copy.Segment(s).Alarm(k), (s == 11 && k == 3) ? 111 : 2500)
                << "ALM" << k << " seg " << s;
}

TEST(AlarmValuesForm, ParsesSegmentBySegmentAlarmsWithin) {
    const SystemSetupRecord setup = KType();
    ProgramPatternRecord copy;
    AlarmValuesForm form(copy, setup);
    form.Text(3, 1) = "99999"; // segment 1, alarm 3: outside the range
    form.Text(1, 2) = "1.5";   // segment 2, alarm 1: a decimal point too many
    RecordingMessages messages;
    form.Collect(messages);
    EXPECT_EQ(FirstLines(messages),
              (Texts{"The value is outside the input range", "Input no decimal position data"}));
    EXPECT_EQ(copy.Segment(1).Alarm(3), 0);
    EXPECT_EQ(copy.Segment(2).Alarm(1), 0);
}

} // namespace
