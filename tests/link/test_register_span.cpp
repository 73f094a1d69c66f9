#include "link/register_span.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(RegisterSpanTest, RegistersOfARange) {
    const struct {
        const char* name;
        uint32_t address, bytes;
        uint32_t first, count;
        bool firstPartial, lastPartial;
    } cases[] = {
        {"even start, even end", 0x0400, 24, 0x0200, 12, false, false},
        {"even start, odd end", 0x0A00, 17, 0x0500, 9, false, true},
        {"odd start, even end", 0x0A01, 3, 0x0500, 2, true, false},
        {"odd start, odd end", 0x0A01, 2, 0x0500, 2, true, true},
        {"one byte, low half", 0x0A10, 1, 0x0508, 1, false, true},
        {"one byte, high half", 0x0A11, 1, 0x0508, 1, true, false},
        {"one whole register", 0x0A10, 2, 0x0508, 1, false, false},
        {"a whole pattern block", 0xC1A4, 420, 0x60D2, 210, false, false},
        {"the last byte of memory", 0xFFFF, 1, 0x7FFF, 1, true, false},
    };
    for (const auto& c : cases) {
        const RegisterSpan span = SpanOfBytes(c.address, c.bytes);
        EXPECT_EQ(span.first, c.first) << c.name;
        EXPECT_EQ(span.count, c.count) << c.name;
        EXPECT_EQ(span.firstPartial, c.firstPartial) << c.name;
        EXPECT_EQ(span.lastPartial, c.lastPartial) << c.name;
    }
}

// Over many ranges: reading gives each byte from its own half of its register, a write
// merged into registers reads back as written and leaves every byte outside the range as
// it was, and the registers a write must read first are exactly those it covers in part.
TEST(RegisterSpanTest, MergeThenReadBackOverGeneratedRanges) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 5000; ++round) {
        const uint32_t bytes = 1 + rng() % 252;
        const uint32_t address = rng() % (0x10000 - bytes + 1);
        const RegisterSpan span = SpanOfBytes(address, bytes);
        const std::string name = std::to_string(address) + "+" + std::to_string(bytes);
        ASSERT_GE(span.count, 1u) << name;
        const uint32_t last = span.first + span.count - 1;
        ASSERT_TRUE(address / 2 == span.first && (address + bytes - 1) / 2 == last) << name;

        // Each byte of memory holds the low eight bits of its own address.
        std::vector<uint16_t> regs(span.count);
        for (uint32_t r = 0; r < span.count; ++r)
            regs[r] = static_cast<uint16_t>((((2 * (span.first + r) + 1) & 0xFF) << 8) |
                                            ((2 * (span.first + r)) & 0xFF));
        std::vector<uint8_t> out(bytes);
        BytesFromRegisters(span, regs.data(), out.data());
        for (uint32_t i = 0; i < bytes; ++i)
            ASSERT_EQ(out[i], (address + i) & 0xFF) << name << " byte " << i;

        for (uint16_t& r : regs)
            r = static_cast<uint16_t>(rng());
        const std::vector<uint16_t> before = regs;
        std::vector<uint8_t> written(bytes);
        for (uint8_t& b : written)
            b = static_cast<uint8_t>(rng());
        MergeBytesIntoRegisters(span, written.data(), regs.data());
        BytesFromRegisters(span, regs.data(), out.data());
        ASSERT_EQ(out, written) << name;

        std::set<uint32_t> partial, named;
        for (uint32_t r = span.first; r <= last; ++r) {
            const bool lowOutside = 2 * r < address;
            const bool highOutside = 2 * r + 1 >= address + bytes;
            const uint16_t was = before[r - span.first], is = regs[r - span.first];
            ASSERT_TRUE(!lowOutside || (is & 0xFF) == (was & 0xFF)) << name << " register " << r;
            ASSERT_TRUE(!highOutside || is >> 8 == was >> 8) << name << " register " << r;
            if (lowOutside || highOutside)
                partial.insert(r);
        }
        if (span.firstPartial)
            named.insert(span.first);
        ASSERT_FALSE(span.lastPartial && !named.insert(last).second)
            << name << ": one register read twice";
        ASSERT_EQ(named, partial) << name;
    }
}

} // namespace
