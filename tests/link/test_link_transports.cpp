// The link library over Modbus TCP and Modbus RTU against a real tqx-sim process.
#include "link/block_map.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"
#include "simulator/controller_memory.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Read {
    int32_t mode, block, offset, length;
};

// The 57 reads after a confirmed Connect, preceded by the model code read.
std::vector<Read> ConnectReads() {
    std::vector<Read> reads{{1, 40, 0, 14}}; // the model code, read before the confirmation
    for (const ConnectRead& r : ConnectReadSequence())
        reads.push_back({r.mode, r.block, r.offset, r.length});
    return reads;
}

std::vector<uint8_t> Expected(const ControllerMemory& memory, const Read& r) {
    const blockmap::Transfer t = blockmap::Resolve(r.mode, r.block, r.offset, r.length);
    return std::vector<uint8_t>(memory.Data() + t.address, memory.Data() + t.address + t.bytes);
}

ControllerMemory Factory() {
    ControllerMemory memory;
    memory.LoadFactoryContents();
    return memory;
}

struct Transport {
    const char* name;
    bool tcp;
};

std::vector<std::string> SimArgs(const Transport& transport, std::vector<std::string> extra) {
    std::vector<std::string> args;
    if (transport.tcp)
        args = {"--tcp", "127.0.0.1:0"};
    else
        args = {"--pty", "/tmp/tqx-link-test-" + std::to_string(::getpid()) + ".pty"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// Points port 1 at the simulator and opens it; closes it again at the end.
class PortOne {
public:
    explicit PortOne(const std::string& setting) {
        ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
        TQXOpenSerialPort(1);
        TheModbusTransport().ResetStatistics();
    }
    ~PortOne() { TQXCloseSerialPort(); }
};

class LinkTransportTest : public ::testing::TestWithParam<Transport> {};

// Port 1 at `sim` with a short response timeout: each lost answer costs one timeout, and
// the default one would only make the wait longer, not the retry different.
std::string ShortTimeout(const Transport& transport, const SimProcess& sim) {
    return std::string(transport.tcp ? "tcp:" : "rtu:") + sim.Address() + ",timeout=150";
}

TEST_P(LinkTransportTest, ModesLandAtTheirAddresses) {
    SimProcess sim(SimArgs(GetParam(), {}));
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());
    ControllerMemory memory = Factory();
    int32_t status = -1;

    std::array<uint8_t, 168> piece{};
    ASSERT_NE(TQXRead(17, 20, 252, 84, piece.data(), &status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(0, std::memcmp(piece.data(), memory.Data() + 0xC0FC, piece.size()));

    const uint8_t data[5] = {0x11, 0x22, 0x33, 0x44, 0x55};
    ASSERT_NE(TQXWrite(12, 25, 0xC690, 5, data, &status), 0); // pattern 3, byte 0
    std::array<uint8_t, 8> back{};
    ASSERT_NE(TQXRead(17, 24, 0, 4, back.data(), &status), 0);
    EXPECT_EQ(0, std::memcmp(back.data(), data, 5));
    EXPECT_EQ(0, std::memcmp(back.data() + 5, memory.Data() + 0xC690 + 5, 3));
}

TEST_P(LinkTransportTest, A126WordReadTakesTwoPieces) {
    SimProcess sim(SimArgs(GetParam(), {}));
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());
    std::array<uint8_t, 252> words{};
    int32_t status = -1;
    ASSERT_NE(TQXRead(17, 21, 0, 126, words.data(), &status), 0);
    EXPECT_EQ(TheModbusTransport().Statistics().transactions, 2);
    EXPECT_EQ(0, std::memcmp(words.data(), Factory().Data() + 0xC1A4, words.size()));
}

TEST_P(LinkTransportTest, OddByteWritesChangeNothingOutsideTheirRange) {
    SimProcess sim(SimArgs(GetParam(), {}));
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());
    ControllerMemory memory = Factory();
    struct Case {
        int32_t block, offset, length;
    };
    const Case cases[] = {{12, 1, 3}, {12, 0, 1}, {12, 31, 2}, {9, 5, 1}, {10, 16, 1}};
    int32_t status = -1;
    uint8_t value = 0x90;
    for (const Case& c : cases) {
        std::vector<uint8_t> data(static_cast<size_t>(c.length));
        for (uint8_t& b : data)
            b = value++;
        if (c.block == 10)
            data[0] = 0; // WDIS stays 0
        ASSERT_NE(TQXWrite(2, c.block, c.offset, c.length, data.data(), &status), 0)
            << c.block << "/" << c.offset;
        std::memcpy(memory.Data() + blockmap::BlockBase(c.block) + c.offset, data.data(),
                    data.size());
        const int length = blockmap::BlockLength(c.block);
        std::vector<uint8_t> whole(static_cast<size_t>(length));
        ASSERT_NE(TQXRead(1, c.block, 0, length, whole.data(), &status), 0);
        EXPECT_EQ(whole, Expected(memory, {1, c.block, 0, length})) << c.block << "/" << c.offset;
    }
}

TEST_P(LinkTransportTest, RefusedCallsSendNothingAndKeepTheBuffer) {
    SimProcess sim(SimArgs(GetParam(), {}));
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());
    const Read refused[] = {{5, 12, 0, 1},      {1, 12, 0, 0},       {17, 20, 0, 127},
                            {1, 12, 0, 34},     {17, 20, 252, 85},   {1, 45, 0, 1},
                            {12, 12, 0xC00, 1}, {12, 21, 0xC348, 1}, {2, 12, 0, 1}};
    for (const Read& r : refused) {
        std::array<uint8_t, 300> buffer;
        buffer.fill(0xA5);
        int32_t status = 0;
        const bool write = r.mode == 2 || r.mode == 12 || r.mode == 18;
        const int32_t result =
            write && r.block != 12
                ? TQXWrite(r.mode, r.block, r.offset, r.length, buffer.data(), &status)
                : TQXRead(r.mode, r.block, r.offset, r.length, buffer.data(), &status);
        EXPECT_EQ(result, 0) << r.mode << "/" << r.block;
        EXPECT_NE(status, 0);
        for (uint8_t b : buffer)
            ASSERT_EQ(b, 0xA5);
    }
    EXPECT_EQ(TheModbusTransport().Statistics().transactions, 0);
}

