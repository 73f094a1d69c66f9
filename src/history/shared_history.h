#pragma once

#include "history/postgres_history.h"
#include "history/sqlite_history.h"

#include <memory>
#include <string>

// A history on a server that never gets in the way: while the server is out of reach a
// snapshot is kept in the local history file, marked as waiting, and the notice says so;
// the next recording that reaches the server (or Push) sends what waits first, oldest
// first, each under a key of its own, so that sending twice stores once. A snapshot so
// sent joins the shared chain when it arrives and says where and when it was taken.
class SharedHistory : public HistoryStore {
public:
    // `conninfo` the server; `local` the local history file that keeps what waits.
    // "" or why not: for reading, the server must be reached; for recording, a server out
    // of reach is no failure (its refusal of the connection is).
    std::string Open(const std::string& conninfo, const std::string& local, bool record);

    // Sends what waits; `sent` how many the server took now, `there` how many it had.
    std::string Push(int& sent, int& there);
    // How many snapshots wait here for the server (-1 when the local file cannot say).
    int WaitingCount();

    std::string ReadOnlyReason() const override;
    std::string Record(const NewSnapshot& snapshot, int64_t* id = nullptr) override;
    std::string Notice() const override { return m_notice; }
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
    // The server, connected; "" or why it is not.
    std::string Server();
    std::string Local();
    std::string KeepLocally(const NewSnapshot& snapshot, int64_t* id);

    PostgresHistory m_server;
    SqliteHistory m_local;
    std::string m_conninfo, m_localPath;
    std::string m_serverWhy; // why the server is out of reach; "" when connected
    bool m_localOpen = false;
    std::string m_notice;
};

// The local history file that keeps what waits for a server: TQX_HISTORY_LOCAL when set,
// else the loader's own history file in the user's data folder.
std::string LocalHistoryPath();
