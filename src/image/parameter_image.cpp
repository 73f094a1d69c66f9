#include "image/parameter_image.h"

#include <cstring>

std::string ParameterImage::ModelCode() const {
    return std::string(modelCode.data(), strnlen(modelCode.data(), modelCode.size()));
}

bool ParameterImage::operator==(const ParameterImage& o) const {
    return systemSetup == o.systemSetup && advanced == o.advanced && pid == o.pid &&
           pattern == o.pattern && modelCode == o.modelCode && connected == o.connected &&
           rawBlock0 == o.rawBlock0 && rawBlock3 == o.rawBlock3;
}

void SetStartValues(ParameterImage& image) {
    image.systemSetup = SystemSetupRecord{};
    image.advanced = AdvancedRecord{};
    for (auto& group : image.pid)
        group = PidGroupRecord{};
    for (auto& pattern : image.pattern) {
        pattern = ProgramPatternRecord{};
        pattern.Segment(1).SetWord(seg::SV, 0x8000);
    }
    image.modelCode.fill('1');
    image.modelCode[ParameterImage::kModelCodeChars] = '\0';
    image.connected = 0;
    image.rawBlock0.fill(0);
    image.rawBlock3.fill(0);
}

bool HasTimeSignalOption(const ParameterImage& image) {
    return HasTimeSignalOption(std::string(image.modelCode.data(), image.modelCode.size()));
}

bool HasTimeSignalOption(const std::string& modelCode) {
    return modelCode.size() > 8 && modelCode[8] == 'T';
}

ParameterImage& TheImage() {
    static ParameterImage image = [] {
        ParameterImage start;
        SetStartValues(start);
        return start;
    }();
    return image;
}
