#pragma once

#include "image/parameter_image.h"

#include <array>
#include <cstdint>

// The per-segment byte fields of a pattern, widened to 16 bits: one row per segment.
struct SegmentByteTable {
    enum Column { PIDNO, GSORK, GSTYP, PVST, CYCL, LINK, kColumns };
    std::array<std::array<uint16_t, kColumns>, ProgramPatternRecord::kSegments> rows{};

    // s counts from 1.
    uint16_t& At(int s, Column c) { return rows[s - 1][c]; }
    uint16_t At(int s, Column c) const { return rows[s - 1][c]; }
};

// What the program pattern editor works on while it is open; its sub-editors and the
// pattern graph share it. Only the editor's OK and SEND store it back into the image.
struct PatternWorkingState {
    ProgramPatternRecord workingCopy; // PatternWorkingCopy
    SegmentByteTable segmentBytes;    // SegmentByteTable
    int selectedPattern = 1;          // 1..9
    int selectedTimeSignal = 1;       // 1..6
};

// Copies pattern n (1..9) of the image into the working state.
void LoadPattern(const ParameterImage& image, int n, PatternWorkingState& state);
// Copies the working state into pattern n of the image, the byte table over bytes 36..41.
void StorePattern(const PatternWorkingState& state, int n, ParameterImage& image);
