#include "files/positioned_values.h"

#include "files/file_layout.h"
#include "files/parameter_file_writer.h"
#include "files/sylk_cells.h"

#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using Address = std::pair<int, int>; // row, column

// What the layout puts at a cell: a value, known by its entry, or a text.
struct LayoutCell {
    int entry = -1;   // -1 for a text cell
    std::string text; // a text cell's K value, quotes included
};

// What the file gives at a cell: each K value found there.
struct Given {
    bool text = false;
    std::string value;
};

// The writer's cells, taken from its own text so that the two can never disagree; value
// cells carry their entry instead of a value. The writer repeats each pattern's title
// with the same text, so a cell stands here once.
const std::map<Address, LayoutCell>& Layout() {
    static const std::map<Address, LayoutCell> layout = [] {
        ParameterImage image;
        SetStartValues(image);
        std::map<Address, LayoutCell> cells;
        int entry = 0;
        ForEachSylkCell(BuildParameterFileText(image), [&](const SylkCell& c) {
            cells.emplace(Address{c.row, c.column},
                          c.text ? LayoutCell{-1, c.value} : LayoutCell{entry++, {}});
        });
        return cells;
    }();
    return layout;
}

// A text as it may stand in a message: control and other bytes as \xNN, cut short.
std::string Shown(const std::string& text) {
    constexpr size_t kShown = 24;
    std::string out;
    for (size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return text.size() > kShown ? out + "..." : out;
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

// The records a spreadsheet program writes besides cells and the end: formats, options,
// bounds, windows and names. None of them holds a value.
bool KnownRecord(const std::string& kind) {
    static const std::set<std::string> kinds = {"C", "F", "P", "O", "B", "W", "NN", "NE", "NU"};
    return kinds.count(kind) > 0;
}

// Collects every K value by its cell, or says why a line is refused.
class CellsOfFile {
public:
    std::map<Address, std::vector<Given>> given;
    std::string refusal; // "line N: why"

    bool Take(const SylkRecord& r) {
        m_lines = r.line;
        if (r.line == 1) // the header, which the caller has checked
            return true;
        if (m_ended) {
            if (!r.source.empty())
                return Refuse(r, "there is more after the end record E");
            return true;
        }
        if (r.source.empty())
            return true;
        if (r.kind == "E") {
            m_ended = true;
            return true;
        }
        if (!KnownRecord(r.kind))
            return Refuse(r, "\"" + Shown(r.source) + "\" is no SYLK record");
        // Every later cell that leaves out its row or column would land elsewhere.
        if (!r.placed)
            return Refuse(r, "its row or column is not a number from 1 to 999999");
        if (r.kind == "C" && r.hasValue)
            given[{r.row, r.column}].push_back({r.text, r.value});
        return true;
    }

    void Finish() {
        if (refusal.empty() && !m_ended)
            refusal =
                "line " + std::to_string(m_lines) + ": the file ends without its end record E";
    }

private:
    bool Refuse(const SylkRecord& r, const std::string& why) {
        refusal = "line " + std::to_string(r.line) + ": " + why;
        return false;
    }

    int m_lines = 0;
    bool m_ended = false;
};

// Why a text cell of the layout is refused, or nothing.
std::string CheckText(const LayoutCell& want, const std::vector<Given>* got) {
    if (!got)
        return "nothing stands where " + want.text + " belongs";
    for (const Given& g : *got)
        if (!g.text || g.value != want.text)
            return Shown(g.value) + " stands where " + want.text + " belongs";
    return {};
}

// Why a value cell of the layout is refused, or nothing; else its value.
std::string CheckValue(const LayoutCell& want, const std::vector<Given>* got, uint16_t& value) {
    const ParameterRow& row = *FieldOfEntry(want.entry).row;
    const std::string of = "the value of " + std::string(row.mnemonic);
    if (!got)
        return of + " is missing";
    if (got->size() > 1)
        return of + " is given " +
               (got->size() == 2 ? std::string("twice") : std::to_string(got->size()) + " times");
    const Given& g = got->front();
    if (g.text)
        return "the text " + Shown(g.value) + " stands where " + of + " belongs";
    const std::optional<int64_t> number = ParseWholeNumber(g.value);
    if (!number)
        return "\"" + Shown(g.value) + "\" is not a whole number (" + row.mnemonic + ")";
    if (!FitsField(row, *number))
        return std::to_string(*number) + " does not fit " + row.mnemonic + Widths(row);
    value = static_cast<uint16_t>(*number & 0xFFFF);
    return {};
}

// Why a cell outside the layout is refused, or nothing: a text there is a note.
std::string CheckOutside(const std::vector<Given>& got) {
    for (const Given& g : got)
        if (!g.text)
            return "the value " + Shown(g.value) + " stands outside the layout";
    return {};
}

// The first cell in error, row by row: "row R, column C: why"; else every value by entry.
std::string CheckCells(const std::map<Address, std::vector<Given>>& given,
                       std::vector<uint16_t>& values) {
    const std::map<Address, LayoutCell>& layout = Layout();
    auto l = layout.begin();
    auto g = given.begin();
    while (l != layout.end() || g != given.end()) {
        const bool inLayout = g == given.end() || (l != layout.end() && l->first <= g->first);
        const Address at = inLayout ? l->first : g->first;
        const std::vector<Given>* got = g != given.end() && g->first == at ? &g->second : nullptr;
        std::string why;
        if (!inLayout)
            why = CheckOutside(*got);
        else if (l->second.entry < 0)
            why = CheckText(l->second, got);
        else
            why = CheckValue(l->second, got, values[static_cast<size_t>(l->second.entry)]);
        if (!why.empty())
            return "row " + std::to_string(at.first) + ", column " + std::to_string(at.second) +
                   ": " + why;
        if (inLayout)
            ++l;
        if (got)
            ++g;
    }
    return {};
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
    CellsOfFile file;
    ForEachSylkRecord(text, [&](const SylkRecord& r) { return file.Take(r); });
    file.Finish();
    std::vector<uint16_t> values(static_cast<size_t>(FileValueCount()));
    const std::string refusal =
        !file.refusal.empty() ? file.refusal : CheckCells(file.given, values);
    if (!refusal.empty()) {
        messages.Show("This file is refused at " + refusal + ". Nothing was loaded.");
        return false;
    }
    ParameterImage loaded = image;
    for (int entry = 0; entry < FileValueCount(); ++entry)
        SetEntry(loaded, entry, values[static_cast<size_t>(entry)]);
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}
