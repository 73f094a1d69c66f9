// The block layouts and the file layout made from the parameter catalogue alone, against
// the controller addresses worked out by hand and the parameter files a spreadsheet saved.
#include "files/sylk_cells.h"
#include "image/controller_blocks.h"
#include "image/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using Kind = GroupId::Kind;

// Byte address -> mnemonic of every field of the rows in the named blocks, 0x100 x block
// + offset; a byte two rows claim is a failure.
std::map<uint32_t, std::string> AddressesOf(Kind kind) {
    std::map<uint32_t, std::string> owner;
    for (const ParameterRow& row : RowsOf(kind)) {
        EXPECT_LE(row.offset + row.Bytes(), blocks::Bytes(row.block)) << row.mnemonic;
        for (int b = 0; b < row.Bytes(); ++b) {
            const uint32_t address =
                0x100u * static_cast<uint32_t>(row.block) + static_cast<uint32_t>(row.offset + b);
            EXPECT_TRUE(owner.emplace(address, row.mnemonic).second)
                << row.mnemonic << " over " << owner[address];
        }
    }
    return owner;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(ParameterCatalogue, BlockLayoutsAreTheControllersAddresses) {
    std::map<uint32_t, std::string> owner = AddressesOf(Kind::SystemSetup);
    for (const auto& [address, name] : AddressesOf(Kind::Advanced))
        owner[address] = name;
    // Worked out by hand from the controller's block map.
    const std::pair<uint32_t, const char*> known[] = {
        {0x0C01, "PVT"},  {0x0C04, "PVF"},  {0x0C05, "PVF"},   {0x0C1E, "STN"},
        {0x0C12, "AO1F"}, {0x0918, "ENDT"}, {0x0917, "EV-T4"}, {0x0904, "TF"},
        {0x0A00, "SV-H"}, {0x0A10, "WDIS"}, {0x0D00, "SVMOD"}, {0x0D0A, "PD"}};
    for (const auto& [address, name] : known)
        EXPECT_EQ(owner[address], name) << std::hex << address;
    // What no group owns: block 12 bytes 0, 31 and 32; block 9 bytes 0-3 and 12-19.
    std::set<uint32_t> free;
    for (int32_t block : {12, 9, 10, 13})
        for (int b = 0; b < blocks::Bytes(block); ++b)
            if (!owner.count(0x100u * static_cast<uint32_t>(block) + static_cast<uint32_t>(b)))
                free.insert(0x100u * static_cast<uint32_t>(block) + static_cast<uint32_t>(b));
    EXPECT_EQ(free,
              (std::set<uint32_t>{0x0C00, 0x0C1F, 0x0C20, 0x0900, 0x0901, 0x0902, 0x0903, 0x090C,
                                  0x090D, 0x090E, 0x090F, 0x0910, 0x0911, 0x0912, 0x0913}));
    // A PID group and a segment: every byte of the record belongs to exactly one field.
    for (const auto& [kind, bytes] : {std::pair{Kind::PidGroup, PidGroupRecord::kBytes},
                                      std::pair{Kind::Pattern, SegmentRecord::kBytes}}) {
        std::vector<int> claims(static_cast<size_t>(bytes));
        for (const ParameterRow& row : RowsOf(kind))
            for (int b = 0; b < row.Bytes(); ++b)
                ++claims.at(static_cast<size_t>(row.offset + b));
        EXPECT_EQ(claims, std::vector<int>(static_cast<size_t>(bytes), 1));
    }
}

// Each file row of the catalogue carries its label where a spreadsheet program found it.
TEST(ParameterCatalogue, FileRowsAreTheSavedFilesLabels) {
    std::map<std::pair<int, int>, std::string> labels; // (row, column) -> text
    ForEachSylkCell(Slurp(TQX_TEST_DATA "/lo_start_values.slk"), [&](const SylkCell& cell) {
        if (cell.text)
            labels[{cell.row, cell.column}] = cell.value;
    });
    auto quoted = [](const char* text) { return "\"" + std::string(text) + "\""; };
    int filed = 0;
    for (Kind kind : {Kind::Advanced, Kind::SystemSetup, Kind::PidGroup, Kind::Pattern})
        for (const ParameterRow& row : RowsOf(kind)) {
            if (row.fileRow == 0)
                continue;
            ++filed;
            const int rowOnFile = kind == Kind::Pattern ? 58 + 26 * 8 + row.fileRow : row.fileRow;
            const int column = kind == Kind::PidGroup ? 17 : 1; // PID group 9, pattern 9
            EXPECT_EQ(labels[std::make_pair(rowOnFile, column)], quoted(row.mnemonic))
                << row.mnemonic;
        }
    EXPECT_EQ(filed, 12 + 30 + 12 + 24);
    // The advanced values the controller alone uses are carried, never filed.
    for (const char* name : {"GAP", "MAX", "PP", "PI", "PD"})
        EXPECT_EQ(FindRow(Kind::Advanced, name)->fileRow, 0) << name;
}

// Every member of the two named records has its row, found by the member and by name.
TEST(ParameterCatalogue, EveryRowIsFoundByItsNameAndLabel) {
    for (Kind kind : {Kind::SystemSetup, Kind::Advanced, Kind::PidGroup, Kind::Pattern})
        for (const ParameterRow& row : RowsOf(kind)) {
            if (std::string(row.mnemonic) != "NO USE") {
                EXPECT_EQ(FindRow(kind, row.mnemonic), &row) << row.mnemonic;
            }
            if (row.label && std::string(row.label) != row.mnemonic) {
                EXPECT_EQ(FindRow(kind, row.label), &row) << row.label;
            }
        }
    EXPECT_EQ(&RowOf(&AdvancedRecord::WDIS), FindRow(Kind::Advanced, "TDS"));
    EXPECT_EQ(&RowOf(&SystemSetupRecord::EV_T3), FindRow(Kind::SystemSetup, "AL3T"));
    EXPECT_EQ(FindRow(Kind::SystemSetup, "AO1T")->DisplayName(), "AO1T (A01T)");
    EXPECT_EQ(HelpText("KnL"), HelpText("KNL"));
    EXPECT_EQ(HelpText("DVDV"), "DV differential specification.(PV:0,DV:1)");
}
