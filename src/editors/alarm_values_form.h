#pragma once

#include "editors/sub_editor_form.h"
#include "image/records.h"
#include "operator/messages.h"

#include <array>
#include <string>

// The four alarm values of each segment of the open pattern's working copy, as the
// eighty texts the operator edits, in the scale of the set values.
class AlarmValuesForm : public SubEditorForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;
    static constexpr int kAlarms = 4;

    // Shows the working copy at once. `setup` gives the input range of the conversions.
    AlarmValuesForm(ProgramPatternRecord& workingCopy, const SystemSetupRecord& setup);

    void Show() override;
    // Parses all eighty texts, segment by segment, alarm 1..4 within each; a refused text
    // keeps its alarm value (the parser has shown why) and the rest are still stored.
    bool Collect(Messages& messages) override; // true: OK always closes

    // Alarm k (1..4) of segment s (1..20).
    std::string& Text(int k, int s) { return m_texts[Index(k, s)]; }
    const std::string& Text(int k, int s) const { return m_texts[Index(k, s)]; }
    // Alarm 1's twenty segments first, then alarm 2's, ...
    static size_t Index(int k, int s) { return static_cast<size_t>((k - 1) * kSegments + s - 1); }

private:
    ProgramPatternRecord& m_copy;
    const SystemSetupRecord& m_setup;
};
