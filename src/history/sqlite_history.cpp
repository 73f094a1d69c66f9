#include "history/sqlite_history.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

int64_t SqliteHistory::UserVersion() {
    SqlRows rows;
    return m_file.Run("PRAGMA user_version", {}, &rows).empty() && !rows.empty() ? rows[0].Int(0)
                                                                                 : -1;
}

std::string SqliteHistory::Open(const std::string& path, Access access) {
    m_path = path;
    m_readOnly.clear();
    m_blockCache.clear();
    m_digestCache.clear();
    m_lastSet = {0, {}};
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && access == Access::Existing)
        return "there is no history at " + path + " yet";
    if (!exists) {
        std::error_code made;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, made);
        if (made)
            return path + ": its folder cannot be made (" + made.message() + ")";
    }
    // A file without write permission for its owner is read-only even to root, as a
    // parameter file is.
    if (exists && (::access(path.c_str(), W_OK) != 0 || !(info.st_mode & S_IWUSR)))
        m_readOnly = path + " is read-only";
    if (std::string why = m_file.Open(path, m_readOnly.empty()); !why.empty())
        return why;

    const int64_t schema = UserVersion();
    if (schema < 0)
        return m_file.Failure();
    if (schema > kSchemaVersion) {
        m_readOnly = path + " was written by a newer version (history schema " +
                     std::to_string(schema) + "); this version only reads it";
        return m_file.Open(path, false);
    }
    if (!m_readOnly.empty())
        return schema > 0 && schema < kSchemaVersion ? UpgradeInMemory(schema) : "";
    if (std::string why = UseWal(); !why.empty())
        return why;
    if (std::string why = m_file.Run("PRAGMA foreign_keys=ON"); !why.empty())
        return why;
    return schema == 0 ? MakeSchema() : schema < kSchemaVersion ? Upgrade(schema) : "";
}

std::string SqliteHistory::UseWal() {
    // Turning a new file to WAL needs it alone for a moment, and SQLite does not wait for
    // that with the busy timeout: another program making the same file would fail this
    // one at once. Wait here as long; a file left in its old mode still records.
    for (int waited = 0;; waited += 10) {
        SqlRows rows;
        const std::string why = m_file.Run("PRAGMA journal_mode=WAL", {}, &rows);
        if (why.empty() && !rows.empty() && rows[0].Text(0) == "wal")
            return "";
        if (waited >= SqliteSession::kBusyTimeoutMs)
            return why;
        const int rc = sqlite3_errcode(m_file.Handle()) & 0xff;
        if (!why.empty() && rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            return why;
        sqlite3_sleep(10);
    }
}

namespace {

// Made when first needed; a version that does not know it passes it by.
const char kWaitingTable[] = "CREATE TABLE IF NOT EXISTS waiting ("
                             " snapshot_id INTEGER PRIMARY KEY REFERENCES snapshots (id),"
                             " uid TEXT NOT NULL,"
                             " server TEXT NOT NULL)";

} // namespace

std::string SqliteHistory::MarkWaiting(int64_t snapshotId, const std::string& uid,
                                       const std::string& server) {
    if (!m_readOnly.empty())
        return m_readOnly;
    std::string why = m_file.Run(kWaitingTable);
    if (why.empty())
        why = m_file.Run("INSERT INTO waiting (snapshot_id, uid, server) VALUES (?1, ?2, ?3)",
                         {snapshotId, uid, server});
    return why;
}

std::string SqliteHistory::WaitingFor(const std::string& server, std::vector<Waiting>& out) {
    out.clear();
    SqlRows made, rows;
    if (std::string why = m_file.Run(
            "SELECT COUNT(*) FROM sqlite_schema WHERE type = 'table' AND name = 'waiting'", {},
            &made);
        !why.empty() || made.empty() || made[0].Int(0) == 0)
        return why;
    if (std::string why = m_file.Run(
            "SELECT snapshot_id, uid FROM waiting WHERE server = ?1 ORDER BY snapshot_id", {server},
            &rows);
        !why.empty())
        return why;
    for (const SqlRow& r : rows)
        out.push_back({r.Int(0), r.Text(1)});
    return "";
}

std::string SqliteHistory::Sent(int64_t snapshotId) {
    return m_file.Run("DELETE FROM waiting WHERE snapshot_id = ?1", {snapshotId});
}
