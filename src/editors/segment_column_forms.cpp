#include "editors/segment_column_forms.h"

#include "editors/form_fields.h"
#include "image/parameter_catalogue.h"

namespace {

constexpr const char* kBadCode = "NG";

// The text of a code of the segment field at `offset`, the code being its position in the
// row's list.
std::string TextOf(int offset, uint16_t code) {
    const auto& choices = SegmentRow(offset).choices;
    return code < choices.size() ? choices[code] : kBadCode;
}

std::optional<uint16_t> CodeAt(int offset, const std::string& text) {
    if (const std::optional<int> code = CodeOf(SegmentRow(offset).choices, text))
        return static_cast<uint16_t>(*code);
    return std::nullopt;
}

} // namespace

SegmentColumnsForm::SegmentColumnsForm(SegmentByteTable& table, std::vector<SegmentColumn> columns)
    : SubEditorForm(columns.size() * kSegments), m_table(table), m_columns(std::move(columns)) {
    Show();
}

void SegmentColumnsForm::Show() {
    for (size_t c = 0; c < m_columns.size(); ++c)
        for (int s = 1; s <= kSegments; ++s)
            Text(c, s) = m_columns[c].text(m_table.At(s, m_columns[c].column));
}

bool SegmentColumnsForm::Collect(Messages& messages) {
    for (size_t c = 0; c < m_columns.size(); ++c)
        for (int s = 1; s <= kSegments; ++s) {
            const std::optional<uint16_t> code = m_columns[c].code(Text(c, s));
            if (!code) {
                messages.Show(std::string(m_columns[c].name) + "_seg" + std::to_string(s) +
                              " is wrong");
                return false;
            }
            m_table.At(s, m_columns[c].column) = *code;
        }
    return true;
}

SegmentPidForm::SegmentPidForm(SegmentByteTable& table)
    : SegmentColumnsForm(table,
                         {{SegmentByteTable::PIDNO, "PIDNO", PidNumberText, PidNumberCode}}) {}

GuaranteedSoakForm::GuaranteedSoakForm(SegmentByteTable& table)
    : SegmentColumnsForm(table, {{SegmentByteTable::GSORK, "GSORK", GsorkText, GsorkCode},
                                 {SegmentByteTable::GSTYP, "GSTYPE", GstypText, GstypCode}}) {}

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

const std::array<const char*, 2>& GsorkListTexts() {
    static const std::array<const char*, 2> texts = {"NO", "YES"};
    return texts;
}

const std::array<const char*, 3>& GstypListTexts() {
    static const std::array<const char*, 3> texts = {"Down", "U&D", "Up"};
    return texts;
}

std::string GsorkText(uint16_t code) {
    return TextOf(seg::GSORK, code);
}

std::string GstypText(uint16_t code) {
    return TextOf(seg::GSTYP, code);
}

std::optional<uint16_t> GsorkCode(const std::string& text) {
    return CodeAt(seg::GSORK, text);
}

std::optional<uint16_t> GstypCode(const std::string& text) {
    return CodeAt(seg::GSTYP, text);
}
