#include "editors/audit_report.h"

#include "files/csv_field.h"
#include "image/shown_text.h"

#include <algorithm>
#include <optional>
#include <set>

namespace {

// The PVST, CYCL and LINK of every segment too: a change to any of them is a change.
ListingOptions EveryField() {
    ListingOptions every;
    every.patternFieldsPerSegment = true;
    return every;
}

std::string Quoted(const std::string& text) {
    return "\"" + ShownText(text) + "\"";
}

// Whether `event` concerns controller `id`, whose snapshots in the period are `ours`.
bool Concerns(HistoryStore& store, const HistoryEvent& event, int64_t id,
              const std::set<int64_t>& ours) {
    switch (event.kind) {
    case HistoryEventKind::Label:
        return event.controllerId == id;
    case HistoryEventKind::Join:
    case HistoryEventKind::Move:
        return event.controllerId == id || event.otherId == id;
    case HistoryEventKind::Note: {
        if (ours.count(event.snapshotId))
            return true;
        SnapshotEntry s;
        return store.Snapshot(event.snapshotId, s).empty() && s.controllerId == id;
    }
    case HistoryEventKind::Upgrade:
        return true;
    }
    return false;
}

} // namespace

std::string ChangeWalk::BeforeOf(const SnapshotEntry& snapshot, Before& before) {
    // The readable set nearest before it; a damaged one is passed over as the walk does.
    for (int64_t at = snapshot.id;;) {
        std::optional<SnapshotEntry> previous;
        if (std::string why = m_store.Previous(at, previous); !why.empty())
            return why;
        if (!previous)
            return "";
        SetStartValues(before.set);
        if (m_store.LoadSet(previous->id, before.set).empty()) {
            before.known = true;
            return "";
        }
        at = previous->id;
    }
}

std::string ChangeWalk::Next(const SnapshotEntry& snapshot, AuditChange& change, bool& listed) {
    change = AuditChange{};
    change.snapshot = snapshot;
    listed = false;
    auto last = m_last.find(snapshot.controllerId);
    if (last == m_last.end()) {
        Before before;
        if (std::string why = BeforeOf(snapshot, before); !why.empty())
            return why;
        last = m_last.emplace(snapshot.controllerId, std::move(before)).first;
    }
    ParameterImage now;
    SetStartValues(now);
    if (std::string failed = m_store.LoadSet(snapshot.id, now); !failed.empty()) {
        ++m_damaged;
        change.damaged = failed;
        listed = true;
        return "";
    }
    Before& before = last->second;
    change.first = !before.known;
    if (before.known && !(before.set == now))
        change.differences = DiffParameters(before.set, now, EveryField());
    listed = change.first || !change.differences.empty() || !snapshot.note.empty();
    before.known = true;
    before.set = now;
    return "";
}

std::string BuildAuditReport(HistoryStore& store, int64_t controllerId, const std::string& fromUtc,
                             const std::string& toUtc, AuditReport& report) {
    report = AuditReport{};
    report.fromUtc = fromUtc;
    report.toUtc = toUtc;
    std::vector<ControllerEntry> controllers;
    if (std::string why = store.Controllers(controllers); !why.empty())
        return why;
    const auto found = std::find_if(controllers.begin(), controllers.end(),
                                    [&](const ControllerEntry& c) { return c.id == controllerId; });
    if (found == controllers.end())
        return "there is no controller #" + std::to_string(controllerId) + " in the history";
    report.controller = *found;

    SnapshotQuery query;
    query.controllerId = controllerId;
    query.sinceUtc = fromUtc;
    query.untilUtc = toUtc;
    query.oldestFirst = true;
    std::vector<SnapshotEntry> snapshots;
    if (std::string why = store.Snapshots(query, snapshots); !why.empty())
        return why;
    ChangeWalk walk(store);
    std::set<int64_t> ours;
    for (const SnapshotEntry& s : snapshots) {
        ours.insert(s.id);
        AuditChange change;
        bool listed = false;
        if (std::string why = walk.Next(s, change, listed); !why.empty())
            return why;
        if (listed)
            report.changes.push_back(std::move(change));
    }

    std::vector<HistoryEvent> events;
    if (std::string why = store.Events(events); !why.empty())
        return why;
    for (const HistoryEvent& e : events)
        if (e.takenUtc >= fromUtc && e.takenUtc < toUtc && Concerns(store, e, controllerId, ours))
            report.events.push_back(e);
    report.chainError = store.Verify(report.chain);
    return "";
}

