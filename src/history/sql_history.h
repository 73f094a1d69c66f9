#pragma once

#include "history/history_chain.h"
#include "history/history_store.h"
#include "history/set_blocks.h"
#include "history/sql_session.h"

#include <string>
#include <unordered_map>
#include <utility>

// The history over any SqlSession: controllers keyed by the stable name of their port,
// sets kept as blocks stored once, and the chain. The file and the server differ only in
// how they are opened and their schema is made (SqliteHistory, PostgresHistory).
class SqlHistory : public HistoryStore {
public:
    // A snapshot lists all its blocks when it would otherwise be this many steps from one
    // that does.
    static constexpr int kMaxDepth = 64;

    explicit SqlHistory(SqlSession& session) : m_session(session) {}

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

    // The snapshot recorded under `uid`, 0 when none.
    std::string FindUid(const std::string& uid, int64_t& id);
    // The session under it, for a check that looks at the stored rows themselves.
    SqlSession& Session() { return m_session; }

protected:
    // sql_history.cpp
    std::string ControllerOf(const NewSnapshot& s, int64_t& recorded, int64_t& present);
    std::string OriginOf(const std::string& user, const std::string& host,
                         const std::string& program, int64_t& id);
    std::string SnapshotsWhere(const std::string& where, const std::vector<SqlValue>& keys,
                               std::vector<SnapshotEntry>& out);

    // sql_history_sets.cpp
    // The blocks of `set` stored, and its entries' references in order.
    std::string StoreBlocks(const ParameterImage& set, BlockRefs& refs);
    // A snapshot's references, put together through its bases; `blocks` false for a
    // snapshot kept whole (`contentId` then says which).
    struct StoredSet {
        bool blocks = false;
        int64_t contentId = 0;
        BlockRefs refs;
        int depth = 0;
    };
    std::string StoredSetOf(int64_t snapshotId, StoredSet& set);
    std::string FetchBlocks(const BlockRefs& refs);
    std::string SetBytes(const StoredSet& set, int& format, std::vector<uint8_t>& bytes);
    std::string SetDigestOf(const StoredSet& set, Digest& digest);

    // sql_history_chain.cpp
    std::string ChainHead(int64_t& ref, Digest& hash);
    std::string MoveHead(int64_t ref, const Digest& hash);
    // Appends an event to the chain, inside the caller's write transaction.
    std::string AddEvent(HistoryEvent event);
    std::string RecordedControllerOf(int64_t controllerId, RecordedController& out);
    // Runs `change` inside a write transaction and records `event` with it.
    template <typename Change>
    std::string ChangeWithEvent(const HistoryEvent& event, Change change);

    SqlSession& m_session;
    std::string m_readOnly;
    // Blocks read while verifying or putting sets together, by key.
    std::unordered_map<int64_t, std::vector<uint8_t>> m_blockCache;
    std::unordered_map<int64_t, Digest> m_digestCache;
    // The set last put together, by snapshot: the next one in a list usually rests on it.
    std::pair<int64_t, StoredSet> m_lastSet{0, {}};
};
