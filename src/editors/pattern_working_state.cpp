#include "editors/pattern_working_state.h"

namespace {
// Byte offsets of the table's columns within a segment record.
constexpr int kColumnOffset[SegmentByteTable::kColumns] = {seg::PIDNO, seg::GSORK, seg::GSTYP,
                                                           seg::PVST,  seg::CYCL,  seg::LINK};
} // namespace

void LoadPattern(const ParameterImage& image, int n, PatternWorkingState& state) {
    state.workingCopy = image.pattern[n - 1];
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        const SegmentRecord segment = state.workingCopy.Segment(s);
        for (int c = 0; c < SegmentByteTable::kColumns; ++c)
            state.segmentBytes.rows[s - 1][c] = segment.Byte(kColumnOffset[c]);
    }
}

void StorePattern(const PatternWorkingState& state, int n, ParameterImage& image) {
    ProgramPatternRecord& record = image.pattern[n - 1];
    record = state.workingCopy;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        SegmentRecord segment = record.Segment(s);
        for (int c = 0; c < SegmentByteTable::kColumns; ++c)
            segment.SetByte(kColumnOffset[c],
                            static_cast<uint8_t>(state.segmentBytes.rows[s - 1][c] & 0xFF));
    }
}
