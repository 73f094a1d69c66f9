#include "files/kept_copy.h"

#include "files/parameter_file_writer.h"
#include "operator/messages.h"

#include <cctype>
#include <filesystem>
#include <system_error>

std::string KeptCopyName(int unit, const std::string& modelCode, std::time_t when) {
    std::string model = modelCode;
    while (!model.empty() && (model.back() == ' ' || model.back() == '\0'))
        model.pop_back();
    for (char& c : model)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
            c = '-';
    char stamp[32] = "";
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return "unit" + std::to_string(unit) + "_" + (model.empty() ? "unknown" : model) + "_" + stamp +
           ".slk";
}

std::string KeepControllerValues(const ParameterImage& target, const std::string& folder, int unit,
                                 std::time_t when, std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return "the folder " + folder + " for the controller's own values could not be made (" +
               error.message() + ")";
    const std::string name = KeptCopyName(unit, target.ModelCode(), when);
    const std::string stem = name.substr(0, name.size() - 4);
    fs::path candidate = fs::path(folder) / name;
    for (int n = 2; fs::exists(candidate, error); ++n)
        candidate = fs::path(folder) / (stem + "_" + std::to_string(n) + ".slk");
    RecordingMessages failure;
    if (!WriteParameterFile(target, candidate.string(), failure))
        return "the controller's own values could not be kept: " +
               (failure.Texts().empty() ? candidate.string() : failure.Texts().back());
    path = candidate.string();
    return "";
}
