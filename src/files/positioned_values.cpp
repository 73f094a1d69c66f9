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

// What a field takes, for the refusal.
std::string Widths(const ParameterRow& row) {
    switch (row.width) {
    case FieldWidth::U8:
        return " (8 bits, 0 to 255)";
    case FieldWidth::U16:
        return " (16 bits, 0 to 65535)";
    case FieldWidth::I16:
        break;
    }
    return " (signed 16 bits, -32768 to 32767, or 0 to 65535 as the loader writes it)";
}

} // namespace

std::optional<int64_t> ParseWholeNumber(const std::string& text) {
    size_t p = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t") + 1;
    if (p == std::string::npos)
        return std::nullopt;
    bool negative = false;
    if (text[p] == '+' || text[p] == '-')
        negative = text[p++] == '-';
    int64_t number = 0;
    size_t digits = 0;
    for (; p < end && text[p] >= '0' && text[p] <= '9'; ++p, ++digits) {
        number = number * 10 + (text[p] - '0');
        if (number > 999999999)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    if (p < end && text[p] == '.')
        for (++p; p < end && text[p] == '0'; ++p) {
        }
    if (p != end)
        return std::nullopt;
    return negative ? -number : number;
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
        if (cell.state != ValueCell::Number) {
            messages.Show("This file has no value at " + Where(entry) + ". Nothing was loaded.");
            return false;
        }
        const std::optional<int64_t> number = ParseWholeNumber(cell.number);
        const ParameterRow& row = *FieldOfEntry(entry).row;
        if (!number || !FitsField(row, *number)) {
            messages.Show("The value \"" + cell.number + "\" at " + Where(entry) +
                          (number ? " does not fit " + std::string(row.mnemonic) + Widths(row)
                                  : std::string(" is not a whole number")) +
                          ". Nothing was loaded.");
            return false;
        }
        SetEntry(loaded, entry, static_cast<uint16_t>(*number & 0xFFFF));
    }
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}
