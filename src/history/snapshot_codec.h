#pragma once

#include "image/parameter_image.h"

#include <cstdint>
#include <string>
#include <vector>

// A whole parameter set as the history keeps it. The format number is stored beside the
// bytes, and every format once written stays readable. The connected flag belongs to the
// running loader, not to a set, and is not kept.
//
// Format 2 is the set as the controller's own blocks, so that it does not move when the
// parameter catalogue does: one entry per block, a 16-bit block number and a 16-bit length
// (little-endian) and then the block's bytes, in the order 0, 3, 12, 9, 10, 13, the PID
// blocks 4..8 and 46..49, the pattern blocks 20..37 and the model code block 40, then the
// entry kLoaderEntry. Bytes of blocks 12, 9, 10 and 13 that no parameter owns are 0.
// Format 1 (history/snapshot_format1.h) is read, and made only to find a set kept so.
constexpr int kSetFormat = 2;

// What the image keeps beyond the controller's blocks, under a number no block has: the
// fifteenth character of the model code (block 40 holds fourteen).
constexpr uint16_t kLoaderEntry = 0xFFFF;

// The set in kSetFormat, or in format 1 to find a set an older version stored.
std::vector<uint8_t> EncodeSet(const ParameterImage& image, int format = kSetFormat);

// "" or why `bytes` are no set of `format`; `image` changes only when they are.
std::string DecodeSet(int format, const std::vector<uint8_t>& bytes, ParameterImage& image);

// One entry of a format 2 set: a block's number and bytes.
struct SetEntry {
    uint16_t block = 0;
    std::vector<uint8_t> bytes;
};
// The entries of format 2 bytes in their stored order; "" or why they are no whole entries.
std::string SplitSet(const std::vector<uint8_t>& bytes, std::vector<SetEntry>& entries);

// FNV-1a over the bytes: where identical sets are looked for (the bytes then decide).
uint64_t ContentHash(const std::vector<uint8_t>& bytes);
