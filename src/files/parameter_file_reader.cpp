#include "files/parameter_file_reader.h"

#include "files/file_layout.h"
#include "files/ordered_values.h"
#include "files/positioned_values.h"
#include "files/whole_file.h"

namespace {

bool ReadLoaderFile(const std::string& text, ParameterImage& image, Messages& messages) {
    const OrderedValues found = CollectOrderedValues(text);
    const int count = static_cast<int>(found.values.size());
    if (count < FileValueCount()) {
        messages.Show("This file holds " + std::to_string(count) + " values instead of " +
                      std::to_string(FileValueCount()) + ". Nothing was loaded.");
        return false;
    }
    ParameterImage loaded = image;
    for (int i = 0; i < FileValueCount(); ++i)
        SetEntry(loaded, found.spreadsheetOrder ? EntryOfSpreadsheetIndex(i) : i, found.values[i]);
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}

} // namespace

bool ReadParameterFileText(const std::string& text, ParameterImage& image, Messages& messages) {
    // The loader's own format; a file another spreadsheet program saved again as SYLK
    // is read by cell position instead.
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
