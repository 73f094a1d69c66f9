// The history file's schema, and how a file of an older one is brought up to it.

#include "history/sqlite_history.h"

#include "history/port_key.h"

#include <sqlite3.h>

#include <map>

namespace {

// Schema 2. Schema 1 had controllers keyed by the port as used, and each snapshot pointing
// at a whole set in `contents`; those sets stay where they are.
const char* const kSchema[] = {
    "CREATE TABLE controllers ("
    " id INTEGER PRIMARY KEY,"
    " port_key TEXT NOT NULL,"
    " unit INTEGER NOT NULL,"
    " model_code TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " label TEXT NOT NULL DEFAULT '',"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL,"
    " joined_into INTEGER REFERENCES controllers (id))",
    "CREATE INDEX controllers_by_key ON controllers (port_key, unit, model_code)",
    "CREATE TABLE IF NOT EXISTS contents ("
    " id INTEGER PRIMARY KEY,"
    " hash INTEGER NOT NULL,"
    " format INTEGER NOT NULL,"
    " bytes BLOB NOT NULL)",
    "CREATE TABLE blocks ("
    " key INTEGER PRIMARY KEY,"
    " bytes BLOB NOT NULL)",
    "CREATE TABLE origins ("
    " id INTEGER PRIMARY KEY,"
    " os_user TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " UNIQUE (os_user, host, program))",
    "CREATE TABLE snapshots ("
    " id INTEGER PRIMARY KEY,"
    " controller_id INTEGER NOT NULL REFERENCES controllers (id),"
    " recorded_controller_id INTEGER NOT NULL REFERENCES controllers (id),"
    " taken INTEGER NOT NULL,"
    " origin_id INTEGER NOT NULL REFERENCES origins (id),"
    " what TEXT NOT NULL,"
    " groups INTEGER NOT NULL,"
    " sent_group INTEGER,"
    " verified INTEGER NOT NULL DEFAULT 0,"
    " detail TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '',"
    " content_id INTEGER REFERENCES contents (id),"
    " base_id INTEGER,"
    " depth INTEGER NOT NULL DEFAULT 0,"
    " blocks BLOB,"
    " prev_ref INTEGER NOT NULL,"
    " hash BLOB NOT NULL,"
    " uid TEXT,"
    " arrival TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX snapshots_by_uid ON snapshots (uid) WHERE uid IS NOT NULL",
    "CREATE INDEX snapshots_by_controller ON snapshots (controller_id, id)",
    "CREATE INDEX snapshots_by_time ON snapshots (taken)",
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY,"
    " kind TEXT NOT NULL,"
    " snapshot_id INTEGER NOT NULL DEFAULT 0,"
    " controller_id INTEGER NOT NULL DEFAULT 0,"
    " other_id INTEGER NOT NULL DEFAULT 0,"
    " text TEXT NOT NULL DEFAULT '',"
    " taken INTEGER NOT NULL,"
    " origin_id INTEGER NOT NULL REFERENCES origins (id),"
    " prev_ref INTEGER NOT NULL,"
    " hash BLOB NOT NULL)",
    "CREATE TABLE chain_head ("
    " one INTEGER PRIMARY KEY CHECK (one = 1),"
    " ref INTEGER NOT NULL,"
    " hash BLOB NOT NULL)",
    "INSERT INTO chain_head (one, ref, hash) VALUES (1, 0, zeroblob(32))",
};

} // namespace

std::string SqliteHistory::MakeSchema() {
    SqlWrite write(m_file);
    if (std::string why = write.Begin(); !why.empty())
        return why;
    // Another program may have made it while this one waited.
    const int64_t schema = UserVersion();
    if (schema != 0)
        return schema < 0 ? m_file.Failure() : "";
    for (const char* sql : kSchema)
        if (std::string why = m_file.Run(sql); !why.empty())
            return why;
    if (std::string why = m_file.Run("PRAGMA user_version = " + std::to_string(kSchemaVersion));
        !why.empty())
        return why;
    return write.Commit();
}

