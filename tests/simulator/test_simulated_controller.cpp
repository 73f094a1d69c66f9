#include "link/block_map.h"
#include "link/tqxcomm.h"
#include "simulator/simulated_controller.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

class SimulatedControllerTest : public ::testing::Test {
protected:
    SimulatedController m_sim;
    ScopedLinkBackend m_guard{m_sim};
    int32_t m_status = -1;
};

TEST(BlockMapTest, ResolvesEveryModeToItsAddress) {
    struct Case {
        int32_t mode, block, offset, length;
        uint32_t address, count;
    };
    const Case cases[] = {
        {TQX_MODE_READ_BYTES, 40, 0, 14, 0x2800, 14},
        {TQX_MODE_READ_BYTES, 12, 0, 33, 0x0C00, 33},
        {TQX_MODE_WRITE_BYTES, 10, 16, 1, 0x0A10, 1},
        {TQX_MODE_READ_WORDS, 20, 252, 84, 0xC0FC, 168},
        {TQX_MODE_READ_WORDS, 21, 0, 126, 0xC1A4, 252},
        {TQX_MODE_READ_WORDS, 37, 252, 84, 0xC000 + 420 * 17 + 252, 168},
        {TQX_MODE_WRITE_WORDS, 49, 0, 12, 0x3100, 24},
        {TQX_MODE_WRITE_ABSOLUTE, 25, 0xC690, 10, 0xC690, 10},
        {TQX_MODE_WRITE_ABSOLUTE, 21, 0xC000, 126, 0xC000, 126},
    };
    for (const Case& c : cases) {
        const blockmap::Transfer range = blockmap::Resolve(c.mode, c.block, c.offset, c.length);
        ASSERT_TRUE(range.ok) << c.mode << "/" << c.block;
        EXPECT_EQ(range.address, c.address) << c.mode << "/" << c.block;
        EXPECT_EQ(range.bytes, c.count) << c.mode << "/" << c.block;
    }
}

TEST(BlockMapTest, RefusesBadCalls) {
    struct Case {
        int32_t mode, block, offset, length;
    };
    const Case cases[] = {
        {0, 12, 0, 1},                                  // unknown mode
        {3, 12, 0, 1},                                  // unknown mode
        {TQX_MODE_READ_BYTES, 12, 0, 0},                // length 0
        {TQX_MODE_READ_BYTES, 12, 0, -1},               // negative length
        {TQX_MODE_READ_WORDS, 20, 0, 127},              // above 126 units
        {TQX_MODE_READ_BYTES, 12, 0, 34},               // leaves block 12
        {TQX_MODE_READ_BYTES, 12, -1, 2},               // negative offset
        {TQX_MODE_READ_WORDS, 20, 252, 85},             // leaves pattern block A
        {TQX_MODE_READ_BYTES, 45, 0, 1},                // no such block
        {TQX_MODE_READ_BYTES, 11, 0, 1},                // no such block
        {TQX_MODE_READ_BYTES, 50, 0, 1},                // no such block
        {TQX_MODE_WRITE_ABSOLUTE, 12, 0x0C00, 1},       // mode 12 needs a pattern block
        {TQX_MODE_WRITE_ABSOLUTE, 21, 0xC000 + 840, 2}, // pattern 2's memory, block of 1
        {TQX_MODE_WRITE_ABSOLUTE, 21, 0xC000 + 839, 2}, // runs past pattern 1
        {TQX_MODE_WRITE_ABSOLUTE, 23, 0xC000 + 839, 1}, // before pattern 2
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(blockmap::Resolve(c.mode, c.block, c.offset, c.length).ok)
            << c.mode << "/" << c.block << "/" << c.offset << "/" << c.length;
    }
}

TEST(BlockMapTest, BlockAtInvertsBlockAddress) {
    EXPECT_EQ(blockmap::BlockAt(0xC0FC), 20);
    EXPECT_EQ(blockmap::BlockAt(0xC1A4), 21);
    EXPECT_EQ(blockmap::BlockAt(0x0A10), 10);
    EXPECT_EQ(blockmap::BlockAt(0x0A11), -1);
    EXPECT_EQ(blockmap::BlockAt(0x1400), -1); // block 20 does not live at 0x1400
    EXPECT_EQ(blockmap::BlockAt(0x280D), 40);
    EXPECT_EQ(blockmap::BlockAt(0x280E), -1);
}

