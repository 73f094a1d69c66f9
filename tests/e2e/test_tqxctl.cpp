// tqxctl end to end against tqx-sim processes on loopback.

#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "link/tqxcomm.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Runs tqxctl with the arguments; stdout and stderr together.
Result Tqxctl(const std::string& args) {
    Result result;
    const std::string command = std::string(TQXCTL_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

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

TEST(Tqxctl, RestoreOntoAWriteProtectedControllerFails) {
    SimProcess source({"--tcp", "127.0.0.1:0"});
    SimProcess locked({"--tcp", "127.0.0.1:0", "--wdis", "1"});
    ASSERT_TRUE(source.Ready() && locked.Ready());
    const std::string file = TempPath("locked.slk");
    ASSERT_EQ(Tqxctl("--port " + source.PortSetting() + " backup " + file).status, 0);
    // Only block 10 may be written while WDIS is 1. The system setup goes first and is
    // refused; the advanced group then writes the file's WDIS 0, which lifts the
    // protection for the groups after it, as on a real controller.
    Result restore = Tqxctl("--port " + locked.PortSetting() + " restore " + file);
    EXPECT_EQ(restore.status, 2) << restore.out;
    EXPECT_NE(restore.out.find("system setup       FAILED (write block 12, write block 9)"),
              std::string::npos)
        << restore.out;
    EXPECT_NE(restore.out.find("advanced           sent"), std::string::npos) << restore.out;
    std::remove(file.c_str());
}

TEST(Tqxctl, BackupThroughALossyLineIsComplete) {
    SimProcess clean({"--tcp", "127.0.0.1:0"});
    SimProcess lossy({"--tcp", "127.0.0.1:0", "--drop-every", "5"});
    ASSERT_TRUE(clean.Ready() && lossy.Ready());
    const std::string a = TempPath("clean.slk");
    const std::string b = TempPath("lossy.slk");
    ASSERT_EQ(Tqxctl("--port " + clean.PortSetting() + " backup " + a).status, 0);
    Result lossyBackup = Tqxctl("--port " + lossy.PortSetting() + " backup " + b);
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
        {"diff onlyone", "usage: tqxctl [--port SPEC] diff A B"},
        {"show /nonexistent/file.slk", "/nonexistent/file.slk"},
        {"show /dev/null pid 12", "no group 'pid 12'"},
    };
    for (const auto& c : cases) {
        Result r = Tqxctl(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(Tqxctl("--help").status, 0);
    EXPECT_EQ(Tqxctl("restore --help").status, 0);
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
    FILE* pipe = popen(("pdftotext -l 1 -layout " + pdf + " -").c_str(), "r");
    std::string first;
    std::array<char, 4096> buffer{};
    for (size_t n; pipe && (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        first.append(buffer.data(), n);
    if (pipe)
        pclose(pipe);
    EXPECT_NE(first.find("controller at port 1 (" + sim.PortSetting() + ")"), std::string::npos)
        << first;
    EXPECT_NE(first.find("Page 1 of 12"), std::string::npos) << first;
    std::filesystem::remove(pdf);
    EXPECT_EQ(Tqxctl("report controller").status, 2);
}

} // namespace
