#include "file_test_support.h"
#include "files/file_layout.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <regex>
#include <sstream>
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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line
                                                            : line.substr(0, line.size() - 1));
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

// The writer's file with its i-th numeric cell (in the writer's order) holding `value(i)`.
std::string Numbered(const std::function<std::string(int)>& value) {
    std::vector<std::string> lines = Lines(BuildParameterFileText(StartImage()));
    int i = 0;
    for (std::string& line : lines) {
        const size_t k = line.find(";K");
        if (k != std::string::npos && line[k + 2] != '"')
            line = line.substr(0, k + 2) + value(i++);
    }
    return Joined(lines);
}

// The writer's cells of `text` once each, row by row with LF ends, as a spreadsheet saves
// them: its own records first, Y left out while the row stays. `value(i, written)` is the
// i-th numeric cell in that order. Made from the writer's lines, not from the layout.
std::string RowByRow(const std::string& text,
                     const std::function<std::string(int, const std::string&)>& value) {
    const std::regex cell("C;Y0*([0-9]+);X0*([0-9]+);K(.*)");
    std::map<std::pair<int, int>, std::string> cells;
    for (const std::string& line : Lines(text)) {
        std::smatch m;
        if (std::regex_match(line, m, cell))
            cells.emplace(std::make_pair(std::stoi(m[1]), std::stoi(m[2])), m[3]);
    }
    std::string out = "ID;PWXL;N;E\nP;PGeneral\nO;L;D;V0;K47;G100 0.001\n";
    int row = 0, i = 0;
    for (const auto& [at, k] : cells) {
        out += "C;" + (at.first == row ? "" : "Y" + std::to_string(at.first) + ";") + "X" +
               std::to_string(at.second) + ";K" + (k[0] == '"' ? k : value(i++, k)) + "\n";
        row = at.first;
    }
    return out + "E\n";
}

std::string Written(int, const std::string& k) {
    return k;
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

// The writer's file, with LF ends, re-listed row by row as a spreadsheet saves it (with
// either line end), with two value lines swapped, or column by column: each cell keeps its
// address, so all load the same image.
TEST(ReadParameterFile, LineEndsAndSpreadsheetOrderMakeNoDifference) {
    const std::string text = BuildParameterFileText(BusyImage());
    const std::string rows = RowByRow(text, Written);
    std::vector<std::string> swapped = Lines(text), columns = Lines(text);
    auto line = [&](const char* start) {
        return std::find_if(swapped.begin(), swapped.end(),
                            [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    };
    std::iter_swap(line("C;Y112;X03;K"), line("C;Y113;X03;K")); // SV and TIME
    std::stable_sort(columns.begin() + 1, columns.end() - 1, [](const auto& a, const auto& b) {
        return std::stoi(a.substr(a.find(";X") + 2)) < std::stoi(b.substr(b.find(";X") + 2));
    });
    ParameterImage reference = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(text, reference, messages));
    for (const std::string& variant :
         {LfOnly(text), rows, std::regex_replace(rows, std::regex("\n"), "\r\n"), Joined(swapped),
          Joined(columns)}) {
        ParameterImage image = StartImage();
        ASSERT_TRUE(ReadParameterFileText(variant, image, messages)) << messages.Texts().back();
        ExpectSameImage(image, reference);
    }
}

TEST(ReadParameterFile, SpreadsheetOrderGivesEachGroupItsOwnRows) {
    // Every cell holds its own index (modulo a byte), so each field shows where it came from.
    ParameterImage image = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(
        RowByRow(BuildParameterFileText(image),
                 [](int i, const std::string&) { return std::to_string(i % 256); }),
        image, messages))
        << messages.Texts().front();
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
    EXPECT_EQ(image.pattern[8].Segment(20).Word(seg::TsOff(6)),
              (150 + 480 * 8 + 20 * 17 + 19) % 256);
    EXPECT_EQ(image.connected, 1);
}

TEST(ReadParameterFile, ProgramOrderEntries) {
    ParameterImage image = StartImage();
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(Numbered([](int i) { return std::to_string(i % 256); }),
                                      image, messages));
    EXPECT_EQ(image.pid[1].Word(PidGroupRecord::P), 54);
    EXPECT_EQ(image.pattern[0].Segment(2).SV(), 174);
}

