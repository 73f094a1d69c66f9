#pragma once

#include "image/parameter_image.h"

#include <cstdint>
#include <string>
#include <vector>

// Every parameter of a parameter set, with its stored integer and its text as the editors
// show it; used to print and to compare whole parameter sets.
struct ParameterEntry {
    std::string group; // "system", "advanced", "pid 3", "pattern 7"
    int segment = 0;   // 1..20 for segment fields of a pattern, else 0
    std::string mnemonic;
    int32_t stored = 0; // signed or unsigned as the field is
    std::string text;   // engineering text

    // "pattern 7 segment 3 SV", "pid 2 KNL", "system PVT"
    std::string Name() const;
};

struct ListingOptions {
    // Include the advanced fields a parameter file does not hold (GAP, MAX, PP, PI, PD).
    bool unfiledAdvanced = true;
    // Include PVST, CYCL and LINK of segments 2 to 20 (a pattern's own value is segment 1's).
    bool patternFieldsPerSegment = false;
};

std::vector<ParameterEntry> ListParameters(const ParameterImage& image,
                                           const ListingOptions& options = {});

struct ParameterDifference {
    ParameterEntry a;
    ParameterEntry b;
};

// The parameters whose stored values differ between two sets, in listing order.
std::vector<ParameterDifference> DiffParameters(const ParameterImage& a, const ParameterImage& b,
                                                const ListingOptions& options = {});

// The group names ListParameters uses, for selecting one: "system", "advanced",
// "pid 1".."pid 9", "pattern 1".."pattern 9".
std::vector<std::string> ParameterGroupNames();

// Where a difference is shown: the group's title ("PID group 3") and the parameter's
// label within it ("segment 4 SV", "KNL").
std::string DifferenceGroupTitle(const ParameterDifference& d);
std::string DifferenceLabel(const ParameterDifference& d);

// The differences as text, grouped by group, one line a parameter:
//   "  segment 4 SV: 250.0 (1234) | 260.0 (1300)"
// `aName` and `bName` head the two sides.
std::string DifferencesText(const std::vector<ParameterDifference>& differences,
                            const std::string& aName, const std::string& bName);
