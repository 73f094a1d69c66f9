#include "history/sqlite_history.h"

#include "history/history_location.h"
#include "history/port_key.h"
#include "history/sqlite_statement.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {

const char kSnapshotColumns[] =
    "SELECT s.id, s.controller_id, s.recorded_controller_id, s.taken, o.os_user, o.host,"
    " o.program, s.what, s.groups, s.sent_group, s.verified, s.detail, s.note, s.hash"
    " FROM snapshots s JOIN origins o ON o.id = s.origin_id ";

SnapshotEntry EntryOf(const SqliteStatement& q) {
    SnapshotEntry s;
    s.id = q.Int(0);
    s.controllerId = q.Int(1);
    s.recordedControllerId = q.Int(2);
    s.takenUtc = UtcText(q.Int(3));
    s.user = q.Text(4);
    s.host = q.Text(5);
    s.program = q.Text(6);
    s.keyword = q.Text(7);
    s.event = EventOfKeyword(s.keyword);
    s.groups = static_cast<GroupMask>(q.Int(8));
    if (!q.IsNull(9) && q.Int(9) >= 0 && q.Int(9) < kGroupCount)
        s.sent = GroupId::FromIndex(static_cast<int>(q.Int(9)));
    s.verified = q.Int(10) != 0;
    s.detail = q.Text(11);
    s.note = q.Text(12);
    const std::vector<uint8_t> hash = q.Blob(13);
    if (hash.size() == 32) {
        Digest d;
        std::copy(hash.begin(), hash.end(), d.begin());
        s.hash = HexOf(d);
    }
    return s;
}

} // namespace

SqliteHistory::~SqliteHistory() {
    sqlite3_close_v2(m_db);
}

std::string SqliteHistory::Failure() const {
    if (!m_db)
        return m_path + ": the history is not open";
    std::string why = sqlite3_errmsg(m_db);
    if (const int error = sqlite3_system_errno(m_db))
        why += std::string(" (") + std::strerror(error) + ")";
    return m_path + ": " + why;
}

int64_t SqliteHistory::UserVersion() {
    SqliteStatement version(m_db, "PRAGMA user_version");
    return version.Step() == SQLITE_ROW ? version.Int(0) : -1;
}

std::string SqliteHistory::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::OpenConnection(bool writable) {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    const int flags = writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr) != SQLITE_OK)
        return Failure();
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    return "";
}

std::string SqliteHistory::Open(const std::string& path, Access access) {
    m_path = path;
    m_readOnly.clear();
    m_blockCache.clear();
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
    if (std::string why = OpenConnection(m_readOnly.empty()); !why.empty())
        return why;

    const int64_t schema = UserVersion();
    if (schema < 0)
        return Failure();
    if (schema > kSchemaVersion) {
        m_readOnly = path + " was written by a newer version (history schema " +
                     std::to_string(schema) + "); this version only reads it";
        return OpenConnection(false);
    }
    if (!m_readOnly.empty())
        return schema > 0 && schema < kSchemaVersion ? UpgradeInMemory(schema) : "";
    if (std::string why = UseWal(); !why.empty())
        return why;
    if (std::string why = Exec("PRAGMA foreign_keys=ON"); !why.empty())
        return why;
    return schema == 0 ? MakeSchema() : schema < kSchemaVersion ? Upgrade(schema) : "";
}

