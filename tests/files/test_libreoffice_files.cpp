#include "file_test_support.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "files/positioned_values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

using filetest::BusyImage;
using filetest::Slurp;
using filetest::TempFolder;

namespace {

ParameterImage StartImage() {
    ParameterImage image;
    SetStartValues(image);
    return image;
}

// PVST, CYCL and LINK of segment 1 in every segment, as any read leaves them.
ParameterImage AsReadBack(ParameterImage image) {
    for (auto& pattern : image.pattern)
        for (int s = 2; s <= 20; ++s)
            for (int offset : {seg::PVST, seg::CYCL, seg::LINK})
                pattern.Segment(s).SetByte(offset, pattern.Segment(1).Byte(offset));
    image.connected = 1;
    return image;
}

// What reading a file written from `written` into `before` must give: the file's values,
// but GAP, MAX, PP, PI, PD and the model code as `before` had them.
ParameterImage AfterReading(const ParameterImage& written, const ParameterImage& before) {
    ParameterImage expected = AsReadBack(written);
    const AdvancedRecord& b = before.advanced;
    AdvancedRecord& e = expected.advanced;
    e.GAP = b.GAP, e.MAX = b.MAX, e.PP = b.PP, e.PI = b.PI, e.PD = b.PD;
    expected.modelCode = before.modelCode;
    return expected;
}

void ExpectGroupsEqual(const ParameterImage& a, const ParameterImage& b) {
    EXPECT_EQ(a.advanced, b.advanced);
    EXPECT_EQ(a.systemSetup, b.systemSetup);
    EXPECT_EQ(a.pid, b.pid);
    EXPECT_EQ(a.pattern, b.pattern);
    EXPECT_EQ(a.connected, b.connected);
    EXPECT_EQ(a.modelCode, b.modelCode);
}

// The writer's text as LibreOffice saves it: its own header, column before row, no
// leading zeros, LF line ends. Built from the writer's lines, not from the layout.
std::string AsLibreOffice(const ParameterImage& image) {
    const std::string text = BuildParameterFileText(image);
    const std::regex cell("^C;Y0*([0-9]+);X0*([0-9]+);K(.*)\r$");
    std::string out = "ID;PCALCOOO32\n";
    size_t start = text.find('\n') + 1;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start + 1);
        std::smatch m;
        if (!std::regex_search(line.begin(), line.end() - 1, m, cell)) {
            out += line.substr(0, line.size() - 2) + "\n";
            continue;
        }
        std::string value = m[3];
        if (value[0] != '"')
            value = std::to_string(std::stoi(value));
        out += "C;X" + std::string(m[2]) + ";Y" + std::string(m[1]) + ";K" + value + "\n";
    }
    return out;
}

std::string Fixture(const std::string& name) {
    return Slurp(std::string(TQX_TEST_DATA) + "/" + name);
}

// Reads `text` into a start image; returns the messages.
std::vector<std::string> Read(const std::string& text, ParameterImage& image) {
    RecordingMessages messages;
    const bool read = ReadParameterFileText(text, image, messages);
    EXPECT_EQ(read, messages.Texts().empty());
    return messages.Texts();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// `text` with the K value of the cell line that begins with `start` replaced by `k`.
std::string Set(const std::string& text, const std::string& start, const std::string& k) {
    const size_t at = text.find(start);
    EXPECT_NE(at, std::string::npos) << start;
    return at == std::string::npos
               ? text
               : text.substr(0, at + start.size()) + k + text.substr(text.find('\n', at));
}

} // namespace

TEST(LibreOfficeFixtures, ReSavedFilesLoadTheImageThatWroteThem) {
    const struct {
        const char* file;
        ParameterImage written;
        std::string header;
    } cases[] = {{"lo_busy.slk", BusyImage(7), "ID;PCALCOOO32"},
                 {"lo_start_values.slk", StartImage(), "ID;PCALCOOO32"},
                 {"gn_busy.slk", BusyImage(7), "ID;PGnumeric;N;E"},
                 {"gn_start_values.slk", StartImage(), "ID;PGnumeric;N;E"}};
    for (const auto& c : cases) {
        const std::string text = Fixture(c.file);
        ASSERT_EQ(text.compare(0, c.header.size(), c.header), 0) << c.file;
        ParameterImage image = StartImage();
        EXPECT_TRUE(Read(text, image).empty()) << c.file;
        ExpectGroupsEqual(image, AfterReading(c.written, StartImage()));
    }
}

