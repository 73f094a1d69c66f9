#include "editors/profile_geometry.h"

#include "values/conversions.h"

#include <gtest/gtest.h>

#include <random>

namespace {

SystemSetupRecord Range(uint8_t pvt, uint8_t pvu, uint8_t pvd, uint8_t tmu = 0) {
    SystemSetupRecord s;
    s.PVT = pvt;
    s.PVU = pvu;
    s.PVD = pvd;
    s.TMU = tmu;
    return s;
}

// Segments with the given TIMEs and SVs; the segment after the last is unused.
ProgramPatternRecord Pattern(std::vector<uint16_t> times, std::vector<int16_t> svs) {
    ProgramPatternRecord p;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
        p.Segment(s).SetTIME(kTimeNotUsed);
    for (size_t i = 0; i < times.size(); ++i) {
        p.Segment(static_cast<int>(i + 1)).SetTIME(times[i]);
        p.Segment(static_cast<int>(i + 1)).SetSV(svs[i]);
    }
    return p;
}

TEST(ProfileGeometry, TimeAccumulatesAndTheProgramEndsAtTheFirstUnusedSegment) {
    ProgramPatternRecord p = Pattern({60, 30, 90}, {5000, 10000, 0});
    p.Segment(5).SetTIME(120); // after the first unused segment: not part of the program
    const ProfileGeometry g = BuildProfile(p, Range(36, 0, 1), false);
    ASSERT_EQ(g.usedSegments, 3);
    ASSERT_EQ(g.segments.size(), 3u);
    const double begins[] = {0, 60, 90}, ends[] = {60, 90, 180};
    const double from[] = {600, 600, 1200}, to[] = {600, 1200, 0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g.segments[i].number, i + 1);
        EXPECT_DOUBLE_EQ(g.segments[i].begin, begins[i]);
        EXPECT_DOUBLE_EQ(g.segments[i].end, ends[i]);
        EXPECT_TRUE(g.segments[i].hasLine);
        EXPECT_NEAR(g.segments[i].from, from[i], 1e-3) << i;
        EXPECT_NEAR(g.segments[i].to, to[i], 1e-3) << i;
    }
    EXPECT_DOUBLE_EQ(g.endTime, 180);

    const ProfileGeometry none = BuildProfile(Pattern({}, {}), Range(36, 0, 1), false);
    EXPECT_EQ(none.usedSegments, 0);
    EXPECT_TRUE(none.segments.empty());
    EXPECT_DOUBLE_EQ(none.endTime, 0);
}

TEST(ProfileGeometry, NoValueSegmentsHaveNoLineAndTheNextStartsFlat) {
    const ProfileGeometry g =
        BuildProfile(Pattern({10, 10, 10}, {2000, kNoValue, 8000}), Range(36, 0, 1), false);
    ASSERT_EQ(g.segments.size(), 3u);
    EXPECT_FALSE(g.segments[1].hasLine);
    EXPECT_TRUE(g.segments[2].hasLine);
    EXPECT_NEAR(g.segments[2].from, 960, 1e-3);
    EXPECT_NEAR(g.segments[2].to, 960, 1e-3);
}

TEST(ProfileGeometry, RangesInEngineeringUnits) {
    const struct {
        const char* name;
        SystemSetupRecord setup;
        double low, high, half;
        const char* unit;
    } rows[] = {
        {"K 0..1200 C", Range(36, 0, 1), 0, 1200, 600, "degree C"},
        {"Pt100 -50..100 C", Range(4, 0, 0), -50, 100, 25, "degree C"},
        {"Pt100 -58..212 F", Range(4, 1, 0), -58, 212, 77, "degree F"},
        {"Pt100 -100..200 C", Range(5, 0, 0), -100, 200, 50, "degree C"},
        {"DC 0..100.0",
         [] {
             SystemSetupRecord s = Range(66, 0, 1);
             s.PVF = 1000;
             return s;
         }(),
         0, 100, 50, ""},
        {"DC -100..100",
         [] {
             SystemSetupRecord s = Range(66, 0, 0);
             s.PVF = 100;
             s.PVB = -100;
             return s;
         }(),
         -100, 100, 0, ""},
    };
    for (const auto& r : rows) {
        const ProfileGeometry g = BuildProfile(Pattern({10}, {5000}), r.setup, false);
        EXPECT_NEAR(g.valueLow, r.low, 1e-3) << r.name;
        EXPECT_NEAR(g.valueHigh, r.high, 1e-3) << r.name;
        EXPECT_NEAR(g.segments[0].to, r.half, 1e-3) << r.name;
        EXPECT_EQ(g.valueUnit, r.unit) << r.name;
        // The profile's value agrees with the text the editors show.
        EXPECT_EQ(std::stod(FormatRangeValue(SelectInputRange(r.setup), 5000)), r.half) << r.name;
    }
}

