#include "image/parameter_catalogue.h"

#include "image/little_endian.h"
#include "image/parameter_image.h"

#include <cstdio>
#include <cstdlib>

std::string ParameterRow::DisplayName() const {
    if (!label || std::string(label) == mnemonic)
        return mnemonic;
    return std::string(mnemonic) + " (" + label + ")";
}

const std::vector<ParameterRow>& RowsOf(GroupId::Kind kind) {
    switch (kind) {
    case GroupId::Kind::SystemSetup:
        return SystemSetupRows();
    case GroupId::Kind::Advanced:
        return AdvancedRows();
    case GroupId::Kind::PidGroup:
        return PidGroupRows();
    case GroupId::Kind::Pattern:
        break;
    }
    return SegmentRows();
}

const ParameterRow* FindRow(GroupId::Kind kind, const std::string& name) {
    const std::vector<ParameterRow>& rows = RowsOf(kind);
    for (const ParameterRow& row : rows)
        if (name == row.mnemonic)
            return &row;
    for (const ParameterRow& row : rows)
        if (row.label && name == row.label)
            return &row;
    return nullptr;
}

namespace {

template <class Member, class Pick>
const ParameterRow& RowOfMember(const std::vector<ParameterRow>& rows, Member member, Pick pick) {
    for (const ParameterRow& row : rows)
        if (row.*pick == member)
            return row;
    // Every member of the two named records has its row (the catalogue's tests check it);
    // going on with another row's facts would store a value in the wrong place.
    std::fprintf(stderr, "a record member without a catalogue row\n");
    std::abort();
}

const ParameterRow& RowAt(const std::vector<ParameterRow>& rows, int offset) {
    for (const ParameterRow& row : rows)
        if (row.offset == offset)
            return row;
    std::fprintf(stderr, "no catalogue row at offset %d\n", offset);
    std::abort();
}

} // namespace

const ParameterRow& PidRow(int word) {
    return RowAt(PidGroupRows(), 2 * word);
}

const ParameterRow& SegmentRow(int offset) {
    return RowAt(SegmentRows(), offset);
}

bool IsRangeValue(const ParameterRow& row) {
    return row.encoding == Encoding::RangeAbsolute || row.encoding == Encoding::RangeDifference;
}

const ParameterRow& RowOf(uint8_t SystemSetupRecord::*member) {
    return RowOfMember(SystemSetupRows(), member, &ParameterRow::setupU8);
}
const ParameterRow& RowOf(int16_t SystemSetupRecord::*member) {
    return RowOfMember(SystemSetupRows(), member, &ParameterRow::setupI16);
}
const ParameterRow& RowOf(uint8_t AdvancedRecord::*member) {
    return RowOfMember(AdvancedRows(), member, &ParameterRow::advancedU8);
}
const ParameterRow& RowOf(int16_t AdvancedRecord::*member) {
    return RowOfMember(AdvancedRows(), member, &ParameterRow::advancedI16);
}

std::string HelpText(const std::string& name) {
    for (GroupId::Kind kind : {GroupId::Kind::SystemSetup, GroupId::Kind::Advanced,
                               GroupId::Kind::PidGroup, GroupId::Kind::Pattern})
        for (const ParameterRow& row : RowsOf(kind))
            if (row.help && (name == row.Label() || name == row.mnemonic))
                return row.help;
    return {};
}

uint16_t RawValue(const SystemSetupRecord& record, const ParameterRow& row) {
    return row.setupU8 ? record.*row.setupU8 : static_cast<uint16_t>(record.*row.setupI16);
}

uint16_t RawValue(const AdvancedRecord& record, const ParameterRow& row) {
    return row.advancedU8 ? record.*row.advancedU8 : static_cast<uint16_t>(record.*row.advancedI16);
}

void SetRawValue(SystemSetupRecord& record, const ParameterRow& row, uint16_t value) {
    if (row.setupU8)
        record.*row.setupU8 = static_cast<uint8_t>(value & 0xFF);
    else
        record.*row.setupI16 = static_cast<int16_t>(value);
}

void SetRawValue(AdvancedRecord& record, const ParameterRow& row, uint16_t value) {
    if (row.advancedU8)
        record.*row.advancedU8 = static_cast<uint8_t>(value & 0xFF);
    else
        record.*row.advancedI16 = static_cast<int16_t>(value);
}

uint16_t RawValue(const ParameterImage& image, GroupId group, const ParameterRow& row,
                  int segment) {
    const auto i = static_cast<size_t>(group.number() - 1);
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return RawValue(image.systemSetup, row);
    case GroupId::Kind::Advanced:
        return RawValue(image.advanced, row);
    case GroupId::Kind::PidGroup:
        return image.pid[i].Word(row.offset / 2);
    case GroupId::Kind::Pattern: {
        const SegmentRecord s = image.pattern[i].Segment(segment);
        return row.width == FieldWidth::U8 ? s.Byte(row.offset) : s.Word(row.offset);
    }
    }
    return 0;
}

int32_t StoredValue(const ParameterImage& image, GroupId group, const ParameterRow& row,
                    int segment) {
    const uint16_t raw = RawValue(image, group, row, segment);
    return row.width == FieldWidth::I16 ? static_cast<int16_t>(raw) : raw;
}

void SetRawValue(ParameterImage& image, GroupId group, const ParameterRow& row, uint16_t value,
                 int segment) {
    const auto i = static_cast<size_t>(group.number() - 1);
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return SetRawValue(image.systemSetup, row, value);
    case GroupId::Kind::Advanced:
        return SetRawValue(image.advanced, row, value);
    case GroupId::Kind::PidGroup:
        image.pid[i].SetWord(row.offset / 2, value);
        return;
    case GroupId::Kind::Pattern: {
        SegmentRecord s = image.pattern[i].Segment(segment);
        if (row.width == FieldWidth::U8)
            s.SetByte(row.offset, static_cast<uint8_t>(value & 0xFF));
        else
            s.SetWord(row.offset, value);
        return;
    }
    }
}

bool FitsField(const ParameterRow& row, int64_t value) {
    switch (row.width) {
    case FieldWidth::U8:
        return value >= 0 && value <= 0xFF;
    case FieldWidth::I16:
        return value >= -32768 && value <= 0xFFFF; // the signed value or its 16-bit pattern
    case FieldWidth::U16:
        return value >= 0 && value <= 0xFFFF;
    }
    return false;
}

bool AnalogueOutputIsMv(const SystemSetupRecord& setup, int output) {
    return (output == 1 ? setup.AO1T : setup.AO2T) == kAnalogueSourceMv;
}

int32_t ClampedToWord(int32_t value) {
    return value == 32770 ? 32767 : value;
}
