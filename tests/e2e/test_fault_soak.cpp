// Rounds of Connect, an edit of every group, SEND and a fresh Connect against a tqx-sim
// that drops one answer in three and corrupts one in seven. A transfer that still fails
// is repeated, as an operator would press SEND or Connect again. After every round the
// simulator's whole memory must equal an in-process controller that received the same
// sends without faults.
//
// TQX_SOAK_ROUNDS sets the number of rounds (1 by default; scripts/soak runs 100).

#include "link/link_backend.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"
#include "simulator/simulated_controller.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"
#include "transfers/image_transfers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxAttempts = 100;
constexpr int kTimeoutMs = 20;
// An operator reads the failure message before trying again; by then a link that gave up
// on a silent controller (for four timeouts) asks it again.
void OperatorPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kTimeoutMs));
}
constexpr int kSendsWithoutFaults = kGroupCount;

// Connect, then Connect > Retry failed reads, as an operator would after the failure
// message, until every read has gone through once: a failed read keeps what the image
// held, so the image is whole then. Returns the passes it took, 0 when it never got there.
int ConnectUntilComplete(TransferContext& link, ParameterImage& image) {
    image = ParameterImage{};
    SetStartValues(image);
    TransferResult report = ReadWholeController(link, image);
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        if (std::getenv("TQX_SOAK_DEBUG"))
            std::printf("connect pass %d: %zu failed\n", attempt, report.failed.size());
        if (report.failed.empty())
            return attempt;
        report = RetryFailedReads(link, image, report);
    }
    return 0;
}

// SEND of each group, repeated until it went through. Returns the SENDs it took in all.
int SendUntilComplete(TransferContext& link, const ParameterImage& image) {
    int sends = 0;
    for (GroupId group : AllGroups()) {
        for (int attempt = 1;; ++attempt) {
            ++sends;
            const TransferResult sent = SendGroup(link, image, group);
            if (sent.failed.empty())
                break;
            if (std::getenv("TQX_SOAK_DEBUG"))
                std::printf("send %s attempt %d failed: %s\n", GroupTitle(group).c_str(), attempt,
                            sent.failed.front().what.c_str());
            if (attempt == kMaxAttempts)
                return 0;
            OperatorPause();
        }
    }
    return sends;
}

// Valid new values in every group, different in every round.
void EditEveryGroup(ParameterImage& image, int round) {
    SystemSetupRecord& s = image.systemSetup;
    s.TF = static_cast<int16_t>((round * 37) % 9001);
    s.SFT = static_cast<int16_t>((round * 131) % 5001 - 2500);
    s.CI = static_cast<uint8_t>(1 + round % 120);
    s.PSET = static_cast<int16_t>((round * 10) % 10500);
    s.GS_T = static_cast<int16_t>((round * 7) % 6000);
    s.ENDT = static_cast<int16_t>((round * 11) % 6000);
    s.EV_T1 = static_cast<uint8_t>(round % 19);
    AdvancedRecord& a = image.advanced;
    a.SV_H = static_cast<int16_t>(10000 - round);
    a.A1HS = static_cast<int16_t>(round % 5001);
    a.DMV = static_cast<int16_t>((round * 3) % 10500);
    a.WDIS = 0; // the controller must keep taking writes
    for (int g = 0; g < ParameterImage::kPidGroups; ++g) {
        PidGroupRecord& pid = image.pid[static_cast<size_t>(g)];
        pid.SetSigned(PidGroupRecord::P, static_cast<int16_t>(10 + round + g));
        pid.SetWord(PidGroupRecord::I, static_cast<uint16_t>((round * 10 + g) % 32000));
        pid.SetSigned(PidGroupRecord::MV_H, static_cast<int16_t>(10000 - round - g));
    }
    for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
        ProgramPatternRecord& p = image.pattern[static_cast<size_t>(n - 1)];
        for (int seg = 1; seg <= ProgramPatternRecord::kSegments; ++seg) {
            SegmentRecord segment = p.Segment(seg);
            segment.SetSV(static_cast<int16_t>(round * 100 + n * 10 + seg));
            segment.SetTIME(static_cast<uint16_t>((round + seg) % 6000));
            segment.SetAlarm(1 + seg % 4, static_cast<int16_t>(round + n));
        }
    }
}

