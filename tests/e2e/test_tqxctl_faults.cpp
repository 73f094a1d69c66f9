// tqxctl where things go wrong: late answers, nothing attached, a station that moves, a
// controller that goes away in the middle of a restore. No wrong file with exit 0, no
// controller left other than the report says.

#include "files/file_test_support.h"
#include "files/parameter_file_writer.h"
#include "image/controller_blocks.h"
#include "support/loopback_port.h"
#include "support/restore_memory.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <random>
#include <thread>

using filetest::Slurp;
using filetest::Spit;
using filetest::TempFolder;
using restoretest::ExpectMemoryAsReported;
using restoretest::RestoreSetting;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Count(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1))
        ++n;
    return n;
}

} // namespace

// Every second answer late: a backup either holds exactly the controller's values or
// fails; TQX_LATE_BACKUPS sets the runs of each setting (2 by default).
TEST(TqxctlFaults, LateAnswersNeverMakeAWrongBackup) {
    const char* env = std::getenv("TQX_LATE_BACKUPS");
    const int runs = env ? std::atoi(env) : 2;
    TempFolder folder;
    const struct {
        const char* timeout;
        const char* late;
    } settings[] = {{"50", "30:100"}, {"100", "60:180"}};
    {
        SimProcess clean({"--pty", folder.File("clean.pty")});
        ASSERT_TRUE(clean.Ready());
        ASSERT_EQ(
            Tqxctl("--port rtu:" + clean.Address() + ",parity=N backup " + folder.File("clean.slk"))
                .status,
            0);
    }
    const std::string clean = Slurp(folder.File("clean.slk"));
    for (const auto& s : settings) {
        SimProcess sim({"--pty", folder.File(std::string("late") + s.timeout + ".pty"),
                        "--late-every", "2", "--late-ms", s.late});
        ASSERT_TRUE(sim.Ready());
        int exact = 0, failed = 0, wrong = 0, namedLate = 0;
        for (int run = 0; run < runs; ++run) {
            const std::string file = folder.File("late" + std::to_string(run) + ".slk");
            const TqxctlResult r = Tqxctl("--port rtu:" + sim.Address() +
                                          ",parity=N,timeout=" + s.timeout + " backup " + file);
            if (r.status != 0) {
                ++failed;
                // Every answer came, some late: a failure says so, never "no answer".
                namedLate += r.out.find("answers arrive after") != std::string::npos;
                EXPECT_EQ(r.out.find("no answer within"), std::string::npos) << r.out;
            } else if (Slurp(file) == clean)
                ++exact;
            else
                ++wrong;
        }
        std::printf("late backups at timeout %s, late %s ms: %d exact, %d failed (%d named "
                    "late), %d wrong\n",
                    s.timeout, s.late, exact, failed, namedLate, wrong);
        EXPECT_EQ(wrong, 0) << s.late;
    }
}

// With nothing answering, tqxctl runs no retry pass and says why once.
TEST(TqxctlFaults, NothingAttachedGivesUpWithinASecondAndAHalf) {
    TempFolder folder;
    SimProcess silent({"--pty", folder.File("silent.pty"), "--drop-every", "1"});
    ASSERT_TRUE(silent.Ready());
    int fd = -1;
    const int listener = LoopbackPort(true, fd);
    for (const std::string& port :
         {"rtu:" + silent.Address() + ",parity=N", "tcp:127.0.0.1:" + std::to_string(listener)}) {
        const auto start = std::chrono::steady_clock::now();
        const TqxctlResult r = Tqxctl("--port " + port + " backup " + folder.File("x.slk"));
        const double seconds = SecondsSince(start);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_LT(seconds, 1.5) << port;
        EXPECT_EQ(Count(r.out, "Port 1 ("), 1) << r.out;
        EXPECT_EQ(r.out.find("keeps its previous values"), std::string::npos) << r.out;
    }
    ::close(fd);
}

// A file that moves the controller to station 5: block 9 goes first, then block 12, and
// the rest follows the controller to unit 5.
TEST(TqxctlFaults, RestoreFollowsTheStationItSets) {
    TempFolder folder;
    SimProcess sim({"--pty", folder.File("stn.pty"), "--units", "1"});
    ASSERT_TRUE(sim.Ready());
    ParameterImage file = filetest::BusyImage(3);
    file.systemSetup.STN = 5;
    file.advanced.WDIS = 0;
    Spit(folder.File("stn5.slk"), BuildParameterFileText(file));
    const std::string line = "--port rtu:" + sim.Address() + ",parity=N";
    const TqxctlResult restore = Tqxctl(line + ",unit=1 restore " + folder.File("stn5.slk"));
    EXPECT_EQ(restore.status, 0) << restore.out;
    EXPECT_NE(restore.out.find("station 5"), std::string::npos) << restore.out;
    const TqxctlResult diff = Tqxctl(line + ",unit=5 diff controller " + folder.File("stn5.slk"));
    EXPECT_EQ(diff.status, 0) << diff.out;
}

