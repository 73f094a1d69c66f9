#include "editors/guaranteed_soak_form.h"

#include "editors/form_fields.h"

namespace {

// Text of each code, the code being the position.
const char* const kGsork[] = {"NO", "YES"};
const char* const kGstyp[] = {"U&D", "Down", "Up"};
constexpr const char* kBadCode = "NG";

template <size_t N> std::string TextOf(const char* const (&texts)[N], uint16_t code) {
    return code < N ? texts[code] : kBadCode;
}

} // namespace

GuaranteedSoakForm::GuaranteedSoakForm(SegmentByteTable& table) : m_table(table) {
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
    return TextOf(kGsork, code);
}

std::string GstypText(uint16_t code) {
    return TextOf(kGstyp, code);
}

std::optional<uint16_t> GsorkCode(const std::string& text) {
    return CodeOf(kGsork, text);
}

std::optional<uint16_t> GstypCode(const std::string& text) {
    return CodeOf(kGstyp, text);
}
