#pragma once

#include "image/field_ref.h"
#include "image/parameter_image.h"
#include "image/records.h"

#include <vector>

// What the parameter file holds and where. The writer and both readers work from these
// tables. An "entry" is the index of a numeric cell in the order the writer emits them
// (0..4469): advanced, system setup, PID groups word by word, patterns segment by segment.

constexpr int kFileValues = 4470; // 12 + 30 + 108 + 4320 numeric cells
constexpr int kAdvancedFirstRow = 2;
constexpr int kSystemTitleRow = 14;
constexpr int kSystemFirstRow = 15;
constexpr int kPidHeaderRow = 45;
constexpr int kPidFirstRow = 46;
constexpr int kPatternFirstRow = 58; // pattern n starts at row 58 + 26 (n - 1)
constexpr int kPatternRows = 26;
constexpr int kSegmentFields = 24;

constexpr int kAdvancedEntries = 12;
constexpr int kSystemEntries = 30;
constexpr int kFirstSystemEntry = kAdvancedEntries;                               // 12
constexpr int kFirstPidEntry = kFirstSystemEntry + kSystemEntries;                // 42
constexpr int kFirstPatternEntry = kFirstPidEntry + 9 * 12;                       // 150
constexpr int kPatternEntries = ProgramPatternRecord::kSegments * kSegmentFields; // 480

// Segment field rows of the pattern-wide bytes that the reader spreads from segment 1.
constexpr int kPvstField = 21;
constexpr int kCyclField = 22;
constexpr int kLinkField = 23;

// Rows 2 to 13: the advanced fields the file holds (not GAP, MAX, PP, PI, PD).
const std::vector<FieldRef<AdvancedRecord>>& FileAdvancedFields();
// Rows 15 to 44: the thirty system setup fields.
const std::vector<FieldRef<SystemSetupRecord>>& FileSystemFields();
// Rows 46 to 57: labels of the twelve words of a PID group.
extern const char* const kPidRowLabels[12];
// Rows B+2 to B+25: labels of the 24 fields of a segment (words 0..17, bytes 36..41).
extern const char* const kSegmentRowLabels[kSegmentFields];

constexpr int PatternBaseRow(int n) {
    return kPatternFirstRow + kPatternRows * (n - 1);
}

// Entry numbers of the PID words and the segment fields (g, n, s count from 1).
constexpr int PidEntry(int g, int k) {
    return kFirstPidEntry + 12 * (g - 1) + k;
}
constexpr int SegmentEntry(int n, int s, int r) {
    return kFirstPatternEntry + kPatternEntries * (n - 1) + kSegmentFields * (s - 1) + r;
}

// Where the writer puts an entry's value cell.
struct FileCell {
    int row;
    int column;
};
FileCell CellOfEntry(int entry);
// The entry whose value cell the writer puts at (row, column), or -1 if none.
int EntryAtCell(int row, int column);

// The numeric cell order of a file re-saved by a spreadsheet program (row by row): the
// entry of the i-th value.
int EntryOfSpreadsheetIndex(int i);

// An entry's field read and written as its stored 16-bit pattern; an 8-bit field takes
// the low byte.
uint16_t GetEntry(const ParameterImage& image, int entry);
void SetEntry(ParameterImage& image, int entry, uint16_t value);

// PVST, CYCL and LINK belong to the whole pattern: segment 1's values into all twenty.
void SpreadPatternBytes(ParameterImage& image);
