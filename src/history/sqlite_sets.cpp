// The sets of the history's snapshots: blocks stored once by content, a snapshot's list
// of them laid over its base's, and the whole sets older versions kept.

#include "history/sqlite_history.h"

#include "history/sqlite_statement.h"

#include <sqlite3.h>

std::string SqliteHistory::StoreBlocks(const ParameterImage& set, BlockRefs& refs) {
    std::vector<SetEntry> entries;
    if (std::string why = SplitSet(EncodeSet(set), entries); !why.empty())
        return why;
    refs.clear();
    SqliteStatement find(m_db, "SELECT bytes FROM blocks WHERE key = ?1");
    for (const SetEntry& e : entries) {
        // The key of its bytes, or the next one up while other bytes hold it.
        for (int64_t key = BlockKey(e.bytes);; ++key) {
            std::vector<uint8_t> held;
            find.Reset().Bind(1, key);
            const int rc = find.Step();
            if (rc == SQLITE_ROW) {
                if (std::string why = UnpackBlock(find.Blob(0), held); !why.empty())
                    return why;
                if (held != e.bytes)
                    continue;
            } else if (rc == SQLITE_DONE) {
                SqliteStatement add(m_db, "INSERT INTO blocks (key, bytes) VALUES (?1, ?2)");
                add.Bind(1, key).BindBlob(2, PackBlock(e.bytes));
                if (!add.Run())
                    return Failure();
            } else {
                return Failure();
            }
            refs.push_back({e.block, key});
            break;
        }
    }
    return "";
}

std::string SqliteHistory::StoredSetOf(int64_t snapshotId, StoredSet& set) {
    // Back through the bases to a snapshot that lists every block, then forward again.
    std::vector<BlockRefs> layers;
    set = StoredSet{};
    SqliteStatement q(m_db,
                      "WITH RECURSIVE back(id, content_id, base_id, depth, blocks, steps) AS ("
                      " SELECT id, content_id, base_id, depth, blocks, 0 FROM snapshots"
                      " WHERE id = ?1 UNION ALL"
                      " SELECT s.id, s.content_id, s.base_id, s.depth, s.blocks, b.steps + 1"
                      " FROM snapshots s JOIN back b ON s.id = b.base_id"
                      " WHERE b.content_id IS NULL AND b.steps <= ?2)"
                      " SELECT id, content_id, base_id, depth, blocks FROM back"
                      " ORDER BY steps");
    q.Bind(1, snapshotId).Bind(2, kMaxDepth);
    int64_t expected = snapshotId;
    int rc = SQLITE_ROW;
    while ((rc = q.Step()) == SQLITE_ROW) {
        const int64_t at = q.Int(0);
        if (at == snapshotId) {
            set.depth = static_cast<int>(q.Int(3));
            if (!q.IsNull(1)) {
                set.contentId = q.Int(1);
                return "";
            }
        }
        BlockRefs refs;
        if (!DecodeRefs(q.Blob(4), refs))
            return "snapshot " + std::to_string(at) + " lists its blocks wrongly";
        layers.push_back(std::move(refs));
        expected = q.IsNull(2) ? 0 : q.Int(2);
    }
    if (rc != SQLITE_DONE)
        return Failure();
    if (layers.empty())
        return "there is no snapshot " + std::to_string(snapshotId);
    if (expected != 0)
        return "snapshot " + std::to_string(snapshotId) + " rests on snapshot " +
               std::to_string(expected) + ", which is not there";
    set.blocks = true;
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer)
        ApplyRefs(set.refs, *layer);
    return "";
}

std::string SqliteHistory::FetchBlocks(const BlockRefs& refs) {
    // Every block not read yet, in one statement.
    std::string keys;
    for (const BlockRef& r : refs)
        if (!m_blockCache.count(r.key))
            keys += (keys.empty() ? "" : ",") + std::to_string(r.key);
    if (keys.empty())
        return "";
    if (m_blockCache.size() > 200000)
        m_blockCache.clear();
    SqliteStatement q(m_db, ("SELECT key, bytes FROM blocks WHERE key IN (" + keys + ")").c_str());
    while (q.Step() == SQLITE_ROW) {
        std::vector<uint8_t> bytes;
        if (std::string why = UnpackBlock(q.Blob(1), bytes); !why.empty())
            return why;
        m_blockCache[q.Int(0)] = std::move(bytes);
    }
    return q.Code() == SQLITE_DONE ? "" : Failure();
}

