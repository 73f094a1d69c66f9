#include "image/group_layouts.h"

#include "image/little_endian.h"

#include <algorithm>

namespace {

template <class Record> void CopyOut(int32_t number, const uint8_t* block, Record& record) {
    constexpr auto kind = std::is_same_v<Record, SystemSetupRecord> ? GroupId::Kind::SystemSetup
                                                                    : GroupId::Kind::Advanced;
    for (const ParameterRow* row : RowsInBlock(kind, number))
        SetRawValue(record, *row,
                    row->Bytes() == 1 ? block[row->offset] : le::Get16(block + row->offset));
}

template <class Record> void CopyIn(const Record& record, int32_t number, uint8_t* block) {
    constexpr auto kind = std::is_same_v<Record, SystemSetupRecord> ? GroupId::Kind::SystemSetup
                                                                    : GroupId::Kind::Advanced;
    for (const ParameterRow* row : RowsInBlock(kind, number)) {
        if (row->Bytes() == 1)
            block[row->offset] = static_cast<uint8_t>(RawValue(record, *row));
        else
            le::Put16(block + row->offset, RawValue(record, *row));
    }
}

} // namespace

std::vector<const ParameterRow*> RowsInBlock(GroupId::Kind kind, int32_t block) {
    std::vector<const ParameterRow*> rows;
    for (const ParameterRow& row : RowsOf(kind))
        if (row.block == block)
            rows.push_back(&row);
    std::sort(rows.begin(), rows.end(),
              [](const ParameterRow* a, const ParameterRow* b) { return a->offset < b->offset; });
    return rows;
}

void SystemSetupFromBlocks(const Block12& b12, const Block9& b9, SystemSetupRecord& setup) {
    CopyOut(blocks::kSystemSetupA, b12.data(), setup);
    CopyOut(blocks::kSystemSetupB, b9.data(), setup);
}

void SystemSetupIntoBlocks(const SystemSetupRecord& setup, Block12& b12, Block9& b9) {
    CopyIn(setup, blocks::kSystemSetupA, b12.data());
    CopyIn(setup, blocks::kSystemSetupB, b9.data());
}

void AdvancedFromBlock10(const Block10& b10, AdvancedRecord& advanced) {
    CopyOut(blocks::kAdvancedA, b10.data(), advanced);
}

void AdvancedFromBlock13(const Block13& b13, AdvancedRecord& advanced) {
    CopyOut(blocks::kAdvancedB, b13.data(), advanced);
}

void AdvancedIntoBlocks(const AdvancedRecord& advanced, Block10& b10, Block13& b13) {
    CopyIn(advanced, blocks::kAdvancedA, b10.data());
    CopyIn(advanced, blocks::kAdvancedB, b13.data());
}
