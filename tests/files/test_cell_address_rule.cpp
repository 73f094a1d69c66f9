// One rule for the loader's own header and another spreadsheet program's: each value by
// its cell's address, each label checked.

#include "file_test_support.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>

namespace {

struct Cell {
    int row, column;
    std::string k;
};
using Cells = std::vector<Cell>;

// The writer's cells each once, row by row, without leading zeros, as a spreadsheet
// program saves them again. Made from the writer's lines, not from the layout.
Cells SavedAgain(const ParameterImage& image) {
    const std::string text = BuildParameterFileText(image);
    const std::regex cell("C;Y0*([0-9]+);X0*([0-9]+);K([^\r]*)\r");
    std::map<std::pair<int, int>, std::string> cells;
    for (auto m = std::sregex_iterator(text.begin(), text.end(), cell); m != std::sregex_iterator();
         ++m) {
        const std::string k = (*m)[3];
        cells.emplace(std::make_pair(std::stoi((*m)[1]), std::stoi((*m)[2])),
                      k[0] == '"' ? k : std::to_string(std::stoi(k)));
    }
    Cells out;
    for (const auto& [at, k] : cells)
        out.push_back({at.first, at.second, k});
    return out;
}

std::string File(const std::string& header, const Cells& cells, const std::string& end) {
    std::string text = header + end;
    for (const Cell& c : cells)
        text += "C;Y" + std::to_string(c.row) + ";X" + std::to_string(c.column) + ";K" + c.k + end;
    return text + "E" + end;
}

using Edit = std::function<void(Cells&)>;

Edit Value(int row, int column, const std::string& k) {
    return [=](Cells& cells) {
        for (Cell& c : cells)
            if (c.row == row && c.column == column)
                c.k = k;
    };
}

Edit Added(int row, int column, const std::string& k) {
    return [=](Cells& cells) { cells.push_back({row, column, k}); };
}

Edit Removed(int row, int column) {
    return [=](Cells& cells) {
        cells.erase(
            std::remove_if(cells.begin(), cells.end(),
                           [&](const Cell& c) { return c.row == row && c.column == column; }),
            cells.end());
    };
}

// Rows `first` to `last` sorted by their label in column 1 (descending: the other way
// round), as a spreadsheet program sorts them.
Edit Sorted(int first, int last, bool descending = false) {
    return [=](Cells& cells) {
        std::vector<std::pair<std::string, int>> labels; // label, row
        for (const Cell& c : cells)
            if (c.column == 1 && c.row >= first && c.row <= last)
                labels.push_back({c.k, c.row});
        std::sort(labels.begin(), labels.end());
        if (descending)
            std::reverse(labels.begin(), labels.end());
        std::map<int, int> to;
        for (size_t i = 0; i < labels.size(); ++i)
            to[labels[i].second] = first + static_cast<int>(i);
        for (Cell& c : cells)
            if (to.count(c.row))
                c.row = to[c.row];
    };
}

} // namespace

TEST(CellAddressRule, EveryHeaderReadsAndRefusesAlike) {
    const ParameterImage written = filetest::BusyImage(3);
    const struct {
        const char* what;
        Edit edit;
        std::function<bool(const ParameterImage&)> read; // null: refused at `where`
        const char* where;
    } cases[] = {
        {"-1 in PVF", Value(18, 2, "-1"), [](auto& i) { return i.systemSetup.PVF == -1; }, ""},
        {"100.0 in SV-H", Value(2, 2, "100.0"), [](auto& i) { return i.advanced.SV_H == 100; }, ""},
        {"100.5 in SV-H", Value(2, 2, "100.5"), nullptr,
         "row 2, column 2: \"100.5\" is not a whole number (SV-H)"},
        {"SV-H and SV-L rows swapped", Sorted(2, 3, true), nullptr,
         "row 2, column 1: \"SV-L\" stands where \"SV-H\" belongs"},
        {"system setup sorted by label", Sorted(15, 44), nullptr,
         "row 15, column 1: \"AO1B\" stands where \"PVT\" belongs"},
        {"a value outside the layout", Added(2, 3, "5"), nullptr,
         "row 2, column 3: the value 5 stands outside the layout"},
        {"a value given twice", Added(3, 2, "7"), nullptr,
         "row 3, column 2: the value of SV-L is given twice"},
        {"a value missing", Removed(100, 5), nullptr,
         "row 100, column 5: the value of TS5ON is missing"},
        {"a title missing", Removed(84, 1), nullptr,
         "row 84, column 1: nothing stands where \"Program Pattern2\" belongs"},
    };
    for (const auto& [header, end] :
         {std::pair{"ID;PWXL;N;E", "\r\n"}, std::pair{"ID;PSCALC3", "\n"}})
        for (const auto& c : cases) {
            Cells cells = SavedAgain(written);
            c.edit(cells);
            ParameterImage image;
            SetStartValues(image);
            const ParameterImage before = image;
            RecordingMessages messages;
            const bool read = ReadParameterFileText(File(header, cells, end), image, messages);
            if (c.read) {
                EXPECT_TRUE(read && c.read(image)) << c.what << " under " << header;
                EXPECT_EQ(image.pid, written.pid) << c.what; // the rest as written
                continue;
            }
            EXPECT_FALSE(read) << c.what << " under " << header;
            EXPECT_EQ(messages.Texts(),
                      std::vector<std::string>{"This file is refused at " + std::string(c.where) +
                                               ". Nothing was loaded."})
                << header;
            EXPECT_TRUE(image == before) << c.what << " under " << header;
        }
}
