#pragma once

#include <cstdint>

// Controller bytes and the Modbus registers that hold them: register r holds byte 2r in its
// low half and byte 2r+1 in its high half. A byte range may begin or end inside a register;
// a write then reads that register first, so that its other byte keeps the controller's
// value.
struct RegisterSpan {
    uint32_t address = 0; // the range's first byte
    uint32_t bytes = 0;
    uint32_t first = 0; // the first register holding a byte of the range
    uint32_t count = 0;
    // The first and the last register also hold a byte outside the range. A span of one
    // register sets at most one of the two, so that the register is read once.
    bool firstPartial = false;
    bool lastPartial = false;
};

// The registers that hold bytes [address, address + bytes); `bytes` is at least 1.
RegisterSpan SpanOfBytes(uint32_t address, uint32_t bytes);

// The range's bytes out of `registers` (span.count of them, from span.first).
void BytesFromRegisters(const RegisterSpan& span, const uint16_t* registers, uint8_t* bytes);

// Puts the range's bytes into `registers`, keeping the other byte of a partial register.
void MergeBytesIntoRegisters(const RegisterSpan& span, const uint8_t* bytes, uint16_t* registers);
