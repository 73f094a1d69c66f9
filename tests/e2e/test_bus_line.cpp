// Several controllers on one line (tqx-sim --units on a pty): tqxctl scan and backup --all,
// and a system setup SEND that moves a controller to another station.
#include "link/link_backend.h"
#include "link/link_failure.h"
#include "link/port1.h"
#include "link/tqxcomm.h"
#include "support/sim_process.h"
#include "transfers/group_transfers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Temp(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("tqx-bus-" + std::to_string(getpid()) + "-" + name))
        .string();
}

int Tqxctl(const std::string& args, std::string& out) {
    FILE* pipe = popen((std::string(TQXCTL_PATH) + " " + args + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer{};
    size_t n = 0;
    out.clear();
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(BusLine, ScanFindsTheThreeAndBackupAllMatchesSingleBackups) {
    const std::string pty = Temp("pty");
    const char* models[] = {"PXT9A1Y2T-0D1R", "PXR4TEY1X-0099", "PXT9A1Y2N-0D1R"};
    SimProcess sim({"--pty", pty, "--units",
                    std::string("2:") + models[0] + ",5:" + models[1] + ",31:" + models[2]});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    std::string out;
    ASSERT_EQ(Tqxctl("--port rtu:" + pty + " scan", out), 0) << out;
    EXPECT_EQ(out, std::string("unit 2  9600 8E1  ") + models[0] + "\nunit 5  9600 8E1  " +
                       models[1] + "\nunit 31  9600 8E1  " + models[2] + "\n3 controllers found\n");

    const std::string dir = Temp("all");
    ASSERT_EQ(Tqxctl("--port rtu:" + pty + " backup --all " + dir, out), 0) << out;
    EXPECT_NE(out.find("3 of 3 controllers backed up"), std::string::npos) << out;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);
    const int units[] = {2, 5, 31};
    for (int i = 0; i < 3; ++i) {
        const std::string single = Temp("single.slk");
        ASSERT_EQ(
            Tqxctl("--port rtu:" + pty + ",unit=" + std::to_string(units[i]) + " backup " + single,
                   out),
            0)
            << out;
        char name[64];
        std::snprintf(name, sizeof name, "/unit-%02d-%s.slk", units[i], models[i]);
        const std::string all = Slurp(dir + name);
        EXPECT_FALSE(all.empty()) << name;
        EXPECT_TRUE(all == Slurp(single)) << name;
        std::filesystem::remove(single);
    }
    std::filesystem::remove_all(dir);
}

TEST(BusLine, SendOfANewStationMovesPort1AndStationZeroKeepsIt) {
    const std::string pty = Temp("stn");
    SimProcess sim({"--pty", pty, "--units", "3"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    setenv("TQXCOMM_PORT1", ("rtu:" + pty + ",unit=3,timeout=150").c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    SystemSetupRecord setup{};
    ASSERT_TRUE(RetrieveSystemSetup(link, setup).failed.empty()) << LinkFailureText();
    EXPECT_EQ(setup.STN, 3);

    setup.STN = 7;
    StationChange change;
    EXPECT_TRUE(SendSystemSetup(link, setup, &change).failed.empty()) << LinkFailureText();
    EXPECT_TRUE(change.changed && change.followed);
    EXPECT_EQ(Port1Unit(), 7);
    EXPECT_EQ(
        StationChangeMessage(change),
        "The controller answers at station 7 from now on (it was 3). Port 1 now asks unit 7.");
    SystemSetupRecord back{};
    EXPECT_TRUE(RetrieveSystemSetup(link, back).failed.empty()) << LinkFailureText();
    EXPECT_EQ(back.STN, 7);

    // Port 1 asks a unit nobody answers at while unit 7 does: the cause is the unit.
    link.MoveUnit(4);
    EXPECT_FALSE(RetrieveSystemSetup(link, back).failed.empty());
    EXPECT_EQ(CurrentLinkBackend().LastFailure().cause, LinkCause::WrongUnit);
    EXPECT_NE(LinkFailureText().find("unit 7 answers, unit 4 does not"), std::string::npos)
        << LinkFailureText();
    link.MoveUnit(7);

    setup.STN = 0;
    EXPECT_TRUE(SendSystemSetup(link, setup, &change).failed.empty()) << LinkFailureText();
    EXPECT_TRUE(change.changed && !change.followed);
    EXPECT_EQ(Port1Unit(), 7);
    EXPECT_NE(
        StationChangeMessage(change).find("until its station is set again on its front panel"),
        std::string::npos);
    EXPECT_NE(StationChangeMessage(change).find("Port 1 still asks unit 7."), std::string::npos);
    TQXCloseSerialPort();
    unsetenv("TQXCOMM_PORT1");
}

} // namespace
