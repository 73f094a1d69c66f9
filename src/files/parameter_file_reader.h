#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <string>

// File Read on a file's text: checks the header (any "ID;P": the loader's own "ID;PWXL"
// or another spreadsheet program's), takes each value by its cell into the advanced
// (all but GAP, MAX, PP, PI, PD), system setup, PID group and pattern records, spreads
// PVST, CYCL and LINK of each pattern's segment 1 over its twenty segments, and sets the
// connected flag. A refused file is reported through `messages` and changes nothing.
bool ReadParameterFileText(const std::string& text, ParameterImage& image, Messages& messages);

// File Read on a path: a file that cannot be read is reported, naming the path.
bool ReadParameterFile(const std::string& path, ParameterImage& image, Messages& messages);
