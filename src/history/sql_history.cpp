#include "history/sql_history.h"

#include "history/history_location.h"
#include "history/port_key.h"
#include "history/sql_history_rows.h"

namespace {

const std::string kSnapshotColumns = std::string("SELECT ") + kSnapshotColumnList +
                                     " FROM snapshots s JOIN origins o ON o.id = s.origin_id ";

SqlValue OrNull(bool present, int64_t value) {
    return present ? SqlValue(value) : SqlValue();
}

} // namespace

std::string SqlHistory::ControllerOf(const NewSnapshot& s, int64_t& recorded, int64_t& present) {
    const ControllerIdentity& c = s.controller;
    const std::string key = StablePortName(c.port);
    recorded = 0;
    SqlRows rows;
    // A model code not read: the controller last seen under that port and unit, if any.
    if (c.modelCode.empty()) {
        if (std::string why =
                m_session.Run("SELECT id FROM controllers WHERE port_key = ?1 AND unit = ?2"
                              " ORDER BY last_seen DESC, id DESC LIMIT 1",
                              {key, c.unit}, &rows);
            !why.empty())
            return why;
    }
    if (rows.empty()) {
        if (std::string why = m_session.Run(
                "SELECT id FROM controllers WHERE port_key = ?1 AND unit = ?2 AND model_code = ?3"
                " ORDER BY id LIMIT 1",
                {key, c.unit, c.modelCode}, &rows);
            !why.empty())
            return why;
    }
    if (rows.empty()) {
        if (std::string why = m_session.Run(
                "INSERT INTO controllers (port_key, unit, model_code, port, first_seen, last_seen)"
                " VALUES (?1, ?2, ?3, ?4, ?5, ?5) RETURNING id",
                {key, c.unit, c.modelCode, c.port, s.takenUtc}, &rows);
            !why.empty())
            return why;
    }
    if (rows.empty())
        return m_session.Name() + ": a new controller was given no number";
    recorded = rows[0].Int(0);
    // A controller joined into another records into that one.
    present = recorded;
    for (int hops = 0; hops < 1000; ++hops) {
        rows.clear();
        if (std::string why = m_session.Run("SELECT joined_into FROM controllers WHERE id = ?1",
                                            {present}, &rows);
            !why.empty())
            return why;
        if (rows.empty() || rows[0].IsNull(0))
            break;
        present = rows[0].Int(0);
    }
    return m_session.Run("UPDATE controllers SET last_seen = ?1, port = ?2 WHERE id = ?3",
                         {s.takenUtc, c.port, present});
}

std::string SqlHistory::OriginOf(const std::string& user, const std::string& host,
                                 const std::string& program, int64_t& id) {
    SqlRows rows;
    std::string why =
        m_session.Run("SELECT id FROM origins WHERE os_user = ?1 AND host = ?2 AND program = ?3",
                      {user, host, program}, &rows);
    if (why.empty() && rows.empty())
        why = m_session.Run("INSERT INTO origins (os_user, host, program) VALUES (?1, ?2, ?3)"
                            " RETURNING id",
                            {user, host, program}, &rows);
    if (why.empty() && rows.empty())
        why = m_session.Name() + ": a new origin was given no number";
    if (why.empty())
        id = rows[0].Int(0);
    return why;
}

