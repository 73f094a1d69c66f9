// The chain of the history file: its head, the events that change what a snapshot or a
// controller shows (notes, labels, joins, moves), and the check of every link.

#include "history/sqlite_history.h"

#include "history/history_location.h"
#include "history/sqlite_statement.h"

#include <sqlite3.h>

#include <map>

namespace {

Digest DigestOf(const std::vector<uint8_t>& blob) {
    Digest d{};
    if (blob.size() == d.size())
        std::copy(blob.begin(), blob.end(), d.begin());
    return d;
}

std::vector<uint8_t> BlobOf(const Digest& d) {
    return std::vector<uint8_t>(d.begin(), d.end());
}

std::optional<HistoryEventKind> KindOf(const std::string& keyword) {
    for (HistoryEventKind k :
         {HistoryEventKind::Note, HistoryEventKind::Label, HistoryEventKind::Join,
          HistoryEventKind::Move, HistoryEventKind::Upgrade})
        if (keyword == HistoryEventKeyword(k))
            return k;
    return std::nullopt;
}

} // namespace

std::string SqliteHistory::ChainHead(int64_t& ref, Digest& hash) {
    SqliteStatement q(m_db, "SELECT ref, hash FROM chain_head WHERE one = 1");
    if (q.Step() != SQLITE_ROW)
        return q.Code() == SQLITE_DONE ? m_path + ": the chain's head is missing" : Failure();
    ref = q.Int(0);
    hash = DigestOf(q.Blob(1));
    return "";
}

std::string SqliteHistory::MoveHead(int64_t ref, const Digest& hash) {
    SqliteStatement q(m_db, "UPDATE chain_head SET ref = ?1, hash = ?2 WHERE one = 1");
    q.Bind(1, ref).BindBlob(2, BlobOf(hash));
    return q.Run() ? "" : Failure();
}

std::string SqliteHistory::RecordedControllerOf(int64_t controllerId, RecordedController& out) {
    SqliteStatement q(m_db, "SELECT port_key, unit, model_code FROM controllers WHERE id = ?1");
    q.Bind(1, controllerId);
    const int rc = q.Step();
    if (rc == SQLITE_DONE) {
        out = RecordedController{"(controller " + std::to_string(controllerId) + " is missing)", 0,
                                 ""};
        return "";
    }
    if (rc != SQLITE_ROW)
        return Failure();
    out = {q.Text(0), static_cast<int>(q.Int(1)), q.Text(2)};
    return "";
}

