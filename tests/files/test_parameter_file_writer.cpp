#include "file_test_support.h"
#include "files/parameter_file_writer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <tuple>
#include <unistd.h>

using filetest::BusyImage;
using filetest::Slurp;
using filetest::Spit;
using filetest::TempFolder;

namespace {

// The layout, stated once more from the rules the file follows, so that the writer is
// checked against an independent picture of it. `value(row, column)` gives each numeric
// cell's number.
using CellValue = std::function<unsigned(int row, int column)>;

std::string ExpectedFile(const CellValue& value) {
    std::string out;
    char line[64];
    auto put = [&](const char* format, auto... args) {
        std::snprintf(line, sizeof line, format, args...);
        out += line;
        out += "\r\n";
    };
    const char* advanced[] = {"SV-H", "SV-L", "DMV",  "A1HS", "A2HS",  "A3HS",
                              "A4HS", "DV-D", "MVLT", "WDIS", "SVMOD", "PID"};
    const char* system[] = {"PVT",  "PVU",   "PVD",   "PVF",   "PVB",   "SFT",  "STM",  "CI",
                            "PSET", "BURN",  "AO1R",  "AO1T",  "AO1F",  "AO1B", "AO2R", "AO2T",
                            "AO2F", "AO2B",  "TMDT",  "TMU",   "STN",   "TF",   "GS-H", "GS-L",
                            "GS-T", "EV-T1", "EV-T2", "EV-T3", "EV-T4", "ENDT"};
    const char* pid[] = {"P",   "I",    "D",    "GAP", "KNL",    "ARW",
                         "MAN", "MV-H", "MV-L", "REV", "NO USE", "NO USE"};
    const char* segment[] = {"SV",    "TIME",  "ALM1",  "ALM2",  "ALM3",  "ALM4",  "TS1ON", "TS1OF",
                             "TS2ON", "TS2OF", "TS3ON", "TS3OF", "TS4ON", "TS4OF", "TS5ON", "TS5OF",
                             "TS6ON", "TS6OF", "PIDNO", "GSORK", "GSTYP", "PVST",  "CYCL",  "LINK"};

    put("ID;PWXL;N;E");
    put("C;Y1;X1;K\"Advanced usage parameters\"");
    for (int r = 2; r <= 13; ++r) {
        put("C;Y%d;X1;K\"%s\"", r, advanced[r - 2]);
        put("C;Y%d;X2;K%05u", r, value(r, 2));
    }
    put("C;Y14;X1;K\"System Setup parameters\"");
    for (int r = 15; r <= 44; ++r) {
        put("C;Y%d;X1;K\"%s\"", r, system[r - 15]);
        put("C;Y%d;X2;K%05u", r, value(r, 2));
    }
    for (int g = 1; g <= 9; ++g) {
        put("C;Y45;X%d;K\"PID%d\"", 2 * g, g);
        for (int r = 46; r <= 57; ++r) {
            put("C;Y%d;X%d;K\"%s\"", r, 2 * g - 1, pid[r - 46]);
            put("C;Y%d;X%d;K%05u", r, 2 * g, value(r, 2 * g));
        }
    }
    for (int n = 1; n <= 9; ++n) {
        const int b = 58 + 26 * (n - 1);
        put("C;Y%d;X1;K\"Program Pattern%d\"", b, n);
        put("C;Y%d;X2;K\"seg.1\"", b + 1);
        for (int r = b + 2; r <= b + 25; ++r) {
            put("C;Y%d;X1;K\"%s\"", r, segment[r - b - 2]);
            put("C;Y%d;X2;K%05u", r, value(r, 2));
        }
        for (int c = 3; c <= 21; ++c) {
            if (n == 1) {
                put("C;Y%03d;X1;K\"Program Pattern1\"", b);
                put("C;Y%03d;X%d;K\"seg.%d\"", b + 1, c, c - 1);
            } else {
                put("C;Y%d;X1;K\"Program Pattern%d\"", b, n);
                put("C;Y%03d;X%02d;K\"seg.%02d\"", b + 1, c, c - 1);
            }
            for (int r = b + 2; r <= b + 25; ++r)
                put(n == 1 ? "C;Y%03d;X%d;K%05u" : "C;Y%03d;X%02d;K%05u", r, c, value(r, c));
        }
    }
    put("E");
    return out;
}

// Where each stored field of an image belongs, from the row tables of the file.
unsigned ValueAt(const ParameterImage& image, int row, int column) {
    auto u = [](int16_t v) { return static_cast<unsigned>(static_cast<uint16_t>(v)); };
    const AdvancedRecord& a = image.advanced;
    const SystemSetupRecord& s = image.systemSetup;
    const std::map<int, unsigned> single = {
        {2, u(a.SV_H)},  {3, u(a.SV_L)},  {4, u(a.DMV)},  {5, u(a.A1HS)},  {6, u(a.A2HS)},
        {7, u(a.A3HS)},  {8, u(a.A4HS)},  {9, a.DV_D},    {10, a.MVLT},    {11, a.WDIS},
        {12, a.SVMOD},   {13, a.PID},     {15, s.PVT},    {16, s.PVU},     {17, s.PVD},
        {18, u(s.PVF)},  {19, u(s.PVB)},  {20, u(s.SFT)}, {21, s.STM},     {22, s.CI},
        {23, u(s.PSET)}, {24, u(s.BURN)}, {25, s.AO1R},   {26, s.AO1T},    {27, u(s.AO1F)},
        {28, u(s.AO1B)}, {29, s.AO2R},    {30, s.AO2T},   {31, u(s.AO2F)}, {32, u(s.AO2B)},
        {33, s.TMDT},    {34, s.TMU},     {35, s.STN},    {36, u(s.TF)},   {37, u(s.GS_H)},
        {38, u(s.GS_L)}, {39, u(s.GS_T)}, {40, s.EV_T1},  {41, s.EV_T2},   {42, s.EV_T3},
        {43, s.EV_T4},   {44, u(s.ENDT)},
    };
    if (row <= 44)
        return single.at(row);
    if (row <= 57) {
        const auto& bytes = image.pid[column / 2 - 1].bytes;
        const int k = row - 46;
        return bytes[2 * k] | bytes[2 * k + 1] << 8;
    }
    const int n = (row - 58) / 26 + 1;
    const int r = row - (58 + 26 * (n - 1)) - 2;
    const uint8_t* segment = &image.pattern[n - 1].bytes[42 * (column - 2)];
    return r < 18 ? segment[2 * r] | segment[2 * r + 1] << 8 : segment[36 + r - 18];
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

ParameterImage StartImage() {
    ParameterImage image;
    SetStartValues(image);
    return image;
}

} // namespace

TEST(FormatFiveDigits, PadsToFiveDigits) {
    const struct {
        uint16_t value;
        const char* text;
    } cases[] = {{0, "00000"},     {7, "00007"},     {10, "00010"},    {255, "00255"},
                 {9999, "09999"},  {10000, "10000"}, {32768, "32768"}, {64537, "64537"},
                 {65535, "65535"}, {40506, "40506"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatFiveDigits(c.value), c.text) << c.value;
}

TEST(ParameterFileText, StartValuesGiveTheGoldenFile) {
    const std::string expected = ExpectedFile([](int row, int column) {
        const bool firstSv = row >= 60 && (row - 60) % 26 == 0 && column == 2;
        return firstSv ? 32768u : 0u;
    });
    ASSERT_EQ(expected.size(), 100825u);
    const std::string text = BuildParameterFileText(StartImage());
    EXPECT_EQ(text, expected);

    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 5209u);
    int numeric = 0, zero = 0, sv = 0;
    for (const std::string& line : lines) {
        const size_t k = line.find(";K");
        if (k == std::string::npos || line[k + 2] == '"')
            continue;
        ++numeric;
        zero += line.compare(k, 7, ";K00000") == 0;
        sv += line.compare(k, 7, ";K32768") == 0;
    }
    EXPECT_EQ(numeric, 4470);
    EXPECT_EQ(zero, 4461);
    EXPECT_EQ(sv, 9);
}

TEST(ParameterFileText, LandmarkLines) {
    const std::vector<std::string> lines = Lines(BuildParameterFileText(BusyImage()));
    ASSERT_EQ(lines.size(), 5209u);
    EXPECT_EQ(lines[0], "ID;PWXL;N;E");
    EXPECT_EQ(lines[1], "C;Y1;X1;K\"Advanced usage parameters\"");
    EXPECT_EQ(lines[2], "C;Y2;X1;K\"SV-H\"");
    EXPECT_EQ(lines[3], "C;Y2;X2;K65535");
    EXPECT_EQ(lines[5207].substr(0, 12), "C;Y291;X21;K");
    EXPECT_EQ(lines[5208], "E");
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    for (const char* line :
         {"C;Y059;X21;K\"seg.20\"", "C;Y085;X21;K\"seg.20\"", "C;Y267;X21;K\"seg.20\"",
          "C;Y059;X3;K\"seg.2\"", "C;Y085;X03;K\"seg.02\"", "C;Y111;X03;K\"seg.02\"",
          "C;Y058;X1;K\"Program Pattern1\"", "C;Y84;X1;K\"Program Pattern2\"", "C;Y45;X4;K\"PID2\"",
          "C;Y46;X3;K\"P\"", "C;Y18;X2;K64537", "C;Y39;X2;K32768", "C;Y43;X2;K00255",
          "C;Y9;X2;K00255", "C;Y113;X06;K32768"})
        EXPECT_TRUE(has(line)) << line;
}

TEST(ParameterFileText, EveryValueOfABusyImageInItsPlace) {
    const ParameterImage image = BusyImage();
    const std::string expected =
        ExpectedFile([&](int row, int column) { return ValueAt(image, row, column); });
    const std::string text = BuildParameterFileText(image);
    EXPECT_EQ(text.size(), 100825u);
    EXPECT_EQ(text, expected);
}

TEST(ParameterFileText, FieldsOutsideTheFileChangeNothing) {
    ParameterImage a = BusyImage(), b = BusyImage();
    b.advanced.GAP = -5, b.advanced.MAX = 17, b.advanced.PP = 0, b.advanced.PI = 99;
    b.advanced.PD = -32768;
    b.modelCode.fill('9');
    b.connected = 1;
    b.rawBlock0.fill(3);
    EXPECT_EQ(BuildParameterFileText(a), BuildParameterFileText(b));
}

TEST(WriteParameterFile, WritesTheTextAndReplacesAnExistingFile) {
    TempFolder folder;
    const std::string path = folder.File("PARAM1.SLK");
    Spit(path, "an older file that is longer than nothing");
    RecordingMessages messages;
    const ParameterImage start = StartImage(); // writing before any Connect works
    ASSERT_TRUE(WriteParameterFile(start, path, messages));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(Slurp(path), BuildParameterFileText(start));
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(WriteParameterFile, FailuresAreReportedAndLeaveTheTargetAlone) {
    TempFolder folder;
    const std::string missingFolder = folder.File("no-such-folder/PARAM1.SLK");
    const std::string folderInPlace = folder.File("taken");
    std::filesystem::create_directory(folderInPlace);
    Spit(folderInPlace + "/inside", "kept");

    for (const std::string& path : {missingFolder, folderInPlace}) {
        RecordingMessages messages;
        EXPECT_FALSE(WriteParameterFile(StartImage(), path, messages)) << path;
        ASSERT_EQ(messages.Texts().size(), 1u) << path;
        EXPECT_NE(messages.Texts()[0].find(path), std::string::npos) << messages.Texts()[0];
    }
    EXPECT_FALSE(std::filesystem::exists(missingFolder));
    EXPECT_TRUE(std::filesystem::is_directory(folderInPlace));
    EXPECT_EQ(Slurp(folderInPlace + "/inside"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// A write that fails half way (the file size limit holds for root too) keeps the old file.
TEST(WriteParameterFile, AFailedWriteKeepsTheOldFile) {
    TempFolder folder;
    const std::string path = folder.File("PARAM1.SLK");
    Spit(path, "old contents");

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    RecordingMessages messages;
    const bool written = WriteParameterFile(BusyImage(), path, messages);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find(path), std::string::npos);
    EXPECT_EQ(Slurp(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// The owner's write bit decides, also for root, who could write anyway.
TEST(WriteParameterFile, AReadOnlyTargetIsRefusedAndKept) {
    TempFolder folder;
    const std::string path = folder.File("KEEP.SLK");
    Spit(path, "made read-only on purpose");
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    RecordingMessages messages;
    EXPECT_FALSE(WriteParameterFile(BusyImage(), path, messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"The file " + path +
                                                         " could not be written (it is "
                                                         "read-only). Nothing was changed on "
                                                         "disk."});
    EXPECT_EQ(Slurp(path), "made read-only on purpose");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 1);
}

namespace {

// What identifies a node: its inode, kind and rights, and for a device its number.
std::tuple<ino_t, mode_t, dev_t> Node(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return {info.st_ino, info.st_mode, info.st_rdev};
}

} // namespace

// Only a regular file or a new name is written; anything else at the name is refused by
// its kind and left exactly as it was, with no temporary file beside it.
TEST(WriteParameterFile, WhatIsNoRegularFileIsRefusedAndKept) {
    namespace fs = std::filesystem;
    TempFolder folder;
    const bool root = geteuid() == 0;
    const std::string fifo = folder.File("fifo.slk"), device = folder.File("device.slk"),
                      socketPath = folder.File("socket.slk"), dangling = folder.File("link.slk"),
                      taken = folder.File("taken");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    if (root) {
        ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0); // like /dev/null
    }
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("nowhere/missing.slk", dangling);
    fs::create_directory(taken);

    std::vector<std::pair<std::string, std::string>> cases = {
        {fifo, "it is a FIFO, not a regular file"},
        {socketPath, "it is a socket, not a regular file"},
        {dangling, "it is a symbolic link to nothing"},
        {taken, "it is a folder"},
    };
    if (root)
        cases.push_back({device, "it is a device, not a regular file"});
    const size_t nodes = cases.size();
    cases.push_back({folder.File("nowhere/P.SLK"), "its folder does not exist"});
    cases.push_back({fifo + "/P.SLK", "a part of its path is not a folder"});
    for (const auto& [path, reason] : cases) {
        const bool node = fs::exists(fs::symlink_status(path));
        const auto before = node ? Node(path) : std::tuple<ino_t, mode_t, dev_t>{};
        RecordingMessages messages;
        EXPECT_FALSE(WriteParameterFile(StartImage(), path, messages)) << path;
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>{"The file " + path + " could not be written (" + reason +
                                           "). Nothing was changed on disk."});
        if (node) {
            EXPECT_EQ(Node(path), before) << path;
        }
    }
    close(listener);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), long(nodes));
    EXPECT_TRUE(fs::is_empty(taken));
    if (!root)
        GTEST_SKIP() << "the device node needs root (mknod)";
}

// A symbolic link keeps pointing at the file it names, which is replaced with its owner,
// group and mode (root replacing another user's file included); temporary files a killed
// write of the same target left behind are removed, other files are not.
TEST(WriteParameterFile, AReplacedFileKeepsItsLinkOwnerGroupAndMode) {
    namespace fs = std::filesystem;
    TempFolder folder;
    const std::string real = folder.File("real.slk"), link = folder.File("link.slk");
    Spit(real, "old");
    ASSERT_EQ(chmod(real.c_str(), 02640), 0);
    const bool root = geteuid() == 0;
    const uid_t owner = root ? 65534 : geteuid();
    const gid_t group = root ? 65534 : getegid();
    ASSERT_EQ(chown(real.c_str(), owner, group), 0);
    fs::create_symlink("real.slk", link);
    for (const char* name :
         {"real.slk.tqx-new0", "real.slk.tqx-new12", "other.slk.tqx-new0", "real.slk.tqx-newer"})
        Spit(folder.File(name), "left behind");

    RecordingMessages messages;
    ASSERT_TRUE(WriteParameterFile(BusyImage(), link, messages)) << messages.Texts().front();
    EXPECT_EQ(fs::read_symlink(link), "real.slk");
    EXPECT_EQ(Slurp(real), BuildParameterFileText(BusyImage()));
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 02640u);
    EXPECT_EQ(info.st_uid, owner);
    EXPECT_EQ(info.st_gid, group);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"link.slk", "real.slk", "other.slk.tqx-new0",
                                            "real.slk.tqx-newer"}));
}
