#pragma once

#include "editors/pattern_working_state.h"
#include "editors/sub_editor_form.h"
#include "operator/messages.h"

#include <array>
#include <optional>
#include <string>

// Guaranteed soak on/off (GSORK) and type (GSTYP) of each segment of the open pattern, as
// the forty texts the operator edits. Works on two columns of the editor's byte table.
class GuaranteedSoakForm : public SubEditorForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;

    // Shows the table at once.
    explicit GuaranteedSoakForm(SegmentByteTable& table);

    void Show() override;
    // All on/off texts first, then all types; the first wrong text is reported and ends
    // the run, leaving what was stored before it. True when all forty were stored.
    bool Collect(Messages& messages) override;

    // s counts from 1.
    std::string& OnOffText(int s) { return m_texts[OnOffIndex(s)]; }
    const std::string& OnOffText(int s) const { return m_texts[OnOffIndex(s)]; }
    std::string& TypeText(int s) { return m_texts[TypeIndex(s)]; }
    const std::string& TypeText(int s) const { return m_texts[TypeIndex(s)]; }
    // The twenty on/off texts first, then the twenty types.
    static size_t OnOffIndex(int s) { return static_cast<size_t>(s - 1); }
    static size_t TypeIndex(int s) { return static_cast<size_t>(kSegments + s - 1); }

private:
    SegmentByteTable& m_table;
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
