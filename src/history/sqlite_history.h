#pragma once

#include "history/sql_history.h"
#include "history/sqlite_session.h"

#include <string>

// The history in one SQLite file beside the user's other data. WAL and a busy timeout let
// several loaders and tqxctl record at once; the schema carries a version number, and a
// file of an older schema is brought up to this one when it is opened (in memory only,
// when the file may not be written).
class SqliteHistory : public SqlHistory {
public:
    static constexpr int kSchemaVersion = 2;

    enum class Access {
        Record,   // the file (and its folder) made when missing
        Existing, // the file must be there
    };

    SqliteHistory() : SqlHistory(m_file) {}

    // "" or why the file cannot be opened at all. A file the user may not write, or one
    // written by a newer version, opens for reading only; ReadOnlyReason says which.
    std::string Open(const std::string& path, Access access);
    const std::string& Path() const { return m_path; }
    // For filling a history in bulk: a commit is flushed to the disk only at a checkpoint, so
    // a power cut may lose the last ones (a crash of the program loses none).
    void FlushOnlyAtCheckpoints() { m_file.Run("PRAGMA synchronous=NORMAL"); }

    // The snapshots kept here while a shared history was out of reach, oldest first, each
    // with the key it is sent under; a snapshot is forgotten here once the server has it.
    struct Waiting {
        int64_t snapshotId = 0;
        std::string uid;
    };
    std::string MarkWaiting(int64_t snapshotId, const std::string& uid, const std::string& server);
    std::string WaitingFor(const std::string& server, std::vector<Waiting>& out);
    std::string Sent(int64_t snapshotId);

private:
    std::string UseWal();
    // The schema version the file says, -1 when it cannot be read.
    int64_t UserVersion();
    // sqlite_schema.cpp
    std::string MakeSchema();
    std::string Upgrade(int64_t from);
    std::string UpgradeFrom1();
    std::string UpgradeInMemory(int64_t from);

    SqliteSession m_file;
    std::string m_path;
};