std::string SqliteHistory::BlockBytes(int64_t key, std::vector<uint8_t>& bytes) {
    if (const auto cached = m_blockCache.find(key); cached != m_blockCache.end()) {
        bytes = cached->second;
        return "";
    }
    SqliteStatement q(m_db, "SELECT bytes FROM blocks WHERE key = ?1");
    q.Bind(1, key);
    const int rc = q.Step();
    if (rc == SQLITE_DONE)
        return "a block of the set is missing";
    if (rc != SQLITE_ROW)
        return Failure();
    if (std::string why = UnpackBlock(q.Blob(0), bytes); !why.empty())
        return why;
    if (m_blockCache.size() > 200000)
        m_blockCache.clear();
    m_blockCache[key] = bytes;
    return "";
}

std::string SqliteHistory::SetBytes(const StoredSet& set, int& format,
                                    std::vector<uint8_t>& bytes) {
    if (!set.blocks) {
        SqliteStatement q(m_db, "SELECT format, bytes FROM contents WHERE id = ?1");
        q.Bind(1, set.contentId);
        const int rc = q.Step();
        if (rc == SQLITE_DONE)
            return "its set is missing";
        if (rc != SQLITE_ROW)
            return Failure();
        format = static_cast<int>(q.Int(0));
        bytes = q.Blob(1);
        return "";
    }
    if (std::string why = FetchBlocks(set.refs); !why.empty())
        return why;
    std::vector<SetEntry> entries;
    for (const BlockRef& r : set.refs) {
        SetEntry e;
        e.block = r.block;
        if (std::string why = BlockBytes(r.key, e.bytes); !why.empty())
            return why;
        entries.push_back(std::move(e));
    }
    format = kSetFormat;
    bytes = JoinSet(entries);
    return "";
}

std::string SqliteHistory::SetDigestOf(const StoredSet& set, Digest& digest) {
    if (!set.blocks) {
        int format = 0;
        std::vector<uint8_t> bytes;
        if (std::string why = SetBytes(set, format, bytes); !why.empty())
            return why;
        digest = SetDigest(format, bytes);
        return "";
    }
    if (std::string why = FetchBlocks(set.refs); !why.empty())
        return why;
    std::vector<BlockDigest> blocks;
    for (const BlockRef& r : set.refs) {
        auto known = m_digestCache.find(r.key);
        if (known == m_digestCache.end()) {
            std::vector<uint8_t> bytes;
            if (std::string why = BlockBytes(r.key, bytes); !why.empty())
                return why;
            if (m_digestCache.size() > 200000)
                m_digestCache.clear();
            known = m_digestCache.emplace(r.key, Sha256().Add(bytes).Finish()).first;
        }
        blocks.push_back({r.block, known->second});
    }
    digest = BlockSetDigest(blocks);
    return "";
}

std::string SqliteHistory::LoadSet(int64_t id, ParameterImage& image) {
    StoredSet set;
    int format = 0;
    std::vector<uint8_t> bytes;
    std::string why = StoredSetOf(id, set);
    if (why.empty())
        why = SetBytes(set, format, bytes);
    if (why.empty())
        why = DecodeSet(format, bytes, image);
    if (why.empty())
        return "";
    if (why.rfind("snapshot " + std::to_string(id) + " ", 0) == 0)
        return why;
    SqliteStatement exists(m_db, "SELECT 1 FROM snapshots WHERE id = ?1");
    exists.Bind(1, id);
    if (exists.Step() == SQLITE_DONE)
        return "there is no snapshot " + std::to_string(id);
    return "snapshot " + std::to_string(id) + ": " + why;
}
