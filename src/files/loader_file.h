#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <string>

// The loader's own parameter file ("ID;PWXL"), read strictly. Every cell must stand where
// the writer puts it, in the writer's order or row by row as a spreadsheet program saves
// the file again (its other records, such as formats and options, allowed then); the
// label cells as written; exactly the values of the layout, each a whole number that fits
// its field as the writer writes it (a byte 0..255, a word 0..65535). Anything else is
// refused through `messages`, naming the first record in error, and the image is
// unchanged. Does not set the connected flag.
bool ReadLoaderFile(const std::string& text, ParameterImage& image, Messages& messages);
