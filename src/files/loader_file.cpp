#include "files/loader_file.h"

#include "files/file_layout.h"
#include "files/parameter_file_writer.h"
#include "files/sylk_cells.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

struct Expected {
    int row = 0;
    int column = 0;
    int entry = -1;   // the value cell's entry; -1 for a text cell
    std::string text; // a text cell's K value, quotes included
};

// The writer's cells in the writer's order, taken from its own text so that the two can
// never disagree; value cells carry their entry instead of a value.
std::vector<Expected> WriterCells() {
    ParameterImage image;
    SetStartValues(image);
    std::vector<Expected> cells;
    int entry = 0;
    ForEachSylkCell(BuildParameterFileText(image), [&](const SylkCell& c) {
        cells.push_back({c.row, c.column, c.text ? -1 : entry++, c.text ? c.value : ""});
    });
    return cells;
}

// The same cells once each (the writer repeats each pattern's title), row by row.
std::vector<Expected> RowByRow(const std::vector<Expected>& writer) {
    std::vector<Expected> cells;
    std::set<std::pair<int, int>> seen;
    for (const Expected& c : writer)
        if (seen.insert({c.row, c.column}).second)
            cells.push_back(c);
    std::sort(cells.begin(), cells.end(), [](const Expected& a, const Expected& b) {
        return std::make_pair(a.row, a.column) < std::make_pair(b.row, b.column);
    });
    return cells;
}

const std::vector<Expected>& Cells(bool rowByRow) {
    static const std::vector<Expected> writer = WriterCells();
    static const std::vector<Expected> spreadsheet = RowByRow(writer);
    return rowByRow ? spreadsheet : writer;
}

