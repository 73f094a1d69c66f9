// tqxctl end to end against tqx-sim processes on loopback.

#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "link/tqxcomm.h"
#include "support/pdf_text.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"
#include "transfers/group_transfers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

using Result = TqxctlResult;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("tqxctl-test-" + std::to_string(getpid()) + "-" + name))
        .string();
}

int CountLines(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1))
        ++count;
    return count;
}

TEST(Tqxctl, BackupRestoreOntoAnotherControllerThenNoDifference) {
    SimProcess a({"--tcp", "127.0.0.1:0"});
    SimProcess b({"--tcp", "127.0.0.1:0", "--model", "PXR4TEY1X-0099"});
    ASSERT_TRUE(a.Ready() && b.Ready()) << a.ReadyLine() << b.ReadyLine();

    // Give B other contents: PID group 1 and the first words of pattern 2.
    setenv("TQXCOMM_PORT1", b.PortSetting().c_str(), 1);
    TQXOpenSerialPort(1);
    std::array<uint8_t, 24> group{};
    group.fill(0x11);
    int32_t status = 0;
    ASSERT_TRUE(TQXWrite(TQX_MODE_WRITE_WORDS, 4, 0, 12, group.data(), &status));
    ASSERT_TRUE(TQXWrite(TQX_MODE_WRITE_ABSOLUTE, 23, 0xC000 + 840, 12, group.data(), &status));
    TQXCloseSerialPort();

    const std::string fileA = TempPath("a.slk");
    const std::string fileB = TempPath("b.slk");
    Result backup = Tqxctl("--port " + a.PortSetting() + " backup " + fileA);
    ASSERT_EQ(backup.status, 0) << backup.out;
    EXPECT_NE(backup.out.find("model code PXT"), std::string::npos) << backup.out;

    Result before = Tqxctl("--port " + b.PortSetting() + " backup " + fileB);
    ASSERT_EQ(before.status, 0) << before.out;
    EXPECT_EQ(Tqxctl("diff " + fileA + " " + fileB).status, 1);

    Result restore = Tqxctl("--port " + b.PortSetting() + " restore " + fileA);
    ASSERT_EQ(restore.status, 0) << restore.out;
    EXPECT_NE(restore.out.find("verify             ok"), std::string::npos) << restore.out;

    Result after = Tqxctl("--port " + b.PortSetting() + " backup " + fileB);
    ASSERT_EQ(after.status, 0) << after.out;
    Result diff = Tqxctl("diff " + fileA + " " + fileB);
    EXPECT_EQ(diff.status, 0) << diff.out;
    EXPECT_NE(diff.out.find("no differences"), std::string::npos);

    Result show = Tqxctl("show " + fileA + " pid 1");
    EXPECT_EQ(show.status, 0);
    EXPECT_EQ(CountLines(show.out, "pid 1 "), 12) << show.out;
    std::remove(fileA.c_str());
    std::remove(fileB.c_str());
}

// A file that locks: WDIS 1 and values other than the simulator's own.
std::string LockingFile() {
    ParameterImage image;
    SetStartValues(image);
    image.systemSetup.CI = 20;
    image.advanced.SVMOD = 1;
    image.pid[3].SetWord(2, 55);
    image.pattern[8].Segment(20).SetTIME(90);
    image.advanced.WDIS = 1;
    image.systemSetup.STN = 1; // a station port 1 can follow
    RecordingMessages messages;
    const std::string file = TempPath("locking.slk");
    EXPECT_TRUE(WriteParameterFile(image, file, messages));
    return file;
}

// The controller as a file, and whether it equals `file`.
bool Holds(const SimProcess& sim, const std::string& file) {
    const std::string now = TempPath("now.slk");
    EXPECT_EQ(Tqxctl("--port " + sim.PortSetting() + " backup " + now).status, 0);
    const bool same = Tqxctl("diff " + file + " " + now).status == 0;
    std::remove(now.c_str());
    return same;
}

