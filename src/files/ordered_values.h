#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The numeric cells of a loader file ("ID;PWXL"), taken by their order in the text alone:
// no row, column or label is looked at. Every ";K" not followed by a double quote starts
// a value, except a first ";K" that is not a text cell (a spreadsheet's option record).
struct OrderedValues {
    bool spreadsheetOrder = false; // cells listed row by row, as a spreadsheet saves them
    std::vector<uint16_t> values;  // at most the first 4470
};

OrderedValues CollectOrderedValues(const std::string& text);

// The value of the five characters of a cell after its "K": leading white space skipped,
// an optional sign, then the digits up to the first non-digit (none give 0), modulo 65536.
uint16_t FiveCharacterValue(const std::string& text, size_t at);
