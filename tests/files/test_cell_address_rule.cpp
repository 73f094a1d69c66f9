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

// One line of a file; a cell line also by its address and K value.
struct Line {
    int row = 0, column = 0; // 0: not a cell line
    std::string k;
    std::string text; // as it stands, line end included; empty once edited
};

std::vector<Line> Parse(const std::string& file) {
    const std::regex cell("C;Y0*([0-9]+);X0*([0-9]+);K([^\r\n]*)\r?\n");
    std::vector<Line> lines;
    for (size_t start = 0, end; (end = file.find('\n', start)) != std::string::npos;
         start = end + 1) {
        Line line;
        line.text = file.substr(start, end - start + 1);
        std::smatch m;
        if (std::regex_match(line.text, m, cell))
            line.row = std::stoi(m[1]), line.column = std::stoi(m[2]), line.k = m[3];
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<Line>& lines, const std::string& end) {
    std::string file;
    for (const Line& l : lines)
        file += !l.text.empty() ? l.text
                                : "C;Y" + std::to_string(l.row) + ";X" + std::to_string(l.column) +
                                      ";K" + l.k + end;
    return file;
}

// The writer's file as a spreadsheet program saves it: another header, each cell once,
// row by row, numbers without leading zeros, LF line ends.
std::string ReSaved(const std::string& written) {
    std::map<std::pair<int, int>, std::string> cells;
    for (const Line& l : Parse(written))
        if (l.row)
            cells.emplace(std::make_pair(l.row, l.column),
                          l.k[0] == '"' ? l.k : std::to_string(std::stoi(l.k)));
    std::string file = "ID;PSCALC3\n";
    for (const auto& [at, k] : cells)
        file +=
            "C;Y" + std::to_string(at.first) + ";X" + std::to_string(at.second) + ";K" + k + "\n";
    return file + "E\n";
}

using Edit = std::function<void(std::vector<Line>&)>;

Edit Value(int row, int column, const std::string& k) {
    return [=](std::vector<Line>& lines) {
        for (Line& l : lines)
            if (l.row == row && l.column == column)
                l.k = k, l.text.clear();
    };
}

Edit Added(int row, int column, const std::string& k) {
    return [=](std::vector<Line>& lines) { lines.insert(lines.end() - 1, {row, column, k, ""}); };
}

Edit Removed(int row, int column) {
    return [=](std::vector<Line>& lines) {
        lines.erase(
            std::remove_if(lines.begin(), lines.end(),
                           [&](const Line& l) { return l.row == row && l.column == column; }),
            lines.end());
    };
}

// Each cell of a row moved to another row.
Edit Moved(const std::map<int, int>& to) {
    return [=](std::vector<Line>& lines) {
        for (Line& l : lines)
            if (to.count(l.row))
                l.row = to.at(l.row), l.text.clear();
    };
}

// Rows `first` to `last` sorted by their label in column 1, as a spreadsheet sorts them.
Edit Sorted(int first, int last) {
    return [=](std::vector<Line>& lines) {
        std::vector<std::pair<std::string, int>> labels; // label, row
        for (const Line& l : lines)
            if (l.column == 1 && l.row >= first && l.row <= last)
                labels.push_back({l.k, l.row});
        std::sort(labels.begin(), labels.end());
        std::map<int, int> to;
        for (size_t i = 0; i < labels.size(); ++i)
            to[labels[i].second] = first + static_cast<int>(i);
        Moved(to)(lines);
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
        {"SV-H and SV-L rows swapped", Moved({{2, 3}, {3, 2}}), nullptr,
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
    const std::string writers = BuildParameterFileText(written);
    for (const std::string& base : {writers, ReSaved(writers)})
        for (const auto& c : cases) {
            std::vector<Line> lines = Parse(base);
            c.edit(lines);
            ParameterImage image;
            SetStartValues(image);
            const ParameterImage before = image;
            RecordingMessages messages;
            const std::string end = base.find("\r\n") != std::string::npos ? "\r\n" : "\n";
            const bool read = ReadParameterFileText(Joined(lines, end), image, messages);
            const std::string header = base.substr(0, base.find(end));
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
