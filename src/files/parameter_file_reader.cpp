#include "files/parameter_file_reader.h"

#include "files/positioned_values.h"
#include "files/whole_file.h"

bool ReadParameterFileText(const std::string& text, ParameterImage& image, Messages& messages) {
    // One rule for every header: the loader's own and any other spreadsheet program's
    // (a file saved again as SYLK) are read by each value's cell.
    bool read = false;
    if (text.size() >= 7 && text.compare(0, 4, "ID;P") == 0) // not a cut-off "ID;PWXL"
        read = ReadPositionedFile(text, image, messages);
    else
        messages.Show("This is not Loader File!");
    if (!read)
        return false;
    image.connected = 1;
    return true;
}

bool ReadParameterFile(const std::string& path, ParameterImage& image, Messages& messages) {
    std::string text;
    const std::string failure = ReadWholeFile(path, text);
    if (!failure.empty()) {
        messages.Show("The file " + path + " could not be read (" + failure + ").");
        return false;
    }
    return ReadParameterFileText(text, image, messages);
}
