#include "files/whole_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name beside the target that no file has yet.
fs::path TemporaryBeside(const fs::path& target) {
    for (int i = 0;; ++i) {
        fs::path candidate = target;
        candidate += ".tqx-new" + std::to_string(i);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error)))
            return candidate;
    }
}

} // namespace

std::string WriteWholeFile(const std::string& path, const std::string& text) {
    fs::path target = fs::u8path(path);
    std::error_code error;
    // Writing to a symbolic link replaces the file it points to, not the link.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            target = resolved;
    }
    if (fs::is_directory(target, error))
        return "it is a folder";

    const fs::path temporary = TemporaryBeside(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return "cannot create a file in its folder";
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (out.fail()) {
            fs::remove(temporary, error);
            return "writing failed";
        }
    }
    // Keep the access rights of the file being replaced.
    const fs::file_status old = fs::status(target, error);
    if (!error && fs::exists(old))
        fs::permissions(temporary, old.permissions(), error);
    fs::rename(temporary, target, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(temporary, error);
        return reason;
    }
    return {};
}

std::string ReadWholeFile(const std::string& path, std::string& text) {
    const fs::path source = fs::u8path(path);
    std::error_code error;
    if (fs::is_directory(source, error))
        return "it is a folder";
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return "it cannot be opened";
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return "reading failed";
    text = std::move(content);
    return {};
}
