#include "files/file_path.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

std::string BuildFilePath(const std::string& drive, const std::string& name) {
    return drive + ":\\" + name;
}

namespace {
std::string WithSlashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}
} // namespace

std::string HostPathFor(const std::string& drive, const std::string& name) {
#ifdef _WIN32
    return BuildFilePath(drive, name);
#else
    const std::string file = WithSlashes(name);
    if (drive.size() <= 1)
        return file;
    // The directory stands for the drive's root, so the name is always inside it.
    std::string folder = WithSlashes(drive);
    if (folder.back() != '/')
        folder += '/';
    const size_t start = std::min(file.find_first_not_of('/'), file.size());
    return folder + file.substr(start);
#endif
}

std::string FilePathIn(const std::string& folder, const std::string& drive, const std::string& name,
                       bool addExtension) {
    std::string path = HostPathFor(drive, name);
    if (addExtension) {
        const size_t base = path.find_last_of("/\\");
        const std::string file = base == std::string::npos ? path : path.substr(base + 1);
        if (!file.empty() && file.find('.') == std::string::npos)
            path += ".slk";
    }
    const std::filesystem::path host = std::filesystem::u8path(path);
    if (folder.empty() || !host.is_relative() || host.has_root_name())
        return path;
    return (std::filesystem::u8path(folder) / host).lexically_normal().u8string();
}

DriveAndName SplitPickedPath(const std::string& path, bool driveLetters) {
    const bool lettered = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                          path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    if (!driveLetters || !lettered)
        return {std::string(), path};
    std::string rest = path.substr(3);
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return {path.substr(0, 1), rest};
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full =
        std::filesystem::absolute(std::filesystem::u8path(path), error);
    return error ? path : full.lexically_normal().u8string();
}
