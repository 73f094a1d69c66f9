// A field the operator leaves as it was filled goes back exactly as it is stored, for every
// input type, decimal setting and unit: OK or SEND without typing never moves a value by
// the step the display cannot show.

#include "editors/advanced_form.h"
#include "editors/alarm_values_form.h"
#include "editors/pid_group_form.h"
#include "editors/program_pattern_form.h"
#include "editors/system_setup_form.h"
#include "values/conversions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <set>
#include <tuple>
#include <vector>

namespace {

// Every input type in both units and with each decimal position; DC inputs over a few
// scales (an empty one, PVF = PVB, keeps its range values with a message of its own).
std::vector<SystemSetupRecord> EverySetting() {
    std::vector<SystemSetupRecord> settings;
    const std::pair<int16_t, int16_t> scales[] = {{100, 0}, {9999, -999}, {2, 1}, {-999, 9999}};
    for (int t = 0; t < InputTypeCount(); ++t)
        for (uint8_t pvu = 0; pvu <= 1; ++pvu)
            for (uint8_t pvd = 0; pvd <= 3; ++pvd)
                for (const auto& [pvf, pvb] : scales) {
                    SystemSetupRecord setup{};
                    setup.PVT = static_cast<uint8_t>(InputTypeCodeAt(t));
                    setup.PVU = pvu;
                    setup.PVD = pvd;
                    if (IsDcInput(setup.PVT)) {
                        setup.PVF = pvf;
                        setup.PVB = pvb;
                    } else if (pvf != 100) {
                        continue; // the scale matters to DC inputs alone
                    }
                    settings.push_back(setup);
                }
    return settings;
}

// The rows a window shows as numbers the display may round: range values, tenths, scales
// and times.
bool IsRounded(const ParameterRow& row) {
    return row.label && (IsRangeValue(row) || row.encoding == Encoding::OneDecimal ||
                         row.encoding == Encoding::AnalogueScale ||
                         row.encoding == Encoding::Time || row.encoding == Encoding::PatternTime);
}

int32_t Span(const ParameterRow& row) {
    return row.hi - row.lo + 1;
}

// Round i gives the field its (i + k)-th value, k counting the fields, so every value of
// every field comes round; the setting in force changes with each round.
uint16_t ValueOf(const ParameterRow& row, int64_t i, int k) {
    return static_cast<uint16_t>(row.lo + (i + k) % Span(row));
}

int64_t Rounds(const std::vector<ParameterRow>& rows) {
    int64_t rounds = 0;
    for (const ParameterRow& row : rows)
        if (IsRounded(row))
            rounds = std::max<int64_t>(rounds, Span(row));
    return rounds;
}

class UntouchedFields : public ::testing::Test {
protected:
    const std::vector<SystemSetupRecord> settings = EverySetting();
    RecordingMessages messages;
    int64_t cases = 0;
};

// The stored-value sweep the forms rest on: every range value of every row shape, in every
// distinct input range, shown and stored untouched.
TEST_F(UntouchedFields, EveryRangeValueInEveryRangeComesBackAsStored) {
    std::set<std::tuple<float, float, int, bool, int>> seen;
    std::set<std::tuple<Encoding, int32_t, int32_t>> shapes;
    std::vector<const ParameterRow*> rows;
    for (auto kind : {GroupId::Kind::SystemSetup, GroupId::Kind::Advanced, GroupId::Kind::PidGroup,
                      GroupId::Kind::Pattern})
        for (const ParameterRow& row : RowsOf(kind))
            if (IsRangeValue(row) && shapes.insert({row.encoding, row.lo, row.hi}).second)
                rows.push_back(&row);
    ASSERT_GE(rows.size(), 4u);
    for (const SystemSetupRecord& setup : settings) {
        const InputRange range = SelectInputRange(setup);
        if (range.Empty() ||
            !seen.insert({range.span, range.base, range.decimals, range.dc, range.pvd}).second)
            continue;
        for (const ParameterRow* row : rows) {
            const InputRange r =
                row->encoding == Encoding::RangeDifference ? range.Difference() : range;
            for (int32_t v = std::max(row->lo, -32767); v <= row->hi; ++v, ++cases) {
                const auto stored = static_cast<int16_t>(v);
                const int32_t back =
                    ParseShownRangeValue(r, FormatRangeValue(r, stored), stored, messages);
                if (back != v)
                    FAIL() << row->mnemonic << " " << v << " came back as " << back << " (PVT "
                           << int(setup.PVT) << ", PVU " << int(setup.PVU) << ", PVD "
                           << int(setup.PVD) << ")";
            }
        }
    }
    EXPECT_TRUE(messages.Texts().empty());
    std::cout << "[ cases    ] " << cases << " values over " << seen.size()
              << " distinct input ranges\n";
}

TEST_F(UntouchedFields, SystemSetupKeepsEveryValueItShows) {
    const std::vector<ParameterRow>& rows = SystemSetupRows();
    for (int64_t i = 0; i < 2 * Rounds(rows); ++i, ++cases) {
        SystemSetupRecord record = settings[static_cast<size_t>(i) % settings.size()];
        record.CI = 1;
        record.STN = 1;
        // The analogue outputs take turns on a range source and on MV.
        record.AO1T = record.AO2T = static_cast<uint8_t>(i % 2 == 0 ? 0 : kAnalogueSourceMv);
        int k = 0;
        for (const ParameterRow& row : rows)
            if (IsRounded(row))
                SetRawValue(record, row, ValueOf(row, i / 2, k++));
        const SystemSetupRecord before = record;
        SystemSetupForm form(record, messages);
        form.Show();
        form.Store();
        ASSERT_EQ(0, std::memcmp(&before, &record, sizeof record)) << "round " << i;
    }
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
}

TEST_F(UntouchedFields, AdvancedAndPidGroupsKeepEveryValueTheyShow) {
    const int64_t rounds = std::max(Rounds(AdvancedRows()), Rounds(PidGroupRows()));
    for (int64_t i = 0; i < rounds; ++i, ++cases) {
        ParameterImage image;
        image.systemSetup = settings[static_cast<size_t>(i) % settings.size()];
        int k = 0;
        for (const ParameterRow& row : AdvancedRows())
            if (IsRounded(row))
                SetRawValue(image.advanced, row, ValueOf(row, i, k++));
        for (const ParameterRow& row : PidGroupRows())
            if (IsRounded(row) || row.encoding == Encoding::Seconds)
                SetRawValue(image, GroupId::Pid(1), row, ValueOf(row, i, k++));
        const ParameterImage before = image;
        AdvancedForm advanced(image.advanced, image.systemSetup, messages);
        advanced.Show();
        advanced.Store();
        PidGroupForm pid(image, messages);
        pid.Open();
        pid.Store();
        ASSERT_TRUE(before == image) << "round " << i;
    }
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
}

// SV and the four alarm values of all twenty segments, through the pattern editor and its
// alarm values editor.
TEST_F(UntouchedFields, PatternsKeepEverySetValueAndAlarmTheyShow) {
    constexpr int kSegments = ProgramPatternRecord::kSegments;
    NoCursor cursor;
    for (int64_t i = 0; i < 65536 / kSegments + 1; ++i) {
        ParameterImage image;
        image.systemSetup = settings[static_cast<size_t>(i) % settings.size()];
        ProgramPatternRecord& pattern = image.pattern[0];
        for (int s = 1; s <= kSegments; ++s, ++cases) {
            const int64_t v = i * kSegments + s;
            SegmentRecord segment = pattern.Segment(s);
            segment.SetSV(static_cast<int16_t>(v - 32768));
            for (int a = 1; a <= 4; ++a)
                segment.SetAlarm(a, static_cast<int16_t>(v * 7 + a));
            segment.SetTIME(static_cast<uint16_t>(v % 6000));
        }
        const ParameterImage before = image;
        ProgramPatternForm form(image, messages, cursor);
        form.Open();
        AlarmValuesForm alarms(form.State().workingCopy, image.systemSetup);
        alarms.Collect(messages);
        form.Ok();
        ASSERT_TRUE(before == image) << "round " << i;
    }
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
}

} // namespace
