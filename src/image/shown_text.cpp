#include "image/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string Escaped(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// The length of the UTF-8 sequence at `s[i]` and its code point; 0 when it is none.
size_t Utf8Sequence(const std::string& s, size_t i, uint32_t& code) {
    const uint8_t lead = static_cast<uint8_t>(s[i]);
    size_t length = 0;
    uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80, code = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800, code = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000, code = lead & 0x07u;
    if (length == 0 || i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const uint8_t next = static_cast<uint8_t>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

std::string ShownText(const std::string& raw) {
    std::string shown;
    shown.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        const uint8_t byte = static_cast<uint8_t>(raw[i]);
        if (byte < 0x80) {
            shown += byte < 0x20 || byte == 0x7F ? Escaped(byte) : std::string(1, raw[i]);
            ++i;
            continue;
        }
        uint32_t code = 0;
        const size_t length = Utf8Sequence(raw, i, code);
        if (length == 0) {
            shown += Escaped(byte);
            ++i;
        } else if (code <= 0x9F) {
            // A C1 control (U+0080 to U+009F): CSI among them starts a sequence too.
            shown += Escaped(static_cast<uint8_t>(code));
            i += length;
        } else {
            shown.append(raw, i, length);
            i += length;
        }
    }
    return shown;
}
