// tqxctl history: the snapshots the loader and tqxctl recorded, and the snapshot tqxctl
// records after each command that read or wrote a whole controller.

#include "tqxctl_history.h"

#include "editors/parameter_listing.h"
#include "files/parameter_file_writer.h"
#include "history/history_location.h"
#include "history/shared_history.h"
#include "image/image_source.h"
#include "image/shown_text.h"
#include "operator/messages.h"
#include "tqx_version.h"
#include "tqxctl_commands.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

const char kHistoryUsage[] =
    "usage: tqxctl [--history PATH] history list [--controller C] [--all | --limit N]\n"
    "       tqxctl [--history PATH] history changes [--since DATE] [--csv]\n"
    "       tqxctl [--history PATH] history show ID [GROUP]\n"
    "       tqxctl [--history PATH] [--port SETTING] history diff ID ID|controller|FILE\n"
    "       tqxctl [--history PATH] history export ID FILE\n"
    "       tqxctl [--history PATH] history note ID TEXT\n"
    "       tqxctl [--history PATH] history label C TEXT\n"
    "       tqxctl [--history PATH] history verify\n"
    "       tqxctl [--history PATH] history join C INTO\n"
    "       tqxctl [--history PATH] history move ID C\n"
    "       tqxctl [--history PATH] history audit --controller C --from DATE --to DATE OUT\n"
    "       tqxctl [--history SERVER] history push\n"
    "The history holds a snapshot of the whole parameter set after every Connect, SEND,\n"
    "Send all, Send edited groups and File Write in the loader, and after tqxctl backup,\n"
    "backup --all and restore: the controller (port, unit, model code), the time, the user\n"
    "and host, what happened and the groups it touched. Times are local; a DATE is local\n"
    "time as YYYY-MM-DD[ HH:MM[:SS]]. A controller C is its #N (as list numbers it), its\n"
    "unit, model code or label.\n"
    "list      the controllers and each one's newest 50 snapshots, newest first; --all\n"
    "          lists every snapshot, --limit N the newest N; --controller picks one\n"
    "changes   every snapshot that changed something or carries a note, each parameter\n"
    "          from -> to; --since from DATE; --csv as comma-separated rows\n"
    "show      a snapshot's parameters, or one group (system, advanced, pid N, pattern N)\n"
    "diff      a snapshot against another, the controller on port 1 or a parameter file\n"
    "          (exit 0 equal, 1 different); a file named like a number is ./12\n"
    "export    a snapshot as a parameter file, as tqxctl backup would have written it\n"
    "note      sets a snapshot's note; label names a controller (\"Furnace 3\")\n"
    "verify    checks the chain of every snapshot and event (exit 0 whole, 1 not whole)\n"
    "join      C is the same controller as INTO: its snapshots become INTO's\n"
    "move      snapshot ID belongs to controller C\n"
    "audit     the audit report of C from DATE to DATE (a date alone: to its end) as PDF or\n"
    "          CSV, as OUT ends in .pdf or .csv\n"
    "push      sends the snapshots kept locally while the shared history SERVER was out of\n"
    "          reach (each once: a second push sends nothing)\n"
    "The history is PATH, else TQX_HISTORY, else history.sqlite in the loader's data folder.\n"
    "A PostgreSQL connection string (postgresql://host/db, or host=... dbname=...) in its\n"
    "place is a history shared by the plant; its password comes from ~/.pgpass or PGPASSWORD.\n";

