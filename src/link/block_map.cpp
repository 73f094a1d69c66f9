#include "link/block_map.h"

#include "link/tqxcomm.h"

namespace blockmap {

uint32_t BlockBase(int32_t block) {
    if (block >= 20 && block <= 37)
        return kPatternBase + kPatternBlockBytes * static_cast<uint32_t>(block - 20);
    return 0x0100u * static_cast<uint32_t>(block);
}

int32_t BlockAt(uint32_t address) {
    if (address >= kPatternBase) {
        const uint32_t index = (address - kPatternBase) / kPatternBlockBytes;
        return index < 18 ? static_cast<int32_t>(20 + index) : -1;
    }
    const int32_t block = static_cast<int32_t>(address >> 8);
    if (block >= 20 && block <= 37)
        return -1; // these block numbers live in pattern memory, not at 0x100 * b
    const int length = BlockLength(block);
    return (length > 0 && (address & 0xFF) < static_cast<uint32_t>(length)) ? block : -1;
}

Transfer Resolve(int32_t mode, int32_t block, int32_t offset, int32_t length) {
    Transfer t;
    bool words = false;
    switch (mode) {
    case TQX_MODE_READ_BYTES:
        break;
    case TQX_MODE_WRITE_BYTES:
    case TQX_MODE_WRITE_ABSOLUTE:
        t.write = true;
        break;
    case TQX_MODE_READ_WORDS:
        words = true;
        break;
    case TQX_MODE_WRITE_WORDS:
        words = true;
        t.write = true;
        break;
    default:
        return Transfer{};
    }
    const int blockLength = BlockLength(block);
    if (length <= 0 || length > TQX_MAX_UNITS || offset < 0 || blockLength == 0)
        return Transfer{};
    const int64_t bytes = words ? 2 * int64_t{length} : int64_t{length};
    int64_t start = BlockBase(block);
    int64_t end = start + blockLength;
    int64_t first = start + offset;
    if (mode == TQX_MODE_WRITE_ABSOLUTE) {
        if (block < 20 || block > 37)
            return Transfer{};
        start = kPatternBase + int64_t{kPatternBytes} * ((block - 20) / 2);
        end = start + kPatternBytes;
        first = offset;
    }
    if (first < start || first + bytes > end)
        return Transfer{};
    t.ok = true;
    t.address = static_cast<uint32_t>(first);
    t.bytes = static_cast<uint32_t>(bytes);
    return t;
}

} // namespace blockmap
