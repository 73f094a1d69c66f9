#include "history/set_blocks.h"

#include <zlib.h>

#include <algorithm>

namespace {

void Put(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t Get(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t(at[i]) << (8 * i);
    return value;
}

constexpr size_t kRefSize = 10;

} // namespace

std::vector<uint8_t> EncodeRefs(const BlockRefs& refs) {
    std::vector<uint8_t> out;
    out.reserve(refs.size() * kRefSize);
    for (const BlockRef& r : refs) {
        Put(out, r.block, 2);
        Put(out, static_cast<uint64_t>(r.key), 8);
    }
    return out;
}

bool DecodeRefs(const std::vector<uint8_t>& bytes, BlockRefs& refs) {
    if (bytes.size() % kRefSize != 0)
        return false;
    refs.clear();
    for (size_t at = 0; at < bytes.size(); at += kRefSize)
        refs.push_back({static_cast<uint16_t>(Get(&bytes[at], 2)),
                        static_cast<int64_t>(Get(&bytes[at + 2], 8))});
    return true;
}

BlockRefs DiffRefs(const BlockRefs& base, const BlockRefs& now) {
    BlockRefs delta;
    for (const BlockRef& r : now)
        if (std::find(base.begin(), base.end(), r) == base.end())
            delta.push_back(r);
    return delta;
}

void ApplyRefs(BlockRefs& base, const BlockRefs& delta) {
    for (const BlockRef& r : delta) {
        const auto same = std::find_if(base.begin(), base.end(),
                                       [&](const BlockRef& b) { return b.block == r.block; });
        if (same != base.end())
            same->key = r.key;
        else
            base.push_back(r);
    }
}

int64_t BlockKey(const std::vector<uint8_t>& bytes) {
    return static_cast<int64_t>(ContentHash(bytes));
}

std::vector<uint8_t> PackBlock(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> stored{0};
    if (bytes.size() > 32) {
        uLongf size = compressBound(static_cast<uLong>(bytes.size()));
        std::vector<uint8_t> packed(size);
        if (compress2(packed.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 9) ==
                Z_OK &&
            size + 2 < bytes.size()) {
            stored[0] = 1;
            Put(stored, bytes.size(), 2);
            stored.insert(stored.end(), packed.begin(), packed.begin() + static_cast<long>(size));
            return stored;
        }
    }
    stored.insert(stored.end(), bytes.begin(), bytes.end());
    return stored;
}

std::string UnpackBlock(const std::vector<uint8_t>& stored, std::vector<uint8_t>& bytes) {
    if (stored.empty())
        return "a stored block is empty";
    if (stored[0] == 0) {
        bytes.assign(stored.begin() + 1, stored.end());
        return "";
    }
    if (stored[0] != 1 || stored.size() < 3)
        return "a stored block is of an unknown packing (" + std::to_string(stored[0]) + ")";
    uLongf size = static_cast<uLongf>(Get(&stored[1], 2));
    std::vector<uint8_t> raw(size);
    const uLongf expected = size;
    if (uncompress(raw.data(), &size, stored.data() + 3, static_cast<uLong>(stored.size() - 3)) !=
            Z_OK ||
        size != expected)
        return "a stored block does not unpack";
    bytes = std::move(raw);
    return "";
}

std::vector<uint8_t> JoinSet(const std::vector<SetEntry>& entries) {
    std::vector<uint8_t> bytes;
    for (const SetEntry& e : entries) {
        Put(bytes, e.block, 2);
        Put(bytes, e.bytes.size(), 2);
        bytes.insert(bytes.end(), e.bytes.begin(), e.bytes.end());
    }
    return bytes;
}
