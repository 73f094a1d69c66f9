#pragma once

#include "history/history_chain.h"
#include "history/history_store.h"
#include "history/set_blocks.h"

#include <map>
#include <string>
#include <unordered_map>

struct sqlite3;

// The history in one SQLite file beside the user's other data. WAL and a busy timeout let
// several loaders and tqxctl record at once; the schema carries a version number, and a
// file of an older schema is brought up to this one when it is opened (in memory only,
// when the file may not be written).
class SqliteHistory : public HistoryStore {
public:
    static constexpr int kSchemaVersion = 2;
    // How long a recording waits for another writer before it gives up.
    static constexpr int kBusyTimeoutMs = 3000;
    // A snapshot lists all its blocks when it would otherwise be this many steps from one
    // that does.
    static constexpr int kMaxDepth = 64;

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
    // For filling a history in bulk: a commit is flushed to the disk only at a checkpoint, so
    // a power cut may lose the last ones (a crash of the program loses none).
    void FlushOnlyAtCheckpoints() { Exec("PRAGMA synchronous=NORMAL"); }

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
    // sqlite_history.cpp
    std::string OpenConnection(bool writable);
    std::string UseWal();
    std::string Exec(const char* sql);
    int64_t UserVersion(); // -1 when it cannot be read
    std::string Failure() const;
    std::string ControllerOf(const NewSnapshot& s, int64_t& recorded, int64_t& present);
    std::string OriginOf(const std::string& user, const std::string& host,
                         const std::string& program, int64_t& id);
    std::string SnapshotsWhere(const std::string& where, const std::vector<int64_t>& keys,
                               std::vector<SnapshotEntry>& out);

    // sqlite_schema.cpp
    std::string MakeSchema();
    std::string Upgrade(int64_t from);
    std::string UpgradeFrom1();
    std::string UpgradeInMemory(int64_t from);

    // sqlite_sets.cpp
    // The blocks of `set` stored, and its entries' references in order.
    std::string StoreBlocks(const ParameterImage& set, BlockRefs& refs);
    // A snapshot's references, put together through its bases; false in `blocks` for a
    // snapshot kept whole (`contentId` then says which).
    struct StoredSet {
        bool blocks = false;
        int64_t contentId = 0;
        BlockRefs refs;
        int depth = 0;
    };
    std::string StoredSetOf(int64_t snapshotId, StoredSet& set);
    std::string FetchBlocks(const BlockRefs& refs);
    std::string BlockBytes(int64_t key, std::vector<uint8_t>& bytes);
    std::string SetBytes(const StoredSet& set, int& format, std::vector<uint8_t>& bytes);
    std::string SetDigestOf(const StoredSet& set, Digest& digest);

    // sqlite_chain.cpp
    // Appends the link `ref` to the chain: its hash over the head's, the head moved to it.
    std::string ChainHead(int64_t& ref, Digest& hash);
    std::string MoveHead(int64_t ref, const Digest& hash);
    std::string AddEvent(HistoryEvent event);
    std::string RecordedControllerOf(int64_t controllerId, RecordedController& out);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::string m_readOnly;
    // Blocks read while verifying or putting sets together, by key.
    std::unordered_map<int64_t, std::vector<uint8_t>> m_blockCache;
    std::unordered_map<int64_t, Digest> m_digestCache;
};
