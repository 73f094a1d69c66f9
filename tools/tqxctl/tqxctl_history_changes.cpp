// tqxctl history changes: the audit trail, each snapshot that changed something with each
// parameter from -> to.

#include "tqxctl_history.h"

#include "editors/parameter_listing.h"
#include "history/snapshot_codec.h"
#include "image/shown_text.h"
#include "tqxctl_commands.h"

#include <cctype>
#include <cstdio>
#include <map>

namespace {

constexpr int kOk = 0;
constexpr int kError = 2;

// "2026-05-03", "2026-05-03 09:12" or "2026-05-03T09:12:07" as the stored times begin;
// "" for a text that is no such date.
std::string SinceKey(std::string date) {
    if (date.size() > 10 && date[10] == ' ')
        date[10] = 'T';
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (date.size() < 10 || date.size() > shape.size())
        return "";
    for (size_t i = 0; i < date.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(date[i]))
                            : date[i] != shape[i])
            return "";
    return date;
}

// A plain number, such as a value "-5.0": a spreadsheet reads it as a number, never as a
// formula.
bool IsPlainNumber(const std::string& field) {
    size_t i = field.size() > 1 && (field[0] == '-' || field[0] == '+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < field.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(field[i])))
            digits = true;
        else if (field[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// A text cell as RFC 4180 quotes it, shown safely; one that a spreadsheet would take for a
// formula (=, +, - or @ first, and not a plain number) gets a leading apostrophe, so that
// it shows as text.
std::string Csv(const std::string& text) {
    std::string field = ShownText(text);
    if (!field.empty() && std::string("=+-@").find(field[0]) != std::string::npos &&
        !IsPlainNumber(field))
        field.insert(0, "'");
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace

int HistoryChanges(HistoryStore& store, const std::vector<std::string>& operands) {
    std::string since;
    bool csv = false;
    for (size_t i = 0; i < operands.size(); ++i) {
        if (operands[i] == "--csv") {
            csv = true;
        } else if (operands[i] == "--since") {
            if (!OptionValue(operands, i, "DATE", since))
                return kError;
            since = SinceKey(since);
            if (since.empty()) {
                std::fprintf(stderr,
                             "tqxctl: --since takes a date in UTC, YYYY-MM-DD[ HH:MM[:SS]]\n");
                return kError;
            }
        } else {
            std::fputs(kHistoryUsage, stderr);
            return kError;
        }
    }
    std::vector<ControllerEntry> controllers;
    std::vector<SnapshotEntry> snapshots;
    std::string why = store.Controllers(controllers);
    if (why.empty())
        why = store.Snapshots(0, snapshots);
    if (!why.empty()) {
        std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
        return kError;
    }
    std::map<int64_t, std::string> names;
    for (const ControllerEntry& c : controllers)
        names[c.id] = ControllerName(c);

    if (csv)
        std::printf("time_utc,user,host,controller,snapshot,what,parameter,from,to,"
                    "from_stored,to_stored\r\n");
    // Each controller's set before the snapshot at hand; equal contents need no diff.
    struct Last {
        ParameterImage set;
    };
    std::map<int64_t, Last> last;
    int damaged = 0;
    ListingOptions every;
    every.patternFieldsPerSegment = true;
    for (auto s = snapshots.rbegin(); s != snapshots.rend(); ++s) {
        const auto before = last.find(s->controllerId);
        Last now;
        SetStartValues(now.set);
        const bool shown = s->takenUtc >= since;
        const std::string header = s->user + "@" + s->host + "  snapshot " + std::to_string(s->id) +
                                   "  " + names[s->controllerId] + "  " + WhatText(*s);
        // A damaged snapshot is listed as such; the one after it is compared with the one
        // before it.
        if (std::string failed = store.LoadSet(s->id, now.set); !failed.empty()) {
            ++damaged;
            if (shown && csv)
                std::printf("%s,%s,%s,%s,%lld,%s,,,,,\r\n", s->takenUtc.c_str(),
                            Csv(s->user).c_str(), Csv(s->host).c_str(),
                            Csv(names[s->controllerId]).c_str(), static_cast<long long>(s->id),
                            Csv("DAMAGED: " + failed).c_str());
            else if (shown)
                std::printf("%s UTC  %s\n  DAMAGED: %s\n", ShortTime(s->takenUtc).c_str(),
                            ShownText(header).c_str(), ShownText(failed).c_str());
            continue;
        }
        if (before != last.end() && EncodeSet(before->second.set) == EncodeSet(now.set))
            continue;
        if (shown && !csv)
            std::printf("%s UTC  %s\n", ShortTime(s->takenUtc).c_str(), ShownText(header).c_str());
        if (shown && before == last.end() && !csv)
            std::printf("  the first snapshot of this controller\n");
        if (shown && before != last.end())
            for (const ParameterDifference& d :
                 DiffParameters(before->second.set, now.set, every)) {
                if (csv)
                    std::printf("%s,%s,%s,%s,%lld,%s,%s,%s,%s,%d,%d\r\n", s->takenUtc.c_str(),
                                Csv(s->user).c_str(), Csv(s->host).c_str(),
                                Csv(names[s->controllerId]).c_str(), static_cast<long long>(s->id),
                                Csv(WhatText(*s)).c_str(), Csv(d.a.Name()).c_str(),
                                Csv(d.a.text).c_str(), Csv(d.b.text).c_str(), d.a.stored,
                                d.b.stored);
                else
                    std::printf("  %s: %s -> %s\n", d.a.Name().c_str(), d.a.text.c_str(),
                                d.b.text.c_str());
            }
        last[s->controllerId] = std::move(now);
    }
    if (damaged > 0) {
        std::fprintf(stderr, "tqxctl: %d snapshot%s damaged; the rest are listed\n", damaged,
                     damaged == 1 ? " is" : "s are");
        return kError;
    }
    return kOk;
}
