#pragma once

#include <cstdint>

// The controller's numbered memory blocks and their lengths in bytes: what the link moves
// and what each parameter group is made of. Written once; the link's block map, the
// group layouts and the Connect sequence take their lengths from here.
namespace blocks {

struct Size {
    int32_t block;
    int bytes;
};

// Every block but the pattern blocks 20..37 (420 bytes each).
inline constexpr Size kSizes[] = {
    {0, 6},   {3, 10},  {4, 24},  {5, 24},  {6, 24},  {7, 24},  {8, 24},
    {9, 26},  {10, 17}, {12, 33}, {13, 12}, {40, 14}, {41, 18}, {42, 10},
    {43, 12}, {44, 12}, {46, 24}, {47, 24}, {48, 24}, {49, 24},
};

constexpr int32_t kFirstPattern = 20; // block A of pattern 1
constexpr int32_t kLastPattern = 37;  // block B of pattern 9
constexpr int kPatternBlockBytes = 420;

// The blocks of PID groups 1 to 9, in group order.
inline constexpr int32_t kPidBlocks[9] = {4, 5, 6, 7, 8, 46, 47, 48, 49};

constexpr int32_t kSystemSetupA = 12; // the input, outputs and times
constexpr int32_t kSystemSetupB = 9;  // the filter, soak band, event types, end signal
constexpr int32_t kAdvancedA = 10;    // limits, hysteresis, WDIS
constexpr int32_t kAdvancedB = 13;    // auto-tuning and the values only the controller uses
constexpr int32_t kModelCode = 40;

// Length in bytes of a block the controller knows, 0 for an unknown block.
constexpr int Bytes(int32_t block) {
    if (block >= kFirstPattern && block <= kLastPattern)
        return kPatternBlockBytes;
    for (const Size& s : kSizes)
        if (s.block == block)
            return s.bytes;
    return 0;
}

// Pattern n (1..9) lives in blocks A (record bytes 0..419) and B = A + 1 (420..839).
constexpr int32_t PatternA(int n) {
    return kFirstPattern + 2 * (n - 1);
}
constexpr int32_t PatternB(int n) {
    return PatternA(n) + 1;
}

} // namespace blocks
