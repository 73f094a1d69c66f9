#pragma once

#include "image/group_id.h"
#include "image/parameter_catalogue.h"
#include "image/parameter_image.h"

#include <cstdint>
#include <string>
#include <vector>

// Every parameter of a parameter set, with its stored integer and its text as the editors
// show it, in the catalogue's order; used to print and to compare whole parameter sets.
struct ParameterEntry {
    GroupId group;
    int segment = 0; // 1..20 for segment fields of a pattern, else 0
    const ParameterRow* row = nullptr;
    std::string name;   // the row's name, "AO1T (A01T)"; the two PID NO USE words numbered
    int32_t stored = 0; // signed or unsigned as the field is
    std::string text;   // engineering text, with its unit

    // "pattern 7 segment 3 SV", "pid 2 KNL (KnL)", "system PVT"
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
// One group's entries.
std::vector<ParameterEntry> ListGroup(const ParameterImage& image, GroupId group,
                                      const ListingOptions& options = {});

struct ParameterDifference {
    ParameterEntry a;
    ParameterEntry b;
};

// The parameters whose stored values differ between two sets, in listing order.
std::vector<ParameterDifference> DiffParameters(const ParameterImage& a, const ParameterImage& b,
                                                const ListingOptions& options = {});
// The names of `group`'s parameters whose stored values differ between the two sets, each
// once, in listing order ("P", "I"; a pattern's "SV" however many segments differ).
std::vector<std::string> ChangedNames(const ParameterImage& a, const ParameterImage& b,
                                      GroupId group);
// The groups those differences fall in, each once, in order.
std::vector<GroupId> DifferingGroups(const std::vector<ParameterDifference>& differences);

// Where a difference is shown: the group's title ("PID group 3") and the parameter's
// label within it ("segment 4 SV", "KNL (KnL)").
std::string DifferenceLabel(const ParameterDifference& d);

// The differences as text, grouped by group, one line a parameter:
//   "  segment 4 SV: 250.0 (1234) | 260.0 (1300)"
// `aName` and `bName` head the two sides.
std::string DifferencesText(const std::vector<ParameterDifference>& differences,
                            const std::string& aName, const std::string& bName);
