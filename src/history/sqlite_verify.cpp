// Checking the history file's chain: every link's hash, the links' order, and that what a
// snapshot or controller shows now (its note, its label, where a join or move put it) is
// what the chain's events say.

#include "history/sqlite_history.h"

#include "history/sqlite_statement.h"

#include <sqlite3.h>

#include <deque>
#include <map>

namespace {

Digest DigestOf(const std::vector<uint8_t>& blob) {
    Digest d{};
    if (blob.size() == d.size())
        std::copy(blob.begin(), blob.end(), d.begin());
    return d;
}

// What the events say a snapshot and a controller should show now.
struct Expected {
    std::map<int64_t, std::string> note;  // by snapshot
    std::map<int64_t, std::string> label; // by controller
    std::map<int64_t, int64_t> joined;    // from -> into
    std::map<int64_t, int64_t> moved;     // snapshot -> controller

    int64_t Resolve(int64_t controller) const {
        for (int hops = 0; hops < 1000; ++hops) {
            const auto into = joined.find(controller);
            if (into == joined.end())
                break;
            controller = into->second;
        }
        return controller;
    }
};

} // namespace

std::string SqliteHistory::Verify(ChainReport& report) {
    report = ChainReport{};
    ChainChecker checker;
    for (const char* table : {"snapshots", "events"}) {
        SqliteStatement q(m_db, (std::string("SELECT id, prev_ref, hash FROM ") + table).c_str());
        const bool snapshots = table[0] == 's';
        while (q.Step() == SQLITE_ROW)
            checker.AddLink(snapshots ? SnapshotRef(q.Int(0)) : EventRef(q.Int(0)), q.Int(1),
                            DigestOf(q.Blob(2)));
        if (q.Code() != SQLITE_DONE)
            return Failure();
    }

    Expected expected;
    {
        SqliteStatement q(m_db, "SELECT e.id, e.kind, e.snapshot_id, e.controller_id, e.other_id,"
                                " e.text, e.taken, o.os_user, o.host, o.program, e.prev_ref"
                                " FROM events e LEFT JOIN origins o ON o.id = e.origin_id"
                                " ORDER BY e.id");
        while (q.Step() == SQLITE_ROW) {
            HistoryEvent e;
            e.id = q.Int(0);
            const std::string kind = q.Text(1);
            bool known = false;
            for (HistoryEventKind k :
                 {HistoryEventKind::Note, HistoryEventKind::Label, HistoryEventKind::Join,
                  HistoryEventKind::Move, HistoryEventKind::Upgrade})
                if (kind == HistoryEventKeyword(k)) {
                    e.kind = k;
                    known = true;
                }
            if (!known) {
                checker.Contradiction(EventRef(e.id), "of a kind this version does not know");
                continue;
            }
            e.snapshotId = q.Int(2);
            e.controllerId = q.Int(3);
            e.otherId = q.Int(4);
            e.text = q.Text(5);
            e.takenUtc = UtcText(q.Int(6));
            e.user = q.Text(7);
            e.host = q.Text(8);
            e.program = q.Text(9);
            const int64_t ref = EventRef(e.id);
            checker.Check(ref, EventLinkHash(checker.PreviousHash(ref), q.Int(10), e));
            switch (e.kind) {
            case HistoryEventKind::Note:
                expected.note[e.snapshotId] = e.text;
                break;
            case HistoryEventKind::Label:
                expected.label[e.controllerId] = e.text;
                break;
            case HistoryEventKind::Join:
                expected.joined[e.controllerId] = e.otherId;
                break;
            case HistoryEventKind::Move:
                expected.moved[e.snapshotId] = e.controllerId;
                break;
            case HistoryEventKind::Upgrade:
                report.upgradedUtc = e.takenUtc;
                report.linkedAtUpgrade = e.otherId;
                break;
            }
        }
        if (q.Code() != SQLITE_DONE)
            return Failure();
    }

    // The snapshots in order, each set put together from the one it rests on where that
    // was just seen.
    std::map<int64_t, RecordedController> controllers;
    std::map<int64_t, BlockRefs> recent;
    std::deque<int64_t> recentOrder;
    SqliteStatement q(m_db, "SELECT s.id, s.controller_id, s.recorded_controller_id, s.taken,"
                            " o.os_user, o.host, o.program, s.what, s.groups, s.sent_group,"
                            " s.verified, s.detail, s.note, s.prev_ref, s.content_id, s.base_id,"
                            " s.depth, s.blocks FROM snapshots s"
                            " LEFT JOIN origins o ON o.id = s.origin_id ORDER BY s.id");
    while (q.Step() == SQLITE_ROW) {
        SnapshotEntry s;
        s.id = q.Int(0);
        s.controllerId = q.Int(1);
        s.recordedControllerId = q.Int(2);
        s.takenUtc = UtcText(q.Int(3));
        s.user = q.Text(4);
        s.host = q.Text(5);
        s.program = q.Text(6);
        s.keyword = q.Text(7);
        s.groups = static_cast<GroupMask>(q.Int(8));
        if (!q.IsNull(9) && q.Int(9) >= 0 && q.Int(9) < kGroupCount)
            s.sent = GroupId::FromIndex(static_cast<int>(q.Int(9)));
        s.verified = q.Int(10) != 0;
        s.detail = q.Text(11);
        s.note = q.Text(12);
        const int64_t ref = SnapshotRef(s.id);

        StoredSet set;
        std::string why;
        if (!q.IsNull(14)) {
            set.contentId = q.Int(14);
        } else {
            BlockRefs own;
            const int64_t base = q.IsNull(15) ? 0 : q.Int(15);
            if (!DecodeRefs(q.Blob(17), own))
                why = "its list of blocks is damaged";
            else if (base && recent.count(base))
                set.refs = recent[base];
            else if (base)
                why = StoredSetOf(base, set);
            set.blocks = true;
            ApplyRefs(set.refs, own);
            recent[s.id] = set.refs;
            recentOrder.push_back(s.id);
            if (recentOrder.size() > 256) {
                recent.erase(recentOrder.front());
                recentOrder.pop_front();
            }
        }
        Digest setDigest{};
        if (why.empty())
            why = SetDigestOf(set, setDigest);
        if (!why.empty()) {
            checker.Contradiction(ref, "its set cannot be read (" + why + ")");
            continue;
        }
        if (!controllers.count(s.recordedControllerId)) {
            RecordedController c;
            if (std::string failed = RecordedControllerOf(s.recordedControllerId, c);
                !failed.empty())
                return failed;
            controllers[s.recordedControllerId] = c;
        }
        checker.Check(ref, SnapshotLinkHash(checker.PreviousHash(ref), q.Int(13), s,
                                            controllers[s.recordedControllerId], setDigest));
        const std::string note = expected.note.count(s.id) ? expected.note[s.id] : "";
        if (s.note != note)
            checker.Contradiction(ref, "its note is not the one last set in the chain");
        const int64_t owner = expected.Resolve(expected.moved.count(s.id) ? expected.moved[s.id]
                                                                          : s.recordedControllerId);
        if (s.controllerId != owner)
            checker.Contradiction(ref, "it was given to controller " +
                                           std::to_string(s.controllerId) +
                                           " without a join or move in the chain");
    }
    if (q.Code() != SQLITE_DONE)
        return Failure();

    int64_t headRef = 0;
    Digest headHash;
    if (std::string why = ChainHead(headRef, headHash); !why.empty())
        return why;
    checker.Finish(headRef, headHash, report);

    // What each controller shows against the chain's labels and joins.
    SqliteStatement c(m_db, "SELECT id, label, joined_into FROM controllers ORDER BY id");
    while (c.Step() == SQLITE_ROW) {
        const int64_t id = c.Int(0);
        const std::string label = expected.label.count(id) ? expected.label[id] : "";
        const int64_t into = expected.Resolve(id);
        std::string problem;
        if (c.Text(1) != label)
            problem = "controller " + std::to_string(id) +
                      ": its label is not the one last set in the chain";
        else if ((c.IsNull(2) ? id : c.Int(2)) != into)
            problem =
                "controller " + std::to_string(id) + " was joined without a join in the chain";
        if (!problem.empty()) {
            report.problems.push_back(problem);
            if (report.problem.empty())
                report.problem = problem;
            report.whole = false;
        }
    }
    return c.Code() == SQLITE_DONE ? "" : Failure();
}
