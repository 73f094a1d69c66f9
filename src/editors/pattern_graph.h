#pragma once

#include "image/records.h"

#include <cstdint>
#include <vector>

// Geometry of the pattern graph, in pixels of the drawing frame's client area: origin at
// its top-left corner, y downwards. The pixel sizes are fixed; the frame is never scaled.
namespace graph {
constexpr int kCell = 24;               // width of one segment
constexpr int kWidth = 20 * kCell;      // 480
constexpr int kHeight = 144;            // grid height
constexpr int kRowPitch = 24;           // time-signal row r has its baseline at 24 r
constexpr int kRaise = 12;              // a bar's raised level is this far above it
constexpr int kScaleTop = 0;            // set value 100 % of the span
constexpr int kScaleMiddle = 48;        // 50 %
constexpr int kScaleBottom = 96;        // 0 %
constexpr int kStandardTimeSignals = 4; // rows 5 and 6 need the time-signal option
constexpr int kTimeSignals = 6;
} // namespace graph

// One straight line of the drawing, drawn with a solid 1-pixel pen of its colour.
struct GraphLine {
    enum class Color { Grid, SetValue, TimeSignal };

    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    Color color = Color::Grid;

    bool operator==(const GraphLine& o) const {
        return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1 && color == o.color;
    }
};

struct GraphRgb {
    uint8_t red, green, blue;
};
// Grid green, set-value line red, time-signal bars blue.
GraphRgb LineRgb(GraphLine::Color color);

// Height of a set value: v read as unsigned 16 bits, whole percent of the span, 96 px for
// 100 %. Values outside 0..100 % fall outside the scale (the frame clips them).
int SetValueY(uint16_t v);

// The number of leading segments whose TIME is in use (not 0x8000).
int UsedSegmentCount(const ProgramPatternRecord& copy);

// The on/off bars of time signal k (1..6) in row r (1..6) over the first n segments.
void DrawTimeSignalRow(const ProgramPatternRecord& copy, int k, int r, int n,
                       std::vector<GraphLine>& lines);

// The whole picture, in drawing order: grid, set-value line, time-signal rows.
std::vector<GraphLine> DrawPatternGraph(const ProgramPatternRecord& copy, bool timeSignalOption);
