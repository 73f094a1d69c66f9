#include "editors/guaranteed_soak_form.h"

#include "editors/form_fields.h"

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

GuaranteedSoakForm::GuaranteedSoakForm(SegmentByteTable& table)
    : SubEditorForm(2 * kSegments), m_table(table) {
    Show();
}

void GuaranteedSoakForm::Show() {
    for (int s = 1; s <= kSegments; ++s) {
        OnOffText(s) = GsorkText(m_table.At(s, SegmentByteTable::GSORK));
        TypeText(s) = GstypText(m_table.At(s, SegmentByteTable::GSTYP));
    }
}

bool GuaranteedSoakForm::Collect(Messages& messages) {
    for (int s = 1; s <= kSegments; ++s) {
        const std::optional<uint16_t> code = GsorkCode(OnOffText(s));
        if (!code) {
            messages.Show("GSORK_seg" + std::to_string(s) + " is wrong");
            return false;
        }
        m_table.At(s, SegmentByteTable::GSORK) = *code;
    }
    for (int s = 1; s <= kSegments; ++s) {
        const std::optional<uint16_t> code = GstypCode(TypeText(s));
        if (!code) {
            messages.Show("GSTYPE_seg" + std::to_string(s) + " is wrong");
            return false;
        }
        m_table.At(s, SegmentByteTable::GSTYP) = *code;
    }
    return true;
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
