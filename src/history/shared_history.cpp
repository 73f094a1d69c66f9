#include "history/shared_history.h"

#include "history/history_location.h"

#include <cstdlib>
#include <random>

namespace {

// 128 random bits as 32 hexadecimal digits: a snapshot's key across PCs.
std::string NewUid() {
    std::random_device random;
    static const char kDigits[] = "0123456789abcdef";
    std::string uid;
    for (int i = 0; i < 32; ++i)
        uid += kDigits[random() & 15];
    return uid;
}

} // namespace

std::string LocalHistoryPath() {
    if (const char* local = std::getenv("TQX_HISTORY_LOCAL"); local && *local)
        return local;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = data && *data ? std::string(data)
                               : home        ? std::string(home) + "/.local/share"
                                             : std::string(".");
    return folder + "/TQXLOADER961114/" + kHistoryFileName;
}

std::string SharedHistory::Open(const std::string& conninfo, const std::string& local,
                                bool record) {
    m_conninfo = conninfo;
    m_localPath = local;
    m_serverWhy = m_server.Open(conninfo);
    if (m_serverWhy.empty() || (record && m_server.Unreachable()))
        return "";
    return m_serverWhy;
}

std::string SharedHistory::Server() {
    if (m_serverWhy.empty())
        return "";
    m_serverWhy = m_server.Open(m_conninfo);
    return m_serverWhy;
}

std::string SharedHistory::Local() {
    if (m_localOpen)
        return "";
    std::string why = m_local.Open(m_localPath, SqliteHistory::Access::Record);
    m_localOpen = why.empty();
    return why;
}

std::string SharedHistory::ReadOnlyReason() const {
    return m_serverWhy.empty() ? m_server.ReadOnlyReason() : "";
}

int SharedHistory::WaitingCount() {
    std::vector<SqliteHistory::Waiting> waiting;
    if (!Local().empty() || !m_local.WaitingFor(ServerName(m_conninfo), waiting).empty())
        return -1;
    return static_cast<int>(waiting.size());
}

std::string SharedHistory::KeepLocally(const NewSnapshot& snapshot, int64_t* id) {
    NewSnapshot kept = snapshot;
    if (kept.uid.empty())
        kept.uid = NewUid();
    int64_t local = 0;
    std::string why = Local();
    if (why.empty())
        why = m_local.Record(kept, &local);
    if (why.empty())
        why = m_local.MarkWaiting(local, kept.uid, ServerName(m_conninfo));
    if (!why.empty())
        return m_serverWhy + "; and the local history: " + why;
    if (id)
        *id = 0; // no number on the server yet
    const int waiting = WaitingCount();
    m_notice = "History kept locally: " + m_serverWhy + "; " + std::to_string(waiting) +
               (waiting == 1 ? " snapshot waits" : " snapshots wait") +
               " to be sent (tqxctl history push)";
    return "";
}

std::string SharedHistory::Push(int& sent, int& there) {
    sent = there = 0;
    if (std::string why = Server(); !why.empty())
        return why;
    std::vector<SqliteHistory::Waiting> waiting;
    if (std::string why = Local(); !why.empty())
        return why;
    if (std::string why = m_local.WaitingFor(ServerName(m_conninfo), waiting); !why.empty())
        return why;
    std::vector<ControllerEntry> controllers;
    if (std::string why = m_local.Controllers(controllers); !why.empty())
        return why;
    for (const SqliteHistory::Waiting& w : waiting) {
        SnapshotEntry s;
        NewSnapshot copy;
        SetStartValues(copy.set);
        std::string why = m_local.Snapshot(w.snapshotId, s);
        if (why.empty())
            why = m_local.LoadSet(w.snapshotId, copy.set);
        if (!why.empty())
            return why;
        for (const ControllerEntry& c : controllers)
            if (c.id == s.controllerId)
                copy.controller = c.identity;
        copy.event = s.event.value_or(SnapshotEvent::Connect);
        copy.groups = s.groups;
        copy.sent = s.sent;
        copy.verified = s.verified;
        copy.detail = s.detail;
        copy.program = s.program;
        copy.takenUtc = s.takenUtc;
        copy.user = s.user;
        copy.host = s.host;
        copy.uid = w.uid;
        copy.arrival = "was recorded on " + s.host + " at " + s.takenUtc + " while " +
                       ServerName(m_conninfo) + " was out of reach";
        int64_t id = 0;
        if (std::string failed = m_server.FindUid(w.uid, id); !failed.empty())
            return failed;
        if (id) {
            ++there; // sent before, and not forgotten here then
        } else {
            if (std::string failed = m_server.Record(copy, &id); !failed.empty())
                return failed;
            ++sent;
            if (!s.note.empty())
                m_server.SetNote(id, s.note);
        }
        if (std::string failed = m_local.Sent(w.snapshotId); !failed.empty())
            return failed;
    }
    return "";
}