std::string EventText(const HistoryEvent& e) {
    const std::string snapshot = "snapshot " + std::to_string(e.snapshotId);
    const std::string controller = "controller #" + std::to_string(e.controllerId);
    const std::string other = "controller #" + std::to_string(e.otherId);
    switch (e.kind) {
    case HistoryEventKind::Note:
        return e.text.empty() ? "note of " + snapshot + " cleared"
                              : "note of " + snapshot + " set to " + Quoted(e.text);
    case HistoryEventKind::Label:
        return e.text.empty() ? "label of " + controller + " cleared"
                              : "label of " + controller + " set to " + Quoted(e.text);
    case HistoryEventKind::Join:
        return controller + " joined into " + other;
    case HistoryEventKind::Move:
        return snapshot + " moved from " + other + " to " + controller;
    case HistoryEventKind::Upgrade:
        return e.text.empty() ? "the chain begins: the snapshots before it were linked as they were"
                              : ShownText(e.text);
    }
    return HistoryEventKeyword(e.kind);
}

std::vector<std::string> ChainLines(const ChainReport& chain) {
    std::vector<std::string> lines;
    const std::string counts =
        std::to_string(chain.snapshots) + " snapshots, " + std::to_string(chain.events) + " events";
    if (chain.whole) {
        lines.push_back("chain whole: " + counts + "; last hash " + chain.lastHash);
    } else {
        lines.push_back("chain NOT whole (" + counts + " checked)");
        // The first ones say where to look; a chain rewritten from some link on would
        // otherwise list every link after it.
        constexpr size_t kShown = 20;
        for (size_t i = 0; i < chain.problems.size() && i < kShown; ++i)
            lines.push_back("  " + chain.problems[i]);
        if (chain.problems.size() > kShown)
            lines.push_back("  ... and " + std::to_string(chain.problems.size() - kShown) +
                            " more");
        if (chain.problems.empty() && !chain.problem.empty())
            lines.push_back("  " + chain.problem);
        if (chain.firstBadSnapshot)
            lines.push_back("the first bad snapshot is " + std::to_string(chain.firstBadSnapshot));
        lines.push_back("last hash " + chain.lastHash);
    }
    for (const std::string& arrival : chain.arrivals)
        lines.push_back(arrival);
    if (!chain.upgradedUtc.empty())
        lines.push_back("the chain begins at the upgrade on " +
                        ShortTimeWithZone(chain.upgradedUtc) +
                        ": snapshots before it were linked as they were then");
    return lines;
}

std::string PortText(const ControllerEntry& c) {
    const std::string port = c.identity.port.empty() ? "none" : c.identity.port;
    std::string text = "unit " + std::to_string(c.identity.unit) + ", port " + port;
    if (!c.portKey.empty() && c.portKey != c.identity.port)
        text += " (stable name " + c.portKey + ")";
    return ShownText(text);
}

std::string AuditCsv(const AuditReport& r) {
    const ControllerEntry& c = r.controller;
    const std::vector<std::string> controller = {ControllerName(c), c.identity.port, c.portKey,
                                                 c.identity.modelCode};
    std::string csv = CsvRecord({"record", "time", "controller", "port", "port_key", "model_code",
                                 "snapshot", "user", "host", "what", "parameter", "before", "after",
                                 "before_stored", "after_stored", "note", "hash"});
    // A record: its kind and time, the controller's four cells, then `rest`.
    auto add = [&](const std::string& kind, const std::string& time,
                   const std::vector<std::string>& rest) {
        std::vector<std::string> cells = {kind, time};
        cells.insert(cells.end(), controller.begin(), controller.end());
        cells.insert(cells.end(), rest.begin(), rest.end());
        csv += CsvRecord(cells);
    };
    add("period", IsoTime(r.created),
        {"", "", "", "audit report", "", IsoTime(r.fromUtc), IsoTime(r.toUtc), "", "", "", ""});
    for (const AuditChange& change : r.changes) {
        const SnapshotEntry& s = change.snapshot;
        const std::string id = std::to_string(s.id);
        const std::string time = IsoTime(s.takenUtc);
        std::string alone = change.first ? "the controller's first snapshot" : "";
        if (!change.damaged.empty())
            alone = "DAMAGED: " + change.damaged;
        if (change.differences.empty())
            add("snapshot", time,
                {id, s.user, s.host, WhatText(s), alone, "", "", "", "", s.note, s.hash});
        for (const ParameterDifference& d : change.differences)
            add("snapshot", time,
                {id, s.user, s.host, WhatText(s), d.a.Name(), d.a.text, d.b.text,
                 std::to_string(d.a.stored), std::to_string(d.b.stored), s.note, s.hash});
    }
    for (const HistoryEvent& e : r.events)
        add("event", IsoTime(e.takenUtc),
            {e.snapshotId ? std::to_string(e.snapshotId) : "", e.user, e.host, EventText(e), "", "",
             "", "", "", "", ""});
    std::string chain = r.chainError;
    if (chain.empty())
        for (const std::string& line : ChainLines(r.chain))
            chain += (chain.empty() ? "" : "; ") + line.substr(line.find_first_not_of(' '));
    add("chain", IsoTime(r.created), {"", "", "", chain, "", "", "", "", "", "", r.chain.lastHash});
    return csv;
}