// Inside the caller's transaction.
std::string SqliteHistory::AddEvent(HistoryEvent e) {
    int64_t taken = 0;
    ParseUtc(UtcNow(), taken);
    e.takenUtc = UtcText(taken);
    e.user = OsUser();
    e.host = HostName();
    e.program = "history";
    int64_t origin = 0, previousRef = 0;
    Digest previousHash;
    if (std::string why = OriginOf(e.user, e.host, e.program, origin); !why.empty())
        return why;
    if (std::string why = ChainHead(previousRef, previousHash); !why.empty())
        return why;
    SqliteStatement next(m_db, "SELECT COALESCE(MAX(id), 0) + 1 FROM events");
    if (next.Step() != SQLITE_ROW)
        return Failure();
    e.id = next.Int(0);
    const Digest hash = EventLinkHash(previousHash, previousRef, e);
    SqliteStatement add(m_db, "INSERT INTO events (id, kind, snapshot_id, controller_id, other_id,"
                              " text, taken, origin_id, prev_ref, hash)"
                              " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    add.Bind(1, e.id).Bind(2, std::string(HistoryEventKeyword(e.kind))).Bind(3, e.snapshotId);
    add.Bind(4, e.controllerId).Bind(5, e.otherId).Bind(6, e.text).Bind(7, taken);
    add.Bind(8, origin).Bind(9, previousRef).BindBlob(10, BlobOf(hash));
    if (!add.Run())
        return Failure();
    return MoveHead(EventRef(e.id), hash);
}

std::string SqliteHistory::SetNote(int64_t id, const std::string& note) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (std::string why = AnnotationRefusal(note, "A note"); !why.empty())
        return why;
    SqliteTransaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    SqliteStatement q(m_db, "UPDATE snapshots SET note = ?1 WHERE id = ?2");
    q.Bind(1, note).Bind(2, id);
    if (!q.Run())
        return Failure();
    if (sqlite3_changes(m_db) != 1)
        return "there is no snapshot " + std::to_string(id);
    HistoryEvent e;
    e.kind = HistoryEventKind::Note;
    e.snapshotId = id;
    e.text = note;
    if (std::string why = AddEvent(e); !why.empty())
        return why;
    return t.Commit() == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::SetLabel(int64_t controllerId, const std::string& label) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (std::string why = AnnotationRefusal(label, "A label"); !why.empty())
        return why;
    SqliteTransaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    SqliteStatement q(m_db, "UPDATE controllers SET label = ?1 WHERE id = ?2");
    q.Bind(1, label).Bind(2, controllerId);
    if (!q.Run())
        return Failure();
    if (sqlite3_changes(m_db) != 1)
        return "there is no controller " + std::to_string(controllerId);
    HistoryEvent e;
    e.kind = HistoryEventKind::Label;
    e.controllerId = controllerId;
    e.text = label;
    if (std::string why = AddEvent(e); !why.empty())
        return why;
    return t.Commit() == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::JoinControllers(int64_t from, int64_t into) {
    if (!m_readOnly.empty())
        return m_readOnly;
    if (from == into)
        return "a controller cannot be joined into itself";
    SqliteTransaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    for (int64_t id : {from, into}) {
        SqliteStatement q(m_db, "SELECT joined_into FROM controllers WHERE id = ?1");
        q.Bind(1, id);
        const int rc = q.Step();
        if (rc == SQLITE_DONE)
            return "there is no controller " + std::to_string(id);
        if (rc != SQLITE_ROW)
            return Failure();
        if (!q.IsNull(0))
            return "controller " + std::to_string(id) + " is already joined into controller " +
                   std::to_string(q.Int(0));
    }
    SqliteStatement joined(m_db, "UPDATE controllers SET joined_into = ?2"
                                 " WHERE id = ?1 OR joined_into = ?1");
    joined.Bind(1, from).Bind(2, into);
    SqliteStatement moved(m_db, "UPDATE snapshots SET controller_id = ?2 WHERE controller_id = ?1");
    moved.Bind(1, from).Bind(2, into);
    if (!joined.Run() || !moved.Run())
        return Failure();
    HistoryEvent e;
    e.kind = HistoryEventKind::Join;
    e.controllerId = from;
    e.otherId = into;
    if (std::string why = AddEvent(e); !why.empty())
        return why;
    return t.Commit() == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::MoveSnapshot(int64_t snapshotId, int64_t controllerId) {
    if (!m_readOnly.empty())
        return m_readOnly;
    SqliteTransaction t(m_db);
    if (t.Begin() != SQLITE_OK)
        return Failure();
    SqliteStatement target(m_db, "SELECT joined_into FROM controllers WHERE id = ?1");
    target.Bind(1, controllerId);
    int rc = target.Step();
    if (rc == SQLITE_DONE)
        return "there is no controller " + std::to_string(controllerId);
    if (rc != SQLITE_ROW)
        return Failure();
    if (!target.IsNull(0))
        return "controller " + std::to_string(controllerId) + " is joined into controller " +
               std::to_string(target.Int(0)) + "; move the snapshot there";
    SqliteStatement from(m_db, "SELECT controller_id FROM snapshots WHERE id = ?1");
    from.Bind(1, snapshotId);
    rc = from.Step();
    if (rc == SQLITE_DONE)
        return "there is no snapshot " + std::to_string(snapshotId);
    if (rc != SQLITE_ROW)
        return Failure();
    if (from.Int(0) == controllerId)
        return "snapshot " + std::to_string(snapshotId) + " belongs to that controller already";
    SqliteStatement move(m_db, "UPDATE snapshots SET controller_id = ?2 WHERE id = ?1");
    move.Bind(1, snapshotId).Bind(2, controllerId);
    if (!move.Run())
        return Failure();
    HistoryEvent e;
    e.kind = HistoryEventKind::Move;
    e.snapshotId = snapshotId;
    e.controllerId = controllerId;
    e.otherId = from.Int(0);
    if (std::string why = AddEvent(e); !why.empty())
        return why;
    return t.Commit() == SQLITE_OK ? "" : Failure();
}

std::string SqliteHistory::Events(std::vector<HistoryEvent>& out) {
    out.clear();
    SqliteStatement q(m_db, "SELECT e.id, e.kind, e.snapshot_id, e.controller_id, e.other_id,"
                            " e.text, e.taken, o.os_user, o.host, o.program FROM events e"
                            " JOIN origins o ON o.id = e.origin_id ORDER BY e.id");
    while (q.Step() == SQLITE_ROW) {
        HistoryEvent e;
        e.id = q.Int(0);
        const std::optional<HistoryEventKind> kind = KindOf(q.Text(1));
        if (!kind)
            continue; // one a newer version added
        e.kind = *kind;
        e.snapshotId = q.Int(2);
        e.controllerId = q.Int(3);
        e.otherId = q.Int(4);
        e.text = q.Text(5);
        e.takenUtc = UtcText(q.Int(6));
        e.user = q.Text(7);
        e.host = q.Text(8);
        e.program = q.Text(9);
        out.push_back(std::move(e));
    }
    return q.Code() == SQLITE_DONE ? "" : Failure();
}
