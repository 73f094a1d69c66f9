#pragma once

#include <string>
#include <vector>

// Comma-separated exports as RFC 4180 has them and a spreadsheet reads them safely: a
// field with a comma, a quote, CR or LF in quotes with its quotes doubled, control
// characters escaped, and a text a spreadsheet would run as a formula shown as text.

// A text cell: one that begins with =, +, - or @ and is not a plain number ("-5.0") gets a
// leading apostrophe.
std::string CsvField(const std::string& text);

// The cells as one record, ended with CRLF.
std::string CsvRecord(const std::vector<std::string>& cells);
