#pragma once

#include "editors/pattern_working_state.h"
#include "operator/messages.h"

#include <array>
#include <optional>
#include <string>

// Guaranteed soak on/off (GSORK) and type (GSTYP) of each segment of the open pattern, as
// the forty texts the operator edits. Works on two columns of the editor's byte table.
class GuaranteedSoakForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;

    // Shows the table at once.
    explicit GuaranteedSoakForm(SegmentByteTable& table);

    void Show();
    // All on/off texts first, then all types; the first wrong text is reported and ends
    // the run, leaving what was stored before it. True when all forty were stored.
    bool Collect(Messages& messages);

    // s counts from 1.
    std::string& OnOffText(int s) { return m_onOff[s - 1]; }
    const std::string& OnOffText(int s) const { return m_onOff[s - 1]; }
    std::string& TypeText(int s) { return m_type[s - 1]; }
    const std::string& TypeText(int s) const { return m_type[s - 1]; }

private:
    SegmentByteTable& m_table;
    std::array<std::string, kSegments> m_onOff;
    std::array<std::string, kSegments> m_type;
};

// Drop-down lists, sorted.
const std::array<const char*, 2>& GsorkListTexts(); // "NO", "YES"
const std::array<const char*, 3>& GstypListTexts(); // "Down", "U&D", "Up"

// Codes to texts; a code outside the table shows "NG".
std::string GsorkText(uint16_t code);
std::string GstypText(uint16_t code);
// Exact, case-sensitive; nothing for any other text.
std::optional<uint16_t> GsorkCode(const std::string& text);
std::optional<uint16_t> GstypCode(const std::string& text);