TEST(ProfileGeometry, TimeSignalBarsFollowTheirSegment) {
    ProgramPatternRecord p = Pattern({60, 60, 60}, {0, 0, 0});
    p.Segment(2).SetTsOn(1, 15); // on 75..105
    p.Segment(2).SetTsOff(1, 45);
    p.Segment(3).SetTsOn(2, kTimeNotUsed); // "----": no bar
    p.Segment(3).SetTsOff(2, 30);
    p.Segment(1).SetTsOn(4, 0); // on at the segment's start: 0..20
    p.Segment(1).SetTsOff(4, 20);
    p.Segment(3).SetTsOn(3, 40); // off before on: no bar
    p.Segment(3).SetTsOff(3, 20);
    p.Segment(1).SetTsOn(5, 10); // needs the time-signal option
    p.Segment(1).SetTsOff(5, 20);
    const ProfileGeometry standard = BuildProfile(p, Range(36, 0, 1), false);
    ASSERT_EQ(standard.bars.size(), 2u);
    EXPECT_EQ(standard.timeSignals, 4);
    EXPECT_EQ(standard.bars[0].signal, 4);
    EXPECT_DOUBLE_EQ(standard.bars[0].on, 0);
    EXPECT_DOUBLE_EQ(standard.bars[0].off, 20);
    EXPECT_EQ(standard.bars[1].signal, 1);
    EXPECT_DOUBLE_EQ(standard.bars[1].on, 75);
    EXPECT_DOUBLE_EQ(standard.bars[1].off, 105);
    const ProfileGeometry option = BuildProfile(p, Range(36, 0, 1), true);
    EXPECT_EQ(option.timeSignals, 6);
    ASSERT_EQ(option.bars.size(), 3u);
    EXPECT_EQ(option.bars[1].signal, 5);
    EXPECT_DOUBLE_EQ(option.bars[1].on, 10);
}

TEST(ProfileGeometry, ElapsedTimeInThePatternsUnit) {
    const struct {
        double t;
        int tmu;
        const char* text;
    } rows[] = {{0, 0, "0:00"},  {90, 0, "1:30"}, {6000, 0, "100:00"}, {119980, 0, "1999:40"},
                {90, 1, "1:30"}, {59, 1, "0:59"}, {45, 2, "45"}};
    for (const auto& r : rows)
        EXPECT_EQ(FormatElapsed(r.t, r.tmu), r.text) << r.t << " " << r.tmu;
    EXPECT_EQ(TimeAxisTitle(0), "elapsed time (h:min)");
    EXPECT_EQ(TimeAxisTitle(1), "elapsed time (min:s)");
}

// Over many generated programs: the segments tile 0..end with their TIMEs, and the axes'
// ticks stay few, start at 0 (or the range's low end) and cover the program.
TEST(ProfileGeometry, GeneratedProgramsTileTheTimeAxis) {
    std::mt19937 random(23);
    for (int round = 0; round < 300; ++round) {
        const int used = static_cast<int>(random() % 21);
        std::vector<uint16_t> times;
        std::vector<int16_t> svs;
        double sum = 0;
        for (int s = 0; s < used; ++s) {
            times.push_back(static_cast<uint16_t>(random() % 6000));
            svs.push_back(static_cast<int16_t>(random() % 10001));
            sum += times.back();
        }
        const ProfileGeometry g =
            BuildProfile(Pattern(times, svs), Range(4, 0, 0, random() % 2), false);
        ASSERT_EQ(g.usedSegments, used);
        double t = 0;
        for (const ProfileSegment& s : g.segments) {
            ASSERT_DOUBLE_EQ(s.begin, t);
            t = s.end;
        }
        ASSERT_DOUBLE_EQ(g.endTime, sum);
        const std::vector<double> ticks = TimeTicks(g.endTime, 10);
        ASSERT_LE(ticks.size(), 11u);
        ASSERT_EQ(ticks.front(), 0);
        ASSERT_LE(ticks.back(), g.endTime + 1e-9);
        const std::vector<double> values = ValueTicks(-50, 100 + round, 5);
        ASSERT_GE(values.size(), 2u);
        ASSERT_LE(values.size(), 7u);
        ASSERT_GE(values.front(), -50);
        ASSERT_LE(values.back(), 100 + round + 1e-9);
    }
    EXPECT_EQ(ValueTicks(-50, 100, 5), (std::vector<double>{-50, 0, 50, 100}));
}

} // namespace
