#include "files/file_layout.h"

namespace {
using AR = AdvancedRecord;
using SS = SystemSetupRecord;
constexpr int kFirstByteField = 18; // PIDNO; fields 18..23 are bytes 36..41

uint16_t GetSegmentField(const ProgramPatternRecord& pattern, int s, int r) {
    const SegmentRecord segment = pattern.Segment(s);
    if (r < kFirstByteField)
        return segment.Word(2 * r);
    return segment.Byte(seg::PIDNO + (r - kFirstByteField));
}

void SetSegmentField(ProgramPatternRecord& pattern, int s, int r, uint16_t value) {
    SegmentRecord segment = pattern.Segment(s);
    if (r < kFirstByteField)
        segment.SetWord(2 * r, value);
    else
        segment.SetByte(seg::PIDNO + (r - kFirstByteField), static_cast<uint8_t>(value & 0xFF));
}
} // namespace

const std::vector<FieldRef<AR>>& FileAdvancedFields() {
    static const std::vector<FieldRef<AR>> fields = {
        {"SV-H", &AR::SV_H}, {"SV-L", &AR::SV_L}, {"DMV", &AR::DMV},     {"A1HS", &AR::A1HS},
        {"A2HS", &AR::A2HS}, {"A3HS", &AR::A3HS}, {"A4HS", &AR::A4HS},   {"DV-D", &AR::DV_D},
        {"MVLT", &AR::MVLT}, {"WDIS", &AR::WDIS}, {"SVMOD", &AR::SVMOD}, {"PID", &AR::PID},
    };
    return fields;
}

const std::vector<FieldRef<SS>>& FileSystemFields() {
    static const std::vector<FieldRef<SS>> fields = {
        {"PVT", &SS::PVT},     {"PVU", &SS::PVU},     {"PVD", &SS::PVD},     {"PVF", &SS::PVF},
        {"PVB", &SS::PVB},     {"SFT", &SS::SFT},     {"STM", &SS::STM},     {"CI", &SS::CI},
        {"PSET", &SS::PSET},   {"BURN", &SS::BURN},   {"AO1R", &SS::AO1R},   {"AO1T", &SS::AO1T},
        {"AO1F", &SS::AO1F},   {"AO1B", &SS::AO1B},   {"AO2R", &SS::AO2R},   {"AO2T", &SS::AO2T},
        {"AO2F", &SS::AO2F},   {"AO2B", &SS::AO2B},   {"TMDT", &SS::TMDT},   {"TMU", &SS::TMU},
        {"STN", &SS::STN},     {"TF", &SS::TF},       {"GS-H", &SS::GS_H},   {"GS-L", &SS::GS_L},
        {"GS-T", &SS::GS_T},   {"EV-T1", &SS::EV_T1}, {"EV-T2", &SS::EV_T2}, {"EV-T3", &SS::EV_T3},
        {"EV-T4", &SS::EV_T4}, {"ENDT", &SS::ENDT},
    };
    return fields;
}

const char* const kPidRowLabels[12] = {"P",   "I",    "D",    "GAP", "KNL",    "ARW",
                                       "MAN", "MV-H", "MV-L", "REV", "NO USE", "NO USE"};

const char* const kSegmentRowLabels[kSegmentFields] = {
    "SV",    "TIME",  "ALM1",  "ALM2",  "ALM3",  "ALM4",  "TS1ON", "TS1OF",
    "TS2ON", "TS2OF", "TS3ON", "TS3OF", "TS4ON", "TS4OF", "TS5ON", "TS5OF",
    "TS6ON", "TS6OF", "PIDNO", "GSORK", "GSTYP", "PVST",  "CYCL",  "LINK"};

