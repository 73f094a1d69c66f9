#include "files/whole_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// The bits are checked, not access(): root may write anyway, and a file its owner marked
// read-only is meant to stay as it is.
bool OwnerMayWrite(fs::perms perms) {
    return (perms & fs::perms::owner_write) != fs::perms::none;
}

#ifndef _WIN32

// Writes all of `text` to `fd` and syncs it; the reason on failure.
std::string WriteAndSync(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? std::string("writing failed: ") + std::strerror(errno)
                         : std::string("writing failed");
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0)
        return std::string("writing failed: ") + std::strerror(errno);
    return {};
}

std::string WriteTemporary(const fs::path& temporary, const std::string& text, fs::perms perms,
                           bool keepExactly) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          static_cast<mode_t>(perms & fs::perms::mask));
    if (fd < 0)
        return "cannot create a file in its folder";
    // The rights exactly as the replaced file had them, whatever the umask takes away.
    std::string failure;
    if (keepExactly && ::fchmod(fd, static_cast<mode_t>(perms & fs::perms::mask)) != 0)
        failure = std::string("cannot set its access rights: ") + std::strerror(errno);
    if (failure.empty())
        failure = WriteAndSync(fd, text);
    if (::close(fd) != 0 && failure.empty())
        failure = std::string("writing failed: ") + std::strerror(errno);
    return failure;
}

// After the rename the folder's entry must reach the disk as well.
void SyncFolder(const fs::path& target) {
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

#else

std::string WriteTemporary(const fs::path& temporary, const std::string& text, fs::perms, bool) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
        return "cannot create a file in its folder";
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    out.close();
    return out.fail() ? "writing failed" : "";
}

void SyncFolder(const fs::path&) {}

#endif

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
    const fs::file_status old = fs::status(target, error);
    const bool exists = !error && fs::exists(old);
    if (exists && fs::is_directory(old))
        return "it is a folder";
    if (exists && !OwnerMayWrite(old.permissions()))
        return "it is read-only";

    // A new file gets the usual rights; a replaced one keeps its own.
    const fs::perms perms = exists ? old.permissions()
                                   : fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::group_write |
                                         fs::perms::others_read | fs::perms::others_write;
    const fs::path temporary = TemporaryBeside(target);
    std::string failure = WriteTemporary(temporary, text, perms, exists);
    if (failure.empty()) {
        fs::rename(temporary, target, error);
        if (error)
            failure = error.message();
    }
    if (!failure.empty()) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return failure;
    }
    SyncFolder(target);
    return {};
}

namespace {

// Why `status` is not a file File Read takes; empty for a regular file.
std::string NotAFile(const fs::file_status& status) {
    switch (status.type()) {
    case fs::file_type::regular:
        return {};
    case fs::file_type::directory:
        return "it is a folder";
    case fs::file_type::fifo:
        return "it is a FIFO, not a regular file";
    case fs::file_type::block:
    case fs::file_type::character:
        return "it is a device, not a regular file";
    case fs::file_type::not_found:
        return "it does not exist";
    default:
        return "it is not a regular file";
    }
}

const std::string kTooLarge = "it is larger than 4 MiB, so it is no parameter file";

} // namespace

std::string ReadWholeFile(const std::string& path, std::string& text) {
    const fs::path source = fs::u8path(path);
    std::error_code error;
    const std::string refused = NotAFile(fs::status(source, error));
    if (!refused.empty())
        return refused;
    if (fs::file_size(source, error) > kMaxReadBytes && !error)
        return kTooLarge;

    std::string content;
#ifndef _WIN32
    // Opened without blocking and checked again on the open file, so a FIFO put in the
    // file's place meanwhile cannot hold the window.
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return "it cannot be opened";
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return "it is not a regular file";
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return "reading failed";
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<size_t>(n));
        if (content.size() > kMaxReadBytes) {
            ::close(fd);
            return kTooLarge;
        }
    }
    ::close(fd);
#else
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return "it cannot be opened";
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        content.append(buffer, static_cast<size_t>(in.gcount()));
        if (content.size() > kMaxReadBytes)
            return kTooLarge;
    }
    if (in.bad())
        return "reading failed";
#endif
    text = std::move(content);
    return {};
}
