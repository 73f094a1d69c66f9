// tqx-sim --baud paces an answer by the bits the line carries for each character: start
// bit, 8 data bits, the parity bit if any, the stop bits: 8E1, the loader's default line,
// takes at least 11/10 of the time 8N1 takes for the same bytes.
#include "link/tqxcomm.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kBaud = 9600;
// One read of 126 bytes (63 registers): request 8 characters, answer 5 + 126, and a
// 3.5-character gap after each.
constexpr int kBytes = 126;
constexpr double kCharacters = 8 + 3.5 + (5 + kBytes) + 3.5;

// The fastest of a few reads, so a busy machine adds as little as it can; the pacing is a
// sleep, so no read is ever faster than the line.
double FastestReadSeconds(const std::string& parity, const std::string& stopBits) {
    const std::string pty = "/tmp/tqx-pacing-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--baud", std::to_string(kBaud), "--parity", parity,
                    "--stop-bits", stopBits});
    EXPECT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string setting =
        "rtu:" + pty + ",baud=" + std::to_string(kBaud) + ",parity=" + parity + ",stop=" + stopBits;
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    TQXOpenSerialPort(1);
    double fastest = 1e9;
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> buffer(kBytes);
        int32_t status = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(TQXRead(1, 20, 0, kBytes, buffer.data(), &status), 0) << setting;
        fastest = std::min(
            fastest,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    TQXCloseSerialPort();
    return fastest;
}

TEST(SimPacing, EachCharacterTakesTheBitsTheLineCarries) {
    struct Line {
        const char* parity;
        const char* stopBits;
        int bits;
    };
    const Line lines[] = {
        {"N", "1", 10}, {"E", "1", 11}, {"O", "1", 11}, {"N", "2", 11}, {"E", "2", 12}};
    for (const Line& line : lines) {
        const double seconds = FastestReadSeconds(line.parity, line.stopBits);
        const double lineSeconds = kCharacters * line.bits / kBaud;
        EXPECT_GE(seconds, lineSeconds)
            << "8" << line.parity << line.stopBits << ": " << seconds << " s";
        // Only a loaded machine makes a read slower than its line, and the fastest of four
        // never by half as much again.
        EXPECT_LT(seconds, 1.5 * lineSeconds)
            << "8" << line.parity << line.stopBits << ": " << seconds << " s";
    }
}

} // namespace
