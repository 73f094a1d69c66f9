#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstdint>
#include <string>

// A parameter file saved again by a spreadsheet program other than the one the loader
// format names ("ID;P..." but not "ID;PWXL"): each value is taken from the cell where the
// writer puts it, whatever order the cells stand in. Text cells, other records and cells
// outside the layout are ignored. Every value cell must hold a whole number from -32768 to
// 65535 (its 16-bit pattern); otherwise the file is refused, naming the first row and
// column in error, and the image is unchanged. Does not set the connected flag.
bool ReadPositionedFile(const std::string& text, ParameterImage& image, Messages& messages);

// A numeric cell's text as a 16-bit pattern: an optional sign, digits, and optionally a
// decimal point followed by zeros only; white space around it is allowed.
bool ParseWholeNumber(const std::string& text, uint16_t& value);
