// tqxctl backup against a line where one answer in ten comes a second time, 1 to 150 ms
// after the first: from tqx-sim (--echo-every) and from an RTU server written apart from
// the project (echo_rtu_server.py, which serves the simulator's memory image). A copy of
// an earlier answer taken for a later request's answer would put one group's values into
// another's: every backup must hold exactly what the controller holds, or fail.
//
// TQX_ECHO_BACKUPS sets the runs at each baud rate (by default 1 at 9600 and 2 at 115200,
// so that each test stays within half a minute); 50 is the measure.

#include "files/file_test_support.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using filetest::Slurp;
using filetest::TempFolder;

namespace {

const char kPython[] = "/usr/bin/python3";

std::string EchoServerScript() {
    return std::string(TQX_TEST_DATA) + "/../e2e/echo_rtu_server.py";
}

// The server under test, at `baud`, echoing one answer in `every` (0: none).
SimProcess StartServer(bool independent, TempFolder& folder, const std::string& name, int baud,
                       int every) {
    const std::string pty = folder.File(name + ".pty");
    if (!independent) {
        std::vector<std::string> args = {"--pty", pty, "--baud", std::to_string(baud)};
        if (every > 0)
            args.insert(args.end(), {"--echo-every", std::to_string(every), "--echo-ms", "1:150",
                                     "--fault-seed", "7"});
        return SimProcess(args);
    }
    return SimProcess({EchoServerScript(), "--pty", pty, "--memory", folder.File("memory.bin"),
                       "--baud", std::to_string(baud), "--echo-every", std::to_string(every),
                       "--echo-ms", "1:150", "--seed", "7"},
                      kPython);
}

void Soak(bool independent) {
    TempFolder folder;
    // What a backup holds on a clean line; the independent server serves the same memory.
    const std::string cleanFile = folder.File("clean.slk");
    {
        SimProcess clean({"--pty", folder.File("clean.pty"), "--dump", folder.File("memory.bin")});
        ASSERT_TRUE(clean.Ready());
        const TqxctlResult r =
            Tqxctl("--port rtu:" + clean.Address() + ",parity=N backup " + cleanFile);
        ASSERT_EQ(r.status, 0) << r.out;
    }
    const char* env = std::getenv("TQX_ECHO_BACKUPS");
    const struct {
        int baud;
        int runs;
    } lines[] = {{9600, env ? std::atoi(env) : 1}, {115200, env ? std::atoi(env) : 2}};
    for (const auto& line : lines) {
        const std::string port = ",baud=" + std::to_string(line.baud) + ",parity=N";
        SimProcess server = StartServer(independent, folder, "echo", line.baud, 10);
        ASSERT_TRUE(server.Ready()) << server.ReadyLine();
        int exact = 0, failed = 0, wrong = 0;
        for (int run = 0; run < line.runs; ++run) {
            const std::string file = folder.File("echo" + std::to_string(run) + ".slk");
            const TqxctlResult r =
                Tqxctl("--port rtu:" + server.Address() + port + " backup " + file);
            if (r.status != 0)
                ++failed;
            else if (Slurp(file) == Slurp(cleanFile))
                ++exact;
            else
                ++wrong;
        }
        std::printf("%s, %d baud, one answer in 10 echoed after 1-150 ms: %d exact, %d failed, "
                    "%d wrong\n",
                    independent ? "independent server" : "tqx-sim", line.baud, exact, failed,
                    wrong);
        EXPECT_EQ(wrong, 0) << line.baud;
    }
}

} // namespace

TEST(EchoSoak, SecondCopiesFromTheSimulatorNeverMakeAWrongBackup) {
    Soak(false);
}

TEST(EchoSoak, SecondCopiesFromAnIndependentServerNeverMakeAWrongBackup) {
    if (::access(kPython, X_OK) != 0)
        GTEST_SKIP() << "no " << kPython;
    Soak(true);
}
