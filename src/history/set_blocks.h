#pragma once

#include "history/snapshot_codec.h"

#include <cstdint>
#include <string>
#include <vector>

// How the history keeps sets small: each block of a set (a format 2 entry) is stored once
// by its content under a 64-bit key, and a snapshot lists only the blocks that differ from
// the snapshot it is based on (the previous one of its controller), every so often all of
// them, so that no set is more than a bounded number of steps from a whole list.

// One entry of a set: its block number and the key its bytes are stored under.
struct BlockRef {
    uint16_t block = 0;
    int64_t key = 0;
    bool operator==(const BlockRef& other) const {
        return block == other.block && key == other.key;
    }
};
using BlockRefs = std::vector<BlockRef>;

// A list of entries as stored: per entry the block number (16 bits) and the key (64 bits),
// little-endian.
std::vector<uint8_t> EncodeRefs(const BlockRefs& refs);
bool DecodeRefs(const std::vector<uint8_t>& bytes, BlockRefs& refs);

// The entries of `now` that `base` does not hold as they are.
BlockRefs DiffRefs(const BlockRefs& base, const BlockRefs& now);
// `base` with `delta` laid over it: an entry replaces the one of its block, or is added.
void ApplyRefs(BlockRefs& base, const BlockRefs& delta);

// Where a block's bytes are looked for first: FNV-1a of the bytes as a signed key. A key
// taken by other bytes is followed by the next one up.
int64_t BlockKey(const std::vector<uint8_t>& bytes);

// A block's bytes as stored: a first byte 0 and the bytes, or 1 and the bytes compressed
// with zlib where that is shorter.
std::vector<uint8_t> PackBlock(const std::vector<uint8_t>& bytes);
// "" or why `stored` is no packed block.
std::string UnpackBlock(const std::vector<uint8_t>& stored, std::vector<uint8_t>& bytes);

// A set's format 2 bytes from its entries in order.
std::vector<uint8_t> JoinSet(const std::vector<SetEntry>& entries);