FileCell CellOfEntry(int e) {
    if (e < kFirstSystemEntry)
        return {kAdvancedFirstRow + e, 2};
    if (e < kFirstPidEntry)
        return {kSystemFirstRow + (e - kFirstSystemEntry), 2};
    if (e < kFirstPatternEntry) {
        const int g = (e - kFirstPidEntry) / 12 + 1;
        const int k = (e - kFirstPidEntry) % 12;
        return {kPidFirstRow + k, 2 * g};
    }
    const int p = e - kFirstPatternEntry;
    const int n = p / kPatternEntries + 1;
    const int s = (p % kPatternEntries) / kSegmentFields + 1;
    const int r = p % kSegmentFields;
    return {PatternBaseRow(n) + 2 + r, s + 1};
}

int EntryAtCell(int row, int column) {
    if (row >= kAdvancedFirstRow && row < kAdvancedFirstRow + kAdvancedEntries)
        return column == 2 ? row - kAdvancedFirstRow : -1;
    if (row >= kSystemFirstRow && row < kSystemFirstRow + kSystemEntries)
        return column == 2 ? kFirstSystemEntry + (row - kSystemFirstRow) : -1;
    if (row >= kPidFirstRow && row < kPidFirstRow + 12) {
        if (column < 2 || column > 18 || column % 2 != 0)
            return -1;
        return PidEntry(column / 2, row - kPidFirstRow);
    }
    if (row < kPatternFirstRow || row >= PatternBaseRow(10))
        return -1;
    const int n = (row - kPatternFirstRow) / kPatternRows + 1;
    const int r = row - PatternBaseRow(n) - 2;
    const int s = column - 1;
    if (r < 0 || s < 1 || s > ProgramPatternRecord::kSegments)
        return -1;
    return SegmentEntry(n, s, r);
}

int EntryOfSpreadsheetIndex(int i) {
    if (i < kFirstPidEntry)
        return i;
    if (i < kFirstPatternEntry) {
        const int k = (i - kFirstPidEntry) / 9;
        const int g = (i - kFirstPidEntry) % 9 + 1;
        return PidEntry(g, k);
    }
    const int p = i - kFirstPatternEntry;
    const int n = p / kPatternEntries + 1;
    const int r = (p % kPatternEntries) / ProgramPatternRecord::kSegments;
    const int s = p % ProgramPatternRecord::kSegments + 1;
    return SegmentEntry(n, s, r);
}

uint16_t GetEntry(const ParameterImage& image, int e) {
    if (e < kFirstSystemEntry)
        return FileAdvancedFields()[e].Get(image.advanced);
    if (e < kFirstPidEntry)
        return FileSystemFields()[e - kFirstSystemEntry].Get(image.systemSetup);
    if (e < kFirstPatternEntry)
        return image.pid[(e - kFirstPidEntry) / 12].Word((e - kFirstPidEntry) % 12);
    const int p = e - kFirstPatternEntry;
    return GetSegmentField(image.pattern[p / kPatternEntries],
                           (p % kPatternEntries) / kSegmentFields + 1, p % kSegmentFields);
}

void SetEntry(ParameterImage& image, int e, uint16_t value) {
    if (e < kFirstSystemEntry)
        return FileAdvancedFields()[e].Set(image.advanced, value);
    if (e < kFirstPidEntry)
        return FileSystemFields()[e - kFirstSystemEntry].Set(image.systemSetup, value);
    if (e < kFirstPatternEntry)
        return image.pid[(e - kFirstPidEntry) / 12].SetWord((e - kFirstPidEntry) % 12, value);
    const int p = e - kFirstPatternEntry;
    SetSegmentField(image.pattern[p / kPatternEntries], (p % kPatternEntries) / kSegmentFields + 1,
                    p % kSegmentFields, value);
}

void SpreadPatternBytes(ParameterImage& image) {
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        for (int r : {kPvstField, kCyclField, kLinkField}) {
            const uint16_t first = GetEntry(image, SegmentEntry(n, 1, r));
            for (int s = 2; s <= ProgramPatternRecord::kSegments; ++s)
                SetEntry(image, SegmentEntry(n, s, r), first);
        }
}
