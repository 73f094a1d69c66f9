#pragma once

#include "image/parameter_catalogue.h"
#include "image/records.h"

#include <cstdint>
#include <string>

// A stored value as the editors show it, by its catalogue row: "600.0", "12.3 %", "01:30",
// "Write enable", "(7)" for a code outside its list. Range values are read in the input
// range of `setup`; a value with a unit other than the input's carries it (" %", " s").
std::string ParameterText(const ParameterRow& row, int32_t stored, const SystemSetupRecord& setup);

// The unit of a row's value for a reader: "Unit:%", "Unit:second", "Unit:degree C",
// "Unit:degree F", "Unit:scale unit"; empty for a value without one (a choice, a code).
std::string UnitText(const ParameterRow& row, const SystemSetupRecord& setup);