TEST(LibreOfficeFixtures, EditedValuesFollowTheNumberRules) {
    // 300 does not fit the byte DV-D; typed back to 255, the file loads with PVF -999.
    const std::string edited = Fixture("lo_busy_edited.slk");
    ParameterImage image = StartImage();
    EXPECT_EQ(Read(edited, image),
              std::vector<std::string>{"This file is refused at row 9, column 2: 300 does not fit "
                                       "DV-D (8 bits, 0 to 255). Nothing was loaded."});
    ExpectGroupsEqual(image, StartImage());
    ASSERT_TRUE(Read(Replace(edited, "C;X2;Y9;K300\n", "C;X2;Y9;K255\n"), image).empty());
    EXPECT_EQ(image.systemSetup.PVF, -999);
    EXPECT_EQ(image.advanced.DV_D, 255);
    EXPECT_EQ(image.advanced.SV_L, BusyImage(7).advanced.SV_L);
}

TEST(LibreOfficeFixtures, RefusedFilesNameTheCellAndChangeNothing) {
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"lo_busy_cell_deleted.slk", "row 100, column 5: the value of TS5ON is missing"},
        {"lo_busy_fraction.slk", "row 3, column 2: \"12.5\" is not a whole number (SV-L)"},
        // Gnumeric keeps the deleted cell's format record, and the rows as they were moved.
        {"gn_busy_cell_deleted.slk", "row 100, column 5: the value of TS5ON is missing"},
        {"gn_busy_rows_swapped.slk", "row 2, column 1: \"SV-L\" stands where \"SV-H\" belongs"},
    };
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        EXPECT_EQ(Read(Fixture(c.file), image),
                  std::vector<std::string>{"This file is refused at " + std::string(c.message) +
                                           ". Nothing was loaded."})
            << c.file;
        ExpectGroupsEqual(image, StartImage());
    }
}

TEST(PositionedFile, CellsArePlacedByTheirPositions) {
    const ParameterImage written = BusyImage(5);
    const std::string base = AsLibreOffice(written);
    // Each variant must load the same image as `base` except where it says.
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"as saved", base},
        {"CR LF line ends", std::regex_replace(base, std::regex("\n"), "\r\n")},
        {"row before column",
         std::regex_replace(base, std::regex("C;X([0-9]+);Y([0-9]+);"), "C;Y$2;X$1;")},
        {"cells in reverse order",
         [&] {
             std::vector<std::string> lines;
             std::string text = base.substr(14, base.size() - 16), out = "ID;PCALCOOO32\n";
             for (size_t s = 0, e; (e = text.find('\n', s)) != std::string::npos; s = e + 1)
                 lines.push_back(text.substr(s, e - s + 1));
             for (auto it = lines.rbegin(); it != lines.rend(); ++it)
                 out += *it;
             return out + "E\n"; // the end record stays last
         }()},
        {"omitted row keeps the previous one",
         Replace(Replace(base, "C;X2;Y46;K", "C;X2;K"), "C;X4;Y46;K", "C;X4;K")},
        {"F record moves the position", Replace(base, "C;X6;Y46;K", "F;P0;FG0G;X6;Y46\nC;K")},
        {"other records and text cells", Replace(base, "C;X1;Y2;K\"SV-H\"\n",
                                                 "P;PGeneral\nO;L;D;V0;K47;G100 0.001\n"
                                                 "C;X1;Y2;K\"SV-H\"\nC;X3;Y2;K\"x;;K12\"\n")},
        {"texts outside the layout", Replace(base, "C;X1;Y1;",
                                             "C;X30;Y2;K\"note\"\nC;X1;Y300;K\"1.5\"\n"
                                             "C;X3;Y45;K\"\"\nC;X1;Y1;")},
        {"a cell without a value", Replace(base, "C;X2;Y3;K", "C;X2;Y3\nC;X2;Y3;K")},
    };
    ParameterImage reference = StartImage();
    ASSERT_TRUE(Read(base, reference).empty());
    ExpectGroupsEqual(reference, AfterReading(written, StartImage()));
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        EXPECT_TRUE(Read(c.text, image).empty()) << c.what;
        ExpectGroupsEqual(image, reference);
    }
}

