// Reads and writes over Modbus RTU (a pty) with a 50 ms response timeout against a tqx-sim
// that answers one request in three late, by 45 to 70 ms (from just under the timeout to
// the end of the link's quiet wait), and sends one answer in four twice, back to back.
// RTU has no transaction id: a late or doubled answer taken for the next request's
// answer would put another block's bytes into the caller's buffer. Every read that
// succeeds must hold exactly the controller's bytes, every failure must say so, and a
// failed read must leave its buffer alone.
//
// TQX_LATE_SOAK_TRANSFERS sets the number of transfers (100 by default; scripts/soak
// runs 2500).

#include "link/block_map.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"
#include "simulator/controller_memory.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

struct Call {
    int32_t mode, block, offset, length;
};

// Reads of every size the loader makes, several of the same length (the PID groups: 12
// registers each), and writes that change what later reads must see.
Call RandomCall(std::mt19937& random, bool& write) {
    const int pick = std::uniform_int_distribution<int>(0, 9)(random);
    const int pid = blockmap::kPidBlocks[std::uniform_int_distribution<int>(0, 8)(random)];
    const int pattern = 20 + std::uniform_int_distribution<int>(0, 17)(random);
    write = pick >= 7;
    switch (pick) {
    case 0:
    case 1:
    case 2:
        return {1, pid, 0, 24};
    case 3:
        return {17, pattern, 0, 126};
    case 4:
        return {17, pattern, 252, 84};
    case 5:
        return {1, 12, 0, 33};
    case 6:
        return {1, 9, 0, 26};
    case 7:
    case 8:
        return {18, pid, 0, 12};
    default:
        return {2, 12, 0, 33};
    }
}

TEST(LateSoak, LateAndDoubledAnswersNeverLandInTheWrongCall) {
    const char* env = std::getenv("TQX_LATE_SOAK_TRANSFERS");
    const int transfers = env ? std::atoi(env) : 100;
    const std::string pty = "/tmp/tqx-late-soak-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--late-every", "3", "--late-ms", "45:70", "--twice-every", "4",
                    "--fault-seed", "11"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", ("rtu:" + pty + ",parity=N,timeout=50").c_str(), 1);
    TQXOpenSerialPort(1);
    TheModbusTransport().ResetStatistics();

    ControllerMemory model;
    model.LoadFactoryContents();
    std::mt19937 random(5);
    long wrongBytes = 0, failedReads = 0, failedWrites = 0, untouchedViolations = 0;
    for (int i = 0; i < transfers; ++i) {
        bool write = false;
        const Call c = RandomCall(random, write);
        const blockmap::Transfer t = blockmap::Resolve(c.mode, c.block, c.offset, c.length);
        ASSERT_TRUE(t.ok);
        std::vector<uint8_t> buffer(t.bytes);
        int32_t status = -1;
        if (!write) {
            for (uint8_t& b : buffer)
                b = 0xA5;
            if (TQXRead(c.mode, c.block, c.offset, c.length, buffer.data(), &status) == 0) {
                ++failedReads;
                EXPECT_NE(status, 0);
                for (uint8_t b : buffer)
                    untouchedViolations += b != 0xA5;
                continue;
            }
            for (uint32_t k = 0; k < t.bytes; ++k)
                wrongBytes += buffer[k] != model.Data()[t.address + k];
            continue;
        }
        for (uint8_t& b : buffer)
            b = static_cast<uint8_t>(random());
        // Writes are repeated until one is confirmed: a failed one may or may not have
        // been stored, and the next reads must know what the controller holds.
        bool stored = false;
        for (int attempt = 0; attempt < 20 && !stored; ++attempt) {
            stored = TQXWrite(c.mode, c.block, c.offset, c.length, buffer.data(), &status) != 0;
            if (!stored) {
                ++failedWrites;
                EXPECT_NE(status, 0);
            }
        }
        ASSERT_TRUE(stored) << "transfer " << i;
        for (uint32_t k = 0; k < t.bytes; ++k)
            model.Data()[t.address + k] = buffer[k];
    }
    const LinkStatistics stats = TheModbusTransport().Statistics();
    TQXCloseSerialPort();
    std::printf("late soak: %d transfers, %ld calls, %ld retried, %ld reads and %ld writes "
                "failed, %ld doubtful answers asked again, %ld wrong bytes\n",
                transfers, stats.calls, stats.retriedCalls, failedReads, failedWrites,
                stats.doubtfulAnswers, wrongBytes);
    EXPECT_EQ(wrongBytes, 0);
    EXPECT_EQ(untouchedViolations, 0);
    EXPECT_GT(stats.retriedCalls, 0);    // the faults did happen
    EXPECT_GT(stats.doubtfulAnswers, 0); // a doubled answer is never used, and counted
}

} // namespace

namespace {

// A controller slow to answer once (a busy moment, the first read after power-up) and
// quick after it: the quick answers repeat the slow one byte for byte, and are still its
// answers. Every read succeeds.
TEST(LateSoak, AQuickAnswerAfterASlowOneIsTheControllers) {
    const std::string pty = "/tmp/tqx-slow-once-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--late-every", "2", "--late-ms", "150:150"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", ("rtu:" + pty + ",parity=N,timeout=500").c_str(), 1);
    TQXOpenSerialPort(1);
    std::vector<uint8_t> first(24), buffer(24);
    int32_t status = 0;
    // Another read first, so the first of the reads below is a slow one.
    ASSERT_NE(TQXRead(1, 9, 0, 26, std::vector<uint8_t>(26).data(), &status), 0);
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(TQXRead(1, blockmap::kPidBlocks[0], 0, 24, buffer.data(), &status), 0)
            << "read " << i << ", status " << status;
        if (i == 0)
            first = buffer;
        EXPECT_EQ(buffer, first);
    }
    TQXCloseSerialPort();
}

} // namespace
