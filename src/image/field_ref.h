#pragma once

#include <cstdint>

// A named field of a group record, 8 or 16 bits wide, read and written as its stored
// 16-bit pattern (an 8-bit field takes the low byte). Used by the block layouts and the
// parameter file so each record's fields are listed once per use, as data.
template <class Record> struct FieldRef {
    const char* mnemonic;
    uint8_t Record::*u8 = nullptr;
    int16_t Record::*i16 = nullptr;

    constexpr FieldRef(const char* name, uint8_t Record::*m) : mnemonic(name), u8(m) {}
    constexpr FieldRef(const char* name, int16_t Record::*m) : mnemonic(name), i16(m) {}

    int Width() const { return u8 ? 1 : 2; }
    uint16_t Get(const Record& r) const {
        return u8 ? static_cast<uint16_t>(r.*u8) : static_cast<uint16_t>(r.*i16);
    }
    void Set(Record& r, uint16_t v) const {
        if (u8)
            r.*u8 = static_cast<uint8_t>(v & 0xFF);
        else
            r.*i16 = static_cast<int16_t>(v);
    }
};

// A field placed at a byte offset of a controller block.
template <class Record> struct BlockField {
    int offset;
    FieldRef<Record> field;
};
