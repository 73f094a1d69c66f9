#pragma once

#include <functional>
#include <string>

// The records of a SYLK text, one a line, with the cell position each leaves. A C or F
// record's X (column) and Y (row) fields move the position; a field it omits keeps the
// current one, as the format has it.
struct SylkRecord {
    int line = 0;          // counted from 1
    std::string source;    // the line as it stands, without its line end
    std::string kind;      // the text before the first ';' ("ID", "C", "F", "E", ...)
    int row = 0;           // the position after the record
    int column = 0;        //
    bool placed = true;    // every X and Y field it has is a number from 1 to 999999
    bool hasValue = false; // a C record with a K field
    bool text = false;     // the K value is a quoted text
    std::string value;     // the K field's characters after "K" (";;" unescaped)
};

// Visits every line in order until `visit` returns false.
void ForEachSylkRecord(const std::string& text,
                       const std::function<bool(const SylkRecord&)>& visit);

// The well-placed C records alone.
using SylkCell = SylkRecord;
void ForEachSylkCell(const std::string& text, const std::function<void(const SylkCell&)>& visit);
