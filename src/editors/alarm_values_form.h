#pragma once

#include "image/records.h"
#include "operator/messages.h"

#include <array>
#include <string>

// The four alarm values of each segment of the open pattern's working copy, as the
// eighty texts the operator edits, in the scale of the set values.
class AlarmValuesForm {
public:
    static constexpr int kSegments = ProgramPatternRecord::kSegments;
    static constexpr int kAlarms = 4;

    // Shows the working copy at once. `setup` gives the input range of the conversions.
    AlarmValuesForm(ProgramPatternRecord& workingCopy, const SystemSetupRecord& setup);

    void Show();
    // Parses all eighty texts, segment by segment, alarm 1..4 within each; a refused text
    // keeps its alarm value (the parser has shown why) and the rest are still stored.
    void Collect(Messages& messages);

    // Alarm k (1..4) of segment s (1..20).
    std::string& Text(int k, int s) { return m_texts[k - 1][s - 1]; }
    const std::string& Text(int k, int s) const { return m_texts[k - 1][s - 1]; }

private:
    ProgramPatternRecord& m_copy;
    const SystemSetupRecord& m_setup;
    std::array<std::array<std::string, kSegments>, kAlarms> m_texts;
};