TEST(Tqxctl, RestoreNeverLeavesAControllerHalfLocked) {
    const std::string file = LockingFile();
    const char* groups[] = {"system", "advanced", "pid 1", "pid 9", "pattern 1", "pattern 9"};

    // Unlocked: every group goes in with WDIS 0, the file's WDIS 1 last.
    SimProcess open({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(open.Ready());
    Result restore = Tqxctl("--port " + open.PortSetting() + " restore " + file);
    EXPECT_EQ(restore.status, 0) << restore.out;
    for (const char* group : groups)
        EXPECT_NE(
            restore.out.find(std::string(group) + std::string(18 - strlen(group), ' ') + " sent"),
            std::string::npos)
            << group << "\n"
            << restore.out;
    EXPECT_NE(restore.out.find("WDIS 1             written last\nverify             ok"),
              std::string::npos)
        << restore.out;
    EXPECT_TRUE(Holds(open, file));

    // Locked (now, and from the start): nothing is written without --unlock.
    SimProcess locked({"--tcp", "127.0.0.1:0", "--wdis", "1"});
    ASSERT_TRUE(locked.Ready());
    for (const SimProcess* sim : {&open, &locked}) {
        restore = Tqxctl("--port " + sim->PortSetting() + " restore " + file);
        EXPECT_EQ(restore.status, 2) << restore.out;
        EXPECT_NE(restore.out.find("tqxctl: restore stopped: the controller is write-inhibited "
                                   "(WDIS 1); nothing was written."),
                  std::string::npos)
            << restore.out;
        EXPECT_EQ(restore.out.find(" sent"), std::string::npos) << restore.out;
    }
    EXPECT_FALSE(Holds(locked, file));

    restore = Tqxctl("--port " + locked.PortSetting() + " restore --unlock " + file);
    EXPECT_EQ(restore.status, 0) << restore.out;
    EXPECT_EQ(restore.out.rfind("WDIS 0             written first", 0), 0u) << restore.out;
    EXPECT_NE(restore.out.find("verify             ok"), std::string::npos) << restore.out;
    EXPECT_TRUE(Holds(locked, file));
    std::remove(file.c_str());
}

// A file whose SV-H and SV-L rows were swapped in a spreadsheet is refused, naming the cell,
// and nothing reaches the controller.
TEST(Tqxctl, RestoreOfMovedRowsWritesNothing) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string before = TempPath("before.slk"), moved = TempPath("moved.slk");
    ASSERT_EQ(Tqxctl("--port " + sim.PortSetting() + " backup " + before).status, 0);
    ParameterImage image;
    SetStartValues(image);
    image.advanced.SV_H = 10000, image.advanced.SV_L = 0;
    std::string text = BuildParameterFileText(image);
    for (const auto& [from, to] : {std::pair{"\nC;Y2;", "\nC;Y@;"}, std::pair{"\nC;Y3;", "\nC;Y2;"},
                                   std::pair{"\nC;Y@;", "\nC;Y3;"}})
        for (size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, 6, to);
    std::ofstream(moved, std::ios::binary) << text;

    const Result restore = Tqxctl("--port " + sim.PortSetting() + " restore " + moved);
    EXPECT_EQ(restore.status, 2) << restore.out;
    EXPECT_NE(restore.out.find("row 2, column 1: \"SV-L\" stands where \"SV-H\" belongs"),
              std::string::npos)
        << restore.out;
    EXPECT_TRUE(Holds(sim, before));
    std::remove(before.c_str());
    std::remove(moved.c_str());
}

// A file whose STN port 1 could not follow the controller to is refused with its cell
// named (row 35, column 2 holds STN), and the controller is not written: the broadcast
// address, the first number past the last station, the largest a byte holds.
TEST(Tqxctl, RestoreRefusesAStationPortOneCannotFollow) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--verbose"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    for (const int stn : {0, 32, 255}) {
        ParameterImage image;
        SetStartValues(image);
        image.systemSetup.CI = 20; // something the controller would take
        image.systemSetup.STN = static_cast<uint8_t>(stn);
        const std::string file = TempPath("stn" + std::to_string(stn) + ".slk");
        RecordingMessages messages;
        ASSERT_TRUE(WriteParameterFile(image, file, messages));
        const Result restore = Tqxctl("--port " + sim.PortSetting() + " restore --unlock " + file);
        EXPECT_EQ(restore.status, 2) << stn << "\n" << restore.out;
        EXPECT_NE(
            restore.out.find("STN " + std::to_string(stn) + " at row 35, column 2 of " + file),
            std::string::npos)
            << restore.out;
        for (const std::string& line : sim.ReadLines(300))
            EXPECT_EQ(line.find("write"), std::string::npos) << stn << ": " << line;
        std::remove(file.c_str());
    }
}