TEST(PositionedFile, RefusalsNameTheFirstCellInError) {
    const std::string base = AsLibreOffice(BusyImage(5));
    const struct {
        const char* what;
        std::string text;
        const char* where;
    } cases[] = {
        {"a text where a value belongs", Set(base, "C;X21;Y291;K", "\"t\""),
         "row 291, column 21: the text \"t\" stands where the value of LINK belongs"},
        {"no K field", Replace(base, "C;X4;Y46;K", "C;X4;Y46;E1+"),
         "row 46, column 4: the value of P is missing"},
        {"the first of two missing, row by row",
         Set(Set(base, "C;X3;Y60;K", "\"t\""), "C;X2;Y61;K", "\"t\""),
         "row 60, column 3: the text \"t\" stands where the value of SV belongs"},
        {"a value out of range", Set(base, "C;X2;Y18;K", "65536"),
         "row 18, column 2: 65536 does not fit PVF (signed 16 bits, -32768 to 32767, or 0 to "
         "65535 as the loader writes it)"},
        {"PVT 300", Set(base, "C;X2;Y15;K", "300"),
         "row 15, column 2: 300 does not fit PVT (8 bits, 0 to 255)"},
        {"-1 in a byte", Set(base, "C;X2;Y9;K", "-1"),
         "row 9, column 2: -1 does not fit DV-D (8 bits, 0 to 255)"},
        {"-1 in an unsigned word", Set(base, "C;X2;Y61;K", "-1"),
         "row 61, column 2: -1 does not fit TIME (16 bits, 0 to 65535)"},
        {"a malformed row", Replace(base, "C;X2;Y4;K", "C;X2;Y4x;K"),
         "line 8: its row or column is not a number from 1 to 999999"},
        {"header only", "ID;PCALCOOO32\nE\n",
         "row 1, column 1: nothing stands where \"Advanced usage parameters\" belongs"},
        {"values outside the layout",
         Replace(base, "C;X1;Y1;", "C;X30;Y2;Kjunk\nC;X1;Y300;K1.5\nC;X2;Y45;K9\nC;X1;Y1;"),
         "row 2, column 30: the value junk stands outside the layout"},
        {"a cell given more than once",
         Replace(base, "C;X2;Y3;K", "C;X2;Y3;K\"t\"\nC;X2;Y3;Kbad\nC;X2;Y3;K"),
         "row 3, column 2: the value of SV-L is given 3 times"},
        {"a junk line", Replace(base, "C;X1;Y1;", "junk\nC;X1;Y1;"),
         "line 2: \"junk\" is no SYLK record"},
    };
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        EXPECT_EQ(Read(c.text, image),
                  std::vector<std::string>{"This file is refused at " + std::string(c.where) +
                                           ". Nothing was loaded."})
            << c.what;
        ExpectGroupsEqual(image, StartImage());
    }
}

TEST(PositionedFile, WholeNumbers) {
    const std::optional<int64_t> no;
    const struct {
        const char* text;
        std::optional<int64_t> value;
    } cases[] = {
        {"0", 0},     {"65535", 65535}, {"-1", -1},         {"-32768", -32768},
        {"+7", 7},    {" 12 ", 12},     {"300.0", 300},     {"5.", 5},
        {"007", 7},   {"65536", 65536}, {"-32769", -32769}, {"12.5", no},
        {"1E3", no},  {"", no},         {"-", no},          {".5", no},
        {"TRUE", no}, {"#N/A", no},     {"1 2", no},        {"99999999999999999999", no},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << c.text;
}

// The whole way through the real LibreOffice Calc, when it is installed.
TEST(LibreOfficeLive, WrittenReSavedAndReadBack) {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "soffice is not installed";
    TempFolder folder;
    const ParameterImage written = BusyImage(23);
    RecordingMessages messages;
    std::filesystem::create_directory(folder.Path() / "in");
    ASSERT_TRUE(WriteParameterFile(written, folder.File("in/P.SLK"), messages));
    const std::string command = "soffice --headless -env:UserInstallation=file://" +
                                folder.File("profile") + " --convert-to slk:SYLK --outdir " +
                                folder.File("out") + " " + folder.File("in/P.SLK") +
                                " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // Calc names its output after the filter ("P.slk"): take the one file it made.
    std::vector<std::filesystem::path> made;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path() / "out"))
        made.push_back(entry.path());
    ASSERT_EQ(made.size(), 1u);
    const std::string resaved = made[0].string();
    const std::string text = Slurp(resaved);
    ASSERT_EQ(text.compare(0, 4, "ID;P"), 0);
    ASSERT_NE(text.compare(0, 7, "ID;PWXL"), 0);

    ParameterImage image = StartImage();
    image.advanced.GAP = 3, image.advanced.PD = 4;
    const ParameterImage before = image;
    RecordingMessages readMessages;
    ASSERT_TRUE(ReadParameterFile(resaved, image, readMessages));
    ExpectGroupsEqual(image, AfterReading(written, before));
}

// The same through the installed Gnumeric.
TEST(GnumericLive, WrittenReSavedAndReadBack) {
    if (std::system("command -v ssconvert > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ssconvert is not installed";
    TempFolder folder;
    const ParameterImage written = BusyImage(29);
    RecordingMessages messages;
    ASSERT_TRUE(WriteParameterFile(written, folder.File("P.SLK"), messages));
    const std::string command = "ssconvert --export-type=Gnumeric_sylk:sylk " +
                                folder.File("P.SLK") + " " + folder.File("Q.SLK") +
                                " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(Slurp(folder.File("Q.SLK")).compare(0, 12, "ID;PGnumeric"), 0);

    ParameterImage image = StartImage();
    ASSERT_TRUE(ReadParameterFile(folder.File("Q.SLK"), image, messages)) << messages.Texts()[0];
    ExpectGroupsEqual(image, AfterReading(written, StartImage()));
}
