#pragma once

#include "editors/parameter_listing.h"
#include "history/history_store.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The audit report of one controller over a period, as found and as left: every snapshot
// that changed something or carries a note, with each parameter before and after in
// engineering units, who, where and why; what was done to the history itself meanwhile;
// and whether the chain of the history is whole. The PDF (audit_report_qtcore.h), the CSV
// below and tqxctl history changes all read it the same way.

// One snapshot as the audit lists it.
struct AuditChange {
    SnapshotEntry snapshot;
    bool first = false;  // the controller's first snapshot: nothing before it to compare with
    std::string damaged; // why its set could not be read; "" when it could
    std::vector<ParameterDifference> differences; // before -> after
};

// Compares snapshots, given oldest first, each with the one before it of the same
// controller; for the first of a controller it asks the store for the one before.
class ChangeWalk {
public:
    explicit ChangeWalk(HistoryStore& store) : m_store(store) {}
    // Fills `change` for `snapshot`; `listed` is false for one whose set is the same as the
    // one before and that carries no note. A damaged set is listed, and the next snapshot
    // is compared with the one before it. "" or the store's error.
    std::string Next(const SnapshotEntry& snapshot, AuditChange& change, bool& listed);
    int Damaged() const { return m_damaged; }

private:
    struct Before {
        bool known = false; // there is a set before (false: the controller's first)
        ParameterImage set;
    };
    std::string BeforeOf(const SnapshotEntry& snapshot, Before& before);

    HistoryStore& m_store;
    std::map<int64_t, Before> m_last; // each controller's readable set before the one at hand
    int m_damaged = 0;
};

struct AuditReport {
    ControllerEntry controller;
    std::string fromUtc; // the period, [from, to)
    std::string toUtc;
    std::vector<AuditChange> changes;
    std::vector<HistoryEvent> events; // joins, moves, labels and notes of the period
    ChainReport chain;
    std::string chainError; // why the chain could not be checked; "" when it was
    std::string created;    // when the report was made, as a stored time
};

// The report of controller `controllerId` for snapshots taken in [fromUtc, toUtc).
std::string BuildAuditReport(HistoryStore& store, int64_t controllerId, const std::string& fromUtc,
                             const std::string& toUtc, AuditReport& report);

// "controller #4 joined into #2", "snapshot 12 moved from controller #3 to #2",
// "label of controller #2 set to \"Furnace 3\"", "note of snapshot 12: ...".
std::string EventText(const HistoryEvent& event);

// "chain whole: 1200 snapshots, 3 events; last hash 9f..." or what is wrong with it, and
// the upgrade it begins at.
std::vector<std::string> ChainLines(const ChainReport& chain);

// "unit 1, port rtu:/dev/ttyUSB0 9600 8E1 (stable name /dev/serial/by-id/...)".
std::string PortText(const ControllerEntry& controller);

// The report as RFC 4180 CSV: one record per parameter changed (or per listed snapshot
// without one), one per event, and the chain's last; times ISO 8601 with the offset.
std::string AuditCsv(const AuditReport& report);
