#pragma once

#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstdint>
#include <optional>
#include <string>

// A parameter file after its header, whichever program wrote it: the loader's own writer
// or a spreadsheet program that saved it again as SYLK. Each value is taken by its cell's
// address, whatever order the cells stand in, and the file is refused when:
//   - a text cell of the layout (a label, title or column header) is missing or says
//     something else, as when rows were moved or sorted;
//   - a value cell is missing, given twice, holds a text, or holds a number that is not
//     whole or does not fit its field (a byte 0..255, an unsigned word 0..65535, a signed
//     word -32768..32767 or its 16-bit pattern as the writer writes it, 32768..65535);
//   - a number stands in a cell outside the layout;
//   - a line is no SYLK record, a C or F record's row or column is not a number, or the
//     end record E is missing or followed by more.
// Formats, options, bounds, windows, names and text cells outside the layout are allowed.
// The refusal names the first cell in error row by row (or the line), through `messages`,
// and the image is unchanged. Does not set the connected flag.
bool ReadPositionedFile(const std::string& text, ParameterImage& image, Messages& messages);

// A numeric cell's text as a number: an optional sign, digits, and optionally a decimal
// point followed by zeros only; white space around it is allowed. Numbers beyond 9 digits
// fit no field and are refused here.
std::optional<int64_t> ParseWholeNumber(const std::string& text);
