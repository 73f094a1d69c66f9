// Each cause of a failed call, staged on loopback (tqx-sim, a socket, a missing device),
// gives its own message naming port 1 as configured.
#include "link/link_backend.h"
#include "link/link_failure.h"
#include "link/link_journal.h"
#include "link/tqxcomm.h"
#include "support/loopback_port.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::vector<std::string> sim; // tqx-sim arguments; empty: no simulator
    std::string setting;          // "{pty}" and "{port}" are filled in
    bool write;
    std::string expected; // the whole message; "{pty}" and "{port}" filled in
};

std::string Fill(std::string text, const std::string& pty, int port) {
    for (auto at = text.find("{pty}"); at != std::string::npos; at = text.find("{pty}"))
        text.replace(at, 5, pty);
    for (auto at = text.find("{port}"); at != std::string::npos; at = text.find("{port}"))
        text.replace(at, 6, std::to_string(port));
    return text;
}

TEST(LinkCauses, EachCauseHasItsOwnMessageNamingThePort) {
    const std::string pty = "/tmp/tqx-causes-" + std::to_string(::getpid()) + ".pty";
    const std::string rtu = "rtu:" + pty + " 9600 8N1, unit 1, timeout 100 ms): ";
    const std::vector<std::string> onPty = {"--pty", pty};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), onPty.begin(), onPty.end());
        return extra;
    };
    const Case cases[] = {
        {"missing device",
         {},
         "rtu:/nonexistent/ttyX,timeout=100",
         false,
         "Port 1 (rtu:/nonexistent/ttyX 9600 8E1, unit 1, timeout 100 ms): the device cannot be "
         "opened: No such file or directory."},
        {"malformed setting",
         {},
         "rtu:/dev/ttyS0,baud=fast",
         false,
         "Port 1 (TQXCOMM_PORT1=\"rtu:/dev/ttyS0,baud=fast\"): the setting TQXCOMM_PORT1 is "
         "malformed: \"baud=fast\"."},
        {"connection refused",
         {},
         "tcp:127.0.0.1:{port},timeout=100",
         false,
         "Port 1 (tcp:127.0.0.1:{port}, unit 1, timeout 100 ms): connection refused."},
        {"listener that never answers",
         {},
         "tcp:127.0.0.1:{port},timeout=100",
         false,
         "Port 1 (tcp:127.0.0.1:{port}, unit 1, timeout 100 ms): no answer within 100 ms."},
        {"silent line", with({"--drop-every", "1"}), "rtu:{pty},parity=N,timeout=100", false,
         "Port 1 (" + rtu + "no answer within 100 ms."},
        {"garbled answers", with({"--corrupt-every", "1"}), "rtu:{pty},parity=N,timeout=100", false,
         "Port 1 (" + rtu + "answers garbled (CRC)."},
        {"refused write", with({"--wdis", "1"}), "rtu:{pty},parity=N,timeout=100", true,
         "Port 1 (" + rtu +
             "the controller refused the request (Modbus exception 4, device failure); write "
             "inhibit (WDIS) may be on."},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SimProcess> sim;
        if (!c.sim.empty()) {
            sim = std::make_unique<SimProcess>(c.sim);
            ASSERT_TRUE(sim->Ready()) << c.name;
        }
        int listener = -1;
        const int port =
            LoopbackPort(std::string(c.name) == "listener that never answers", listener);
        ::setenv("TQXCOMM_PORT1", Fill(c.setting, pty, port).c_str(), 1);
        TQXOpenSerialPort(1);
        uint8_t buffer[14] = {};
        int32_t status = 0;
        const int32_t ok = c.write ? TQXWrite(2, 12, 0, 2, buffer, &status)
                                   : TQXRead(1, 40, 0, 14, buffer, &status);
        EXPECT_EQ(ok, 0) << c.name;
        EXPECT_EQ(LinkFailureText(), Fill(c.expected, pty, port)) << c.name;
        TQXCloseSerialPort();
        if (listener >= 0)
            ::close(listener);
    }
}

// Answers later than the timeout are named as such; a late one is never taken for the
// answer to the retry or to the next call.
TEST(LinkCauses, LateAnswersAskForALongerTimeout) {
    const std::string pty = "/tmp/tqx-late-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--late-every", "1", "--late-ms", "105:115"});
    ASSERT_TRUE(sim.Ready());
    ::setenv("TQXCOMM_PORT1", ("rtu:" + pty + ",parity=N,timeout=100").c_str(), 1);
    TQXOpenSerialPort(1);
    uint8_t buffer[14] = {};
    int32_t status = 0;
    EXPECT_EQ(TQXRead(1, 40, 0, 14, buffer, &status), 0);
    const std::string text = LinkFailureText();
    EXPECT_NE(text.find("answers arrive after 100 ms: raise timeout="), std::string::npos) << text;
    TQXCloseSerialPort();
}

// A port that cannot be opened is not tried again within a command; the next command tries
// it again, so a cable plugged in meanwhile works.
TEST(LinkCauses, AnUnopenablePortFailsAtOnceUntilTheNextCommand) {
    const std::string pty = "/tmp/tqx-reopen-" + std::to_string(::getpid()) + ".pty";
    ::setenv("TQXCOMM_PORT1", ("rtu:" + pty + ",parity=N").c_str(), 1);
    TQXOpenSerialPort(1);
    SimProcess sim({"--pty", pty}); // plugged in after the port failed to open
    ASSERT_TRUE(sim.Ready());
    uint8_t buffer[14] = {};
    int32_t status = 0;
    EXPECT_EQ(TQXRead(1, 40, 0, 14, buffer, &status), 0);
    EXPECT_NE(LinkFailureText().find("cannot be opened"), std::string::npos);
    CurrentLinkBackend().BeginCommand(); // as every transfer's first step does
    EXPECT_NE(TQXRead(1, 40, 0, 14, buffer, &status), 0);
    TQXCloseSerialPort();
}

} // namespace

// The Communication window names each call in words, not by its transfer mode.
TEST(LinkJournal, EachCallIsNamedInWords) {
    const struct {
        int32_t mode, block, offset, length;
        bool write;
        const char *call, *where, *amount;
    } cases[] = {
        {TQX_MODE_READ_WORDS, 25, 0, 105, false, "read block 25", "byte 0", "105 words"},
        {TQX_MODE_WRITE_BYTES, 12, 24, 6, true, "write block 12", "byte 24", "6 bytes"},
        {TQX_MODE_WRITE_ABSOLUTE, 21, 0xC1A4, 120, true, "write block 21", "address 0xC1A4",
         "120 bytes"},
    };
    for (const auto& c : cases) {
        TransferEntry e;
        e.mode = c.mode, e.block = c.block, e.offset = c.offset, e.length = c.length;
        e.write = c.write, e.ok = true;
        const std::vector<std::string> columns = TransferColumns(e);
        ASSERT_EQ(columns.size(), TransferHeaders().size());
        EXPECT_EQ(columns[1], c.call);
        EXPECT_EQ(columns[2], c.where);
        EXPECT_EQ(columns[3], c.amount);
    }
}
