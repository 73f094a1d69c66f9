#include "files/parameter_file_reader.h"

#include "files/file_layout.h"
#include "files/ordered_values.h"
#include "files/whole_file.h"

namespace {

bool ReadLoaderFile(const std::string& text, ParameterImage& image, Messages& messages) {
    const OrderedValues found = CollectOrderedValues(text);
    const int count = static_cast<int>(found.values.size());
    if (count < kFileValues) {
        messages.Show("This file holds " + std::to_string(count) + " values instead of " +
                      std::to_string(kFileValues) + ". Nothing was loaded.");
        return false;
    }
    ParameterImage loaded = image;
    for (int i = 0; i < kFileValues; ++i)
        SetEntry(loaded, found.spreadsheetOrder ? EntryOfSpreadsheetIndex(i) : i, found.values[i]);
    SpreadPatternBytes(loaded);
    image = loaded;
    return true;
}

} // namespace

bool ReadParameterFileText(const std::string& text, ParameterImage& image, Messages& messages) {
    if (text.compare(0, 7, "ID;PWXL") != 0) {
        messages.Show("This is not Loader File!");
        return false;
    }
    if (!ReadLoaderFile(text, image, messages))
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
