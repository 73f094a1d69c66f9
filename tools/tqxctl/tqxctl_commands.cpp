#include "tqxctl_commands.h"

#include "editors/parameter_listing.h"
#include "files/file_path.h"
#include "files/kept_copy.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "files/value_cell.h"
#include "files/whole_file.h"
#include "image/shown_text.h"
#include "link/link_backend.h"
#include "link/link_failure.h"
#include "link/modbus_transport.h"
#include "operator/messages.h"
#include "tqxctl_history.h"
#include "transfers/connect_procedure.h"
#include "transfers/image_transfers.h"
#include "transfers/restore_procedure.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>

namespace {

constexpr int kOk = 0;
constexpr int kDiffers = 1;
constexpr int kError = 2;

// What the file and link code report goes to stderr, one line each.
class StderrMessages : public Messages {
public:
    void Show(const std::string& text) override {
        std::fprintf(stderr, "tqxctl: %s\n", text.c_str());
        ++m_count;
    }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};

// Progress of a read sequence, on stderr while it is a terminal.
class TerminalProgress : public TransferProgress {
public:
    TerminalProgress(TransferContext& link, const char* verb) : m_link(link), m_verb(verb) {
        if (isatty(STDERR_FILENO))
            m_link.SetProgress(this);
    }
    ~TerminalProgress() override { m_link.SetProgress(nullptr); }
    void Step(const std::string& what, int done, int total) override {
        std::fprintf(stderr, "\r\033[K%s %d/%d %s", m_verb, done + 1, total, what.c_str());
        if (done + 1 == total)
            std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

private:
    TransferContext& m_link;
    const char* m_verb;
};

// Port 1 open while a command talks to the controller.
class OpenLink {
public:
    explicit OpenLink(TransferContext& link) : m_link(link) { m_link.Backend().Open(1); }
    ~OpenLink() { m_link.Backend().Close(); }

private:
    TransferContext& m_link;
};

// Reads the whole controller into `image`, with `retries` passes over the reads that
// failed; false (with the failures on stderr) when any read still failed.
bool ReadController(TransferContext& link, int retries, ParameterImage& image) {
    TerminalProgress progress(link, "reading");
    const TransferResult result = ReadWholeController(link, image, retries);
    if (result.outcome == TransferOutcome::Cancelled) {
        std::fprintf(stderr, "tqxctl: stopped after %d of 58 reads; nothing was written\n",
                     result.calls);
        return false;
    }
    if (result.failed.empty())
        return true;
    // Once, in tqxctl's own words: what could not be read, and the link's last reason.
    const std::string cause = result.causes.empty() ? std::string() : "\n" + result.causes.back();
    if (result.failed.size() == static_cast<size_t>(result.calls)) {
        std::fprintf(stderr, "tqxctl: the controller could not be read%s\n", cause.c_str());
        return false;
    }
    std::string what;
    for (size_t i = 0; i < result.failed.size() && i < 8; ++i)
        what += (i ? ", " : "") + result.failed[i].what;
    std::fprintf(stderr, "tqxctl: %zu of %d reads failed (%s%s)%s\n", result.failed.size(),
                 result.calls, what.c_str(), result.failed.size() > 8 ? ", ..." : "",
                 cause.c_str());
    return false;
}

// A parameter set from a file or from the controller; false after an error message.
bool LoadSource(TqxctlContext& context, const std::string& source, ParameterImage& image,
                bool& linkOpen) {
    SetStartValues(image);
    if (source == "controller") {
        if (!linkOpen) {
            context.link.Backend().Open(1);
            linkOpen = true;
        }
        return ReadController(context.link, context.retries, image);
    }
    StderrMessages messages;
    return ReadParameterFile(source, image, messages);
}

} // namespace

int RunBackup(TqxctlContext& context, const Operands& operands) {
    if (operands.size() != 1) {
        std::fputs(CommandHelp("backup")->c_str(), stderr);
        return kError;
    }
    StderrMessages messages;
    if (!MayWriteParameterFile(operands[0], messages))
        return kError;
    OpenLink open(context.link);
    ParameterImage image;
    SetStartValues(image);
    if (!ReadController(context.link, context.retries, image))
        return kError;
    if (!WriteParameterFile(image, operands[0], messages))
        return kError;
    std::printf("model code %s\n", ShownText(image.ModelCode()).c_str());
    std::printf("saved %s\n", ShownText(operands[0]).c_str());
    RecordInHistory(context, context.recording.WholeRead(
                                 ControllerOn(context.Port(), context.link.Unit(), image),
                                 SnapshotEvent::Backup, image, kEveryGroup, FullPath(operands[0])));
    return kOk;
}

int RunRestore(TqxctlContext& context, const Operands& operands) {
    RestoreOptions options;
    std::vector<std::string> files;
    std::string keep;
    for (size_t i = 0; i < operands.size(); ++i) {
        const std::string& operand = operands[i];
        if (operand == "--unlock") {
            options.unlock = true;
        } else if (operand == "--keep") {
            if (!OptionValue(operands, i, "DIR", keep))
                return kError;
        } else if (operand.size() > 1 && operand[0] == '-') {
            std::fprintf(stderr, "tqxctl: restore has no option '%s'\n", operand.c_str());
            return kError;
        } else {
            files.push_back(operand);
        }
    }
    if (files.size() != 1) {
        std::fputs(CommandHelp("restore")->c_str(), stderr);
        return kError;
    }
    // The file is read and checked before the link is opened.
    StderrMessages messages;
    std::string text;
    const std::string unread = ReadWholeFile(files[0], text);
    if (!unread.empty()) {
        messages.Show("The file " + files[0] + " could not be read (" + unread + ").");
        return kError;
    }
    ParameterImage check;
    SetStartValues(check);
    if (!ReadParameterFileText(text, check, messages))
        return kError;
    if (!FollowableStation(check.systemSetup.STN)) {
        const FileCell cell = ValueCellOf(GroupId::SystemSetup(), RowOf(&SystemSetupRecord::STN));
        messages.Show(
            StationRefusal(check.systemSetup.STN, " at " + CellText(cell) + " of " + files[0]));
        return kError;
    }
    options.retryPasses = context.retries;
    options.unlockedChanged = NoteControllerUnlocked;
    if (!keep.empty()) {
        // A folder that cannot take the copy is found before the link is opened.
        std::error_code made;
        std::filesystem::create_directories(keep, made);
        if (made || ::access(keep.c_str(), W_OK) != 0) {
            messages.Show("The folder " + keep + " cannot take the controller's own values (" +
                          (made ? made.message() : std::string(std::strerror(errno))) +
                          "); nothing was written.");
            return kError;
        }
        options.keepTarget = [&](const ParameterImage& target) {
            std::string path;
            const std::string failure =
                KeepControllerValues(target, keep, context.link.Unit(), std::time(nullptr), path);
            if (failure.empty()) {
                std::printf("kept               %s\n", path.c_str());
                RecordInHistory(context,
                                context.recording.KeptBefore(
                                    ControllerOn(context.Port(), context.link.Unit(), target),
                                    SnapshotEvent::KeptBeforeRestore, target, path));
            }
            return failure;
        };
    }

    OpenLink open(context.link);
    TerminalProgress progress(context.link, "verifying");
    ParameterImage image;
    SetStartValues(image);
    const RestoreReport report = RestoreImage(
        context.link, image,
        [&](ParameterImage& onto) { return ReadParameterFileText(text, onto, messages); }, options);
    if (!report.stopped.empty()) {
        std::fprintf(stderr, "tqxctl: restore stopped: %s%s\n", report.stopped.c_str(),
                     report.wasLocked && !options.unlock
                         ? " --unlock writes WDIS 0 first and restores the file's WDIS last."
                         : "");
        return kError;
    }
    for (const std::string& line : RestoreReportLines(report, context.link.FailureText()))
        std::printf("%s\n", line.c_str());
    // The set as sent, when every group went through (else what the controller holds is
    // not known whole); the unit is where the controller answers now, after a station move.
    if (report.AllWritten())
        RecordInHistory(context,
                        context.recording.Restored(
                            ControllerOn(context.Port(), context.link.Unit(), image),
                            SnapshotEvent::Restore, image, report.Written(), FullPath(files[0])));
    if (!report.readBack.failed.empty())
        std::fprintf(stderr, "tqxctl: %s\n", ConnectFailureText(report.readBack, "verify").c_str());
    return report.Ok() ? kOk : kError;
}

int RunDiff(TqxctlContext& context, const Operands& operands) {
    if (operands.size() != 2) {
        std::fputs(CommandHelp("diff")->c_str(), stderr);
        return kError;
    }
    bool linkOpen = false;
    ParameterImage a;
    ParameterImage b;
    const bool loaded = LoadSource(context, operands[0], a, linkOpen) &&
                        LoadSource(context, operands[1], b, linkOpen);
    if (linkOpen)
        context.link.Backend().Close();
    if (!loaded)
        return kError;
    // A file holds neither the advanced GAP, MAX, PP, PI, PD nor PVST, CYCL and LINK per
    // segment, so those are compared only between two controllers.
    return PrintDifferences(a, b, operands[0] == "controller" && operands[1] == "controller");
}

int RunShow(TqxctlContext& context, const Operands& operands) {
    if (operands.empty() || operands.size() > 3) {
        std::fputs(CommandHelp("show")->c_str(), stderr);
        return kError;
    }
    std::string group;
    for (size_t i = 1; i < operands.size(); ++i)
        group += (i > 1 ? " " : "") + operands[i];
    const std::optional<GroupId> only = GroupOfCommandName(group);
    if (!group.empty()) {
        if (!only) {
            std::fprintf(stderr,
                         "tqxctl: no group '%s'; groups are system, advanced, pid 1..9, "
                         "pattern 1..9\n",
                         group.c_str());
            return kError;
        }
    }
    bool linkOpen = false;
    ParameterImage image;
    const bool loaded = LoadSource(context, operands[0], image, linkOpen);
    if (linkOpen)
        context.link.Backend().Close();
    if (!loaded)
        return kError;
    if (operands[0] == "controller")
        std::printf("model code %s\n", ShownText(image.ModelCode()).c_str());
    ListingOptions options;
    options.unfiledAdvanced = operands[0] == "controller";
    for (const ParameterEntry& e : ListParameters(image, options))
        if (!only || e.group == *only)
            std::printf("%-32s %-12s (%d)\n", e.Name().c_str(), e.text.c_str(), e.stored);
    return kOk;
}

bool ReadControllerForBackup(const TqxctlContext& context, TransferContext& link,
                             ParameterImage& image) {
    SetStartValues(image);
    return ReadController(link, context.retries, image);
}

int PrintDifferences(const ParameterImage& a, const ParameterImage& b, bool wholeSets) {
    ListingOptions options;
    options.unfiledAdvanced = wholeSets;
    options.patternFieldsPerSegment = wholeSets;
    const std::vector<ParameterDifference> differences = DiffParameters(a, b, options);
    for (const ParameterDifference& d : differences)
        std::printf("%s: %d (%s) | %d (%s)\n", d.a.Name().c_str(), d.a.stored, d.a.text.c_str(),
                    d.b.stored, d.b.text.c_str());
    if (differences.empty()) {
        std::printf("no differences\n");
        return kOk;
    }
    std::printf("%zu parameter%s differ\n", differences.size(), differences.size() == 1 ? "" : "s");
    return kDiffers;
}

bool LoadParameterSource(TqxctlContext& context, const std::string& source, ParameterImage& image,
                         ImageSource* from) {
    bool linkOpen = false;
    const bool loaded = LoadSource(context, source, image, linkOpen);
    if (linkOpen)
        context.link.Backend().Close();
    if (loaded && from) {
        if (source == "controller") {
            char when[8] = "";
            const std::time_t now = std::time(nullptr);
            std::strftime(when, sizeof when, "%H:%M", std::localtime(&now));
            *from = ImageSource::Controller(context.link.Backend().PortText(), context.link.Unit(),
                                            when);
            from->modelCodeRead = true; // every read went through
            from->modelCode = FourteenCharacters(image.modelCode.data());
        } else {
            *from = ImageSource::File(source);
        }
    }
    return loaded;
}

int RunTqxctlCommand(TqxctlContext& context, const std::string& command, const Operands& operands) {
    const TqxctlCommand* found = FindCommand(command, operands);
    if (!found) {
        std::fprintf(stderr, "tqxctl: unknown command '%s' (try tqxctl --help)\n", command.c_str());
        return kError;
    }
    for (const std::string& operand : operands)
        if (operand == "--help" || operand == "-h") {
            std::fputs(found->help.c_str(), stdout);
            return kOk;
        }
    return found->run(context, operands);
}
