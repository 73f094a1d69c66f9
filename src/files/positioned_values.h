#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstdint>
#include <optional>
#include <string>

// A parameter file saved again by a spreadsheet program other than the one the loader
// format names ("ID;P..." but not "ID;PWXL"): each value is taken from the cell where the
// writer puts it, whatever order the cells stand in. Text cells, other records and cells
// outside the layout are ignored. Every value cell must hold a whole number that fits its
// field: a byte 0..255, an unsigned word 0..65535, a signed word its value or its 16-bit
// pattern (-32768..65535). Otherwise the file is refused, naming the first row and column
// in error, and the image is unchanged. Does not set the connected flag.
bool ReadPositionedFile(const std::string& text, ParameterImage& image, Messages& messages);

// A numeric cell's text as a number: an optional sign, digits, and optionally a decimal
// point followed by zeros only; white space around it is allowed. Numbers beyond 9 digits
// fit no field and are refused here.
std::optional<int64_t> ParseWholeNumber(const std::string& text);
