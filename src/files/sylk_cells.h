#pragma once

#include <functional>
#include <string>

// The cells of a SYLK text, with their positions. Each C record's X (column) and Y (row)
// fields place it; a field it omits keeps the current position, which C and F records
// both move, as the format has it. A record with a malformed X or Y is passed over.
struct SylkCell {
    int row = 0;
    int column = 0;
    bool hasValue = false; // the record has a K field
    bool text = false;     // the K value is a quoted text
    std::string value;     // the K field's characters after "K" (";;" unescaped)
};

void ForEachSylkCell(const std::string& text, const std::function<void(const SylkCell&)>& visit);