TEST_F(SimulatedControllerTest, ReadOfBlock20AtOffset252StartsAt0xC0FC) {
    m_sim.Memory().Data()[0xC0FC] = 0x34;
    m_sim.Memory().Data()[0xC0FD] = 0x12;
    std::array<uint16_t, 84> words{};
    ASSERT_NE(TQXRead(TQX_MODE_READ_WORDS, 20, 252, 84, words.data(), &m_status), 0);
    EXPECT_EQ(m_status, 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
}

TEST_F(SimulatedControllerTest, Mode12WriteOfPattern3IsWhatBlock24Returns) {
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    // Pattern 3 starts at 0xC000 + 1680 = 0xC690; its second block is 25.
    ASSERT_NE(TQXWrite(TQX_MODE_WRITE_ABSOLUTE, 25, 0xC690, 5, data, &m_status), 0);
    uint8_t back[6] = {};
    ASSERT_NE(TQXRead(TQX_MODE_READ_WORDS, 24, 0, 3, back, &m_status), 0);
    EXPECT_EQ(0, std::memcmp(back, data, 5));
    EXPECT_EQ(back[5], 0);
}

TEST_F(SimulatedControllerTest, RefusedAndFailedCallsLeaveBufferAndMemoryUntouched) {
    m_sim.Memory().LoadFactoryContents();
    m_sim.FailCalls([](const LinkCall&, int index) { return index == 1; });
    std::array<uint8_t, 40> buffer;
    buffer.fill(0xEE);
    EXPECT_EQ(TQXRead(TQX_MODE_READ_BYTES, 12, 0, 34, buffer.data(), &m_status), 0);
    EXPECT_NE(m_status, 0);
    EXPECT_EQ(TQXRead(TQX_MODE_READ_BYTES, 12, 0, 33, buffer.data(), &m_status), 0);
    EXPECT_NE(m_status, 0);
    for (uint8_t b : buffer)
        EXPECT_EQ(b, 0xEE);
    const uint8_t before = m_sim.Memory().Data()[0x0C01];
    EXPECT_EQ(TQXWrite(TQX_MODE_READ_BYTES, 12, 1, 1, buffer.data(), &m_status), 0);
    EXPECT_EQ(m_sim.Memory().Data()[0x0C01], before);
    ASSERT_EQ(m_sim.Calls().size(), 3u);
    for (const LinkCall& call : m_sim.Calls())
        EXPECT_FALSE(call.ok);
    EXPECT_EQ(m_sim.Calls()[1].block, 12);
    EXPECT_EQ(m_sim.Calls()[1].length, 33);
    EXPECT_FALSE(m_sim.Calls()[1].write);
    EXPECT_TRUE(m_sim.Calls()[2].write);
    m_sim.FailNone();
    EXPECT_NE(TQXRead(TQX_MODE_READ_BYTES, 12, 0, 33, buffer.data(), &m_status), 0);
    EXPECT_TRUE(m_sim.Calls().back().ok);
}

TEST_F(SimulatedControllerTest, ReadOnlyBlocksAndWdisRefuseWrites) {
    m_sim.Memory().LoadFactoryContents("ABCDEFGHTJKLMN");
    const uint8_t one = 1, zero = 0, x = 0x77;
    EXPECT_EQ(TQXWrite(TQX_MODE_WRITE_BYTES, 40, 0, 1, &x, &m_status), 0);
    EXPECT_EQ(TQXWrite(TQX_MODE_WRITE_BYTES, 3, 0, 1, &x, &m_status), 0);
    EXPECT_EQ(m_sim.Memory().Data()[0x2800], 'A');
    ASSERT_NE(TQXWrite(TQX_MODE_WRITE_BYTES, 12, 11, 1, &x, &m_status), 0);

    ASSERT_NE(TQXWrite(TQX_MODE_WRITE_BYTES, 10, 16, 1, &one, &m_status), 0);
    EXPECT_EQ(TQXWrite(TQX_MODE_WRITE_BYTES, 12, 11, 1, &zero, &m_status), 0);
    EXPECT_EQ(TQXWrite(TQX_MODE_WRITE_WORDS, 4, 0, 1, &zero, &m_status), 0);
    EXPECT_EQ(TQXWrite(TQX_MODE_WRITE_ABSOLUTE, 21, 0xC000, 1, &zero, &m_status), 0);
    EXPECT_EQ(m_sim.Memory().Data()[0x0C0B], 0x77);
    const uint8_t two[2] = {0x77, 0x77};
    EXPECT_NE(TQXWrite(TQX_MODE_WRITE_BYTES, 10, 0, 2, two, &m_status), 0); // block 10 stays open
    ASSERT_NE(TQXWrite(TQX_MODE_WRITE_BYTES, 10, 16, 1, &zero, &m_status), 0);
    EXPECT_NE(TQXWrite(TQX_MODE_WRITE_BYTES, 12, 11, 1, &zero, &m_status), 0);
}

TEST_F(SimulatedControllerTest, FactoryContentsArePlausible) {
    m_sim.Memory().LoadFactoryContents();
    char code[15] = {};
    ASSERT_NE(TQXRead(TQX_MODE_READ_BYTES, 40, 0, 14, code, &m_status), 0);
    EXPECT_EQ(std::strlen(code), 14u);
    EXPECT_EQ(code[8], 'T');
    const uint8_t* mem = m_sim.Memory().Data();
    EXPECT_EQ(mem[0x0C01], 36); // K thermocouple
    for (uint32_t a : {0x0C00u, 0x0C1Fu, 0x0C20u, 0x0900u, 0x0903u, 0x090Cu, 0x0913u})
        EXPECT_NE(mem[a], 0) << std::hex << a;
    EXPECT_EQ(mem[0x0A10], 0); // not write-protected
    // An unused pattern: segment 1 SV and every TIME "not used".
    const uint8_t* p9 = mem + 0xC000 + 840 * 8;
    EXPECT_EQ(p9[0] | p9[1] << 8, 0x8000);
    for (int s = 0; s < 20; ++s)
        EXPECT_EQ(p9[42 * s + 2] | p9[42 * s + 3] << 8, 0x8000);
    EXPECT_NE(mem[0xC000 + 36], 0); // pattern 1 has a PID number
}

TEST_F(SimulatedControllerTest, CountsOpensAndCloses) {
    TQXOpenSerialPort(1);
    TQXCloseSerialPort();
    EXPECT_EQ(m_sim.Opens(), 1);
    EXPECT_EQ(m_sim.Closes(), 1);
    EXPECT_EQ(m_sim.LastOpenPort(), 1);
    EXPECT_TRUE(m_sim.Calls().empty());
}

} // namespace
