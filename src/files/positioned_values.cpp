#include "files/positioned_values.h"

#include "files/file_layout.h"
#include "files/sylk_cells.h"

#include <vector>

namespace {

struct ValueCell {
    enum State { Empty, Text, Number } state = Empty;
    std::string number;
};

std::string Where(int entry) {
    const FileCell cell = CellOfEntry(entry);
    return "row " + std::to_string(cell.row) + ", column " + std::to_string(cell.column);
}

} // namespace

bool ParseWholeNumber(const std::string& text, uint16_t& value) {
    size_t p = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t") + 1;
    if (p == std::string::npos)
        return false;
    bool negative = false;
    if (text[p] == '+' || text[p] == '-')
        negative = text[p++] == '-';
    long number = 0;
    size_t digits = 0;
    for (; p < end && text[p] >= '0' && text[p] <= '9'; ++p, ++digits) {
        number = number * 10 + (text[p] - '0');
        if (number > 65535)
            return false;
    }
    if (digits == 0)
        return false;
    if (p < end && text[p] == '.')
        for (++p; p < end && text[p] == '0'; ++p) {
        }
    if (p != end)
        return false;
    if (negative)
        number = -number;
    if (number < -32768)
        return false;
    value = static_cast<uint16_t>(number & 0xFFFF);
    return true;
}

bool ReadPositionedFile(const std::string& text, ParameterImage& image, Messages& messages) {
    std::vector<ValueCell> cells(FileValueCount());
    ForEachSylkCell(text, [&](const SylkCell& cell) {
        const int entry = EntryAtCell(cell.row, cell.column);
        if (entry < 0 || !cell.hasValue)
            return;
        // A later record for the same cell replaces the earlier one.
        cells[entry] =
            cell.text ? ValueCell{ValueCell::Text, {}} : ValueCell{ValueCell::Number, cell.value};
    });

    // Checked row by row, so the message names the first cell the operator will find.
    std::vector<int> entries(FileValueCount());
    for (int i = 0; i < FileValueCount(); ++i)
        entries[i] = EntryOfSpreadsheetIndex(i);
    ParameterImage loaded = image;
    for (int entry : entries) {
        const ValueCell& cell = cells[entry];
        uint16_t value = 0;
        if (cell.state != ValueCell::Number) {
            messages.Show("This file has no value at " + Where(entry) + ". Nothing was loaded.");
            return false;
        }
        if (!ParseWholeNumber(cell.number, value)) {
            messages.Show("The value \"" + cell.number + "\" at " + Where(entry) +
                          " is not a whole number from -32768 to 65535. Nothing was loaded.");
            return false;
        }
        SetEntry(loaded, entry, value);
    }
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}