std::string SqlHistory::Record(const NewSnapshot& snapshot, int64_t* id) {
    if (!m_readOnly.empty())
        return m_readOnly;
    SnapshotEntry s;
    int64_t taken = 0;
    if (snapshot.takenUtc.empty() || !ParseUtc(snapshot.takenUtc, taken))
        ParseUtc(UtcNow(), taken);
    s.takenUtc = UtcText(taken);
    s.user = snapshot.user.empty() ? OsUser() : snapshot.user;
    s.host = snapshot.host.empty() ? HostName() : snapshot.host;
    s.program = snapshot.program;
    s.keyword = EventKeyword(snapshot.event);
    s.groups = snapshot.groups;
    s.sent = snapshot.sent;
    s.verified = snapshot.verified;
    s.detail = snapshot.detail;
    s.uid = snapshot.uid;
    s.arrival = snapshot.arrival;

    SqlWrite write(m_session);
    if (std::string why = write.Begin(); !why.empty())
        return why;
    if (!s.uid.empty()) {
        // Sent before: it is here already.
        int64_t here = 0;
        if (std::string why = FindUid(s.uid, here); !why.empty() || here) {
            if (id)
                *id = here;
            return why;
        }
    }
    NewSnapshot keyed = snapshot;
    keyed.takenUtc = s.takenUtc;
    int64_t origin = 0;
    if (std::string why = ControllerOf(keyed, s.recordedControllerId, s.controllerId); !why.empty())
        return why;
    if (std::string why = OriginOf(s.user, s.host, s.program, origin); !why.empty())
        return why;
    StoredSet set;
    set.blocks = true;
    if (std::string why = StoreBlocks(snapshot.set, set.refs); !why.empty())
        return why;

    // Its base: the controller's previous snapshot, when that one is kept as blocks and
    // not too far from a whole list.
    SqlRows previous;
    if (std::string why = m_session.Run("SELECT id FROM snapshots WHERE controller_id = ?1"
                                        " ORDER BY id DESC LIMIT 1",
                                        {s.controllerId}, &previous);
        !why.empty())
        return why;
    int64_t base = 0;
    BlockRefs listed = set.refs;
    int depth = 0;
    if (!previous.empty()) {
        StoredSet before;
        if (std::string why = StoredSetOf(previous[0].Int(0), before); !why.empty())
            return why;
        if (before.blocks && before.depth + 1 < kMaxDepth) {
            base = previous[0].Int(0);
            depth = before.depth + 1;
            listed = DiffRefs(before.refs, set.refs);
        }
    }
    Digest setDigest;
    if (std::string why = SetDigestOf(set, setDigest); !why.empty())
        return why;

    int64_t previousRef = 0;
    Digest previousHash;
    if (std::string why = ChainHead(previousRef, previousHash); !why.empty())
        return why;
    SqlRows next;
    if (std::string why =
            m_session.Run("SELECT COALESCE(MAX(id), 0) + 1 FROM snapshots", {}, &next);
        !why.empty())
        return why;
    s.id = next.at(0).Int(0);
    RecordedController recorded;
    if (std::string why = RecordedControllerOf(s.recordedControllerId, recorded); !why.empty())
        return why;
    const Digest hash = SnapshotLinkHash(previousHash, previousRef, s, recorded, setDigest);
    if (std::string why = m_session.Run(
            "INSERT INTO snapshots (id, controller_id, recorded_controller_id, taken, origin_id,"
            " what, groups, sent_group, verified, detail, base_id, depth, blocks, prev_ref, hash,"
            " uid, arrival) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14,"
            " ?15, ?16, ?17)",
            {s.id, s.controllerId, s.recordedControllerId, taken, origin, s.keyword, s.groups,
             OrNull(s.sent.has_value(), s.sent ? s.sent->Index() : 0), s.verified ? 1 : 0, s.detail,
             OrNull(base != 0, base), depth, EncodeRefs(listed), previousRef,
             std::vector<uint8_t>(hash.begin(), hash.end()),
             s.uid.empty() ? SqlValue() : SqlValue(s.uid), s.arrival});
        !why.empty())
        return why;
    if (std::string why = MoveHead(SnapshotRef(s.id), hash); !why.empty())
        return why;
    if (std::string why = write.Commit(); !why.empty())
        return why;
    if (id)
        *id = s.id;
    return "";
}

