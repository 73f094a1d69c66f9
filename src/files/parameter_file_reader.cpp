#include "files/parameter_file_reader.h"

#include "files/loader_file.h"
#include "files/positioned_values.h"
#include "files/whole_file.h"

bool ReadParameterFileText(const std::string& text, ParameterImage& image, Messages& messages) {
    // The loader's own format, strictly as its writer lays it out; a file another
    // spreadsheet program saved again as SYLK is read by cell position instead.
    bool read = false;
    if (text.compare(0, 7, "ID;PWXL") == 0)
        read = ReadLoaderFile(text, image, messages);
    else if (text.size() >= 7 && text.compare(0, 4, "ID;P") == 0) // not a cut-off "ID;PWXL"
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
