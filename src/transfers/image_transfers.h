#pragma once

#include "image/parameter_image.h"

#include <string>
#include <vector>

// One group of a whole-image SEND and what failed of it (empty when it went through).
struct GroupSend {
    std::string group; // "system setup", "advanced", "PID groups 1-9", "pattern 1" ..
    std::vector<std::string> failed;
};

// The groups of a whole image in the order they are sent: system setup, then advanced
// (its WDIS decides whether the controller takes the rest), PID groups 1-9, patterns 1-9.
constexpr int kImageGroups = 3 + ParameterImage::kPatterns;

// The name of group `index` as GroupSend gives it.
std::string ImageGroupName(int index);

// Sends group `index` (0 .. kImageGroups - 1) as its editor's SEND does.
GroupSend SendImageGroup(const ParameterImage& image, int index);

// Sends every group in order; every group is attempted.
std::vector<GroupSend> SendWholeImage(const ParameterImage& image);