std::string SqliteHistory::Upgrade(int64_t from) {
    SqlWrite write(m_file);
    if (std::string why = write.Begin(); !why.empty())
        return why;
    // Another program may have upgraded it while this one waited.
    const int64_t schema = UserVersion();
    if (schema != from)
        return schema < 0 ? m_file.Failure() : "";
    if (std::string why = UpgradeFrom1(); !why.empty())
        return why;
    if (std::string why = m_file.Run("PRAGMA user_version = " + std::to_string(kSchemaVersion));
        !why.empty())
        return why;
    return write.Commit();
}

std::string SqliteHistory::UpgradeInMemory(int64_t from) {
    // A file this program may not write is read through a copy in memory, brought up to
    // this schema there; the file itself is left as it is.
    sqlite3* memory = nullptr;
    if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(memory);
        return m_path + ": no memory to read it in";
    }
    sqlite3_backup* copy = sqlite3_backup_init(memory, "main", m_file.Handle(), "main");
    const bool copied = copy && sqlite3_backup_step(copy, -1) == SQLITE_DONE;
    sqlite3_backup_finish(copy);
    if (!copied) {
        const std::string why = m_file.Failure();
        sqlite3_close_v2(memory);
        return why;
    }
    m_file.Adopt(memory);
    // Read-only to its users all the same: the upgrade is the only write.
    const std::string readOnly = m_readOnly;
    m_readOnly.clear();
    const std::string why = Upgrade(from);
    m_readOnly = readOnly;
    return why;
}

