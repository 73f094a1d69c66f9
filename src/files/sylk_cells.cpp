#include "files/sylk_cells.h"

#include <vector>

namespace {

// The fields of one record after its kind; ";;" stands for a semicolon inside a field.
std::vector<std::string> Fields(const std::string& line, size_t start) {
    std::vector<std::string> fields;
    std::string field;
    for (size_t p = start; p < line.size(); ++p) {
        if (line[p] != ';') {
            field += line[p];
        } else if (p + 1 < line.size() && line[p + 1] == ';') {
            field += ';';
            ++p;
        } else {
            fields.push_back(field);
            field.clear();
        }
    }
    fields.push_back(field);
    return fields;
}

// A row or column number: decimal digits only, 1 to 999999.
bool Coordinate(const std::string& digits, int& result) {
    if (digits.empty() || digits.size() > 6)
        return false;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value == 0)
        return false;
    result = value;
    return true;
}

} // namespace

void ForEachSylkCell(const std::string& text, const std::function<void(const SylkCell&)>& visit) {
    int row = 1, column = 1;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        const size_t kindEnd = line.find(';');
        const std::string kind = line.substr(0, kindEnd);
        if ((kind != "C" && kind != "F") || kindEnd == std::string::npos)
            continue;
        SylkCell cell;
        int newRow = row, newColumn = column;
        bool placed = true;
        for (const std::string& field : Fields(line, kindEnd + 1)) {
            if (field.empty())
                continue;
            const std::string rest = field.substr(1);
            if (field[0] == 'X')
                placed &= Coordinate(rest, newColumn);
            else if (field[0] == 'Y')
                placed &= Coordinate(rest, newRow);
            else if (field[0] == 'K' && kind == "C") {
                cell.hasValue = true;
                cell.text = !rest.empty() && rest[0] == '"';
                cell.value = rest;
            }
        }
        if (!placed)
            continue;
        row = newRow, column = newColumn;
        if (kind != "C")
            continue;
        cell.row = row, cell.column = column;
        visit(cell);
    }
}
