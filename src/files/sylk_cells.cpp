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

void ForEachSylkRecord(const std::string& text,
                       const std::function<bool(const SylkRecord&)>& visit) {
    int row = 1, column = 1;
    int line = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        SylkRecord record;
        record.line = ++line;
        record.source = text.substr(start, end - start);
        start = end + 1;
        if (!record.source.empty() && record.source.back() == '\r')
            record.source.pop_back();

        const size_t kindEnd = record.source.find(';');
        record.kind = record.source.substr(0, kindEnd);
        int newRow = row, newColumn = column;
        if ((record.kind == "C" || record.kind == "F") && kindEnd != std::string::npos) {
            for (const std::string& field : Fields(record.source, kindEnd + 1)) {
                if (field.empty())
                    continue;
                const std::string rest = field.substr(1);
                if (field[0] == 'X')
                    record.placed &= Coordinate(rest, newColumn);
                else if (field[0] == 'Y')
                    record.placed &= Coordinate(rest, newRow);
                else if (field[0] == 'K' && record.kind == "C") {
                    record.hasValue = true;
                    record.text = !rest.empty() && rest[0] == '"';
                    record.value = rest;
                }
            }
            // A record with a malformed X or Y moves nothing.
            if (record.placed)
                row = newRow, column = newColumn;
        }
        record.row = row, record.column = column;
        if (!visit(record))
            return;
    }
}

void ForEachSylkCell(const std::string& text, const std::function<void(const SylkCell&)>& visit) {
    ForEachSylkRecord(text, [&](const SylkRecord& record) {
        if (record.kind == "C" && record.placed && record.source.size() > 1)
            visit(record);
        return true;
    });
}
