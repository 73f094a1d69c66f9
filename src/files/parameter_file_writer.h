#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstdint>
#include <string>

// "00000" to "65535": the value's decimal digits with leading zeros.
std::string FormatFiveDigits(uint16_t value);

// The whole parameter file as text: SYLK, one cell per line, CR LF after every line.
// Always 5209 lines and 100,825 bytes.
std::string BuildParameterFileText(const ParameterImage& image);

// File Write: writes the image's parameter file to `path`, replacing an existing file only
// once the new one is complete. A failure is reported through `messages`, naming the path,
// and leaves an existing file as it was.
bool WriteParameterFile(const ParameterImage& image, const std::string& path, Messages& messages);

// Whether File Write would write `path` at all, told as a failed write is; for callers
// with long work to do before they write (reading a whole controller).
bool MayWriteParameterFile(const std::string& path, Messages& messages);
