// tqxctl history verify, join, move and audit: whether the history is whole, putting a
// controller's timeline together, and the audit report of one controller over a period.

#include "tqxctl_history.h"

#include "editors/audit_report.h"
#include "editors/audit_report_qtcore.h"
#include "files/whole_file.h"
#include "image/shown_text.h"
#include "tqxctl_commands.h"

#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kOk = 0;
constexpr int kNotWhole = 1;
constexpr int kError = 2;

int Fail(const std::string& why) {
    std::fprintf(stderr, "tqxctl: %s\n", why.c_str());
    return kError;
}

bool IsId(const std::string& text) {
    return !text.empty() && text.size() < 18 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() > end.size() &&
           Lower(text).compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

bool LocalDateToUtc(const std::string& date, bool endOfDay, std::string& utc) {
    if (!endOfDay || date.size() != 10)
        return LocalToUtc(date, utc);
    // A date alone as the end of a period is the whole of that day: up to the next one's
    // start.
    int64_t ms = 0;
    return ParseUtc(date, ms) && LocalToUtc(UtcText(ms + 24 * 3600 * 1000).substr(0, 10), utc);
}

int HistoryVerify(HistoryStore& store, const std::vector<std::string>& operands) {
    if (!operands.empty())
        return Fail(std::string("verify takes nothing more\n") + kHistoryUsage);
    ChainReport chain;
    if (std::string why = store.Verify(chain); !why.empty())
        return Fail(why);
    for (const std::string& line : ChainLines(chain))
        std::printf("%s\n", ShownText(line).c_str());
    return chain.whole ? kOk : kNotWhole;
}

int HistoryJoin(HistoryStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 2)
        return Fail(std::string("join takes C INTO\n") + kHistoryUsage);
    ControllerEntry from, into;
    std::string why = OneController(store, operands[0], from);
    if (why.empty())
        why = OneController(store, operands[1], into);
    if (why.empty() && from.id == into.id)
        why = "a controller cannot be joined into itself";
    if (why.empty())
        why = store.JoinControllers(from.id, into.id);
    if (!why.empty())
        return Fail(why);
    std::printf("%s\n",
                ShownText("joined controller #" + std::to_string(from.id) + " (" +
                          ControllerName(from) + ") into #" + std::to_string(into.id) + " (" +
                          ControllerName(into) + "): its " + std::to_string(from.snapshots) +
                          " snapshots are #" + std::to_string(into.id) + "'s")
                    .c_str());
    return kOk;
}

int HistoryMove(HistoryStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 2)
        return Fail(std::string("move takes ID C\n") + kHistoryUsage);
    if (!IsId(operands[0]))
        return Fail("'" + operands[0] + "' is no snapshot number (tqxctl history list shows them)");
    ControllerEntry to;
    std::string why = OneController(store, operands[1], to);
    if (why.empty())
        why = store.MoveSnapshot(std::stoll(operands[0]), to.id);
    if (!why.empty())
        return Fail(why);
    std::printf("%s\n", ShownText("moved snapshot " + operands[0] + " to controller #" +
                                  std::to_string(to.id) + " (" + ControllerName(to) + ")")
                            .c_str());
    return kOk;
}

int HistoryAudit(HistoryStore& store, const std::vector<std::string>& operands) {
    std::string which, from, to, out;
    for (size_t i = 0; i < operands.size(); ++i) {
        const std::string& o = operands[i];
        std::string* value = o == "--controller" ? &which
                             : o == "--from"     ? &from
                             : o == "--to"       ? &to
                                                 : nullptr;
        if (value && !OptionValue(operands, i, o == "--controller" ? "C" : "DATE", *value))
            return kError;
        if (!value && (!out.empty() || (!o.empty() && o[0] == '-')))
            return Fail("audit takes --controller C --from DATE --to DATE OUT\n" +
                        std::string(kHistoryUsage));
        if (!value)
            out = o;
    }
    if (which.empty() || from.empty() || to.empty() || out.empty())
        return Fail("audit takes --controller C --from DATE --to DATE OUT\n" +
                    std::string(kHistoryUsage));
    const bool pdf = EndsWith(out, ".pdf");
    if (!pdf && !EndsWith(out, ".csv"))
        return Fail("the audit report is written as OUT.pdf or OUT.csv, not " + out);
    if (std::string refusal = CheckWriteTarget(out); !refusal.empty())
        return Fail("cannot write " + out + ": " + refusal);
    std::string fromUtc, toUtc;
    if (!LocalDateToUtc(from, false, fromUtc) || !LocalDateToUtc(to, true, toUtc))
        return Fail("--from and --to take a local date, YYYY-MM-DD[ HH:MM[:SS]]");
    if (fromUtc >= toUtc)
        return Fail("the period from " + from + " to " + to + " is empty");
    ControllerEntry controller;
    if (std::string why = OneController(store, which, controller); !why.empty())
        return Fail(why);

    AuditReport report;
    if (std::string why = BuildAuditReport(store, controller.id, fromUtc, toUtc, report);
        !why.empty())
        return Fail(why);
    report.created = UtcText(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count());
    std::string why;
    if (pdf) {
        const std::unique_ptr<QGuiApplication> app = StartPainting();
        WriteAuditPdf(report, out, why);
    } else {
        why = WriteWholeFile(out, AuditCsv(report));
    }
    if (!why.empty())
        return Fail("cannot write " + out + ": " + why);
    std::printf("wrote %s: %zu snapshots, %zu events\n", out.c_str(), report.changes.size(),
                report.events.size());
    if (!report.chainError.empty())
        std::fprintf(stderr, "tqxctl: the chain could not be checked: %s\n",
                     report.chainError.c_str());
    else if (!report.chain.whole)
        std::fprintf(stderr, "tqxctl: the chain is NOT whole; the report says where\n");
    return kOk;
}
