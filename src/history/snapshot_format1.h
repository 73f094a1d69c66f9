#pragma once

#include "image/parameter_image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Format 1, the history's first layout of a set: the system setup and advanced fields in a
// fixed order, each one or two bytes little-endian, the nine PID group records, the nine
// pattern records, the fifteen model code characters and the raw copies of blocks 0 and 3.
// Histories written before format 2 hold it. The field order is frozen here and takes
// nothing from the parameter catalogue, so that a row added to the catalogue cannot change
// how these bytes read.
namespace format1 {

constexpr size_t kBytes = 7880;

// Written only to find a set an older version stored; new sets are format 2.
std::vector<uint8_t> Encode(const ParameterImage& image);
// "" or why `bytes` are no format 1 set; `image` changes only when they are.
std::string Decode(const std::vector<uint8_t>& bytes, ParameterImage& image);

} // namespace format1
