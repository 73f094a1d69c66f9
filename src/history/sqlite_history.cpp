#include "history/sqlite_history.h"

#include "history/history_location.h"
#include "history/snapshot_codec.h"
#include "history/sqlite_statement.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

const char* const kSchema[] = {
    "CREATE TABLE controllers ("
    " id INTEGER PRIMARY KEY,"
    " port TEXT NOT NULL,"
    " unit INTEGER NOT NULL,"
    " model_code TEXT NOT NULL,"
    " label TEXT NOT NULL DEFAULT '',"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL,"
    " UNIQUE (port, unit, model_code))",
    "CREATE TABLE contents ("
    " id INTEGER PRIMARY KEY,"
    " hash INTEGER NOT NULL,"
    " format INTEGER NOT NULL,"
    " bytes BLOB NOT NULL)",
    "CREATE INDEX contents_by_hash ON contents (hash)",
    "CREATE TABLE snapshots ("
    " id INTEGER PRIMARY KEY,"
    " controller_id INTEGER NOT NULL REFERENCES controllers (id),"
    " content_id INTEGER NOT NULL REFERENCES contents (id),"
    " taken_utc TEXT NOT NULL,"
    " os_user TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " what TEXT NOT NULL,"
    " groups INTEGER NOT NULL,"
    " sent_group INTEGER,"
    " verified INTEGER NOT NULL DEFAULT 0,"
    " detail TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX snapshots_by_controller ON snapshots (controller_id, id)",
};

const char kSnapshotColumns[] =
    "SELECT id, controller_id, content_id, taken_utc, os_user, host, program, what, groups,"
    " sent_group, verified, detail, note FROM snapshots ";

SnapshotEntry EntryOf(const SqliteStatement& q) {
    SnapshotEntry s;
    s.id = q.Int(0);
    s.controllerId = q.Int(1);
    s.contentId = q.Int(2);
    s.takenUtc = q.Text(3);
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
    return s;
}

// Rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : m_db(db) {}
    ~Transaction() {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    int Begin() {
        const int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        m_open = rc == SQLITE_OK;
        return rc;
    }
    int Commit() {
        const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            m_open = false;
        return rc;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};

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
        return "";
    if (std::string why = UseWal(); !why.empty())
        return why;
    if (std::string why = Exec("PRAGMA foreign_keys=ON"); !why.empty())
        return why;
    return schema == 0 ? MakeSchema() : "";
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

std::string SqliteHistory::MakeSchema() {
    Transaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    // Another program may have made it while this one waited.
    const int64_t schema = UserVersion();
    if (schema != 0)
        return schema < 0 ? Failure() : "";
    for (const char* sql : kSchema)
        if (std::string why = Exec(sql); !why.empty())
            return why;
    const std::string set = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
    if (std::string why = Exec(set.c_str()); !why.empty())
        return why;
    return t.Commit() == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::ControllerOf(const NewSnapshot& s, int64_t& id) {
    const ControllerIdentity& c = s.controller;
    // A model code not read: the controller last seen on that port and unit, if any.
    if (c.modelCode.empty()) {
        SqliteStatement seen(m_db, "SELECT id FROM controllers WHERE port = ?1 AND unit = ?2"
                                   " ORDER BY last_seen DESC, id DESC LIMIT 1");
        seen.Bind(1, c.port).Bind(2, c.unit);
        const int rc = seen.Step();
        if (rc == SQLITE_ROW) {
            id = seen.Int(0);
            SqliteStatement touch(m_db, "UPDATE controllers SET last_seen = ?1 WHERE id = ?2");
            touch.Bind(1, s.takenUtc).Bind(2, id);
            return touch.Run() ? "" : Failure();
        }
        if (rc != SQLITE_DONE)
            return Failure();
    }
    SqliteStatement upsert(m_db,
                           "INSERT INTO controllers (port, unit, model_code, first_seen, last_seen)"
                           " VALUES (?1, ?2, ?3, ?4, ?4) ON CONFLICT (port, unit, model_code)"
                           " DO UPDATE SET last_seen = excluded.last_seen");
    upsert.Bind(1, c.port).Bind(2, c.unit).Bind(3, c.modelCode).Bind(4, s.takenUtc);
    if (!upsert.Run())
        return Failure();
    SqliteStatement find(m_db, "SELECT id FROM controllers"
                               " WHERE port = ?1 AND unit = ?2 AND model_code = ?3");
    find.Bind(1, c.port).Bind(2, c.unit).Bind(3, c.modelCode);
    if (find.Step() != SQLITE_ROW)
        return Failure();
    id = find.Int(0);
    return "";
}

std::string SqliteHistory::ContentOf(const NewSnapshot& s, int64_t& id) {
    // An identical set is kept once; one an older version kept is found by its format 1 bytes.
    const std::vector<uint8_t> bytes = EncodeSet(s.set);
    for (int format : {kSetFormat, 1}) {
        const std::vector<uint8_t> as = format == kSetFormat ? bytes : EncodeSet(s.set, format);
        SqliteStatement same(m_db,
                             "SELECT id, bytes FROM contents WHERE hash = ?1 AND format = ?2");
        same.Bind(1, static_cast<int64_t>(ContentHash(as))).Bind(2, format);
        int rc = SQLITE_ROW;
        while ((rc = same.Step()) == SQLITE_ROW)
            if (same.Blob(1) == as) {
                id = same.Int(0);
                return "";
            }
        if (rc != SQLITE_DONE)
            return Failure();
    }
    SqliteStatement add(m_db, "INSERT INTO contents (hash, format, bytes) VALUES (?1, ?2, ?3)");
    add.Bind(1, static_cast<int64_t>(ContentHash(bytes))).Bind(2, kSetFormat).BindBlob(3, bytes);
    if (!add.Run())
        return Failure();
    id = sqlite3_last_insert_rowid(m_db);
    return "";
}

std::string SqliteHistory::Record(const NewSnapshot& snapshot, int64_t* id) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (!m_db)
        return "the history is not open";
    NewSnapshot s = snapshot;
    if (s.takenUtc.empty())
        s.takenUtc = UtcNow();
    if (s.user.empty())
        s.user = OsUser();
    if (s.host.empty())
        s.host = HostName();
    Transaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    int64_t controller = 0, content = 0;
    if (std::string why = ControllerOf(s, controller); !why.empty())
        return why;
    if (std::string why = ContentOf(s, content); !why.empty())
        return why;
    SqliteStatement add(m_db, "INSERT INTO snapshots (controller_id, content_id, taken_utc,"
                              " os_user, host, program, what, groups, sent_group, verified, detail)"
                              " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    add.Bind(1, controller).Bind(2, content).Bind(3, s.takenUtc).Bind(4, s.user).Bind(5, s.host);
    add.Bind(6, s.program).Bind(7, std::string(EventKeyword(s.event))).Bind(8, s.groups);
    if (s.sent)
        add.Bind(9, s.sent->Index());
    else
        add.BindNull(9);
    add.Bind(10, s.verified ? 1 : 0).Bind(11, s.detail);
    if (!add.Run())
        return Failure();
    const int64_t added = sqlite3_last_insert_rowid(m_db);
    if (t.Commit() != SQLITE_OK)
        return Failure();
    if (id)
        *id = added;
    return "";
}

std::string SqliteHistory::Controllers(std::vector<ControllerEntry>& out) {
    out.clear();
    SqliteStatement q(m_db, "SELECT c.id, c.port, c.unit, c.model_code, c.label, c.last_seen,"
                            " (SELECT COUNT(*) FROM snapshots s WHERE s.controller_id = c.id)"
                            " FROM controllers c ORDER BY c.last_seen DESC, c.id DESC");
    while (q.Step() == SQLITE_ROW) {
        ControllerEntry c;
        c.id = q.Int(0);
        c.identity.port = q.Text(1);
        c.identity.unit = static_cast<int>(q.Int(2));
        c.identity.modelCode = q.Text(3);
        c.label = q.Text(4);
        c.lastSeenUtc = q.Text(5);
        c.snapshots = q.Int(6);
        out.push_back(std::move(c));
    }
    return q.Code() == SQLITE_DONE ? "" : Failure();
}

std::string SqliteHistory::SnapshotsWhere(const char* where, int64_t key,
                                          std::vector<SnapshotEntry>& out) {
    out.clear();
    SqliteStatement q(m_db, (std::string(kSnapshotColumns) + where).c_str());
    if (key)
        q.Bind(1, key);
    while (q.Step() == SQLITE_ROW)
        out.push_back(EntryOf(q));
    return q.Code() == SQLITE_DONE ? "" : Failure();
}

std::string SqliteHistory::Snapshots(int64_t controllerId, std::vector<SnapshotEntry>& out) {
    return controllerId
               ? SnapshotsWhere("WHERE controller_id = ?1 ORDER BY id DESC", controllerId, out)
               : SnapshotsWhere("ORDER BY id DESC", 0, out);
}

std::string SqliteHistory::Snapshot(int64_t id, SnapshotEntry& out) {
    std::vector<SnapshotEntry> found;
    if (std::string why = SnapshotsWhere("WHERE id = ?1", id, found); !why.empty())
        return why;
    if (found.empty())
        return "there is no snapshot " + std::to_string(id);
    out = found.front();
    return "";
}

std::string SqliteHistory::Previous(int64_t id, std::optional<SnapshotEntry>& out) {
    std::vector<SnapshotEntry> found;
    const std::string why =
        SnapshotsWhere("WHERE controller_id = (SELECT controller_id FROM snapshots WHERE id = ?1)"
                       " AND id < ?1 ORDER BY id DESC LIMIT 1",
                       id, found);
    out.reset();
    if (why.empty() && !found.empty())
        out = found.front();
    return why;
}

std::string SqliteHistory::LoadSet(int64_t id, ParameterImage& image) {
    SqliteStatement q(m_db, "SELECT c.format, c.bytes FROM snapshots s"
                            " JOIN contents c ON c.id = s.content_id WHERE s.id = ?1");
    q.Bind(1, id);
    const int rc = q.Step();
    if (rc == SQLITE_DONE)
        return "there is no snapshot " + std::to_string(id);
    if (rc != SQLITE_ROW)
        return Failure();
    const std::string why = DecodeSet(static_cast<int>(q.Int(0)), q.Blob(1), image);
    return why.empty() ? "" : "snapshot " + std::to_string(id) + ": " + why;
}

std::string SqliteHistory::SetNote(int64_t id, const std::string& note) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (std::string why = AnnotationRefusal(note, "A note"); !why.empty())
        return why;
    SqliteStatement q(m_db, "UPDATE snapshots SET note = ?1 WHERE id = ?2");
    q.Bind(1, note).Bind(2, id);
    if (!q.Run())
        return Failure();
    return sqlite3_changes(m_db) == 1 ? "" : "there is no snapshot " + std::to_string(id);
}

std::string SqliteHistory::SetLabel(int64_t controllerId, const std::string& label) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (std::string why = AnnotationRefusal(label, "A label"); !why.empty())
        return why;
    SqliteStatement q(m_db, "UPDATE controllers SET label = ?1 WHERE id = ?2");
    q.Bind(1, label).Bind(2, controllerId);
    if (!q.Run())
        return Failure();
    return sqlite3_changes(m_db) == 1 ? ""
                                      : "there is no controller " + std::to_string(controllerId);
}
