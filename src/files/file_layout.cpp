#include "files/file_layout.h"

#include <algorithm>

namespace {

using Kind = GroupId::Kind;

std::vector<const ParameterRow*> Filed(Kind kind) {
    std::vector<const ParameterRow*> rows;
    for (const ParameterRow& row : RowsOf(kind))
        if (row.fileRow > 0)
            rows.push_back(&row);
    std::sort(rows.begin(), rows.end(),
              [](const ParameterRow* a, const ParameterRow* b) { return a->fileRow < b->fileRow; });
    return rows;
}

int Count(Kind kind) {
    return static_cast<int>(FileRows(kind).size());
}

// The first entry of each section.
int FirstSystemEntry() {
    return Count(Kind::Advanced);
}
int FirstPidEntry() {
    return FirstSystemEntry() + Count(Kind::SystemSetup);
}
int PidWords() {
    return Count(Kind::PidGroup);
}
int SegmentFields() {
    return Count(Kind::Pattern);
}
int FirstPatternEntry() {
    return FirstPidEntry() + ParameterImage::kPidGroups * PidWords();
}
int PatternEntries() {
    return ProgramPatternRecord::kSegments * SegmentFields();
}

} // namespace

const std::vector<const ParameterRow*>& FileRows(GroupId::Kind kind) {
    static const std::vector<const ParameterRow*> rows[] = {
        Filed(Kind::SystemSetup), Filed(Kind::Advanced), Filed(Kind::PidGroup),
        Filed(Kind::Pattern)};
    return rows[static_cast<int>(kind)];
}

int FileValueCount() {
    return FirstPatternEntry() + ParameterImage::kPatterns * PatternEntries();
}

FileField FieldOfEntry(int e) {
    if (e < FirstSystemEntry())
        return {GroupId::Advanced(), FileRows(Kind::Advanced)[static_cast<size_t>(e)]};
    if (e < FirstPidEntry())
        return {GroupId::SystemSetup(),
                FileRows(Kind::SystemSetup)[static_cast<size_t>(e - FirstSystemEntry())]};
    if (e < FirstPatternEntry()) {
        const int p = e - FirstPidEntry();
        return {GroupId::Pid(p / PidWords() + 1),
                FileRows(Kind::PidGroup)[static_cast<size_t>(p % PidWords())]};
    }
    const int p = e - FirstPatternEntry();
    return {GroupId::Pattern(p / PatternEntries() + 1),
            FileRows(Kind::Pattern)[static_cast<size_t>(p % SegmentFields())],
            (p % PatternEntries()) / SegmentFields() + 1};
}

uint16_t GetEntry(const ParameterImage& image, int e) {
    const FileField f = FieldOfEntry(e);
    return RawValue(image, f.group, *f.row, f.segment);
}

void SetEntry(ParameterImage& image, int e, uint16_t value) {
    const FileField f = FieldOfEntry(e);
    SetRawValue(image, f.group, *f.row, value, f.segment);
}

void SpreadPatternBytes(ParameterImage& image) {
    for (const ParameterRow& row : SegmentRows()) {
        if (row.scope != Scope::Pattern)
            continue;
        for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
            const GroupId pattern = GroupId::Pattern(n);
            const uint16_t first = RawValue(image, pattern, row, 1);
            for (int s = 2; s <= ProgramPatternRecord::kSegments; ++s)
                SetRawValue(image, pattern, row, first, s);
        }
    }
}
