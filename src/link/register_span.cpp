#include "link/register_span.h"

RegisterSpan SpanOfBytes(uint32_t address, uint32_t bytes) {
    RegisterSpan span;
    span.address = address;
    span.bytes = bytes;
    span.first = address / 2;
    const uint32_t last = (address + bytes - 1) / 2;
    span.count = last - span.first + 1;
    span.firstPartial = address % 2 != 0;
    span.lastPartial = (address + bytes) % 2 != 0;
    return span;
}

void BytesFromRegisters(const RegisterSpan& span, const uint16_t* registers, uint8_t* bytes) {
    for (uint32_t i = 0; i < span.bytes; ++i) {
        const uint32_t a = span.address + i;
        const uint16_t r = registers[a / 2 - span.first];
        bytes[i] = static_cast<uint8_t>(a % 2 == 0 ? r & 0xFF : r >> 8);
    }
}

void MergeBytesIntoRegisters(const RegisterSpan& span, const uint8_t* bytes, uint16_t* registers) {
    for (uint32_t i = 0; i < span.bytes; ++i) {
        const uint32_t a = span.address + i;
        uint16_t& r = registers[a / 2 - span.first];
        r = a % 2 == 0 ? static_cast<uint16_t>((r & 0xFF00) | bytes[i])
                       : static_cast<uint16_t>((r & 0x00FF) | (bytes[i] << 8));
    }
}