namespace {

constexpr int kOk = 0;
constexpr int kDiffers = 1;
constexpr int kError = 2;
// The snapshots list shows of each controller unless told otherwise.
constexpr int64_t kListedByDefault = 50;

class StderrMessages : public Messages {
public:
    void Show(const std::string& text) override {
        std::fprintf(stderr, "tqxctl: %s\n", text.c_str());
    }
};

int Fail(const std::string& why) {
    std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
    return kError;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.size() < 18 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::vector<ControllerEntry> MatchingControllers(const std::vector<ControllerEntry>& all,
                                                 const std::string& which) {
    std::vector<ControllerEntry> found;
    for (const ControllerEntry& c : all) {
        const bool byNumber = which.size() > 1 && which[0] == '#' && IsNumber(which.substr(1)) &&
                              std::stoll(which.substr(1)) == c.id;
        const bool byUnit = IsNumber(which) && std::stoll(which) == c.identity.unit;
        if (byNumber || byUnit || SameText(which, c.identity.modelCode) ||
            (!c.label.empty() && SameText(which, c.label)))
            found.push_back(c);
    }
    return found;
}

std::string OneController(HistoryStore& store, const std::string& which, ControllerEntry& out) {
    std::vector<ControllerEntry> controllers;
    if (std::string why = store.Controllers(controllers); !why.empty())
        return why;
    const std::vector<ControllerEntry> found = MatchingControllers(controllers, which);
    if (found.size() != 1)
        return std::string(found.empty() ? "no controller '" : "more than one controller '") +
               which + "' in the history; name it by its #N from tqxctl history list";
    out = found[0];
    return "";
}

namespace {

// A snapshot's line; `zone`: its time names the zone, which the controller's line does not.
std::string SnapshotLine(const SnapshotEntry& s, bool zone) {
    char line[200];
    std::snprintf(line, sizeof line, "%6lld  %s  %-20s ", static_cast<long long>(s.id),
                  (zone ? ShortTimeWithZone(s.takenUtc) : ShortTime(s.takenUtc)).c_str(),
                  (s.user + "@" + s.host).c_str());
    std::string text = line + WhatText(s) + "  [" + GroupsText(s.groups) + "]";
    return ShownText(s.note.empty() ? text : text + "  note: " + s.note);
}

std::string ControllerLine(const ControllerEntry& c, const std::string& zone) {
    const std::string& port = c.identity.port.empty() ? "none" : c.identity.port;
    return ShownText("controller #" + std::to_string(c.id) +
                     (c.label.empty() ? std::string() : "  \"" + c.label + "\"") + "  unit " +
                     std::to_string(c.identity.unit) + "  model code " +
                     (c.identity.modelCode.empty() ? "not read" : c.identity.modelCode) +
                     "  port " + port + "  port key " + (c.portKey.empty() ? port : c.portKey) +
                     "  last seen " + ShortTimeWithZone(c.lastSeenUtc) + "  " +
                     std::to_string(c.snapshots) + " snapshot" + (c.snapshots == 1 ? "" : "s") +
                     (zone.empty() ? "" : "  times " + zone));
}

// list [--controller C] [--all | --limit N]: each controller's newest snapshots, read a
// page at a time, so a long history lists as fast as a short one.
int List(HistoryStore& store, const std::vector<std::string>& operands) {
    std::string which, limitText;
    int64_t limit = kListedByDefault;
    for (size_t i = 0; i < operands.size(); ++i) {
        if (operands[i] == "--all") {
            limit = 0;
        } else if (operands[i] == "--controller" || operands[i] == "--limit") {
            const bool controller = operands[i] == "--controller";
            if (!OptionValue(operands, i, controller ? "CONTROLLER" : "N",
                             controller ? which : limitText))
                return kError;
            if (!controller && (!IsNumber(limitText) || std::stoll(limitText) == 0))
                return Fail("--limit takes a number of snapshots, 1 or more");
            if (!controller)
                limit = std::stoll(limitText);
        } else {
            return Fail("list takes --controller UNIT|MODEL|LABEL|#N, --all and --limit N\n" +
                        std::string(kHistoryUsage));
        }
    }
    std::vector<ControllerEntry> controllers;
    if (std::string why = store.Controllers(controllers); !why.empty())
        return Fail(why);
    if (!which.empty()) {
        controllers = MatchingControllers(controllers, which);
        if (controllers.empty())
            return Fail("no controller '" + which + "' in the history");
    }
    std::string out;
    for (const ControllerEntry& c : controllers) {
        SnapshotQuery query;
        query.controllerId = c.id;
        query.limit = limit;
        std::vector<SnapshotEntry> snapshots;
        if (std::string why = store.Snapshots(query, snapshots); !why.empty())
            return Fail(why);
        // One zone for every time listed is named once; across a change of the clocks each
        // time names its own.
        std::string zone = snapshots.empty() ? "" : ZoneName(snapshots.front().takenUtc);
        if (!snapshots.empty() && ZoneName(snapshots.back().takenUtc) != zone)
            zone.clear();
        out += ControllerLine(c, zone) + "\n";
        for (const SnapshotEntry& s : snapshots)
            out += SnapshotLine(s, zone.empty()) + "\n";
        const int64_t older = c.snapshots - static_cast<int64_t>(snapshots.size());
        if (older > 0)
            out += "       \u2026 " + std::to_string(older) + " older snapshot" +
                   (older == 1 ? "" : "s") + " (--all lists every one, --limit N)\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kOk;
}

// A snapshot's number and its set; false after the error is printed.
bool LoadSnapshot(HistoryStore& store, const std::string& id, SnapshotEntry& entry,
                  ParameterImage& set) {
    if (!IsNumber(id)) {
        Fail("'" + id + "' is no snapshot number (tqxctl history list shows them)");
        return false;
    }
    SetStartValues(set);
    std::string why = store.Snapshot(std::stoll(id), entry);
    if (why.empty())
        why = store.LoadSet(entry.id, set);
    if (!why.empty())
        Fail(why);
    return why.empty();
}

int Show(HistoryStore& store, const std::vector<std::string>& operands) {
    if (operands.empty() || operands.size() > 3)
        return Fail(std::string("show takes ID [GROUP]\n") + kHistoryUsage);
    std::string group;
    for (size_t i = 1; i < operands.size(); ++i)
        group += (i > 1 ? " " : "") + operands[i];
    const std::optional<GroupId> only = GroupOfCommandName(group);
    if (!group.empty() && !only)
        return Fail("no group '" + group +
                    "'; groups are system, advanced, pid 1..9, pattern 1..9");
    SnapshotEntry s;
    ParameterImage set;
    if (!LoadSnapshot(store, operands[0], s, set))
        return kError;
    std::printf(
        "snapshot %lld  %s  %s\n", static_cast<long long>(s.id),
        ShortTimeWithZone(s.takenUtc).c_str(),
        ShownText(s.user + "@" + s.host + "  " + WhatText(s) + "  [" + GroupsText(s.groups) + "]")
            .c_str());
    std::printf("model code %s\n", ShownText(set.ModelCode()).c_str());
    if (!s.note.empty())
        std::printf("note %s\n", ShownText(s.note).c_str());
    for (const ParameterEntry& e : ListParameters(set))
        if (!only || e.group == *only)
            std::printf("%-32s %-12s (%d)\n", e.Name().c_str(), e.text.c_str(), e.stored);
    return kOk;
}

int Diff(TqxctlContext& context, HistoryStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 2)
        return Fail(std::string("diff takes ID ID|controller|FILE\n") + kHistoryUsage);
    SnapshotEntry first, second;
    ParameterImage a, b;
    if (!LoadSnapshot(store, operands[0], first, a))
        return kError;
    const std::string& other = operands[1];
    const bool file = !IsNumber(other) && other != "controller";
    if (!file && other != "controller" && !LoadSnapshot(store, other, second, b))
        return kError;
    if (!IsNumber(other) && !LoadParameterSource(context, other, b))
        return kError;
    // A file holds neither the advanced GAP, MAX, PP, PI, PD nor PVST, CYCL and LINK per
    // segment; two whole sets are compared in every field.
    return PrintDifferences(a, b, !file);
}

int Export(HistoryStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 2)
        return Fail(std::string("export takes ID FILE\n") + kHistoryUsage);
    StderrMessages messages;
    if (!MayWriteParameterFile(operands[1], messages))
        return kError;
    SnapshotEntry s;
    ParameterImage set;
    if (!LoadSnapshot(store, operands[0], s, set) ||
        !WriteParameterFile(set, operands[1], messages))
        return kError;
    std::printf("saved %s\n", operands[1].c_str());
    return kOk;
}

// note ID TEXT and label CONTROLLER TEXT: the rest of the line is the text.
int Annotate(HistoryStore& store, const std::string& what,
             const std::vector<std::string>& operands) {
    if (operands.size() < 2)
        return Fail(what + " takes " + (what == "note" ? "ID" : "CONTROLLER") + " TEXT\n" +
                    kHistoryUsage);
    std::string text;
    for (size_t i = 1; i < operands.size(); ++i)
        text += (i > 1 ? " " : "") + operands[i];
    if (what == "note") {
        if (!IsNumber(operands[0]))
            return Fail("'" + operands[0] + "' is no snapshot number");
        const std::string why = store.SetNote(std::stoll(operands[0]), text);
        return why.empty() ? kOk : Fail(why);
    }
    ControllerEntry controller;
    if (std::string why = OneController(store, operands[0], controller); !why.empty())
        return Fail(why);
    const std::string why = store.SetLabel(controller.id, text);
    return why.empty() ? kOk : Fail(why);
}

int Push(HistoryStore& store, const std::vector<std::string>& operands) {
    if (!operands.empty())
        return Fail(std::string("push takes nothing more\n") + kHistoryUsage);
    auto* shared = dynamic_cast<SharedHistory*>(&store);
    if (!shared)
        return Fail("push sends to a shared history: give its server with --history "
                    "postgresql://... or TQX_HISTORY");
    int sent = 0, there = 0;
    if (std::string why = shared->Push(sent, there); !why.empty())
        return Fail(why);
    std::printf("%d snapshot%s sent", sent, sent == 1 ? "" : "s");
    if (there > 0)
        std::printf(", %d the server had already", there);
    std::printf("\n");
    return kOk;
}

// --history, else TQX_HISTORY, else the history in the loader's data folder.
std::string HistoryPathOf(const TqxctlContext& context) {
    // The loader's own application name, whose data folder holds the history.
    QCoreApplication::setApplicationName(QStringLiteral("TQXLOADER961114"));
    return HistoryPath(
        context.history,
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

} // namespace

ControllerIdentity ControllerOn(const PortSettings& port, int unit, const ParameterImage& set) {
    return {PortLineText(port), unit, FourteenCharacters(set.modelCode.data())};
}

void RecordInHistory(const TqxctlContext& context, NewSnapshot snapshot) {
    snapshot.program = "tqxctl " TQX_VERSION;
    std::string why;
    std::unique_ptr<HistoryStore> store = OpenHistoryStore(HistoryPathOf(context), true, why);
    if (store)
        why = store->Record(snapshot);
    if (!why.empty())
        std::fprintf(stderr, "tqxctl: History not recorded: %s\n", why.c_str());
    else if (!store->Notice().empty())
        std::fprintf(stderr, "tqxctl: %s\n", store->Notice().c_str());
}

int RunHistory(TqxctlContext& context, const Operands& operands) {
    if (operands.empty()) {
        std::fputs(kHistoryUsage, stderr);
        return kError;
    }
    using Store = HistoryStore;
    using Context = TqxctlContext;
    // The subcommands: name, whether it writes, what it runs.
    static const struct {
        const char* name;
        bool writes;
        int (*run)(Context& context, Store& store, const Operands& operands);
    } subcommands[] = {
        {"list", false, [](Context&, Store& store, const Operands& o) { return List(store, o); }},
        {"changes", false,
         [](Context&, Store& store, const Operands& o) { return HistoryChanges(store, o); }},
        {"show", false, [](Context&, Store& store, const Operands& o) { return Show(store, o); }},
        {"diff", false,
         [](Context& c, Store& store, const Operands& o) { return Diff(c, store, o); }},
        {"export", false,
         [](Context&, Store& store, const Operands& o) { return Export(store, o); }},
        {"note", true,
         [](Context&, Store& store, const Operands& o) { return Annotate(store, "note", o); }},
        {"label", true,
         [](Context&, Store& store, const Operands& o) { return Annotate(store, "label", o); }},
        {"push", true, [](Context&, Store& store, const Operands& o) { return Push(store, o); }},
        {"verify", false,
         [](Context&, Store& store, const Operands& o) { return HistoryVerify(store, o); }},
        {"join", true,
         [](Context&, Store& store, const Operands& o) { return HistoryJoin(store, o); }},
        {"move", true,
         [](Context&, Store& store, const Operands& o) { return HistoryMove(store, o); }},
        {"audit", false,
         [](Context&, Store& store, const Operands& o) { return HistoryAudit(store, o); }},
    };
    const std::string& sub = operands[0];
    const Operands rest(operands.begin() + 1, operands.end());
    const auto found = std::find_if(std::begin(subcommands), std::end(subcommands),
                                    [&](const auto& s) { return sub == s.name; });
    if (found == std::end(subcommands))
        return Fail("no history command '" + sub + "'\n" + kHistoryUsage);
    std::string why;
    std::unique_ptr<HistoryStore> store = OpenHistoryStore(HistoryPathOf(context), false, why);
    if (!store)
        return Fail(why);
    if (!store->ReadOnlyReason().empty() && !found->writes)
        std::fprintf(stderr, "tqxctl: note: %s\n", store->ReadOnlyReason().c_str());
    return found->run(context, *store, rest);
}
