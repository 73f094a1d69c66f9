// tqxctl history changes: the audit trail, each snapshot that changed something or carries
// a note, with each parameter from -> to.

#include "tqxctl_history.h"

#include "editors/audit_report.h"
#include "files/csv_field.h"
#include "image/shown_text.h"
#include "tqxctl_commands.h"

#include <cstdio>
#include <map>

namespace {

constexpr int kOk = 0;
constexpr int kError = 2;
// Snapshots asked of the store at a time.
constexpr int64_t kPage = 1000;

void PrintText(const AuditChange& change, const std::string& controller) {
    const SnapshotEntry& s = change.snapshot;
    std::printf("%s  %s\n", ShortTimeWithZone(s.takenUtc).c_str(),
                ShownText(s.user + "@" + s.host + "  snapshot " + std::to_string(s.id) + "  " +
                          controller + "  " + WhatText(s))
                    .c_str());
    if (!s.note.empty())
        std::printf("  note: %s\n", ShownText(s.note).c_str());
    if (!change.damaged.empty())
        std::printf("  DAMAGED: %s\n", ShownText(change.damaged).c_str());
    else if (change.first)
        std::printf("  the first snapshot of this controller\n");
    for (const ParameterDifference& d : change.differences)
        std::printf("  %s: %s -> %s\n", d.a.Name().c_str(), d.a.text.c_str(), d.b.text.c_str());
}

void PrintCsv(const AuditChange& change, const std::string& controller) {
    const SnapshotEntry& s = change.snapshot;
    const std::vector<std::string> head = {IsoTime(s.takenUtc), s.user, s.host, controller,
                                           std::to_string(s.id)};
    std::string rows;
    auto add = [&](std::vector<std::string> rest) {
        std::vector<std::string> cells = head;
        cells.insert(cells.end(), rest.begin(), rest.end());
        rows += CsvRecord(cells);
    };
    if (!change.damaged.empty())
        add({"DAMAGED: " + change.damaged, "", "", "", "", "", s.note});
    else if (change.differences.empty())
        add({WhatText(s), "", "", "", "", "", s.note});
    for (const ParameterDifference& d : change.differences)
        add({WhatText(s), d.a.Name(), d.a.text, d.b.text, std::to_string(d.a.stored),
             std::to_string(d.b.stored), s.note});
    std::fwrite(rows.data(), 1, rows.size(), stdout);
}

} // namespace

int HistoryChanges(HistoryStore& store, const std::vector<std::string>& operands) {
    std::string since, sinceUtc;
    bool csv = false;
    for (size_t i = 0; i < operands.size(); ++i) {
        if (operands[i] == "--csv") {
            csv = true;
        } else if (operands[i] == "--since") {
            if (!OptionValue(operands, i, "DATE", since))
                return kError;
            if (!LocalDateToUtc(since, false, sinceUtc)) {
                std::fprintf(stderr, "tqxctl: --since takes a local date, "
                                     "YYYY-MM-DD[ HH:MM[:SS]]\n");
                return kError;
            }
        } else {
            std::fputs(kHistoryUsage, stderr);
            return kError;
        }
    }
    std::vector<ControllerEntry> controllers;
    if (std::string why = store.Controllers(controllers); !why.empty()) {
        std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
        return kError;
    }
    std::map<int64_t, std::string> names;
    for (const ControllerEntry& c : controllers)
        names[c.id] = ControllerName(c);

    if (csv)
        std::printf("time,user,host,controller,snapshot,what,parameter,from,to,"
                    "from_stored,to_stored,note\r\n");
    // Only the snapshots since the date are read, a page at a time; the first of each
    // controller is compared with the one before it.
    ChangeWalk walk(store);
    SnapshotQuery query;
    query.sinceUtc = sinceUtc;
    query.oldestFirst = true;
    query.limit = kPage;
    std::vector<SnapshotEntry> page;
    do {
        if (std::string why = store.Snapshots(query, page); !why.empty()) {
            std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
            return kError;
        }
        for (const SnapshotEntry& s : page) {
            AuditChange change;
            bool listed = false;
            if (std::string why = walk.Next(s, change, listed); !why.empty()) {
                std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
                return kError;
            }
            const auto name = names.find(s.controllerId);
            const std::string controller = name != names.end()
                                               ? name->second
                                               : "controller #" + std::to_string(s.controllerId);
            if (listed && csv)
                PrintCsv(change, controller);
            else if (listed)
                PrintText(change, controller);
        }
        if (!page.empty())
            query.beforeId = page.back().id;
    } while (static_cast<int64_t>(page.size()) == kPage);
    if (walk.Damaged() > 0) {
        std::fprintf(stderr, "tqxctl: %d snapshot%s damaged; the rest are listed\n", walk.Damaged(),
                     walk.Damaged() == 1 ? " is" : "s are");
        return kError;
    }
    return kOk;
}
