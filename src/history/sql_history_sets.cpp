// The sets of the history's snapshots: blocks stored once by content, a snapshot's list
// of them laid over its base's, and the whole sets schema 1 kept.

#include "history/sql_history.h"

std::string SqlHistory::StoreBlocks(const ParameterImage& set, BlockRefs& refs) {
    std::vector<SetEntry> entries;
    if (std::string why = SplitSet(EncodeSet(set), entries); !why.empty())
        return why;
    refs.clear();
    for (const SetEntry& e : entries) {
        // The key of its bytes, or the next one up while other bytes hold it.
        for (int64_t key = BlockKey(e.bytes);; ++key) {
            SqlRows held;
            if (std::string why =
                    m_session.Run("SELECT bytes FROM blocks WHERE key = ?1", {key}, &held);
                !why.empty())
                return why;
            if (!held.empty()) {
                std::vector<uint8_t> bytes;
                if (std::string why = UnpackBlock(held[0].Blob(0), bytes); !why.empty())
                    return why;
                if (bytes != e.bytes)
                    continue;
            } else if (std::string why =
                           m_session.Run("INSERT INTO blocks (key, bytes) VALUES (?1, ?2)",
                                         {key, PackBlock(e.bytes)});
                       !why.empty()) {
                return why;
            }
            refs.push_back({e.block, key});
            break;
        }
    }
    return "";
}

std::string SqlHistory::StoredSetOf(int64_t snapshotId, StoredSet& set) {
    // A list walks through snapshots in order: the one before is usually the base.
    SqlRows row;
    if (std::string why = m_session.Run(
            "SELECT id, content_id, base_id, depth, blocks FROM snapshots WHERE id = ?1",
            {snapshotId}, &row);
        !why.empty())
        return why;
    if (!row.empty() && row[0].IsNull(1) && !row[0].IsNull(2) && m_lastSet.first != 0 &&
        row[0].Int(2) == m_lastSet.first) {
        BlockRefs own;
        if (!DecodeRefs(row[0].Blob(4), own))
            return "snapshot " + std::to_string(snapshotId) + " lists its blocks wrongly";
        set = m_lastSet.second;
        set.depth = static_cast<int>(row[0].Int(3));
        ApplyRefs(set.refs, own);
        m_lastSet = {snapshotId, set};
        return "";
    }
    // Else back through the bases to a snapshot that lists every block, in one statement,
    // then forward again.
    set = StoredSet{};
    SqlRows rows;
    if (std::string why = m_session.Run(
            "WITH RECURSIVE back(id, content_id, base_id, depth, blocks, steps) AS ("
            " SELECT id, content_id, base_id, depth, blocks, 0 FROM snapshots WHERE id = ?1"
            " UNION ALL"
            " SELECT s.id, s.content_id, s.base_id, s.depth, s.blocks, b.steps + 1"
            " FROM snapshots s JOIN back b ON s.id = b.base_id"
            " WHERE b.content_id IS NULL AND b.steps <= ?2)"
            " SELECT id, content_id, base_id, depth, blocks FROM back ORDER BY steps",
            {snapshotId, kMaxDepth}, &rows);
        !why.empty())
        return why;
    if (rows.empty())
        return "there is no snapshot " + std::to_string(snapshotId);
    set.depth = static_cast<int>(rows[0].Int(3));
    if (!rows[0].IsNull(1)) {
        set.contentId = rows[0].Int(1);
        return "";
    }
    std::vector<BlockRefs> layers;
    for (const SqlRow& r : rows) {
        BlockRefs refs;
        if (!DecodeRefs(r.Blob(4), refs))
            return "snapshot " + std::to_string(r.Int(0)) + " lists its blocks wrongly";
        layers.push_back(std::move(refs));
    }
    if (!rows.back().IsNull(2))
        return "snapshot " + std::to_string(snapshotId) + " rests on snapshot " +
               std::to_string(rows.back().Int(2)) + ", which is not there";
    set.blocks = true;
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer)
        ApplyRefs(set.refs, *layer);
    m_lastSet = {snapshotId, set};
    return "";
}

std::string SqlHistory::FetchBlocks(const BlockRefs& refs) {
    // Every block not read yet, in one statement.
    if (m_blockCache.size() > 200000)
        m_blockCache.clear();
    std::string keys;
    for (const BlockRef& r : refs)
        if (!m_blockCache.count(r.key))
            keys += (keys.empty() ? "" : ",") + std::to_string(r.key);
    if (keys.empty())
        return "";
    SqlRows rows;
    if (std::string why =
            m_session.Run("SELECT key, bytes FROM blocks WHERE key IN (" + keys + ")", {}, &rows);
        !why.empty())
        return why;
    std::string failed;
    for (const SqlRow& r : rows) {
        std::vector<uint8_t> bytes;
        if (std::string why = UnpackBlock(r.Blob(1), bytes); !why.empty())
            failed = why; // the others are kept all the same
        else
            m_blockCache[r.Int(0)] = std::move(bytes);
    }
    return failed;
}

std::string SqlHistory::SetBytes(const StoredSet& set, int& format, std::vector<uint8_t>& bytes) {
    if (!set.blocks) {
        SqlRows rows;
        if (std::string why = m_session.Run("SELECT format, bytes FROM contents WHERE id = ?1",
                                            {set.contentId}, &rows);
            !why.empty())
            return why;
        if (rows.empty())
            return "its set is missing";
        format = static_cast<int>(rows[0].Int(0));
        bytes = rows[0].Blob(1);
        return "";
    }
    if (std::string why = FetchBlocks(set.refs); !why.empty())
        return why;
    std::vector<SetEntry> entries;
    for (const BlockRef& r : set.refs) {
        const auto held = m_blockCache.find(r.key);
        if (held == m_blockCache.end())
            return "a block of the set is missing";
        entries.push_back({r.block, held->second});
    }
    format = kSetFormat;
    bytes = JoinSet(entries);
    return "";
}

std::string SqlHistory::SetDigestOf(const StoredSet& set, Digest& digest) {
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
            const auto held = m_blockCache.find(r.key);
            if (held == m_blockCache.end())
                return "a block of the set is missing";
            if (m_digestCache.size() > 200000)
                m_digestCache.clear();
            known = m_digestCache.emplace(r.key, Sha256().Add(held->second).Finish()).first;
        }
        blocks.push_back({r.block, known->second});
    }
    digest = BlockSetDigest(blocks);
    return "";
}

std::string SqlHistory::LoadSet(int64_t id, ParameterImage& image) {
    StoredSet set;
    int format = 0;
    std::vector<uint8_t> bytes;
    std::string why = StoredSetOf(id, set);
    if (why.rfind("there is no snapshot", 0) == 0 || why.rfind("snapshot ", 0) == 0)
        return why;
    if (why.empty())
        why = SetBytes(set, format, bytes);
    if (why.empty())
        why = DecodeSet(format, bytes, image);
    return why.empty() ? "" : "snapshot " + std::to_string(id) + ": " + why;
}
