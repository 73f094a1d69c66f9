#pragma once

#include "image/parameter_image.h"

#include <cstdint>
#include <string>
#include <vector>

// A whole parameter set as the history keeps it: the system setup and advanced fields in
// the catalogue's order (each 1 or 2 bytes, little-endian), the nine PID group records, the
// nine pattern records, the model code and the raw copies of blocks 0 and 3. The format
// number is stored beside the bytes, so that a later layout can still read these. The
// connected flag belongs to the running loader, not to a set, and is not kept.
constexpr int kSetFormat = 1;

std::vector<uint8_t> EncodeSet(const ParameterImage& image);

// "" or why `bytes` are no set of `format`; `image` changes only when they are.
std::string DecodeSet(int format, const std::vector<uint8_t>& bytes, ParameterImage& image);

// FNV-1a over the bytes: where identical sets are looked for (the bytes then decide).
uint64_t ContentHash(const std::vector<uint8_t>& bytes);