// --keep DIR: what the controller held before the restore, as backup would have saved it.
TEST(Tqxctl, RestoreKeepsWhatTheControllerHeld) {
    const std::string file = LockingFile();
    const std::filesystem::path keep = TempPath("kept");
    SimProcess sim({"--tcp", "127.0.0.1:0", "--wdis", "1"});
    ASSERT_TRUE(sim.Ready());
    const std::string before = TempPath("before.slk");
    ASSERT_EQ(Tqxctl("--port " + sim.PortSetting() + " backup " + before).status, 0);
    const Result restore = Tqxctl("--port " + sim.PortSetting() + " restore --unlock --keep " +
                                  keep.string() + " " + file);
    EXPECT_EQ(restore.status, 0) << restore.out;
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(keep))
        kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u) << restore.out;
    EXPECT_NE(restore.out.find("kept               " + kept[0].string()), std::string::npos)
        << restore.out;
    const auto bytes = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(bytes(kept[0]), bytes(before));
    EXPECT_TRUE(Holds(sim, file));
    std::filesystem::remove_all(keep);
    std::remove(before.c_str());
    std::remove(file.c_str());
}

// The advanced editor's SEND that sets Write Inhibit still gets block 13 in; the SEND that
// lifts it gets both in too.
TEST(Tqxctl, AdvancedSendThatLocksWritesBothBlocks) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready());
    setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    for (const uint8_t wdis : {1, 0}) {
        AdvancedRecord sent = image.advanced;
        sent.WDIS = wdis;
        sent.SVMOD = 1 - wdis;
        sent.PD = static_cast<int16_t>(700 + wdis);
        sent.SV_H = static_cast<int16_t>(9000 + wdis);
        EXPECT_TRUE(SendAdvanced(link, sent).failed.empty()) << int(wdis);
        AdvancedRecord back;
        EXPECT_TRUE(RetrieveAdvanced(link, back).failed.empty());
        EXPECT_EQ(back, sent) << int(wdis);
    }
    TQXCloseSerialPort();
}