std::string SqliteHistory::UpgradeFrom1() {
    for (const char* sql :
         {"DROP INDEX snapshots_by_controller", "ALTER TABLE controllers RENAME TO controllers_1",
          "ALTER TABLE snapshots RENAME TO snapshots_1"})
        if (std::string why = m_file.Run(sql); !why.empty())
            return why;
    for (const char* sql : kSchema)
        if (std::string why = m_file.Run(sql); !why.empty())
            return why;

    // Controllers, under the stable names of their ports; two that now have one key are
    // one controller, the later joined into the earlier.
    std::map<int64_t, int64_t> present; // old id -> the controller its snapshots belong to
    std::vector<std::pair<int64_t, int64_t>> joins;
    SqlRows old;
    if (std::string why = m_file.Run("SELECT id, port, unit, model_code, label, first_seen,"
                                     " last_seen FROM controllers_1 ORDER BY id",
                                     {}, &old);
        !why.empty())
        return why;
    for (const SqlRow& c : old) {
        const int64_t id = c.Int(0);
        const std::string key = StablePortName(c.Text(1));
        SqlRows same;
        if (std::string why = m_file.Run("SELECT id FROM controllers WHERE port_key = ?1 AND"
                                         " unit = ?2 AND model_code = ?3 AND joined_into IS NULL",
                                         {key, c.Int(2), c.Text(3)}, &same);
            !why.empty())
            return why;
        const int64_t into = same.empty() ? 0 : same[0].Int(0);
        if (std::string why = m_file.Run(
                "INSERT INTO controllers (id, port_key, unit, model_code, port, label, first_seen,"
                " last_seen, joined_into) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                {id, key, c.Int(2), c.Text(3), c.Text(1), c.Text(4), c.Text(5), c.Text(6),
                 into ? SqlValue(into) : SqlValue()});
            !why.empty())
            return why;
        present[id] = into ? into : id;
        if (into)
            joins.emplace_back(id, into);
    }

    // Snapshots, linked into the chain in their order as they are now, a page at a time.
    int64_t count = 0;
    std::vector<std::pair<int64_t, std::string>> notes;
    for (int64_t after = 0;;) {
        SqlRows rows;
        if (std::string why = m_file.Run(
                "SELECT id, controller_id, content_id, taken_utc, os_user, host, program, what,"
                " groups, sent_group, verified, detail, note FROM snapshots_1 WHERE id > ?1"
                " ORDER BY id LIMIT 2000",
                {after}, &rows);
            !why.empty())
            return why;
        for (const SqlRow& r : rows) {
            SnapshotEntry s;
            s.id = r.Int(0);
            s.recordedControllerId = r.Int(1);
            s.controllerId = present.count(s.recordedControllerId) ? present[s.recordedControllerId]
                                                                   : s.recordedControllerId;
            int64_t taken = 0;
            ParseUtc(r.Text(3), taken);
            s.takenUtc = UtcText(taken);
            s.user = r.Text(4);
            s.host = r.Text(5);
            s.program = r.Text(6);
            s.keyword = r.Text(7);
            s.groups = static_cast<GroupMask>(r.Int(8));
            if (!r.IsNull(9) && r.Int(9) >= 0 && r.Int(9) < kGroupCount)
                s.sent = GroupId::FromIndex(static_cast<int>(r.Int(9)));
            s.verified = r.Int(10) != 0;
            s.detail = r.Text(11);
            if (!r.Text(12).empty())
                notes.emplace_back(s.id, r.Text(12));
            int64_t origin = 0, previousRef = 0;
            Digest setDigest{}, previousHash{};
            RecordedController recorded;
            StoredSet set;
            set.contentId = r.Int(2);
            if (std::string why = SetDigestOf(set, setDigest); !why.empty())
                return "snapshot " + std::to_string(s.id) + ": " + why;
            std::string why = OriginOf(s.user, s.host, s.program, origin);
            if (why.empty())
                why = RecordedControllerOf(s.recordedControllerId, recorded);
            if (why.empty())
                why = ChainHead(previousRef, previousHash);
            if (!why.empty())
                return why;
            const Digest hash = SnapshotLinkHash(previousHash, previousRef, s, recorded, setDigest);
            why = m_file.Run(
                "INSERT INTO snapshots (id, controller_id, recorded_controller_id, taken,"
                " origin_id, what, groups, sent_group, verified, detail, note, content_id,"
                " prev_ref, hash) SELECT id, ?2, controller_id, ?3, ?4, what, groups, sent_group,"
                " verified, detail, note, content_id, ?5, ?6 FROM snapshots_1 WHERE id = ?1",
                {s.id, s.controllerId, taken, origin, previousRef,
                 std::vector<uint8_t>(hash.begin(), hash.end())});
            if (why.empty())
                why = MoveHead(SnapshotRef(s.id), hash);
            if (!why.empty())
                return why;
            ++count;
        }
        if (rows.size() < 2000)
            break;
        after = rows.back().Int(0);
    }
    for (const char* sql : {"DROP TABLE snapshots_1", "DROP TABLE controllers_1"})
        if (std::string why = m_file.Run(sql); !why.empty())
            return why;

    // The joins, notes and labels as they were, then the upgrade itself, so that the chain
    // vouches for them from here on.
    std::vector<HistoryEvent> events;
    for (const auto& [from, into] : joins) {
        HistoryEvent e;
        e.kind = HistoryEventKind::Join;
        e.controllerId = from;
        e.otherId = into;
        e.text = "one controller by the stable name of its port";
        events.push_back(e);
    }
    for (const auto& [snapshot, note] : notes) {
        HistoryEvent e;
        e.kind = HistoryEventKind::Note;
        e.snapshotId = snapshot;
        e.text = note;
        events.push_back(e);
    }
    SqlRows labels;
    if (std::string why = m_file.Run(
            "SELECT id, label FROM controllers WHERE label != '' ORDER BY id", {}, &labels);
        !why.empty())
        return why;
    for (const SqlRow& l : labels) {
        HistoryEvent e;
        e.kind = HistoryEventKind::Label;
        e.controllerId = l.Int(0);
        e.text = l.Text(1);
        events.push_back(e);
    }
    HistoryEvent upgrade;
    upgrade.kind = HistoryEventKind::Upgrade;
    upgrade.otherId = count;
    upgrade.text = "the history was brought to schema 2; the " + std::to_string(count) +
                   " snapshots before were linked as they were then";
    events.push_back(upgrade);
    for (const HistoryEvent& e : events)
        if (std::string why = AddEvent(e); !why.empty())
            return why;
    return "";
}
