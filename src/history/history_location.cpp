#include "history/history_location.h"

#include "history/sqlite_history.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

std::string HistoryPath(const std::string& option, const std::string& dataFolder) {
    if (!option.empty())
        return option;
    if (const char* chosen = std::getenv("TQX_HISTORY"); chosen && *chosen)
        return chosen;
    return dataFolder.empty() ? kHistoryFileName : dataFolder + "/" + kHistoryFileName;
}

std::unique_ptr<HistoryStore> OpenHistoryStore(const std::string& where, bool record,
                                               std::string& why) {
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
