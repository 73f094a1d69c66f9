#include "history/history_location.h"

#include "history/shared_history.h"
#include "history/sqlite_history.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// As for a parameter file: only a regular file (or a symbolic link to one) is a history,
// or a new name. A FIFO would block the open, and a device (/dev/null) would take the
// database's journal files into its folder.
std::string KindRefusal(const std::string& where) {
#ifdef _WIN32
    (void)where;
    return "";
#else
    struct stat info {};
    if (::stat(where.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return "";
    const char* kind = S_ISDIR(info.st_mode)                            ? "a folder"
                       : S_ISFIFO(info.st_mode)                         ? "a FIFO"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                       : S_ISSOCK(info.st_mode)                         ? "a socket"
                                                                        : "no regular file";
    return where + " is " + kind + ", not a history file";
#endif
}

} // namespace

std::string HistoryPath(const std::string& option, const std::string& dataFolder,
                        const std::string& shared) {
    if (!option.empty())
        return option;
    if (const char* chosen = std::getenv("TQX_HISTORY"); chosen && *chosen)
        return chosen;
    if (!shared.empty())
        return shared;
    return dataFolder.empty() ? kHistoryFileName : dataFolder + "/" + kHistoryFileName;
}

std::unique_ptr<HistoryStore> OpenHistoryStore(const std::string& where, bool record,
                                               std::string& why) {
    if (IsServerConnection(where)) {
        auto server = std::make_unique<SharedHistory>();
        why = server->Open(where, LocalHistoryPath(), record);
        if (!why.empty())
            server.reset();
        return server;
    }
    why = KindRefusal(where);
    if (!why.empty())
        return nullptr;
    auto store = std::make_unique<SqliteHistory>();
    why = store->Open(where,
                      record ? SqliteHistory::Access::Record : SqliteHistory::Access::Existing);
    if (!why.empty())
        store.reset();
    return store;
}

std::string OsUser() {
#ifdef _WIN32
    const char* name = std::getenv("USERNAME");
    return name && *name ? name : "unknown";
#else
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return entry->pw_name;
    const char* name = std::getenv("USER");
    return name && *name ? name : "uid " + std::to_string(::geteuid());
#endif
}

std::string HostName() {
#ifdef _WIN32
    const char* name = std::getenv("COMPUTERNAME");
    return name && *name ? name : "unknown";
#else
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "unknown";
    return name;
#endif
}

std::string UtcNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
#else
    gmtime_r(&seconds, &utc);
#endif
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms));
    return text;
}
