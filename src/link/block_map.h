#pragma once

#include "image/controller_blocks.h"

#include <cstdint>

// Where each controller block lives in the controller's 64 KiB byte memory, and which
// calls the link accepts. Shared by the Modbus transport and the simulated controller so
// both refuse exactly the same calls.
namespace blockmap {

constexpr uint32_t kMemoryBytes = 0x10000;
constexpr uint32_t kPatternBase = 0xC000; // byte 0 of pattern 1
constexpr uint32_t kPatternBytes = 840;   // one pattern: blocks A and B
constexpr uint32_t kPatternBlockBytes = blocks::kPatternBlockBytes;

// The blocks of PID groups 1 to 9, in group order.
using blocks::kPidBlocks;

// Length in bytes of a block the controller knows, 0 for an unknown block.
constexpr int BlockLength(int32_t block) {
    return blocks::Bytes(block);
}

// Byte address of byte 0 of a known block.
uint32_t BlockBase(int32_t block);

// The block that holds byte address `address`, or -1 when no known block does.
int32_t BlockAt(uint32_t address);

// A call resolved onto controller memory.
struct Transfer {
    bool ok = false; // false: the call is refused, nothing goes on the line
    bool write = false;
    uint32_t address = 0; // first byte
    uint32_t bytes = 0;   // number of bytes moved
};

// Validates mode, block, offset and length (units of the mode, at most 126) and resolves
// them onto memory. Mode 12 takes `offset` as an absolute byte address that must lie in
// the pattern memory of the block's pattern.
Transfer Resolve(int32_t mode, int32_t block, int32_t offset, int32_t length);

} // namespace blockmap
