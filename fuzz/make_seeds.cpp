// Writes the fuzzer's seed files into the directory named by argv[1]: the writer's file
// of start values and of a busy image, the same cells as a spreadsheet re-saves them
// (row by row, no leading zeros, an option record first), and a file from another SYLK
// producer, column by column (LF line ends).
#include "files/file_layout.h"
#include "files/parameter_file_writer.h"
#include "image/parameter_image.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

bool Save(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Every field a different, non-trivial value, so that misplaced cells show.
ParameterImage BusyImage() {
    ParameterImage image;
    SetStartValues(image);
    for (int e = 0; e < FileValueCount(); ++e)
        SetEntry(image, e, static_cast<uint16_t>((e * 7919u + 13u) & 0xFFFFu));
    SpreadPatternBytes(image);
    return image;
}

struct Cell {
    int row;
    int column;
    std::string value; // after ";K"
};

// The cells of a writer's file, with row and column as numbers.
std::vector<Cell> CellsOf(const std::string& text) {
    std::vector<Cell> cells;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        int row = 0, column = 0;
        const size_t k = line.find(";K");
        if (line.compare(0, 3, "C;Y") != 0 || k == std::string::npos ||
            std::sscanf(line.c_str(), "C;Y%d;X%d", &row, &column) != 2)
            continue;
        cells.push_back({row, column, line.substr(k + 2)});
    }
    return cells;
}

std::string WithoutLeadingZeros(const std::string& value) {
    if (value.empty() || value[0] == '"')
        return value;
    const size_t first = value.find_first_not_of('0');
    return first == std::string::npos ? "0" : value.substr(first);
}

std::string SpreadsheetText(const std::string& written) {
    std::vector<Cell> cells = CellsOf(written);
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    std::string text =
        "ID;PWXL;N;E\r\nP;PGeneral\r\nF;P0;DG0G8;M255\r\nB;Y1500;X30;D0 0 1499 29\r\n"
        "O;L;D;V0;K47;G100 0.001\r\n";
    int lastRow = 0;
    for (const Cell& cell : cells) {
        text += "C;";
        if (cell.row != lastRow)
            text += "Y" + std::to_string(cell.row) + ";";
        lastRow = cell.row;
        text += "X" + std::to_string(cell.column) + ";K" + WithoutLeadingZeros(cell.value) + "\r\n";
    }
    return text + "E\r\n";
}

// Another producer's file: the same cells, labels included, its own header, cells column
// by column, LF only.
std::string ByPositionText(const ParameterImage& image) {
    std::string text = "ID;PCALCOOO32\nP;PGeneral\nF;DG0G10\n";
    std::vector<Cell> cells = CellsOf(BuildParameterFileText(image));
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
        return std::tie(a.column, a.row) < std::tie(b.column, b.row);
    });
    for (const Cell& cell : cells)
        text += "C;X" + std::to_string(cell.column) + ";Y" + std::to_string(cell.row) + ";N;K" +
                WithoutLeadingZeros(cell.value) + "\n";
    return text + "E\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    ParameterImage start;
    SetStartValues(start);
    const ParameterImage busy = BusyImage();
    const std::string busyText = BuildParameterFileText(busy);
    const bool ok = Save(dir + "/seed_start_values.slk", BuildParameterFileText(start)) &&
                    Save(dir + "/seed_busy.slk", busyText) &&
                    Save(dir + "/seed_spreadsheet_order.slk", SpreadsheetText(busyText)) &&
                    Save(dir + "/seed_by_position_lf.slk", ByPositionText(busy));
    if (!ok) {
        std::fprintf(stderr, "make_seeds: could not write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
