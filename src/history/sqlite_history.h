#pragma once

#include "history/history_store.h"

#include <string>

struct sqlite3;

// The history in one SQLite file beside the user's other data. WAL and a busy timeout let
// several loaders and tqxctl record at once; the schema carries a version number.
class SqliteHistory : public HistoryStore {
public:
    static constexpr int kSchemaVersion = 1;
    // How long a recording waits for another writer before it gives up.
    static constexpr int kBusyTimeoutMs = 3000;

    enum class Access {
        Record,   // the file (and its folder) made when missing
        Existing, // the file must be there
    };

    SqliteHistory() = default;
    ~SqliteHistory() override;
    SqliteHistory(const SqliteHistory&) = delete;
    SqliteHistory& operator=(const SqliteHistory&) = delete;

    // "" or why the file cannot be opened at all. A file the user may not write, or one
    // written by a newer version, opens for reading only; ReadOnlyReason says which.
    std::string Open(const std::string& path, Access access);
    const std::string& Path() const { return m_path; }

    std::string ReadOnlyReason() const override { return m_readOnly; }
    std::string Record(const NewSnapshot& snapshot, int64_t* id = nullptr) override;
    std::string Controllers(std::vector<ControllerEntry>& out) override;
    using HistoryStore::Snapshots;
    std::string Snapshots(const SnapshotQuery& query, std::vector<SnapshotEntry>& out) override;
    std::string Snapshot(int64_t id, SnapshotEntry& out) override;
    std::string Previous(int64_t id, std::optional<SnapshotEntry>& out) override;
    std::string LoadSet(int64_t id, ParameterImage& image) override;
    std::string SetNote(int64_t id, const std::string& note) override;
    std::string SetLabel(int64_t controllerId, const std::string& label) override;
    std::string JoinControllers(int64_t from, int64_t into) override;
    std::string MoveSnapshot(int64_t snapshotId, int64_t controllerId) override;
    std::string Events(std::vector<HistoryEvent>& out) override;
    std::string Verify(ChainReport& report) override;

private:
    std::string OpenConnection(bool writable);
    std::string UseWal();
    std::string MakeSchema();
    std::string Exec(const char* sql);
    // The schema version the file says, -1 when it cannot be read.
    int64_t UserVersion();
    // The database's reason for the last failure, with the system's where it gave one.
    std::string Failure() const;
    std::string ControllerOf(const NewSnapshot& s, int64_t& id);
    std::string ContentOf(const NewSnapshot& s, int64_t& id);
    std::string SnapshotsWhere(const char* sql, int64_t key, std::vector<SnapshotEntry>& out);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::string m_readOnly;
};
