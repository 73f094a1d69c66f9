#pragma once

#include <cstddef>
#include <cstdint>

// Explicit little-endian access to controller byte images. The controller keeps every
// 16-bit field low byte first; records never cast structs onto buffers.
namespace le {

inline uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline int16_t GetI16(const uint8_t* p) {
    return static_cast<int16_t>(Get16(p));
}

inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutI16(uint8_t* p, int16_t v) {
    Put16(p, static_cast<uint16_t>(v));
}

} // namespace le
