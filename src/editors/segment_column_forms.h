#pragma once

#include "editors/pattern_working_state.h"
#include "editors/sub_editor_form.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// A column of the pattern editor's byte table as a sub-editor edits it: a text per
// segment, and the name its refusal gives ("PIDNO" in "PIDNO_seg3 is wrong").
struct SegmentColumn {
    SegmentByteTable::Column column;
    const char* name;
    std::string (*text)(uint16_t code);
    std::optional<uint16_t> (*code)(const std::string& text);
};

// Columns of the byte table as the texts the operator edits: column after column, twenty
// segments each. Collect stores column after column, segment after segment; the first
// wrong text is reported and ends the run, leaving what was stored before it.
class SegmentColumnsForm : public SubEditorForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;

    // Shows the table at once.
    SegmentColumnsForm(SegmentByteTable& table, std::vector<SegmentColumn> columns);

    void Show() override;
    bool Collect(Messages& messages) override;

    // The text of column c (0 on) and segment s (1..20), and its place among the texts.
    static size_t Index(size_t c, int s) { return c * kSegments + static_cast<size_t>(s - 1); }
    std::string& Text(size_t c, int s) { return m_texts[Index(c, s)]; }
    const std::string& Text(size_t c, int s) const { return m_texts[Index(c, s)]; }

private:
    SegmentByteTable& m_table;
    std::vector<SegmentColumn> m_columns;
};

// The PID group number of each segment of the open pattern (the PIDNO column).
class SegmentPidForm : public SegmentColumnsForm {
public:
    explicit SegmentPidForm(SegmentByteTable& table);
    std::string& Text(int s) { return SegmentColumnsForm::Text(0, s); }
    const std::string& Text(int s) const { return SegmentColumnsForm::Text(0, s); }
};

// Guaranteed soak on/off (GSORK) and type (GSTYP) of each segment of the open pattern:
// all on/off texts first, then all types.
class GuaranteedSoakForm : public SegmentColumnsForm {
public:
    explicit GuaranteedSoakForm(SegmentByteTable& table);
    static size_t OnOffIndex(int s) { return Index(0, s); }
    static size_t TypeIndex(int s) { return Index(1, s); }
    std::string& OnOffText(int s) { return Text(0, s); }
    const std::string& OnOffText(int s) const { return Text(0, s); }
    std::string& TypeText(int s) { return Text(1, s); }
    const std::string& TypeText(int s) const { return Text(1, s); }
};

// The texts the PID number drop-downs offer, sorted: "1" .. "9".
const std::array<const char*, 9>& PidNumberListTexts();
// A stored number as its decimal text; one outside 1..9 too, so that OK reports it.
std::string PidNumberText(uint16_t value);
// Exactly "1" .. "9"; nothing for any other text.
std::optional<uint16_t> PidNumberCode(const std::string& text);

// The guaranteed soak drop-down lists, sorted.
const std::array<const char*, 2>& GsorkListTexts(); // "NO", "YES"
const std::array<const char*, 3>& GstypListTexts(); // "Down", "U&D", "Up"
// Codes to texts; a code outside the table shows "NG".
std::string GsorkText(uint16_t code);
std::string GstypText(uint16_t code);
// Exact, case-sensitive; nothing for any other text.
std::optional<uint16_t> GsorkCode(const std::string& text);
std::optional<uint16_t> GstypCode(const std::string& text);