TEST(Tqxctl, BackupThroughALossyLineIsComplete) {
    SimProcess clean({"--tcp", "127.0.0.1:0"});
    SimProcess lossy({"--tcp", "127.0.0.1:0", "--drop-every", "5"});
    ASSERT_TRUE(clean.Ready() && lossy.Ready());
    const std::string a = TempPath("clean.slk");
    const std::string b = TempPath("lossy.slk");
    ASSERT_EQ(Tqxctl("--port " + clean.PortSetting() + " backup " + a).status, 0);
    // Each lost answer costs a timeout; a short one retries the same way, sooner.
    Result lossyBackup = Tqxctl("--port " + lossy.PortSetting() + ",timeout=150 backup " + b);
    ASSERT_EQ(lossyBackup.status, 0) << lossyBackup.out;
    EXPECT_EQ(Tqxctl("diff " + a + " " + b).status, 0);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(Tqxctl, DiffOfTwoFilesPrintsExactlyTheChangedParameters) {
    ParameterImage image;
    SetStartValues(image);
    image.systemSetup.PVT = 36;
    RecordingMessages messages;
    const std::string a = TempPath("diff-a.slk");
    const std::string b = TempPath("diff-b.slk");
    ASSERT_TRUE(WriteParameterFile(image, a, messages));
    image.systemSetup.CI = 20;
    image.pid[3].SetWord(2, 55);
    image.pattern[6].Segment(12).SetTIME(90);
    ASSERT_TRUE(WriteParameterFile(image, b, messages));

    Result diff = Tqxctl("diff " + a + " " + b);
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(diff.out, "system CI: 0 (0 s) | 20 (20 s)\n"
                        "pid 4 D: 0 (0.0 s) | 55 (5.5 s)\n"
                        "pattern 7 segment 12 TIME: 0 (00:00) | 90 (01:30)\n"
                        "3 parameters differ\n");
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(Tqxctl, ErrorsNameWhatWasWrong) {
    const struct {
        const char* args;
        const char* says;
    } cases[] = {
        {"", "usage: tqxctl"},
        {"frobnicate", "unknown command 'frobnicate'"},
        {"diff onlyone", "usage: tqxctl [--port SETTING] diff A B"},
        {"show /nonexistent/file.slk", "/nonexistent/file.slk"},
        {"show /dev/null pid 12", "no group 'pid 12'"},
        {"--port rtu:/dev/ttyS0,baud=fast backup x.slk",
         "--port 'rtu:/dev/ttyS0,baud=fast' is not a port setting: \"baud=fast\" is wrong;"},
        {"help frobnicate", "no command 'frobnicate'"},
        {"show --file controller", "The file ./controller could not be read"},
        {"restore /dev/zero", "it is a device, not a regular file"},
    };
    for (const auto& c : cases) {
        Result r = Tqxctl(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(Tqxctl("--help").status, 0);
    EXPECT_EQ(Tqxctl("restore --help").status, 0);
    for (const char* command : {"backup", "restore"}) {
        const Result help = Tqxctl(std::string("help ") + command);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: tqxctl [--port SETTING] ") + command, 0), 0u)
            << help.out;
        EXPECT_NE(help.out.find("does not carry: the advanced GAP, MAX, PP, PI and PD"),
                  std::string::npos)
            << help.out;
    }
}

// The report needs no display: tqxctl picks Qt's offscreen platform itself.
TEST(Tqxctl, ReportOfTheControllerWithoutADisplay) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(name);
    const std::string pdf = TempPath("report.pdf");
    const Result report = Tqxctl("--port " + sim.PortSetting() + " report controller " + pdf);
    ASSERT_EQ(report.status, 0) << report.out;
    const std::string first = PdfText(pdf, "-l 1");
    EXPECT_NE(first.find("controller at port 1 (" + sim.PortSetting()), std::string::npos) << first;
    // Three pages of parameters, the pattern summary and the three patterns the simulator runs.
    EXPECT_NE(first.find("Page 1 of 7"), std::string::npos) << first;
    std::filesystem::remove(pdf);
    EXPECT_EQ(Tqxctl("report controller").status, 2);
}

// --port and --trace win over TQXCOMM_PORT1 and TQXCOMM_TRACE.
TEST(Tqxctl, PortAndTraceOptionsWinOverTheEnvironment) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string trace = TempPath("trace.txt"), unused = TempPath("unused.txt");
    const char* port = std::getenv("TQXCOMM_PORT1");
    const std::string keptPort = port ? port : "";
    setenv("TQXCOMM_PORT1", "tcp:127.0.0.1:1", 1); // nothing listens there
    setenv("TQXCOMM_TRACE", unused.c_str(), 1);
    const Result show =
        Tqxctl("--port " + sim.PortSetting() + " --trace " + trace + " show controller system");
    unsetenv("TQXCOMM_TRACE");
    setenv("TQXCOMM_PORT1", keptPort.c_str(), 1);
    ASSERT_EQ(show.status, 0) << show.out;
    std::ifstream in(trace);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* line : {" open tcp:127.0.0.1:", " TX ", " RX "})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_FALSE(std::filesystem::exists(unused));
    std::remove(trace.c_str());
}

} // namespace
