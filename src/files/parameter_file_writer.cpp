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

void LabelledRows(SylkText& out, int firstRow, int labelColumn, const char* const* labels,
                  int count) {
    for (int i = 0; i < count; ++i) {
        const std::string row = Number(firstRow + i);
        out.Text(row, Number(labelColumn), labels[i]);
        out.Value(row, Number(labelColumn + 1));
    }
}

template <class Record>
std::vector<const char*> Labels(const std::vector<FieldRef<Record>>& fields) {
    std::vector<const char*> labels;
    for (const auto& field : fields)
        labels.push_back(field.mnemonic);
    return labels;
}

void Pattern(SylkText& out, int n) {
    const int base = PatternBaseRow(n);
    const std::string title = "Program Pattern" + Number(n);
    out.Text(Number(base), "1", title);
    out.Text(Number(base + 1), "2", "seg.1");
    LabelledRows(out, base + 2, 1, kSegmentRowLabels, kSegmentFields);

    // Segments 2 to 20: pattern 1 pads its rows to three digits, patterns 2 to 9 also pad
    // columns and segment numbers to two.
    const int wide = n == 1 ? 0 : 2;
    for (int s = 2; s <= ProgramPatternRecord::kSegments; ++s) {
        const std::string column = Number(s + 1, wide);
        out.Text(Number(base, n == 1 ? 3 : 0), "1", title);
        out.Text(Number(base + 1, 3), column, "seg." + Number(s, wide));
        for (int r = 0; r < kSegmentFields; ++r)
            out.Value(Number(base + 2 + r, 3), column);
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
    const auto advanced = Labels(FileAdvancedFields());
    LabelledRows(out, kAdvancedFirstRow, 1, advanced.data(), kAdvancedEntries);

    out.Text(Number(kSystemTitleRow), "1", "System Setup parameters");
    const auto system = Labels(FileSystemFields());
    LabelledRows(out, kSystemFirstRow, 1, system.data(), kSystemEntries);

    for (int g = 1; g <= ParameterImage::kPidGroups; ++g) {
        out.Text(Number(kPidHeaderRow), Number(2 * g), "PID" + Number(g));
        LabelledRows(out, kPidFirstRow, 2 * g - 1, kPidRowLabels, 12);
    }

    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        Pattern(out, n);

    out.Line("E");
    return out.Take();
}

bool WriteParameterFile(const ParameterImage& image, const std::string& path, Messages& messages) {
    const std::string failure = WriteWholeFile(path, BuildParameterFileText(image));
    if (failure.empty())
        return true;
    messages.Show("The file " + path + " could not be written (" + failure +
                  "). Nothing was changed on disk.");
    return false;
}
