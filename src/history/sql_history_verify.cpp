// Checking the chain: every link's hash, the links' order, and that what a snapshot or a
// controller shows now (its note, its label, where a join or move put it) is what the
// chain's events say.

#include "history/sql_history.h"
#include "history/sql_history_rows.h"

#include <deque>
#include <map>

namespace {

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

// The rows of a big table a page at a time, by id.
constexpr int kPage = 2000;

} // namespace

std::string SqlHistory::Verify(ChainReport& report) {
    report = ChainReport{};
    // Every block read afresh: one changed since it was last read must not pass unseen.
    m_blockCache.clear();
    m_digestCache.clear();
    m_lastSet = {0, {}};
    // One view of the history throughout, however many record meanwhile.
    if (std::string why = m_session.BeginRead(); !why.empty())
        return why;
    struct EndRead {
        SqlSession& session;
        ~EndRead() { session.EndRead(); }
    } endRead{m_session};
    ChainChecker checker;
    for (const char* table : {"snapshots", "events"}) {
        const bool snapshots = table[0] == 's';
        for (int64_t after = 0;;) {
            SqlRows rows;
            if (std::string why =
                    m_session.Run(std::string("SELECT id, prev_ref, hash FROM ") + table +
                                      " WHERE id > ?1 ORDER BY id LIMIT " + std::to_string(kPage),
                                  {after}, &rows);
                !why.empty())
                return why;
            for (const SqlRow& r : rows)
                checker.AddLink(snapshots ? SnapshotRef(r.Int(0)) : EventRef(r.Int(0)), r.Int(1),
                                DigestOfBlob(r.Blob(2)));
            if (rows.size() < kPage)
                break;
            after = rows.back().Int(0);
        }
    }

    Expected expected;
    SqlRows events;
    if (std::string why =
            m_session.Run(std::string("SELECT ") + kEventColumnList +
                              ", e.prev_ref FROM events e"
                              " LEFT JOIN origins o ON o.id = e.origin_id ORDER BY e.id",
                          {}, &events);
        !why.empty())
        return why;
    for (const SqlRow& r : events) {
        const std::optional<HistoryEvent> read = EventOfRow(r);
        if (!read) {
            checker.Contradiction(EventRef(r.Int(0)), "of a kind this version does not know");
            continue;
        }
        const HistoryEvent& e = *read;
        const int64_t ref = EventRef(e.id);
        checker.Check(ref, EventLinkHash(checker.PreviousHash(ref), r.Int(10), e));
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

    // The snapshots in order, each set put together from the one it rests on where that
    // was just seen.
    std::map<int64_t, RecordedController> controllers;
    std::map<int64_t, BlockRefs> recent;
    std::deque<int64_t> recentOrder;
    for (int64_t after = 0;;) {
        SqlRows rows;
        if (std::string why = m_session.Run(
                std::string("SELECT ") + kSnapshotColumnList +
                    ", s.prev_ref, s.content_id, s.base_id, s.depth, s.blocks FROM snapshots s"
                    " LEFT JOIN origins o ON o.id = s.origin_id WHERE s.id > ?1 ORDER BY s.id"
                    " LIMIT " +
                    std::to_string(kPage),
                {after}, &rows);
            !why.empty())
            return why;
        // The blocks this page brings, read in one statement rather than one each. A block
        // that does not unpack is left out here and named with the snapshot that holds it.
        BlockRefs brought;
        for (const SqlRow& r : rows) {
            BlockRefs own;
            if (r.IsNull(17) && DecodeRefs(r.Blob(20), own))
                brought.insert(brought.end(), own.begin(), own.end());
        }
        FetchBlocks(brought);
        for (const SqlRow& r : rows) {
            const SnapshotEntry s = SnapshotOfRow(r);
            const int64_t ref = SnapshotRef(s.id);
            if (!s.arrival.empty())
                report.arrivals.push_back("snapshot " + std::to_string(s.id) + " " + s.arrival +
                                          ", and joined the chain when it arrived");

            StoredSet set;
            std::string why;
            if (!r.IsNull(17)) {
                set.contentId = r.Int(17);
            } else {
                BlockRefs own;
                const int64_t base = r.IsNull(18) ? 0 : r.Int(18);
                if (!DecodeRefs(r.Blob(20), own))
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
            checker.Check(ref, SnapshotLinkHash(checker.PreviousHash(ref), r.Int(16), s,
                                                controllers[s.recordedControllerId], setDigest));
            const auto note = expected.note.find(s.id);
            if (s.note != (note == expected.note.end() ? "" : note->second))
                checker.Contradiction(ref, "its note is not the one last set in the chain");
            const auto moved = expected.moved.find(s.id);
            const int64_t owner = expected.Resolve(
                moved == expected.moved.end() ? s.recordedControllerId : moved->second);
            if (s.controllerId != owner)
                checker.Contradiction(ref, "it was given to controller " +
                                               std::to_string(s.controllerId) +
                                               " without a join or move in the chain");
        }
        if (rows.size() < kPage)
            break;
        after = rows.back().Int(0);
    }

    int64_t headRef = 0;
    Digest headHash;
    if (std::string why = ChainHead(headRef, headHash); !why.empty())
        return why;
    checker.Finish(headRef, headHash, report);

    // What each controller shows against the chain's labels and joins.
    SqlRows rows;
    if (std::string why =
            m_session.Run("SELECT id, label, joined_into FROM controllers ORDER BY id", {}, &rows);
        !why.empty())
        return why;
    for (const SqlRow& c : rows) {
        const int64_t id = c.Int(0);
        const auto label = expected.label.find(id);
        std::string problem;
        if (c.Text(1) != (label == expected.label.end() ? "" : label->second))
            problem = "controller " + std::to_string(id) +
                      ": its label is not the one last set in the chain";
        else if ((c.IsNull(2) ? id : c.Int(2)) != expected.Resolve(id))
            problem =
                "controller " + std::to_string(id) + " was joined without a join in the chain";
        if (!problem.empty()) {
            report.problems.push_back(problem);
            if (report.problem.empty())
                report.problem = problem;
            report.whole = false;
        }
    }
    return "";
}
