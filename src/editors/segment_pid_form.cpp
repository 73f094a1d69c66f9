#include "editors/segment_pid_form.h"

#include "image/parameter_catalogue.h"

SegmentPidForm::SegmentPidForm(SegmentByteTable& table) : SubEditorForm(kSegments), m_table(table) {
    Show();
}

void SegmentPidForm::Show() {
    for (int s = 1; s <= kSegments; ++s)
        Text(s) = PidNumberText(m_table.At(s, SegmentByteTable::PIDNO));
}

bool SegmentPidForm::Collect(Messages& messages) {
    for (int s = 1; s <= kSegments; ++s) {
        const std::optional<uint16_t> code = PidNumberCode(Text(s));
        if (!code) {
            messages.Show("PIDNO_seg" + std::to_string(s) + " is wrong");
            return false;
        }
        m_table.At(s, SegmentByteTable::PIDNO) = *code;
    }
    return true;
}

const std::array<const char*, 9>& PidNumberListTexts() {
    static const std::array<const char*, 9> texts = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    return texts;
}

std::string PidNumberText(uint16_t value) {
    return std::to_string(value);
}

std::optional<uint16_t> PidNumberCode(const std::string& text) {
    const ParameterRow& row = SegmentRow(seg::PIDNO);
    if (text.size() != 1 || text[0] < '0' + row.lo || text[0] > '0' + row.hi)
        return std::nullopt;
    return static_cast<uint16_t>(text[0] - '0');
}