// A value cell holds a whole number that fits its field, in either order; anything else
// names the cell.
TEST(ReadParameterFile, ValueCellsAreWholeNumbersThatFit) {
    const std::optional<int> no;
    const struct {
        const char* cell;
        std::optional<int> wide, narrow; // what SV-H and DV-D receive; nothing: refused
    } cases[] = {
        {"65535", -1, no},     {"00300", 300, no},  {"123456", no, no}, {"5", 5, 5},
        {"-1", -1, no},        {"+12", 12, 12},     {" 42", 42, 42},    {"abc", no, no},
        {"", no, no},          {"-", no, no},       {"99999", no, no},  {"12.7", no, no},
        {"32768", -32768, no}, {"00255", 255, 255}, {"0", 0, 0},        {"1E3", no, no},
    };
    for (bool rowByRow : {false, true})
        for (const auto& c : cases)
            for (int entry : {0, 7}) { // SV-H at row 2, DV-D at row 9
                auto value = [&](int i) { return i == entry ? std::string(c.cell) : "1"; };
                const std::string file =
                    rowByRow ? RowByRow(BuildParameterFileText(StartImage()),
                                        [&](int i, const std::string&) { return value(i); })
                             : Numbered(value);
                ParameterImage image = StartImage();
                const ParameterImage before = image;
                RecordingMessages messages;
                const std::optional<int> expected = entry == 0 ? c.wide : c.narrow;
                const bool read = ReadParameterFileText(file, image, messages);
                ASSERT_EQ(read, expected.has_value()) << c.cell << " " << entry << " " << rowByRow;
                if (read) {
                    EXPECT_EQ(entry == 0 ? image.advanced.SV_H : image.advanced.DV_D, *expected);
                    EXPECT_EQ(image.advanced.SV_L, 1) << c.cell;
                    continue;
                }
                ASSERT_EQ(messages.Texts().size(), 1u);
                EXPECT_NE(messages.Texts()[0].find(entry == 0 ? "at row 2, column 2: "
                                                              : "at row 9, column 2: "),
                          std::string::npos)
                    << messages.Texts()[0];
                ExpectSameImage(image, before);
            }
}

TEST(ReadParameterFile, AOneDigitLastValueBeforeTheEndLineCounts) {
    ParameterImage image = StartImage();
    RecordingMessages messages;
    const std::string file = RowByRow(BuildParameterFileText(image), [](int i, const std::string&) {
        return i == 4469 ? "7" : "1";
    });
    ASSERT_EQ(file.substr(file.size() - 6), ";K7\nE\n");
    ASSERT_TRUE(ReadParameterFileText(file, image, messages));
    EXPECT_EQ(image.pattern[8].Segment(20).Byte(seg::LINK), 1); // LINK follows segment 1
    EXPECT_EQ(image.pattern[8].Segment(20).Byte(seg::PIDNO), 1);
}

