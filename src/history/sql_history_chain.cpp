// The chain's head, and the events that change what a snapshot or a controller shows
// (notes, labels, joins, moves), each a link of the chain.

#include "history/sql_history.h"

#include "history/history_location.h"
#include "history/sql_history_rows.h"

namespace {

std::vector<uint8_t> BlobOf(const Digest& d) {
    return std::vector<uint8_t>(d.begin(), d.end());
}

} // namespace

std::string SqlHistory::ChainHead(int64_t& ref, Digest& hash) {
    SqlRows rows;
    if (std::string why =
            m_session.Run("SELECT ref, hash FROM chain_head WHERE one = 1", {}, &rows);
        !why.empty())
        return why;
    if (rows.empty())
        return m_session.Name() + ": the chain's head is missing";
    ref = rows[0].Int(0);
    hash = DigestOfBlob(rows[0].Blob(1));
    return "";
}

std::string SqlHistory::MoveHead(int64_t ref, const Digest& hash) {
    return m_session.Run("UPDATE chain_head SET ref = ?1, hash = ?2 WHERE one = 1",
                         {ref, BlobOf(hash)});
}

std::string SqlHistory::RecordedControllerOf(int64_t controllerId, RecordedController& out) {
    SqlRows rows;
    if (std::string why =
            m_session.Run("SELECT port_key, unit, model_code FROM controllers WHERE id = ?1",
                          {controllerId}, &rows);
        !why.empty())
        return why;
    if (rows.empty())
        out = {"(controller " + std::to_string(controllerId) + " is missing)", 0, ""};
    else
        out = {rows[0].Text(0), static_cast<int>(rows[0].Int(1)), rows[0].Text(2)};
    return "";
}

std::string SqlHistory::AddEvent(HistoryEvent e) {
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
    SqlRows next;
    if (std::string why = m_session.Run("SELECT COALESCE(MAX(id), 0) + 1 FROM events", {}, &next);
        !why.empty())
        return why;
    e.id = next.at(0).Int(0);
    const Digest hash = EventLinkHash(previousHash, previousRef, e);
    if (std::string why = m_session.Run(
            "INSERT INTO events (id, kind, snapshot_id, controller_id, other_id, text, taken,"
            " origin_id, prev_ref, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
            {e.id, HistoryEventKeyword(e.kind), e.snapshotId, e.controllerId, e.otherId, e.text,
             taken, origin, previousRef, BlobOf(hash)});
        !why.empty())
        return why;
    return MoveHead(EventRef(e.id), hash);
}

template <typename Change>
std::string SqlHistory::ChangeWithEvent(const HistoryEvent& event, Change change) {
    if (!m_readOnly.empty())
        return m_readOnly;
    SqlWrite write(m_session);
    if (std::string why = write.Begin(); !why.empty())
        return why;
    if (std::string why = change(); !why.empty())
        return why;
    if (std::string why = AddEvent(event); !why.empty())
        return why;
    return write.Commit();
}

// Why `id` names no row of `table`, or "" when it does; `joined` set when the controller
// is joined into another.
static std::string Missing(SqlSession& session, const char* table, int64_t id,
                           int64_t* joined = nullptr) {
    SqlRows rows;
    const std::string column = joined ? "joined_into" : "id";
    if (std::string why = session.Run(
            std::string("SELECT ") + column + " FROM " + table + " WHERE id = ?1", {id}, &rows);
        !why.empty())
        return why;
    if (rows.empty())
        return std::string("there is no ") + (table[0] == 's' ? "snapshot " : "controller ") +
               std::to_string(id);
    if (joined)
        *joined = rows[0].IsNull(0) ? 0 : rows[0].Int(0);
    return "";
}

std::string SqlHistory::SetNote(int64_t id, const std::string& note) {
    if (std::string why = AnnotationRefusal(note, "A note"); !why.empty())
        return why;
    HistoryEvent e;
    e.kind = HistoryEventKind::Note;
    e.snapshotId = id;
    e.text = note;
    return ChangeWithEvent(e, [&] {
        std::string why = Missing(m_session, "snapshots", id);
        return why.empty()
                   ? m_session.Run("UPDATE snapshots SET note = ?1 WHERE id = ?2", {note, id})
                   : why;
    });
}

std::string SqlHistory::SetLabel(int64_t controllerId, const std::string& label) {
    if (std::string why = AnnotationRefusal(label, "A label"); !why.empty())
        return why;
    HistoryEvent e;
    e.kind = HistoryEventKind::Label;
    e.controllerId = controllerId;
    e.text = label;
    return ChangeWithEvent(e, [&] {
        std::string why = Missing(m_session, "controllers", controllerId);
        return why.empty() ? m_session.Run("UPDATE controllers SET label = ?1 WHERE id = ?2",
                                           {label, controllerId})
                           : why;
    });
}

std::string SqlHistory::JoinControllers(int64_t from, int64_t into) {
    if (from == into)
        return "a controller cannot be joined into itself";
    HistoryEvent e;
    e.kind = HistoryEventKind::Join;
    e.controllerId = from;
    e.otherId = into;
    return ChangeWithEvent(e, [&]() -> std::string {
        for (int64_t id : {from, into}) {
            int64_t joined = 0;
            if (std::string why = Missing(m_session, "controllers", id, &joined); !why.empty())
                return why;
            if (joined)
                return "controller " + std::to_string(id) + " is already joined into controller " +
                       std::to_string(joined);
        }
        std::string why = m_session.Run("UPDATE controllers SET joined_into = ?2"
                                        " WHERE id = ?1 OR joined_into = ?1",
                                        {from, into});
        return why.empty() ? m_session.Run("UPDATE snapshots SET controller_id = ?2"
                                           " WHERE controller_id = ?1",
                                           {from, into})
                           : why;
    });
}

std::string SqlHistory::MoveSnapshot(int64_t snapshotId, int64_t controllerId) {
    HistoryEvent e;
    e.kind = HistoryEventKind::Move;
    e.snapshotId = snapshotId;
    e.controllerId = controllerId;
    return ChangeWithEvent(e, [&]() -> std::string {
        int64_t joined = 0;
        if (std::string why = Missing(m_session, "controllers", controllerId, &joined);
            !why.empty())
            return why;
        if (joined)
            return "controller " + std::to_string(controllerId) + " is joined into controller " +
                   std::to_string(joined) + "; move the snapshot there";
        SqlRows from;
        if (std::string why = m_session.Run("SELECT controller_id FROM snapshots WHERE id = ?1",
                                            {snapshotId}, &from);
            !why.empty())
            return why;
        if (from.empty())
            return "there is no snapshot " + std::to_string(snapshotId);
        if (from[0].Int(0) == controllerId)
            return "snapshot " + std::to_string(snapshotId) + " belongs to that controller already";
        e.otherId = from[0].Int(0);
        return m_session.Run("UPDATE snapshots SET controller_id = ?2 WHERE id = ?1",
                             {snapshotId, controllerId});
    });
}

std::string SqlHistory::Events(std::vector<HistoryEvent>& out) {
    out.clear();
    SqlRows rows;
    const std::string why = m_session.Run(std::string("SELECT ") + kEventColumnList +
                                              " FROM events e JOIN origins o ON o.id = e.origin_id"
                                              " ORDER BY e.id",
                                          {}, &rows);
    for (const SqlRow& r : rows)
        if (std::optional<HistoryEvent> e = EventOfRow(r)) // else one a newer version added
            out.push_back(std::move(*e));
    return why;
}