std::string SqlHistory::Controllers(std::vector<ControllerEntry>& out) {
    out.clear();
    SqlRows rows;
    const std::string why = m_session.Run(
        "SELECT c.id, c.port, c.unit, c.model_code, c.label, c.last_seen,"
        " (SELECT COUNT(*) FROM snapshots s WHERE s.controller_id = c.id), c.port_key"
        " FROM controllers c WHERE c.joined_into IS NULL ORDER BY c.last_seen DESC, c.id DESC",
        {}, &rows);
    for (const SqlRow& r : rows) {
        ControllerEntry c;
        c.id = r.Int(0);
        c.identity.port = r.Text(1);
        c.identity.unit = static_cast<int>(r.Int(2));
        c.identity.modelCode = r.Text(3);
        c.label = r.Text(4);
        c.lastSeenUtc = r.Text(5);
        c.snapshots = r.Int(6);
        c.portKey = r.Text(7);
        out.push_back(std::move(c));
    }
    return why;
}

std::string SqlHistory::SnapshotsWhere(const std::string& where, const std::vector<SqlValue>& keys,
                                       std::vector<SnapshotEntry>& out) {
    out.clear();
    SqlRows rows;
    const std::string why = m_session.Run(kSnapshotColumns + where, keys, &rows);
    for (const SqlRow& r : rows)
        out.push_back(SnapshotOfRow(r));
    return why;
}

std::string SqlHistory::Snapshots(const SnapshotQuery& query, std::vector<SnapshotEntry>& out) {
    std::string where;
    std::vector<SqlValue> keys;
    const auto condition = [&](const std::string& text, int64_t key) {
        keys.emplace_back(key);
        where += (where.empty() ? "WHERE " : " AND ") + text + std::to_string(keys.size());
    };
    if (query.controllerId)
        condition("s.controller_id = ?", query.controllerId);
    if (query.beforeId)
        condition(query.oldestFirst ? "s.id > ?" : "s.id < ?", query.beforeId);
    int64_t ms = 0;
    if (!query.sinceUtc.empty()) {
        if (!ParseUtc(query.sinceUtc, ms))
            return "'" + query.sinceUtc + "' is no time";
        condition("s.taken >= ?", ms);
    }
    if (!query.untilUtc.empty()) {
        if (!ParseUtc(query.untilUtc, ms))
            return "'" + query.untilUtc + "' is no time";
        condition("s.taken < ?", ms);
    }
    const bool byTime = !query.sinceUtc.empty() || !query.untilUtc.empty();
    const char* order = query.oldestFirst ? "" : " DESC";
    where += byTime ? std::string(" ORDER BY s.taken") + order + ", s.id" + order
                    : std::string(" ORDER BY s.id") + order;
    if (query.limit > 0)
        where += " LIMIT " + std::to_string(query.limit);
    return SnapshotsWhere(where, keys, out);
}

std::string SqlHistory::Snapshot(int64_t id, SnapshotEntry& out) {
    std::vector<SnapshotEntry> found;
    if (std::string why = SnapshotsWhere("WHERE s.id = ?1", {id}, found); !why.empty())
        return why;
    if (found.empty())
        return "there is no snapshot " + std::to_string(id);
    out = found.front();
    return "";
}

std::string SqlHistory::Previous(int64_t id, std::optional<SnapshotEntry>& out) {
    std::vector<SnapshotEntry> found;
    const std::string why =
        SnapshotsWhere("WHERE s.controller_id = (SELECT controller_id FROM snapshots WHERE id = ?1)"
                       " AND s.id < ?1 ORDER BY s.id DESC LIMIT 1",
                       {id}, found);
    out.reset();
    if (why.empty() && !found.empty())
        out = found.front();
    return why;
}

std::string SqlHistory::FindUid(const std::string& uid, int64_t& id) {
    SqlRows rows;
    const std::string why = m_session.Run("SELECT id FROM snapshots WHERE uid = ?1", {uid}, &rows);
    id = rows.empty() ? 0 : rows[0].Int(0);
    return why;
}