std::string SharedHistory::Record(const NewSnapshot& snapshot, int64_t* id) {
    m_notice.clear();
    // Its own key from the start: a commit whose answer is lost, kept locally and sent
    // again, is found on the server rather than stored twice.
    NewSnapshot keyed = snapshot;
    if (keyed.uid.empty())
        keyed.uid = NewUid();
    if (Server().empty()) {
        int sent = 0, there = 0;
        const std::string pushed = Push(sent, there);
        std::string why = m_server.Record(keyed, id);
        if (why.empty()) {
            if (sent > 0)
                m_notice = "History shared: " + std::to_string(sent) +
                           (sent == 1 ? " snapshot" : " snapshots") + " kept while " +
                           ServerName(m_conninfo) + " was out of reach sent now";
            if (!pushed.empty())
                m_notice += std::string(m_notice.empty() ? "History: " : "; ") +
                            "snapshots kept locally still wait: " + pushed;
            return "";
        }
        if (!m_server.Unreachable())
            return why;
        m_serverWhy = why;
    }
    return KeepLocally(keyed, id);
}

// Reading and annotating: the server's.
#define TQX_ON_SERVER(call)                                                                        \
    if (std::string why = Server(); !why.empty())                                                  \
        return why;                                                                                \
    return m_server.call

std::string SharedHistory::Controllers(std::vector<ControllerEntry>& out) {
    TQX_ON_SERVER(Controllers(out));
}
std::string SharedHistory::Snapshots(const SnapshotQuery& query, std::vector<SnapshotEntry>& out) {
    TQX_ON_SERVER(Snapshots(query, out));
}
std::string SharedHistory::Snapshot(int64_t id, SnapshotEntry& out) {
    TQX_ON_SERVER(Snapshot(id, out));
}
std::string SharedHistory::Previous(int64_t id, std::optional<SnapshotEntry>& out) {
    TQX_ON_SERVER(Previous(id, out));
}
std::string SharedHistory::LoadSet(int64_t id, ParameterImage& image) {
    TQX_ON_SERVER(LoadSet(id, image));
}
std::string SharedHistory::SetNote(int64_t id, const std::string& note) {
    TQX_ON_SERVER(SetNote(id, note));
}
std::string SharedHistory::SetLabel(int64_t controllerId, const std::string& label) {
    TQX_ON_SERVER(SetLabel(controllerId, label));
}
std::string SharedHistory::JoinControllers(int64_t from, int64_t into) {
    TQX_ON_SERVER(JoinControllers(from, into));
}
std::string SharedHistory::MoveSnapshot(int64_t snapshotId, int64_t controllerId) {
    TQX_ON_SERVER(MoveSnapshot(snapshotId, controllerId));
}
std::string SharedHistory::Events(std::vector<HistoryEvent>& out) {
    TQX_ON_SERVER(Events(out));
}
std::string SharedHistory::Verify(ChainReport& report) {
    TQX_ON_SERVER(Verify(report));
}
