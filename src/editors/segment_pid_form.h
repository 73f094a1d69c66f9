#pragma once

#include "editors/pattern_working_state.h"
#include "editors/sub_editor_form.h"
#include "operator/messages.h"

#include <array>
#include <optional>
#include <string>

// The PID group number of each segment of the open pattern, as the twenty texts the
// operator edits. Works on the PIDNO column of the pattern editor's byte table.
class SegmentPidForm : public SubEditorForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;

    // Shows the table at once.
    explicit SegmentPidForm(SegmentByteTable& table);

    void Show() override;
    // Stores segment after segment; the first wrong text is reported and ends the run,
    // leaving the earlier segments stored. True when all twenty were stored.
    bool Collect(Messages& messages) override;

    // s counts from 1.
    std::string& Text(int s) { return m_texts[static_cast<size_t>(s - 1)]; }
    const std::string& Text(int s) const { return m_texts[static_cast<size_t>(s - 1)]; }

private:
    SegmentByteTable& m_table;
};

// The texts the drop-downs offer, sorted: "1" .. "9".
const std::array<const char*, 9>& PidNumberListTexts();
// A stored number as its decimal text; one outside 1..9 too, so that OK reports it.
std::string PidNumberText(uint16_t value);
// Exactly "1" .. "9"; nothing for any other text.
std::optional<uint16_t> PidNumberCode(const std::string& text);
