#pragma once

#include "image/records.h"

#include <array>
#include <cstdint>
#include <string>

// The system's one in-memory copy of everything it knows about the controller.
struct ParameterImage {
    static constexpr int kPidGroups = 9;
    static constexpr int kPatterns = 9;
    static constexpr int kModelCodeChars = 15;

    SystemSetupRecord systemSetup;
    AdvancedRecord advanced;
    std::array<PidGroupRecord, kPidGroups> pid{};          // index 0 is group 1
    std::array<ProgramPatternRecord, kPatterns> pattern{}; // index 0 is pattern 1
    std::array<char, kModelCodeChars + 1> modelCode{};     // 15 characters and a NUL
    int32_t connected = 0;
    std::array<uint8_t, 6> rawBlock0{};
    std::array<uint8_t, 10> rawBlock3{};

    // The model code as a string, up to its first NUL.
    std::string ModelCode() const;

    // Every member alike: the groups, the model code, the flag and the raw copies.
    bool operator==(const ParameterImage& o) const;
    bool operator!=(const ParameterImage& o) const { return !(*this == o); }
};

// Start values: every group field 0, each pattern's first SV 0x8000, the model code
// fifteen "1" characters, the raw copies 0, not connected.
void SetStartValues(ParameterImage& image);

// The controller has the time-signal option when the ninth character of its model code is "T".
bool HasTimeSignalOption(const ParameterImage& image);
// The same test on a model code as read ("PXT4TEY1T-00121").
bool HasTimeSignalOption(const std::string& modelCode);

// The process-wide instance used by the application.
ParameterImage& TheImage();
