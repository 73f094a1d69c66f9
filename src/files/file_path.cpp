#include "files/file_path.h"

#include <algorithm>

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
