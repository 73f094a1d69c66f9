#include "file_test_support.h"
#include "files/file_layout.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using filetest::BusyImage;
using filetest::Spit;
using filetest::TempFolder;

namespace {

ParameterImage StartImage() {
    ParameterImage image;
    SetStartValues(image);
    return image;
}

// What reading a file written from `image` must give: PVST, CYCL and LINK of segment 1 in
// every segment; the connected flag set.
ParameterImage AsReadBack(ParameterImage image) {
    for (auto& pattern : image.pattern)
        for (int s = 2; s <= 20; ++s)
            for (int offset : {seg::PVST, seg::CYCL, seg::LINK})
                pattern.Segment(s).SetByte(offset, pattern.Segment(1).Byte(offset));
    image.connected = 1;
    return image;
}

void ExpectSameImage(const ParameterImage& a, const ParameterImage& b) {
    EXPECT_EQ(a.advanced, b.advanced);
    EXPECT_EQ(a.systemSetup, b.systemSetup);
    EXPECT_EQ(a.pid, b.pid);
    for (int n = 0; n < 9; ++n)
        EXPECT_EQ(a.pattern[n], b.pattern[n]) << "pattern " << n + 1;
    EXPECT_EQ(a.modelCode, b.modelCode);
    EXPECT_EQ(a.connected, b.connected);
    EXPECT_EQ(a.rawBlock0, b.rawBlock0);
    EXPECT_EQ(a.rawBlock3, b.rawBlock3);
}

std::string LfOnly(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

// A file as a spreadsheet saves it: an option record first, then the cells row by row,
// numbers without leading zeros. `value(i)` is the i-th numeric cell.
std::string SpreadsheetFile(const std::function<std::string(int)>& value, int count = 4470) {
    std::string text = "ID;PWXL;N;E\nP;PGeneral\nO;L;D;V0;K47;G100 0.001\n";
    text += "C;Y1;X1;K\"Advanced usage parameters\"\n";
    for (int i = 0; i < count; ++i)
        text += "C;Y" + std::to_string(i / 20 + 2) + ";X" + std::to_string(i % 20 + 2) + ";K" +
                value(i) + "\n";
    return text + "E\n";
}

} // namespace

TEST(ReadParameterFile, RoundTripKeepsTheImage) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        const ParameterImage written = BusyImage(seed);
        ParameterImage image = StartImage();
        image.advanced.GAP = 11, image.advanced.MAX = 12, image.advanced.PP = 13;
        image.advanced.PI = 14, image.advanced.PD = 15;
        image.rawBlock3.fill(9);
        const ParameterImage before = image;

        RecordingMessages messages;
        ASSERT_TRUE(ReadParameterFileText(BuildParameterFileText(written), image, messages));
        EXPECT_TRUE(messages.Texts().empty());

        ParameterImage expected = AsReadBack(written);
        // What the file does not hold stays as the image had it.
        expected.modelCode = before.modelCode;
        expected.rawBlock0 = before.rawBlock0, expected.rawBlock3 = before.rawBlock3;
        expected.advanced.GAP = 11, expected.advanced.MAX = 12, expected.advanced.PP = 13;
        expected.advanced.PI = 14, expected.advanced.PD = 15;
        ExpectSameImage(image, expected);
    }
}

TEST(ReadParameterFile, LineEndsMakeNoDifference) {
    const std::string text = BuildParameterFileText(BusyImage());
    ParameterImage crlf = StartImage(), lf = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(text, crlf, messages));
    ASSERT_TRUE(ReadParameterFileText(LfOnly(text), lf, messages));
    ExpectSameImage(crlf, lf);
}

TEST(ReadParameterFile, SpreadsheetOrderGivesEachGroupItsOwnRows) {
    // Every cell holds its own index, so each field shows which entry it came from.
    ParameterImage image = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(
        SpreadsheetFile([](int i) { return std::to_string(i % 10000); }), image, messages));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(image.advanced.SV_H, 0);
    EXPECT_EQ(image.advanced.PID, 11);
    EXPECT_EQ(image.systemSetup.PVT, 12);
    EXPECT_EQ(image.systemSetup.ENDT, 41);
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::P), 42);
    EXPECT_EQ(image.pid[1].Word(PidGroupRecord::P), 43); // group 2 is the next column
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::I), 51); // the next row
    EXPECT_EQ(image.pid[8].Word(PidGroupRecord::NO_USE2), 149);
    const ProgramPatternRecord& p1 = image.pattern[0];
    EXPECT_EQ(p1.Segment(1).SV(), 150);
    EXPECT_EQ(p1.Segment(2).SV(), 151);
    EXPECT_EQ(p1.Segment(1).TIME(), 170);
    EXPECT_EQ(p1.Segment(20).Byte(seg::PIDNO), (150 + 20 * 18 + 19) & 0xFF);
    // PVST of segment 1 (row 23 of the pattern) spreads to all segments.
    for (int s = 1; s <= 20; ++s)
        EXPECT_EQ(p1.Segment(s).Byte(seg::PVST), (150 + 20 * 21) & 0xFF) << s;
    EXPECT_EQ(image.pattern[8].Segment(20).Word(seg::TsOff(6)), (150 + 480 * 8 + 20 * 17 + 19));
    EXPECT_EQ(image.connected, 1);
}

TEST(ReadParameterFile, ProgramOrderEntries) {
    ParameterImage image = StartImage();
    RecordingMessages messages;
    std::string text = "ID;PWXL;N;E\r\nC;Y1;X1;K\"x\"\r\n";
    for (int i = 0; i < 4470; ++i)
        text += "C;Y2;X2;K" + FormatFiveDigits(static_cast<uint16_t>(i)) + "\r\n";
    ASSERT_TRUE(ReadParameterFileText(text + "E\r\n", image, messages));
    EXPECT_EQ(image.pid[1].Word(PidGroupRecord::P), 54);
    EXPECT_EQ(image.pattern[0].Segment(2).SV(), 174);
}

