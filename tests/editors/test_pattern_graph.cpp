#include "editors/pattern_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Color = GraphLine::Color;
using Lines = std::vector<GraphLine>;

Lines Only(const Lines& lines, Color color) {
    Lines out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                 [color](const GraphLine& l) { return l.color == color; });
    return out;
}

// Every segment used (TIME 60), every time signal off.
ProgramPatternRecord Pattern() {
    ProgramPatternRecord copy;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
        copy.Segment(s).SetTIME(60);
    return copy;
}

Lines RowOf(const ProgramPatternRecord& copy, int k, int n) {
    Lines lines;
    DrawTimeSignalRow(copy, k, k, n, lines);
    return lines;
}

TEST(PatternGraph, SetValueHeights) {
    const struct {
        uint16_t v;
        int y;
    } rows[] = {{0, 96},
                {99, 96},
                {5000, 48},
                {10000, 0},
                {10050, 0},
                {10100, 0},
                {2500, 72},
                // negative values read as unsigned land far above the frame
                {static_cast<uint16_t>(-1), -532}};
    for (const auto& row : rows)
        EXPECT_EQ(SetValueY(row.v), row.y) << row.v;
}

TEST(PatternGraph, GridIsSevenRowsThenTwentyOneColumns) {
    const Lines grid = Only(DrawPatternGraph(ProgramPatternRecord{}, true), Color::Grid);
    ASSERT_EQ(grid.size(), 28u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(grid[i], (GraphLine{0, 24 * i, 480, 24 * i, Color::Grid}));
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(grid[7 + i], (GraphLine{24 * i, 0, 24 * i, 144, Color::Grid}));
}

TEST(PatternGraph, SetValueLineStartsFlatThenRampsCellByCell) {
    ProgramPatternRecord copy = Pattern();
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
        copy.Segment(s).SetSV(static_cast<int16_t>(500 * s));
    const Lines lines = DrawPatternGraph(copy, false);
    const Lines red = Only(lines, Color::SetValue);
    ASSERT_EQ(red.size(), 20u);
    EXPECT_EQ(red[0], (GraphLine{0, SetValueY(500), 24, SetValueY(500), Color::SetValue}));
    for (int k = 1; k < 20; ++k)
        EXPECT_EQ(red[k], (GraphLine{24 * k, SetValueY(500 * k), 24 * (k + 1),
                                     SetValueY(500 * (k + 1)), Color::SetValue}))
            << k;
    // Drawing order: grid, then the set-value line, then the bars.
    EXPECT_EQ(lines[28], red[0]);
}

TEST(PatternGraph, OnFifteenOffFortyFiveOfSixtyDrawsFiveLines) {
    ProgramPatternRecord copy = Pattern();
    copy.Segment(3).SetTsOn(2, 15);
    copy.Segment(3).SetTsOff(2, 45);
    const int x0 = 48, b = 48, h = 36;
    const Lines expected = {{x0, b, x0 + 6, b, Color::TimeSignal},
                            {x0 + 6, b, x0 + 6, h, Color::TimeSignal},
                            {x0 + 6, h, x0 + 18, h, Color::TimeSignal},
                            {x0 + 18, h, x0 + 18, b, Color::TimeSignal},
                            {x0 + 18, b, x0 + 24, b, Color::TimeSignal}};
    EXPECT_EQ(RowOf(copy, 2, 20), expected);
    EXPECT_EQ(Only(DrawPatternGraph(copy, false), Color::TimeSignal), expected);
}

struct CellCase {
    const char* name;
    uint16_t time, on, off;
    uint16_t nextOn, nextOff; // time signal 1 of segment 2
    size_t lines;             // in segment 1's cell
};

class TimeSignalCell : public ::testing::TestWithParam<CellCase> {};

TEST_P(TimeSignalCell, LineCount) {
    const CellCase& c = GetParam();
    ProgramPatternRecord copy = Pattern();
    copy.Segment(1).SetTIME(c.time);
    copy.Segment(1).SetTsOn(1, c.on);
    copy.Segment(1).SetTsOff(1, c.off);
    copy.Segment(2).SetTsOn(1, c.nextOn);
    copy.Segment(2).SetTsOff(1, c.nextOff);
    EXPECT_EQ(RowOf(copy, 1, 1).size(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Cells, TimeSignalCell,
                         ::testing::Values(CellCase{"OnZero", 60, 0, 45, 0, 0, 0},
                                           CellCase{"OnNotUsed", 60, 0x8000, 45, 0, 0, 0},
                                           CellCase{"TimeZero", 0, 15, 45, 0, 0, 0},
                                           CellCase{"OnThenOff", 60, 15, 45, 0, 0, 5},
                                           CellCase{"OnIntoNextSegment", 60, 45, 15, 10, 0, 1},
                                           CellCase{"OnIntoNextSegmentByOffTime", 60, 45, 15, 0, 10,
                                                    1},
                                           CellCase{"OffBeforeOnNextIdle", 60, 45, 15, 0, 0, 5},
                                           CellCase{"OnIntoNextWithOnZero", 60, 0, 0, 10, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PatternGraph, SignalCarriedIntoNextSegmentIsOneBaseline) {
    ProgramPatternRecord copy = Pattern();
    copy.Segment(4).SetTsOn(1, 45);
    copy.Segment(4).SetTsOff(1, 15);
    copy.Segment(5).SetTsOff(1, 30);
    Lines lines = RowOf(copy, 1, 4);
    EXPECT_EQ(lines, (Lines{{72, 24, 96, 24, Color::TimeSignal}}));
}

TEST(PatternGraph, LastSegmentHasNoSuccessor) {
    ProgramPatternRecord copy = Pattern();
    copy.Segment(20).SetTsOn(1, 45); // off before on: without a next segment, five lines
    copy.Segment(20).SetTsOff(1, 15);
    const Lines lines = RowOf(copy, 1, 20);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], (GraphLine{456 + 18, 24, 456 + 18, 12, Color::TimeSignal}));
    EXPECT_EQ(lines[3], (GraphLine{456 + 6, 12, 456 + 6, 24, Color::TimeSignal}));
}

TEST(PatternGraph, BarsOnlyForLeadingUsedSegments) {
    ProgramPatternRecord copy = Pattern();
    for (int s = 1; s <= 20; ++s) {
        copy.Segment(s).SetTsOn(1, 15);
        copy.Segment(s).SetTsOff(1, 45);
    }
    copy.Segment(4).SetTIME(0x8000);
    EXPECT_EQ(UsedSegmentCount(copy), 3);
    EXPECT_EQ(Only(DrawPatternGraph(copy, true), Color::TimeSignal).size(), 15u);

    copy.Segment(1).SetTIME(0x8000);
    EXPECT_EQ(UsedSegmentCount(copy), 0);
    const Lines lines = DrawPatternGraph(copy, true);
    EXPECT_TRUE(Only(lines, Color::TimeSignal).empty());
    EXPECT_EQ(Only(lines, Color::Grid).size(), 28u);
    EXPECT_EQ(Only(lines, Color::SetValue).size(), 20u);
}

TEST(PatternGraph, RowsFiveAndSixNeedTheOption) {
    ProgramPatternRecord copy = Pattern();
    for (int k = 1; k <= 6; ++k) {
        copy.Segment(2).SetTsOn(k, 15);
        copy.Segment(2).SetTsOff(k, 45);
    }
    const auto rowsDrawn = [&](bool option) {
        std::vector<int> rows;
        for (const GraphLine& l : Only(DrawPatternGraph(copy, option), Color::TimeSignal))
            if (l.y0 == l.y1 && l.y0 % 24 == 0 &&
                std::find(rows.begin(), rows.end(), l.y0 / 24) == rows.end())
                rows.push_back(l.y0 / 24);
        return rows;
    };
    EXPECT_EQ(rowsDrawn(false), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(rowsDrawn(true), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(PatternGraph, PositionsBeyondTheCellAreKept) {
    ProgramPatternRecord copy = Pattern();
    copy.Segment(1).SetTsOn(1, 30);
    copy.Segment(1).SetTsOff(1, 0x8000); // not used: far to the right, clipped by the frame
    const Lines lines = RowOf(copy, 1, 1);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], (GraphLine{12, 12, (24 * 0x8000) / 60, 12, Color::TimeSignal}));
}

} // namespace
