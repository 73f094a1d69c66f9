#include "files/ordered_values.h"

#include "files/file_layout.h"

#include <cctype>

uint16_t FiveCharacterValue(const std::string& text, size_t at) {
    const size_t end = std::min(at + 5, text.size());
    size_t p = at;
    while (p < end && std::isspace(static_cast<unsigned char>(text[p])))
        ++p;
    bool negative = false;
    if (p < end && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    uint32_t number = 0;
    for (; p < end && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        number = number * 10 + static_cast<uint32_t>(text[p] - '0');
    return static_cast<uint16_t>(negative ? 0u - number : number);
}

OrderedValues CollectOrderedValues(const std::string& text) {
    OrderedValues result;
    // The first ";K" decides the order: a text cell starts the writer's own file; anything
    // else (a spreadsheet's option record) is not a value.
    const size_t first = text.find(";K");
    size_t skip = std::string::npos;
    if (first != std::string::npos && first + 2 < text.size() && text[first + 2] != '"') {
        result.spreadsheetOrder = true;
        skip = first;
    }
    // A cell near the very end of the text (a one-digit value before "\nE\n") still counts;
    // it can only add to the end of the list, never move an earlier value.
    for (size_t p = 0; p + 3 <= text.size(); ++p) {
        if (text[p] != ';' || text[p + 1] != 'K' || text[p + 2] == '"' || p == skip)
            continue;
        result.values.push_back(FiveCharacterValue(text, p + 2));
        if (static_cast<int>(result.values.size()) == FileValueCount())
            break;
    }
    return result;
}