TEST(ReadParameterFile, FiveCharacterValues) {
    // Cell text -> what a 16-bit field (SV-H) and an 8-bit field (DV-D) receive.
    const struct {
        const char* cell;
        int16_t wide;
        uint8_t narrow;
    } cases[] = {
        {"65535", -1, 255},   {"00300", 300, 44},  {"123456", 12345, 57},  {"5", 5, 5},
        {"-1", -1, 255},      {"+12", 12, 12},     {" 42", 42, 42},        {"abc", 0, 0},
        {"", 0, 0},           {"-", 0, 0},         {"99999", -31073, 159}, {"12.7", 12, 12},
        {"32768", -32768, 0}, {"  -99", -99, 157},
    };
    for (const auto& c : cases) {
        // Spreadsheet order: entry 0 is SV-H, entry 7 is DV-D.
        ParameterImage image = StartImage();
        RecordingMessages messages;
        const std::string file = SpreadsheetFile(
            [&](int i) { return i == 0 || i == 7 ? std::string(c.cell) : std::string("1"); });
        ASSERT_TRUE(ReadParameterFileText(file, image, messages))
            << c.cell << (messages.Texts().empty() ? "" : messages.Texts()[0]);
        EXPECT_EQ(image.advanced.SV_H, c.wide) << c.cell;
        EXPECT_EQ(image.advanced.DV_D, c.narrow) << c.cell;
        EXPECT_EQ(image.advanced.SV_L, 1) << c.cell;
    }
}

TEST(ReadParameterFile, AOneDigitLastValueBeforeTheEndLineCounts) {
    ParameterImage image = StartImage();
    RecordingMessages messages;
    const std::string file = SpreadsheetFile([](int i) { return i == 4469 ? "7" : "1"; });
    ASSERT_EQ(file.substr(file.size() - 6), ";K7\nE\n");
    ASSERT_TRUE(ReadParameterFileText(file, image, messages));
    EXPECT_EQ(image.pattern[8].Segment(20).Byte(seg::LINK), 1); // LINK follows segment 1
    EXPECT_EQ(image.pattern[8].Segment(20).Byte(seg::PIDNO), 1);
}

TEST(ReadParameterFile, ATextCellMovesLaterValuesUp) {
    ParameterImage image = StartImage();
    RecordingMessages messages;
    const std::string file = SpreadsheetFile(
        [](int i) { return i == 2 ? std::string("\"text\"") : std::to_string(i % 10000); }, 4471);
    ASSERT_TRUE(ReadParameterFileText(file, image, messages));
    EXPECT_EQ(image.advanced.SV_L, 1);
    EXPECT_EQ(image.advanced.DMV, 3);
    EXPECT_EQ(image.advanced.A1HS, 4);
}

TEST(ReadParameterFile, RefusedFilesChangeNothing) {
    const std::string good = BuildParameterFileText(BusyImage());
    std::string shortFile = good.substr(0, good.rfind("C;Y291;X21;K")) + "E\r\n";
    const struct {
        const char* what;
        std::string text;
        const char* message;
    } cases[] = {
        {"empty", "", "This is not Loader File!"},
        {"too short for a header", "ID;PWX", "This is not Loader File!"},
        {"not SYLK", "IX;PWXL;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"no P field", "ID;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"lower case", "id;pwxl;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"one value missing", shortFile,
         "This file holds 4469 values instead of 4470. Nothing "
         "was loaded."},
        {"no values", "ID;PWXL;N;E\r\nE\r\n",
         "This file holds 0 values instead of 4470. "
         "Nothing was loaded."},
    };
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        const ParameterImage before = image;
        RecordingMessages messages;
        EXPECT_FALSE(ReadParameterFileText(c.text, image, messages)) << c.what;
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message}) << c.what;
        ExpectSameImage(image, before);
    }
}

TEST(ReadParameterFile, FromDisk) {
    TempFolder folder;
    const std::string path = folder.File("P.SLK");
    const ParameterImage written = BusyImage();
    Spit(path, BuildParameterFileText(written));

    ParameterImage image = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFile(path, image, messages));
    EXPECT_EQ(image.connected, 1);
    EXPECT_EQ(image.systemSetup, written.systemSetup);

    // Only regular files of at most 4 MiB are read: anything else is refused without
    // waiting on it or reading it whole, naming the path and why, the image unchanged.
    const std::string fifo = folder.File("fifo.SLK");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = folder.File("huge.SLK");
    Spit(huge, BuildParameterFileText(written) + std::string(5 * 1024 * 1024, ' '));
    const struct {
        std::string path;
        std::string reason;
    } refusals[] = {
        {folder.File("missing.SLK"), "it does not exist"},
        {folder.Path().string(), "it is a folder"},
        {fifo, "it is a FIFO, not a regular file"},
        {"/dev/zero", "it is a device, not a regular file"},
        {huge, "it is larger than 4 MiB, so it is no parameter file"},
    };
    for (const auto& bad : refusals) {
        ParameterImage untouched = StartImage();
        RecordingMessages refused;
        EXPECT_FALSE(ReadParameterFile(bad.path, untouched, refused)) << bad.path;
        EXPECT_EQ(refused.Texts(),
                  std::vector<std::string>{"The file " + bad.path + " could not be read (" +
                                           bad.reason + ")."});
        ExpectSameImage(untouched, StartImage());
    }
}
