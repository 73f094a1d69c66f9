#include "editors/pattern_graph.h"

using graph::kCell;

GraphRgb LineRgb(GraphLine::Color color) {
    switch (color) {
    case GraphLine::Color::Grid:
        return {0, 255, 0};
    case GraphLine::Color::SetValue:
        return {255, 0, 0};
    case GraphLine::Color::TimeSignal:
        break;
    }
    return {0, 0, 255};
}

int SetValueY(uint16_t v) {
    const int percent = static_cast<int>(v / 100u);
    return ((100 - percent) * graph::kScaleBottom) / 100; // truncates towards zero
}

int UsedSegmentCount(const ProgramPatternRecord& copy) {
    int n = 0;
    while (n < ProgramPatternRecord::kSegments && copy.Segment(n + 1).TIME() != 0x8000)
        ++n;
    return n;
}

void DrawTimeSignalRow(const ProgramPatternRecord& copy, int k, int r, int n,
                       std::vector<GraphLine>& lines) {
    const int b = graph::kRowPitch * r;
    const int h = b - graph::kRaise;
    const auto blue = GraphLine::Color::TimeSignal;
    for (int s = 1; s <= n; ++s) {
        const int x0 = kCell * (s - 1);
        const int x1 = x0 + kCell;
        const SegmentRecord segment = copy.Segment(s);
        const uint32_t on = segment.TsOn(k);
        const uint32_t off = segment.TsOff(k);
        const uint32_t time = segment.TIME();
        // The last segment has no successor: its times count as zero.
        bool nextActive = false;
        if (s < ProgramPatternRecord::kSegments) {
            const SegmentRecord next = copy.Segment(s + 1);
            nextActive = next.TsOn(k) != 0 || next.TsOff(k) != 0;
        }
        if (off < on && nextActive) {
            // The signal stays on into the next segment.
            lines.push_back({x0, b, x1, b, blue});
            continue;
        }
        if (on == 0x8000 || time == 0 || on == 0)
            continue;
        const int xOn = x0 + static_cast<int>((kCell * on) / time);
        const int xOff = x0 + static_cast<int>((kCell * off) / time);
        lines.push_back({x0, b, xOn, b, blue});
        lines.push_back({xOn, b, xOn, h, blue});
        lines.push_back({xOn, h, xOff, h, blue});
        lines.push_back({xOff, h, xOff, b, blue});
        lines.push_back({xOff, b, x1, b, blue});
    }
}

std::vector<GraphLine> DrawPatternGraph(const ProgramPatternRecord& copy, bool timeSignalOption) {
    std::vector<GraphLine> lines;
    const auto green = GraphLine::Color::Grid;
    for (int y = 0; y <= graph::kHeight; y += graph::kRowPitch)
        lines.push_back({0, y, graph::kWidth, y, green});
    for (int x = 0; x <= graph::kWidth; x += kCell)
        lines.push_back({x, 0, x, graph::kHeight, green});

    // The first cell is flat at segment 1's value; every later cell ramps to its own.
    const auto red = GraphLine::Color::SetValue;
    const auto y = [&copy](int s) { return SetValueY(copy.Segment(s).Word(seg::SV)); };
    lines.push_back({0, y(1), kCell, y(1), red});
    for (int s = 1; s < ProgramPatternRecord::kSegments; ++s)
        lines.push_back({kCell * s, y(s), kCell * (s + 1), y(s + 1), red});

    const int n = UsedSegmentCount(copy);
    const int rows = timeSignalOption ? graph::kTimeSignals : graph::kStandardTimeSignals;
    for (int k = 1; k <= rows; ++k)
        DrawTimeSignalRow(copy, k, k, n, lines);
    return lines;
}
