#include "files/csv_field.h"

#include "image/shown_text.h"

#include <cctype>

namespace {

// A plain number, such as a value "-5.0": a spreadsheet reads it as a number, never as a
// formula.
bool IsPlainNumber(const std::string& field) {
    size_t i = field.size() > 1 && (field[0] == '-' || field[0] == '+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < field.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(field[i])))
            digits = true;
        else if (field[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

std::string CsvField(const std::string& text) {
    std::string field = ShownText(text);
    if (!field.empty() && std::string("=+-@").find(field[0]) != std::string::npos &&
        !IsPlainNumber(field))
        field.insert(0, "'");
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvRecord(const std::vector<std::string>& cells) {
    std::string record;
    for (size_t i = 0; i < cells.size(); ++i)
        record += (i ? "," : "") + CsvField(cells[i]);
    return record + "\r\n";
}
