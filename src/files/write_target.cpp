#include "files/write_target.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemporarySuffix = ".tqx-new";

std::string Folder(const fs::path& target) {
    const fs::path folder = target.parent_path();
    return folder.empty() ? "." : folder.string();
}

#ifndef _WIN32

std::string KindRefusal(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISFIFO(mode))
        return "it is a FIFO, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a regular file";
    return "it is not a regular file";
}

// chown works for root; anyone else keeps only their own files, and a group of their own.
bool MayKeepOwnerAndGroup(uid_t owner, gid_t group) {
    const uid_t user = ::geteuid();
    if (user == 0)
        return true;
    if (owner != user)
        return false;
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0 && ::getgroups(count, groups.data()) == count)
        for (gid_t g : groups)
            if (g == group)
                return true;
    return false;
}

// A new name: its folder must exist and let the effective user add a file.
std::string NewNameRefusal(const fs::path& target) {
    const std::string folder = Folder(target);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return WriteFailure(errno, "its folder cannot be reached");
    if (!S_ISDIR(info.st_mode))
        return "a part of its path is not a folder";
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return errno == EROFS ? WriteFailure(errno, "")
                              : "no permission to create a file in its folder";
    return {};
}

#endif

} // namespace

std::string WriteFailure(int error, const std::string& step) {
    switch (error) {
    case ENOENT:
        return "its folder does not exist";
    case ENOTDIR:
        return "a part of its path is not a folder";
    case EROFS:
        return "the file system is read-only";
    case EACCES:
    case EPERM:
        return "no permission to write there";
    case ENOSPC:
        return "the disk is full";
    case EFBIG:
        return "the file size limit is reached"; // ulimit -f, as a full disk
#ifdef EDQUOT
    case EDQUOT:
        return "the disk quota is used up";
#endif
    default:
        return step + ": " + std::strerror(error);
    }
}

std::string TemporaryName(const std::string& target, int attempt) {
    return target + kTemporarySuffix + std::to_string(attempt);
}

void RemoveLeftoverTemporaries(const std::string& target) {
    const fs::path path = fs::u8path(target);
    const std::string prefix = path.filename().string() + kTemporarySuffix;
    std::error_code error;
    for (fs::directory_iterator it(fs::u8path(Folder(path)), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
            continue;
        std::error_code ignored;
        if (fs::is_regular_file(fs::symlink_status(it->path(), ignored)))
            fs::remove(it->path(), ignored);
    }
}

#ifndef _WIN32

WriteTarget FindWriteTarget(const std::string& path) {
    WriteTarget target;
    fs::path file = fs::u8path(path);
    target.path = file.string();
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        target.refusal =
            errno == ENOENT ? NewNameRefusal(file) : WriteFailure(errno, "it cannot be examined");
        return target;
    }
    if (S_ISLNK(info.st_mode)) {
        std::error_code error;
        const fs::path resolved = fs::canonical(file, error);
        if (error || ::stat(resolved.c_str(), &info) != 0) {
            target.refusal = "it is a symbolic link to nothing";
            return target;
        }
        file = resolved;
        target.path = file.string();
    }
    target.refusal = KindRefusal(info.st_mode);
    if (!target.refusal.empty())
        return target;
    target.exists = true;
    target.owner = info.st_uid, target.group = info.st_gid;
    target.mode = info.st_mode & 07777;
    if ((info.st_mode & S_IWUSR) == 0)
        target.refusal = "it is read-only";
    else if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0)
        target.refusal = errno == EROFS ? WriteFailure(errno, "") : "no permission to write it";
    else if (!MayKeepOwnerAndGroup(info.st_uid, info.st_gid))
        target.refusal = "no permission to keep its owner and group";
    else
        target.refusal = NewNameRefusal(file); // the replacement is made in its folder
    return target;
}

#else

WriteTarget FindWriteTarget(const std::string& path) {
    WriteTarget target;
    target.path = path;
    std::error_code error;
    const fs::file_status status = fs::status(fs::u8path(path), error);
    if (!fs::exists(status))
        return target;
    if (!fs::is_regular_file(status))
        target.refusal = fs::is_directory(status) ? "it is a folder" : "it is not a regular file";
    else if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        target.refusal = "it is read-only";
    target.exists = target.refusal.empty();
    return target;
}

#endif