TEST_P(LinkTransportTest, WritesFailWhileWriteProtected) {
    SimProcess sim(SimArgs(GetParam(), {"--wdis", "1"}));
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());
    const uint8_t bytes[4] = {1, 2, 3, 4};
    int32_t status = 0;
    EXPECT_EQ(TQXWrite(2, 12, 11, 1, bytes, &status), 0);
    EXPECT_NE(status, 0);
    EXPECT_EQ(TQXWrite(18, 4, 0, 2, bytes, &status), 0);
    EXPECT_EQ(TQXWrite(12, 21, 0xC000, 4, bytes, &status), 0);
    EXPECT_EQ(TQXWrite(2, 40, 0, 1, bytes, &status), 0); // read-only anyway
    uint8_t ci = 0;
    ASSERT_NE(TQXRead(1, 12, 11, 1, &ci, &status), 0);
    EXPECT_EQ(ci, Factory().Data()[0x0C0B]);
    const uint8_t zero = 0;
    EXPECT_NE(TQXWrite(2, 10, 16, 1, &zero, &status), 0); // block 10 stays writable
    EXPECT_NE(TQXWrite(2, 12, 11, 1, bytes, &status), 0);
}

TEST_P(LinkTransportTest, ConnectSequenceSurvivesLostAndCorruptAnswers) {
    const ControllerMemory memory = Factory();
    for (const char* fault : {"--drop-every", "--corrupt-every"}) {
        SimProcess sim(SimArgs(GetParam(), {fault, "5"}));
        ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
        PortOne port(ShortTimeout(GetParam(), sim));
        int index = 0;
        for (const Read& r : ConnectReads()) {
            std::vector<uint8_t> buffer(r.mode == 17 ? 2 * r.length : r.length);
            int32_t status = -1;
            ASSERT_NE(TQXRead(r.mode, r.block, r.offset, r.length, buffer.data(), &status), 0)
                << fault << " read " << index;
            EXPECT_EQ(buffer, Expected(memory, r)) << fault << " read " << index;
            ++index;
        }
        EXPECT_EQ(index, 58);
    }
}

TEST_P(LinkTransportTest, NothingAnsweringFailsFast) {
    // TCP: nobody listens on the port. RTU: a line whose controller never answers.
    std::unique_ptr<SimProcess> sim;
    std::string setting = "tcp:127.0.0.1:1";
    if (!GetParam().tcp) {
        sim = std::make_unique<SimProcess>(SimArgs(GetParam(), {"--drop-every", "1"}));
        ASSERT_TRUE(sim->Ready()) << sim->ReadyLine();
        setting = sim->PortSetting();
    }
    PortOne port(setting);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<Read> reads = ConnectReads();
    for (size_t i = 1; i < reads.size(); ++i) {
        std::array<uint8_t, 252> buffer;
        buffer.fill(0x5C);
        int32_t status = 0;
        EXPECT_EQ(TQXRead(reads[i].mode, reads[i].block, reads[i].offset, reads[i].length,
                          buffer.data(), &status),
                  0);
        EXPECT_NE(status, 0);
        EXPECT_EQ(buffer[0], 0x5C);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 3.0);
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkTransportTest,
                         ::testing::Values(Transport{"Tcp", true}, Transport{"Rtu", false}),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
