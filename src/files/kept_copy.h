#pragma once

#include "image/parameter_image.h"

#include <ctime>
#include <string>

// The controller's own values, kept as a parameter file before a whole set overwrites
// them, so that what the controller held can always be put back.

// "unit1_PXT4TEY1T-00121_20261208-091207.slk": the unit, the model code (characters a
// file name should not hold become '-') and the local time.
std::string KeptCopyName(int unit, const std::string& modelCode, std::time_t when);

// Writes `target` into `folder` (made when missing) under KeptCopyName, never over an
// existing file ("..._2.slk" and on). Returns "" and sets `path`, or why it could not.
std::string KeepControllerValues(const ParameterImage& target, const std::string& folder, int unit,
                                 std::time_t when, std::string& path);
