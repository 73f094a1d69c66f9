#pragma once

#include "image/parameter_image.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

// Shared by the parameter file tests.
namespace filetest {

// A fresh, empty folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder() {
        std::random_device seed;
        m_path = std::filesystem::temp_directory_path() /
                 ("tqx-files-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// An image in which nearly every stored byte differs from the start values, with the
// edge values -1, -999, 0x8000 and 255 in fields of both widths.
inline ParameterImage BusyImage(uint32_t seed = 7) {
    ParameterImage image;
    SetStartValues(image);
    std::mt19937 random(seed);
    auto byte = [&] { return static_cast<uint8_t>(random() & 0xFF); };
    auto word = [&] { return static_cast<int16_t>(random() & 0xFFFF); };
    for (auto& group : image.pid)
        for (auto& b : group.bytes)
            b = byte();
    for (auto& pattern : image.pattern)
        for (auto& b : pattern.bytes)
            b = byte();
    AdvancedRecord& a = image.advanced;
    a = {-1,     word(), word(), word(), word(), word(), word(), 255, byte(),
         byte(), byte(), byte(), 1111,   2222,   3333,   4444,   5555};
    SystemSetupRecord& s = image.systemSetup;
    s.PVT = byte(), s.PVU = byte(), s.PVD = byte(), s.PVF = -999, s.PVB = word(), s.SFT = word();
    s.STM = byte(), s.CI = byte(), s.PSET = word(), s.BURN = word(), s.AO1R = byte();
    s.AO1T = byte(), s.AO1F = word(), s.AO1B = word(), s.AO2R = byte(), s.AO2T = byte();
    s.AO2F = word(), s.AO2B = word(), s.TMDT = byte(), s.TMU = byte(), s.STN = byte();
    s.TF = word(), s.GS_H = word(), s.GS_L = word(), s.GS_T = -32768, s.EV_T1 = byte();
    s.EV_T2 = byte(), s.EV_T3 = byte(), s.EV_T4 = 255, s.ENDT = word();
    image.pattern[2].Segment(5).SetTIME(0x8000);
    image.modelCode = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'T', 'J', 'K', 'L', 'M', 'N', 'O'};
    return image;
}

} // namespace filetest