// The controller goes away in the middle of a restore: every group the report names as
// written holds the file, every group not written holds what it held, and a partly
// written one changed in the blocks it names and nowhere else.
TEST(TqxctlFaults, AnInterruptedRestoreSaysExactlyWhatItWrote) {
    RestoreSetting set;
    std::mt19937 random(29);
    for (int run = 0; run < 10; ++run) {
        const std::string dump = set.folder.File("run.bin");
        SimProcess sim({"--pty", set.folder.File("r.pty"), "--verbose", "--dump", dump, "--baud",
                        "115200", "--parity", "N"});
        ASSERT_TRUE(sim.Ready());
        auto restore = std::async(std::launch::async, [&] {
            return Tqxctl("--port rtu:" + sim.Address() + ",parity=N,timeout=100 restore " +
                          set.folder.File("set.slk"));
        });
        // Stopped somewhere among the writes: after the 5 reads a restore begins with.
        const int requests = std::uniform_int_distribution<int>(6, 75)(random);
        for (int seen = 0; seen < requests && !sim.ReadLine(5000).empty(); ++seen) {
        }
        const std::string memory = set.MemoryOf(sim, dump);
        const TqxctlResult r = restore.get();
        EXPECT_EQ(r.status, 2) << r.out;
        ASSERT_EQ(memory.size(), 0x10000u) << "run " << run;
        ExpectMemoryAsReported(r.out, memory, set.factory, set.fileMemory, run);
    }
}

// The operator presses Ctrl+C in the middle of a restore: tqxctl ends the call under way,
// writes nothing more, exits 2 and names what went in; the controller agrees.
TEST(TqxctlFaults, ARestoreStoppedWithCtrlCSaysWhatItWrote) {
    RestoreSetting set;
    std::mt19937 random(30);
    for (int run = 0; run < 5; ++run) {
        const std::string dump = set.folder.File("int.bin");
        const std::string pidFile = set.folder.File("tqxctl.pid");
        std::remove(pidFile.c_str());
        SimProcess sim({"--pty", set.folder.File("i.pty"), "--verbose", "--dump", dump, "--baud",
                        "38400", "--parity", "N"});
        ASSERT_TRUE(sim.Ready());
        auto restore = std::async(std::launch::async, [&] {
            return RunShell("echo $$ > " + pidFile + "; exec " + TQXCTL_PATH + " --port rtu:" +
                            sim.Address() + ",parity=N restore " + set.folder.File("set.slk"));
        });
        const int requests = std::uniform_int_distribution<int>(8, 50)(random);
        for (int seen = 0; seen < requests && !sim.ReadLine(5000).empty(); ++seen) {
        }
        ::kill(std::stoi(Slurp(pidFile)), SIGINT);
        const TqxctlResult r = restore.get();
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.out.find("stopped by the operator"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\nnot written:"), std::string::npos) << r.out;
        // The call under way when the signal came, and one the test may have seen late.
        EXPECT_LE(sim.ReadLines(100).size(), 2u) << r.out;
        const std::string memory = set.MemoryOf(sim, dump);
        ASSERT_EQ(memory.size(), 0x10000u) << "run " << run;
        ExpectMemoryAsReported(r.out, memory, set.factory, set.fileMemory, run);
    }
}

// Ctrl+C in the middle of `restore --unlock` on a write-inhibited controller: tqxctl puts
// WDIS back before it exits, and the controller holds WDIS 1 again, or the output says it
// does not. TQX_CTRLC_RUNS sets the runs (5 by default).
TEST(TqxctlFaults, ARestoreStoppedWithCtrlCLocksTheControllerAgain) {
    const char* env = std::getenv("TQX_CTRLC_RUNS");
    const int runs = env ? std::atoi(env) : 5;
    RestoreSetting set;
    std::mt19937 random(31);
    int relocked = 0, saidLeftOpen = 0;
    for (int run = 0; run < runs; ++run) {
        const std::string dump = set.folder.File("lock.bin");
        const std::string pidFile = set.folder.File("tqxctl.pid");
        std::remove(pidFile.c_str());
        SimProcess sim({"--pty", set.folder.File("w.pty"), "--wdis", "1", "--verbose", "--dump",
                        dump, "--baud", "38400"});
        ASSERT_TRUE(sim.Ready());
        auto restore = std::async(std::launch::async, [&] {
            return RunShell("echo $$ > " + pidFile + "; exec " + TQXCTL_PATH +
                            " --port rtu:" + sim.Address() + ",parity=N restore --unlock " +
                            set.folder.File("set.slk"));
        });
        // After WDIS 0 (the 6th request) and before the file's WDIS goes in last.
        const int requests = std::uniform_int_distribution<int>(8, 60)(random);
        for (int seen = 0; seen < requests && !sim.ReadLine(5000).empty(); ++seen) {
        }
        ::kill(std::stoi(Slurp(pidFile)), SIGINT);
        const TqxctlResult r = restore.get();
        EXPECT_EQ(r.status, 2) << r.out;
        const std::string memory = set.MemoryOf(sim, dump);
        ASSERT_EQ(memory.size(), 0x10000u) << "run " << run;
        const bool locked = memory[0x0A00 + 16] == 1;
        const bool said = r.out.find("left write-enabled") != std::string::npos ||
                          r.out.find("WDIS was left at 0") != std::string::npos;
        EXPECT_TRUE(locked != said)
            << "run " << run << ": WDIS " << int(memory[0x0A00 + 16]) << "\n"
            << r.out;
        if (locked) {
            EXPECT_NE(r.out.find("WDIS 1             written back (stopped by the operator)"),
                      std::string::npos)
                << r.out;
        }
        relocked += locked;
        saidLeftOpen += said;
    }
    std::printf("restore --unlock stopped with Ctrl+C: %d of %d runs WDIS back to 1, %d said "
                "it was left at 0\n",
                relocked, runs, saidLeftOpen);
}
