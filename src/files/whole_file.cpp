#include "files/whole_file.h"

#include "files/write_target.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32

// Writes all of `text` to `fd` and syncs it; the reason on failure.
std::string WriteAndSync(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return WriteFailure(errno, "writing failed");
        if (n == 0)
            return "writing failed";
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0)
        return WriteFailure(errno, "writing failed");
    return {};
}

// The complete text in a new file beside the target, with the replaced file's owner, group
// and mode (the owner first: a change of owner clears the set-id bits).
std::string WriteTemporary(const WriteTarget& target, const std::string& text,
                           std::string& temporary) {
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = TemporaryName(target.path, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    target.exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        temporary.clear();
        return error == EACCES || error == EPERM ? "no permission to create a file in its folder"
                                                 : WriteFailure(error, "cannot create a file");
    }
    // Owner and mode before the data, so that the sync takes them to the disk as well.
    std::string failure;
    if (target.exists) {
        struct stat made {};
        ::fstat(fd, &made);
        if ((made.st_uid != target.owner || made.st_gid != target.group) &&
            ::fchown(fd, target.owner, target.group) != 0)
            failure = "no permission to keep its owner and group";
        else if (::fchmod(fd, static_cast<mode_t>(target.mode)) != 0)
            failure = WriteFailure(errno, "cannot keep its access rights");
    }
    if (failure.empty())
        failure = WriteAndSync(fd, text);
    if (::close(fd) != 0 && failure.empty())
        failure = WriteFailure(errno, "writing failed");
    return failure;
}

// Something other than a regular file put in the target's place meanwhile is not replaced.
std::string StillTheTarget(const WriteTarget& target) {
    struct stat info {};
    if (::lstat(target.path.c_str(), &info) != 0)
        return errno == ENOENT ? "" : WriteFailure(errno, "it cannot be examined");
    return S_ISREG(info.st_mode) ? "" : "it was replaced by something other than a file";
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

std::string WriteTemporary(const WriteTarget& target, const std::string& text,
                           std::string& temporary) {
    temporary = TemporaryName(target.path, 0);
    std::ofstream out(fs::u8path(temporary), std::ios::binary | std::ios::trunc);
    if (!out)
        return "cannot create a file in its folder";
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    out.close();
    return out.fail() ? "writing failed" : "";
}

std::string StillTheTarget(const WriteTarget&) {
    return {};
}

void SyncFolder(const fs::path&) {}

#endif

} // namespace

std::string CheckWriteTarget(const std::string& path) {
    return FindWriteTarget(path).refusal;
}

std::string WriteWholeFile(const std::string& path, const std::string& text) {
    const WriteTarget target = FindWriteTarget(path);
    if (!target.refusal.empty())
        return target.refusal;
    RemoveLeftoverTemporaries(target.path);
    std::string temporary;
    std::string failure = WriteTemporary(target, text, temporary);
    if (failure.empty())
        failure = StillTheTarget(target);
    if (failure.empty()) {
        std::error_code error;
        fs::rename(fs::u8path(temporary), fs::u8path(target.path), error);
        if (error)
            failure = WriteFailure(error.value(), "it cannot be replaced");
    }
    if (!failure.empty()) {
        std::error_code ignored;
        if (!temporary.empty())
            fs::remove(fs::u8path(temporary), ignored);
        return failure;
    }
    SyncFolder(fs::u8path(target.path));
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