std::string SqliteHistory::UseWal() {
    // Turning a new file to WAL needs it alone for a moment, and SQLite does not wait for
    // that with the busy timeout: another program making the same file would fail this
    // one at once. Wait here as long; a file left in its old mode still records.
    for (int waited = 0;; waited += 10) {
        SqliteStatement wal(m_db, "PRAGMA journal_mode=WAL");
        const int rc = wal.Step();
        if (rc == SQLITE_ROW && wal.Text(0) == "wal")
            return "";
        if (waited >= kBusyTimeoutMs)
            return rc == SQLITE_ROW ? "" : Failure();
        if (rc != SQLITE_ROW && (rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED)
            return Failure();
        sqlite3_sleep(10);
    }
}

std::string SqliteHistory::ControllerOf(const NewSnapshot& s, int64_t& recorded, int64_t& present) {
    const ControllerIdentity& c = s.controller;
    const std::string key = StablePortName(c.port);
    recorded = 0;
    // A model code not read: the controller last seen under that port and unit, if any.
    if (c.modelCode.empty()) {
        SqliteStatement seen(m_db, "SELECT id FROM controllers WHERE port_key = ?1 AND unit = ?2"
                                   " ORDER BY last_seen DESC, id DESC LIMIT 1");
        seen.Bind(1, key).Bind(2, c.unit);
        const int rc = seen.Step();
        if (rc == SQLITE_ROW)
            recorded = seen.Int(0);
        else if (rc != SQLITE_DONE)
            return Failure();
    }
    if (!recorded) {
        SqliteStatement find(m_db, "SELECT id FROM controllers"
                                   " WHERE port_key = ?1 AND unit = ?2 AND model_code = ?3"
                                   " ORDER BY id LIMIT 1");
        find.Bind(1, key).Bind(2, c.unit).Bind(3, c.modelCode);
        const int rc = find.Step();
        if (rc == SQLITE_ROW)
            recorded = find.Int(0);
        else if (rc != SQLITE_DONE)
            return Failure();
    }
    if (!recorded) {
        SqliteStatement add(m_db, "INSERT INTO controllers (port_key, unit, model_code, port,"
                                  " first_seen, last_seen) VALUES (?1, ?2, ?3, ?4, ?5, ?5)");
        add.Bind(1, key).Bind(2, c.unit).Bind(3, c.modelCode).Bind(4, c.port).Bind(5, s.takenUtc);
        if (!add.Run())
            return Failure();
        recorded = sqlite3_last_insert_rowid(m_db);
    }
    // A controller joined into another records into that one.
    present = recorded;
    for (int hops = 0; hops < 1000; ++hops) {
        SqliteStatement joined(m_db, "SELECT joined_into FROM controllers WHERE id = ?1");
        joined.Bind(1, present);
        if (joined.Step() != SQLITE_ROW)
            return Failure();
        if (joined.IsNull(0))
            break;
        present = joined.Int(0);
    }
    SqliteStatement touch(m_db, "UPDATE controllers SET last_seen = ?1, port = ?2 WHERE id = ?3");
    touch.Bind(1, s.takenUtc).Bind(2, c.port).Bind(3, present);
    return touch.Run() ? "" : Failure();
}

std::string SqliteHistory::OriginOf(const std::string& user, const std::string& host,
                                    const std::string& program, int64_t& id) {
    SqliteStatement add(m_db, "INSERT INTO origins (os_user, host, program) VALUES (?1, ?2, ?3)"
                              " ON CONFLICT DO NOTHING");
    add.Bind(1, user).Bind(2, host).Bind(3, program);
    if (!add.Run())
        return Failure();
    SqliteStatement find(
        m_db, "SELECT id FROM origins WHERE os_user = ?1 AND host = ?2 AND program = ?3");
    find.Bind(1, user).Bind(2, host).Bind(3, program);
    if (find.Step() != SQLITE_ROW)
        return Failure();
    id = find.Int(0);
    return "";
}

std::string SqliteHistory::Record(const NewSnapshot& snapshot, int64_t* id) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (!m_db)
        return "the history is not open";
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

    SqliteTransaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
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
    SqliteStatement previous(m_db, "SELECT id FROM snapshots WHERE controller_id = ?1"
                                   " ORDER BY id DESC LIMIT 1");
    previous.Bind(1, s.controllerId);
    int rc = previous.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return Failure();
    int64_t base = 0;
    BlockRefs listed = set.refs;
    int depth = 0;
    if (rc == SQLITE_ROW) {
        StoredSet before;
        if (std::string why = StoredSetOf(previous.Int(0), before); !why.empty())
            return why;
        if (before.blocks && before.depth + 1 < kMaxDepth) {
            base = previous.Int(0);
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
    SqliteStatement next(m_db, "SELECT COALESCE(MAX(id), 0) + 1 FROM snapshots");
    if (next.Step() != SQLITE_ROW)
        return Failure();
    s.id = next.Int(0);
    RecordedController recorded;
    if (std::string why = RecordedControllerOf(s.recordedControllerId, recorded); !why.empty())
        return why;
    const Digest hash = SnapshotLinkHash(previousHash, previousRef, s, recorded, setDigest);

    SqliteStatement add(m_db,
                        "INSERT INTO snapshots (id, controller_id, recorded_controller_id, taken,"
                        " origin_id, what, groups, sent_group, verified, detail, base_id, depth,"
                        " blocks, prev_ref, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9,"
                        " ?10, ?11, ?12, ?13, ?14, ?15)");
    add.Bind(1, s.id).Bind(2, s.controllerId).Bind(3, s.recordedControllerId).Bind(4, taken);
    add.Bind(5, origin).Bind(6, s.keyword).Bind(7, s.groups);
    if (s.sent)
        add.Bind(8, s.sent->Index());
    else
        add.BindNull(8);
    add.Bind(9, s.verified ? 1 : 0).Bind(10, s.detail);
    if (base)
        add.Bind(11, base);
    else
        add.BindNull(11);
    add.Bind(12, depth).BindBlob(13, EncodeRefs(listed)).Bind(14, previousRef);
    add.BindBlob(15, std::vector<uint8_t>(hash.begin(), hash.end()));
    if (!add.Run())
        return Failure();
    if (std::string why = MoveHead(SnapshotRef(s.id), hash); !why.empty())
        return why;
    if (t.Commit() != SQLITE_OK)
        return Failure();
    if (id)
        *id = s.id;
    return "";
}

std::string SqliteHistory::Controllers(std::vector<ControllerEntry>& out) {
    out.clear();
    SqliteStatement q(m_db, "SELECT c.id, c.port, c.unit, c.model_code, c.label, c.last_seen,"
                            " (SELECT COUNT(*) FROM snapshots s WHERE s.controller_id = c.id),"
                            " c.port_key FROM controllers c WHERE c.joined_into IS NULL"
                            " ORDER BY c.last_seen DESC, c.id DESC");
    while (q.Step() == SQLITE_ROW) {
        ControllerEntry c;
        c.id = q.Int(0);
        c.identity.port = q.Text(1);
        c.identity.unit = static_cast<int>(q.Int(2));
        c.identity.modelCode = q.Text(3);
        c.label = q.Text(4);
        c.lastSeenUtc = q.Text(5);
        c.snapshots = q.Int(6);
        c.portKey = q.Text(7);
        out.push_back(std::move(c));
    }
    return q.Code() == SQLITE_DONE ? "" : Failure();
}

std::string SqliteHistory::SnapshotsWhere(const std::string& where,
                                          const std::vector<int64_t>& keys,
                                          std::vector<SnapshotEntry>& out) {
    out.clear();
    SqliteStatement q(m_db, (kSnapshotColumns + where).c_str());
    for (size_t i = 0; i < keys.size(); ++i)
        q.Bind(static_cast<int>(i + 1), keys[i]);
    while (q.Step() == SQLITE_ROW)
        out.push_back(EntryOf(q));
    return q.Code() == SQLITE_DONE ? "" : Failure();
}

std::string SqliteHistory::Snapshots(const SnapshotQuery& query, std::vector<SnapshotEntry>& out) {
    std::string where;
    std::vector<int64_t> keys;
    const auto condition = [&](const std::string& text, int64_t key) {
        keys.push_back(key);
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

std::string SqliteHistory::Snapshot(int64_t id, SnapshotEntry& out) {
    std::vector<SnapshotEntry> found;
    if (std::string why = SnapshotsWhere("WHERE s.id = ?1", {id}, found); !why.empty())
        return why;
    if (found.empty())
        return "there is no snapshot " + std::to_string(id);
    out = found.front();
    return "";
}

std::string SqliteHistory::Previous(int64_t id, std::optional<SnapshotEntry>& out) {
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
