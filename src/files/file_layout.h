#pragma once

#include "image/group_id.h"
#include "image/parameter_catalogue.h"
#include "image/parameter_image.h"

#include <vector>

// What the parameter file holds and where, made from the parameter catalogue: each row
// that has a file row, section by section. The writer and the reader work from these.
// An "entry" is the index of a numeric cell in the order the writer emits them
// (0..4469): advanced, system setup, PID groups word by word, patterns segment by segment.

constexpr int kSystemTitleRow = 14;
constexpr int kPidHeaderRow = 45;
constexpr int kPatternFirstRow = 58; // pattern n starts at row 58 + 26 (n - 1)
constexpr int kPatternRows = 26;

// The rows of a kind of group that the file carries, in file row order.
const std::vector<const ParameterRow*>& FileRows(GroupId::Kind kind);

int FileValueCount(); // 12 + 30 + 108 + 4320 numeric cells

constexpr int PatternBaseRow(int n) {
    return kPatternFirstRow + kPatternRows * (n - 1);
}

// The field an entry stands for: a group, one of its rows, and the segment (1..20) of a
// pattern's row.
struct FileField {
    GroupId group;
    const ParameterRow* row = nullptr;
    int segment = 0;
};
FileField FieldOfEntry(int entry);

// An entry's field read and written as its stored 16-bit pattern; an 8-bit field takes
// the low byte.
uint16_t GetEntry(const ParameterImage& image, int entry);
void SetEntry(ParameterImage& image, int entry, uint16_t value);

// PVST, CYCL and LINK belong to the whole pattern: segment 1's values into all twenty.
void SpreadPatternBytes(ParameterImage& image);