std::string CellName(int row, int column) {
    return "row " + std::to_string(row) + ", column " + std::to_string(column);
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

bool HasControlCharacter(const std::string& line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// An optional sign and decimal digits, nothing else; large numbers saturate, as they fit
// no field anyway.
std::optional<int64_t> WholeNumber(const std::string& text) {
    size_t p = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        ++p;
    if (p == text.size())
        return std::nullopt;
    int64_t number = 0;
    for (; p < text.size(); ++p) {
        if (text[p] < '0' || text[p] > '9')
            return std::nullopt;
        number = std::min<int64_t>(number * 10 + (text[p] - '0'), 100000000);
    }
    return negative ? -number : number;
}

// What a spreadsheet program writes besides cells: formats, options, bounds, windows, names.
bool SpreadsheetRecord(const std::string& kind) {
    static const std::set<std::string> kinds = {"P", "F", "O", "B", "W", "NN", "NE", "NU"};
    return kinds.count(kind) > 0;
}

// One way the cells may stand: the writer's order or row by row. Takes the records one by
// one and keeps the first thing that does not belong.
class Arrangement {
public:
    explicit Arrangement(bool rowByRow)
        : m_rowByRow(rowByRow), m_cells(Cells(rowByRow)),
          m_values(static_cast<size_t>(FileValueCount())) {}

    bool Failed() const { return !m_failure.empty(); }
    bool Complete() const { return !Failed() && m_ended; }
    int FailedAt() const { return m_failedAt; }
    const std::string& Failure() const { return m_failure; }
    const std::vector<uint16_t>& Values() const { return m_values; }

    void Take(const SylkRecord& r) {
        if (Failed())
            return;
        if (m_ended) {
            if (!r.source.empty())
                Fail(r, false, "there is more after the end record E");
            return;
        }
        if (HasControlCharacter(r.source))
            return Fail(r, IsCell(r), "it holds a control character");
        if (r.kind == "E")
            return End(r);
        if (r.kind != "C") {
            if (m_rowByRow && SpreadsheetRecord(r.kind) && r.placed)
                return;
            return Fail(
                r, false,
                (r.source.empty() ? std::string("an empty line") : "\"" + Shown(r.source) + "\"") +
                    " stands where " + Next() + " belongs");
        }
        if (!r.placed)
            return Fail(r, false, "its row or column is not a number from 1 to 999999");
        if (m_next == m_cells.size())
            return Fail(r, true, "a cell more than the layout has");
        const Expected& e = m_cells[m_next];
        if (r.row != e.row || r.column != e.column)
            return Fail(r, true, "it stands where " + Next() + " belongs");
        if (e.entry < 0 ? !TakeText(r, e) : !TakeValue(r, e))
            return;
        ++m_next;
    }

    // The text ended after record `line`.
    void Finish(int line) {
        if (Failed() || m_ended)
            return;
        m_failedAt = line + 1;
        m_failure = "at line " + std::to_string(line) + ": the file ends " +
                    (m_next < m_cells.size() ? "where " + Next() + " belongs"
                                             : std::string("without its end record E"));
    }

private:
    static bool IsCell(const SylkRecord& r) { return r.kind == "C" && r.placed; }

    std::string Next() const { return CellName(m_cells[m_next].row, m_cells[m_next].column); }

    void Fail(const SylkRecord& r, bool cell, const std::string& what) {
        m_failedAt = r.line;
        m_failure = cell ? "at " + CellName(r.row, r.column) + " (line " + std::to_string(r.line) +
                               "): " + what
                         : "at line " + std::to_string(r.line) + ": " + what;
    }

    void End(const SylkRecord& r) {
        if (m_next < m_cells.size())
            return Fail(r, false, "the file ends where " + Next() + " belongs");
        m_ended = true;
    }

    bool TakeText(const SylkRecord& r, const Expected& e) {
        if (r.hasValue && r.value == e.text)
            return true;
        Fail(r, true,
             (!r.hasValue ? std::string("a cell without a value")
                          : (r.text ? "the text " : "the value ") + Shown(r.value)) +
                 " stands where the text " + e.text + " belongs");
        return false;
    }

    bool TakeValue(const SylkRecord& r, const Expected& e) {
        const ParameterRow& row = *FieldOfEntry(e.entry).row;
        const std::string name = row.mnemonic;
        if (!r.hasValue || r.text) {
            Fail(r, true,
                 (r.hasValue ? "a text" : std::string("a cell without a value")) +
                     " stands where the value of " + name + " belongs");
            return false;
        }
        const std::optional<int64_t> number = WholeNumber(r.value);
        if (!number) {
            Fail(r, true, "\"" + Shown(r.value) + "\" is not a whole number (" + name + ")");
            return false;
        }
        const bool byte = row.width == FieldWidth::U8;
        if (*number < 0 || *number > (byte ? 0xFF : 0xFFFF)) {
            // The number as read ("300" for "00300"), unless it is too long to have been.
            const bool shown = *number > -100000000 && *number < 100000000;
            Fail(r, true,
                 (shown ? std::to_string(*number) : Shown(r.value)) + " does not fit " + name +
                     (byte ? " (8 bits, 0 to 255)" : " (16 bits, 0 to 65535)"));
            return false;
        }
        m_values[static_cast<size_t>(e.entry)] = static_cast<uint16_t>(*number);
        return true;
    }

    bool m_rowByRow;
    const std::vector<Expected>& m_cells;
    std::vector<uint16_t> m_values; // by entry
    size_t m_next = 0;
    bool m_ended = false;
    int m_failedAt = 0;
    std::string m_failure;
};

bool GoodHeader(const std::string& line) {
    return !HasControlCharacter(line) && (line == "ID;PWXL" || line.compare(0, 8, "ID;PWXL;") == 0);
}

} // namespace

bool ReadLoaderFile(const std::string& text, ParameterImage& image, Messages& messages) {
    Arrangement arrangements[] = {Arrangement(false), Arrangement(true)};
    std::string refusal;
    int lines = 0;
    ForEachSylkRecord(text, [&](const SylkRecord& r) {
        lines = r.line;
        if (r.line == 1) {
            if (!GoodHeader(r.source))
                refusal = "at line 1: \"" + Shown(r.source) + "\" is not the header ID;PWXL;N;E";
            return refusal.empty();
        }
        for (Arrangement& a : arrangements)
            a.Take(r);
        return !(arrangements[0].Failed() && arrangements[1].Failed());
    });
    for (Arrangement& a : arrangements)
        a.Finish(lines);

    const Arrangement* read = nullptr;
    for (const Arrangement& a : arrangements)
        if (a.Complete())
            read = &a;
    if (!read || !refusal.empty()) {
        // The arrangement that went further names the record in error.
        const Arrangement& a = arrangements[0].FailedAt() >= arrangements[1].FailedAt()
                                   ? arrangements[0]
                                   : arrangements[1];
        messages.Show("This file is refused " + (refusal.empty() ? a.Failure() : refusal) +
                      ". Nothing was loaded.");
        return false;
    }
    ParameterImage loaded = image;
    for (int i = 0; i < FileValueCount(); ++i)
        SetEntry(loaded, i, read->Values()[static_cast<size_t>(i)]);
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}