// Asks the simulator for its memory; empty when no dump arrived.
std::vector<uint8_t> DumpMemory(const SimProcess& sim, const std::string& path) {
    std::filesystem::remove(path);
    ::kill(sim.Pid(), SIGUSR1);
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long WrongBytes(const std::vector<uint8_t>& dump, const ControllerMemory& expected) {
    if (dump.size() != expected.Size())
        return static_cast<long>(expected.Size());
    long wrong = 0;
    for (size_t i = 0; i < dump.size(); ++i)
        wrong += dump[i] != expected.Data()[i];
    return wrong;
}

TEST(FaultSoak, EveryRoundLeavesTheControllerExactlyAsSent) {
    const char* env = std::getenv("TQX_SOAK_ROUNDS");
    const int rounds = env ? std::atoi(env) : 1;
    const std::string dump =
        (std::filesystem::temp_directory_path() / ("tqx-soak-" + std::to_string(getpid())))
            .string();
    // Faults at random from a fixed seed: a fixed period lines up with the retries of a
    // fixed sequence of transfers and would fail the same one every time.
    SimProcess sim({"--tcp", "127.0.0.1:0", "--drop-every", "3", "--corrupt-every", "7",
                    "--fault-seed", "7", "--dump", dump});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    // Loopback answers in well under a millisecond; a short timeout keeps dropped answers
    // from dominating the run.
    setenv("TQXCOMM_PORT1", (sim.PortSetting() + ",timeout=" + std::to_string(kTimeoutMs)).c_str(),
           1);
    ASSERT_EQ(TQXOpenSerialPort(1), 1);
    TransferContext link;
    TheModbusTransport().ResetStatistics();

    SimulatedController reference;
    reference.Memory().LoadFactoryContents();
    ASSERT_EQ(WrongBytes(DumpMemory(sim, dump), reference.Memory()), 0);

    long wrongBytes = 0, wrongImages = 0, connectRepeats = 0, sendRepeats = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 1; round <= rounds; ++round) {
        ParameterImage image;
        const int connects = ConnectUntilComplete(link, image);
        ASSERT_GT(connects, 0) << "round " << round << ": Connect never completed";
        EditEveryGroup(image, round);
        const int sends = SendUntilComplete(link, image);
        ASSERT_GT(sends, 0) << "round " << round << ": SEND never completed";
        {
            ScopedLinkBackend faultless(reference);
            ASSERT_EQ(SendUntilComplete(link, image), kSendsWithoutFaults);
        }
        const long wrong = WrongBytes(DumpMemory(sim, dump), reference.Memory());
        EXPECT_EQ(wrong, 0) << "round " << round;
        wrongBytes += wrong;

        ParameterImage again;
        const int reconnects = ConnectUntilComplete(link, again);
        ASSERT_GT(reconnects, 0) << "round " << round << ": the fresh Connect never completed";
        EXPECT_TRUE(again == image) << "round " << round;
        wrongImages += !(again == image);
        connectRepeats += connects - 1 + reconnects - 1;
        sendRepeats += sends - kSendsWithoutFaults;
    }
    const LinkStatistics& stats = TheModbusTransport().Statistics();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("soak: %d rounds in %.0f s, %ld Modbus requests, %ld transfers, %ld retried and "
                "passed, %ld transfers failed outright, %ld Connects and %ld SENDs repeated, "
                "%ld wrong bytes, %ld re-read images that differed\n",
                rounds, seconds, stats.transactions, stats.calls, stats.retriedCalls,
                stats.failedCalls, connectRepeats, sendRepeats, wrongBytes, wrongImages);
    EXPECT_EQ(wrongBytes, 0);
    TQXCloseSerialPort();
    std::filesystem::remove(dump);
}

} // namespace