// Damaged files are refused, naming the first cell in error row by row (or the line), and
// leave the image as it was.
TEST(ReadParameterFile, RefusedFilesChangeNothing) {
    const std::string good = BuildParameterFileText(BusyImage());
    const std::vector<std::string> lines = Lines(good);
    // The line (from 1) that begins with `start`, and the file with that line changed.
    auto at = [&](const std::string& start) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].rfind(start, 0) == 0)
                return i + 1;
        ADD_FAILURE() << start;
        return size_t{0};
    };
    auto with = [&](const std::string& start, const std::string& line) {
        std::vector<std::string> changed = lines;
        changed[at(start) - 1] = line;
        return Joined(changed);
    };
    auto edit = [&](const std::function<void(std::vector<std::string>&)>& change) {
        std::vector<std::string> changed = lines;
        change(changed);
        return Joined(changed);
    };
    auto refused = [](const std::string& where) {
        return "This file is refused at " + where + ". Nothing was loaded.";
    };
    const size_t pid = at("C;Y46;X2;K");
    const std::string shortFile = good.substr(0, good.rfind("C;Y291;X21;K")) + "E\r\n";
    const struct {
        const char* what;
        std::string text;
        std::string message;
    } cases[] = {
        {"empty", "", "This is not Loader File!"},
        {"too short for a header", "ID;PWX", "This is not Loader File!"},
        {"not SYLK", "IX;PWXL;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"no P field", "ID;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"lower case", "id;pwxl;N;E\r\n" + good.substr(13), "This is not Loader File!"},
        {"one value missing", shortFile,
         refused("row 291, column 21: the value of LINK is missing")},
        {"no values", "ID;PWXL;N;E\r\nE\r\n",
         refused("row 1, column 1: nothing stands where \"Advanced usage parameters\" belongs")},
        {"a duplicated line", edit([](auto& l) { l.insert(l.begin() + 6, l[5]); }),
         refused("row 3, column 2: the value of SV-L is given twice")},
        {"a deleted line", edit([&](auto& l) { l.erase(l.begin() + long(pid) - 1); }),
         refused("row 46, column 2: the value of P is missing")},
        {"a cell more", edit([](auto& l) { l.insert(l.end() - 1, l[l.size() - 2]); }),
         refused("row 291, column 21: the value of LINK is given twice")},
        {"no end record", good.substr(0, good.size() - 3),
         refused("line 5208: the file ends without its end record E")},
        {"K70000", with("C;Y060;X3;K", "C;Y060;X3;K70000"),
         refused("row 60, column 3: 70000 does not fit SV (signed 16 bits, -32768 to 32767, or 0 "
                 "to 65535 as the loader writes it)")},
        {"K-1 in a byte field", with("C;Y9;X2;K", "C;Y9;X2;K-1"),
         refused("row 9, column 2: -1 does not fit DV-D (8 bits, 0 to 255)")},
        {"Kabc", with("C;Y48;X6;K", "C;Y48;X6;Kabc"),
         refused("row 48, column 6: \"abc\" is not a whole number (D)")},
        {"K1.5", with("C;Y39;X2;K", "C;Y39;X2;K1.5"),
         refused("row 39, column 2: \"1.5\" is not a whole number (GS-T)")},
        {"PVT 300", with("C;Y15;X2;K", "C;Y15;X2;K00300"),
         refused("row 15, column 2: 300 does not fit PVT (8 bits, 0 to 255)")},
        {"a text where a value belongs", with("C;Y4;X2;K", "C;Y4;X2;K\"text\""),
         refused("row 4, column 2: the text \"text\" stands where the value of DMV belongs")},
        {"a label changed", with("C;Y4;X1;K", "C;Y4;X1;K\"DMW\""),
         refused("row 4, column 1: \"DMW\" stands where \"DMV\" belongs")},
        {"NUL bytes in a cell",
         with("C;Y20;X2;K", std::string("C;Y20;X2;K00\0\0"
                                        "1",
                                        15)),
         refused("row 20, column 2: \"00\\x00\\x001\" is not a whole number (SFT)")},
        {"NUL bytes after the end", good + std::string(8, '\0'),
         refused("line 5210: there is more after the end record E")},
    };
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        const ParameterImage before = image;
        RecordingMessages messages;
        EXPECT_FALSE(ReadParameterFileText(c.text, image, messages)) << c.what;
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message}) << c.what;
        ExpectSameImage(image, before);
    }
    // The header followed by random bytes.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        std::string text = "ID;PWXL;N;E\r\n";
        for (int i = 0; i < 100000; ++i)
            text += static_cast<char>(random() & 0xFF);
        ParameterImage image = StartImage();
        RecordingMessages messages;
        EXPECT_FALSE(ReadParameterFileText(text, image, messages));
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].rfind("This file is refused at line 2: ", 0), 0u)
            << messages.Texts()[0];
        ExpectSameImage(image, StartImage());
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
