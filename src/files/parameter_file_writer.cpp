#include "files/parameter_file_writer.h"

#include "files/file_layout.h"
#include "files/whole_file.h"

namespace {

// Row and column numbers: plain, or with leading zeros to `width` digits.
std::string Number(int value, int width = 0) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

class SylkText {
public:
    explicit SylkText(const ParameterImage& image) : m_image(image) { m_text.reserve(101000); }

    void Line(const std::string& line) { m_text += line + "\r\n"; }
    void Text(const std::string& row, const std::string& column, const std::string& text) {
        Line("C;Y" + row + ";X" + column + ";K\"" + text + "\"");
    }
    // The value cell of the next entry: the writer emits the entries in their own order.
    void Value(const std::string& row, const std::string& column) {
        Line("C;Y" + row + ";X" + column + ";K" + FormatFiveDigits(GetEntry(m_image, m_entry++)));
    }
    std::string Take() { return std::move(m_text); }

private:
    const ParameterImage& m_image;
    std::string m_text;
    int m_entry = 0;
};

// A section's rows: the label in `labelColumn`, the value cell beside it.
void LabelledRows(SylkText& out, const std::vector<const ParameterRow*>& rows, int firstRow,
                  int labelColumn) {
    for (const ParameterRow* field : rows) {
        const std::string row = Number(firstRow + field->fileRow);
        out.Text(row, Number(labelColumn), field->mnemonic);
        out.Value(row, Number(labelColumn + 1));
    }
}

void Pattern(SylkText& out, int n) {
    const int base = PatternBaseRow(n);
    const std::string title = "Program Pattern" + Number(n);
    out.Text(Number(base), "1", title);
    out.Text(Number(base + 1), "2", "seg.1");
    const std::vector<const ParameterRow*>& fields = FileRows(GroupId::Kind::Pattern);
    LabelledRows(out, fields, base, 1);

    // Segments 2 to 20: pattern 1 pads its rows to three digits, patterns 2 to 9 also pad
    // columns and segment numbers to two.
    const int wide = n == 1 ? 0 : 2;
    for (int s = 2; s <= ProgramPatternRecord::kSegments; ++s) {
        const std::string column = Number(s + 1, wide);
        out.Text(Number(base, n == 1 ? 3 : 0), "1", title);
        out.Text(Number(base + 1, 3), column, "seg." + Number(s, wide));
        for (const ParameterRow* field : fields)
            out.Value(Number(base + field->fileRow, 3), column);
    }
}

} // namespace

std::string FormatFiveDigits(uint16_t value) {
    std::string text = "00000";
    unsigned rest = value;
    for (int i = 4; i >= 0; --i, rest /= 10)
        text[i] = static_cast<char>('0' + rest % 10);
    return text;
}

std::string BuildParameterFileText(const ParameterImage& image) {
    SylkText out(image);
    out.Line("ID;PWXL;N;E");

    out.Text("1", "1", "Advanced usage parameters");
    LabelledRows(out, FileRows(GroupId::Kind::Advanced), 0, 1);

    out.Text(Number(kSystemTitleRow), "1", "System Setup parameters");
    LabelledRows(out, FileRows(GroupId::Kind::SystemSetup), 0, 1);

    for (int g = 1; g <= ParameterImage::kPidGroups; ++g) {
        out.Text(Number(kPidHeaderRow), Number(2 * g), "PID" + Number(g));
        LabelledRows(out, FileRows(GroupId::Kind::PidGroup), 0, 2 * g - 1);
    }

    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        Pattern(out, n);

    out.Line("E");
    return out.Take();
}

namespace {

bool Written(const std::string& path, const std::string& failure, Messages& messages) {
    if (failure.empty())
        return true;
    messages.Show("The file " + path + " could not be written (" + failure +
                  "). Nothing was changed on disk.");
    return false;
}

} // namespace

bool WriteParameterFile(const ParameterImage& image, const std::string& path, Messages& messages) {
    return Written(path, WriteWholeFile(path, BuildParameterFileText(image)), messages);
}

bool MayWriteParameterFile(const std::string& path, Messages& messages) {
    return Written(path, CheckWriteTarget(path), messages);
}
