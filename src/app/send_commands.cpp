#include "app/send_commands.h"

#include "app/document.h"
#include "app/editor_commands.h"
#include "app/history_recorder.h"
#include "app/port_commands.h"
#include "app/send_all_dialog.h"
#include "app/send_preview.h"
#include "files/kept_copy.h"
#include "transfers/group_transfers.h"
#include "transfers/image_transfers.h"
#include "transfers/send_all.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void SendCommands::Run(Command command) {
    if (command == Command::SendAll)
        SendAll();
    else if (command == Command::SendEdited)
        SendEdited();
}

bool SendCommands::CanRun(Command command) const {
    return command != Command::SendEdited || m_document.States().HasUnsentEdits();
}

std::string SendCommands::KeepFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("kept"))
        .toStdString();
}

void SendCommands::SendAll() {
    if (!PassConnectGate(m_document))
        return;
    m_document.Set().Observe(m_document.Now());
    // A set read from a controller whose Connect missed groups would send those groups'
    // start values: values nobody chose.
    std::string unread;
    if (m_document.Set().Source().IsController())
        for (GroupId group : AllGroups()) {
            const GroupStates::Entry& e = m_document.States().At(group);
            if (!e.unsent && (e.state == GroupState::StartValues ||
                              e.state == GroupState::ReadFailed || e.state == GroupState::NotRead))
                unread += (unread.empty() ? "" : ", ") + GroupTitle(group);
        }
    if (!unread.empty()) {
        m_document.Tell().Show(
            "Send all: nothing was written. These groups were not read from the controller "
            "and hold no value you set: " +
            unread +
            ".\nUse Connect > Retry failed reads first, or File > Read for a whole parameter "
            "set.");
        return;
    }
    const std::string station = StationRefusalOf(m_document.Set());
    if (!station.empty()) {
        m_document.Tell().Show("Send all: " + station);
        return;
    }
    const auto all = AllGroups();
    ReadTargetThen("Send all", {all.begin(), all.end()},
                   [this](const SendAllTarget& target) { ConfirmSendAll(target); });
}

void SendCommands::ReadTargetThen(const std::string& command, const std::vector<GroupId>& groups,
                                  std::function<void(const SendAllTarget&)> then) {
    // First what the controller holds, on the worker; then the confirmation on the window.
    auto target = std::make_shared<SendAllTarget>();
    target->port = PortOneText();
    auto failure = std::make_shared<std::string>();
    m_document.Link().BeginOperation();
    Operation read;
    read.title = command + ": reading the controller";
    read.work = [target, failure, groups](TransferContext& link, Messages&) {
        *failure = ReadSendTarget(link, groups, *target);
    };
    read.after = [this, command, target, failure, then = std::move(then)] {
        if (failure->empty())
            then(*target);
        else
            m_document.Tell().Show(
                command + ": nothing was written. TQX could not be read first: " + *failure);
    };
    m_document.Link().Run(std::move(read), m_document.Tell());
}

void SendCommands::ConfirmSendAll(const SendAllTarget& target) {
    const ParameterImage& set = m_document.Image();
    const ImageSource& source = m_document.Set().Source();
    ParameterImage outgoing = target.held;
    PutSetOnto(set, source, outgoing);
    const auto all = AllGroups();

    SendAllDialog::Content content;
    content.source = Q(source.Describe());
    content.port = Q(target.port);
    content.modelCode = Q(target.modelCode);
    for (const std::string& line : SendAllWarnings(set, source, target))
        content.warnings << Q(line);
    content.groups.assign(all.begin(), all.end());
    content.differences = OutgoingDifferences(outgoing, target.held);
    content.locked = target.locked;
    content.keepFolder = Q(KeepFolder());
    SendAllDialog dialog(content, m_document.Window());
    if (dialog.exec() != QDialog::Accepted)
        return;

    // What is kept is the set just read, the one the differences were counted against; a
    // controller that stays locked is not written, so nothing is kept of it.
    std::string keptPath;
    if (dialog.Keep() && (!target.locked || dialog.Unlock())) {
        const std::string notKept = KeepControllerValues(
            target.held, KeepFolder(), m_document.Link().Unit(), std::time(nullptr), keptPath);
        if (!notKept.empty()) {
            m_document.Tell().Show("Send all stopped: " + notKept + "; nothing was written.");
            return;
        }
        m_document.History().KeptBeforeSendAll(target.held, target.modelCode, keptPath);
    }
    RestoreOptions options;
    options.unlock = dialog.Unlock();
    options.keepInhibit = dialog.KeepInhibit();
    auto sent = std::make_shared<ParameterImage>(set);
    auto report = std::make_shared<RestoreReport>();
    auto cause = std::make_shared<std::string>();
    m_document.Link().BeginOperation();
    Operation send;
    send.title = "Send all";
    // The summary takes each group's state from the report, not from the sends on the way.
    send.noteGroups = false;
    send.work = [sent, report, cause, options, source, from = set](TransferContext& link,
                                                                   Messages&) {
        {
            // The procedure reads everything back once at the end.
            const VerifyPaused once(link);
            *report = RestoreImage(
                link, *sent, [&](ParameterImage& onto) { return PutSetOnto(from, source, onto); },
                options);
        }
        *cause = link.FailureText();
    };
    send.after = [this, sent, report, cause, options, keptPath, source, target] {
        if (report->station.followed)
            SavePortUnit();
        m_document.Set().SentAll(SendAllOutcomes(*report), *sent, m_document.Now(),
                                 {PortOneText(), target.modelCode, m_document.Now()});
        m_document.History().SentAll(*sent, *report, target.modelCode);
        m_document.NotifyChanged();
        std::string text = SendAllResultText(*report, *cause, keptPath, source, target);
        if (report->wasLocked && !options.unlock)
            text += "\nCheck \"Unlock\" in SEND ALL to write WDIS 0 first and the set's WDIS last.";
        m_document.ReportDone(text.substr(0, text.find('\n')));
        m_document.Tell().Show(text);
    };
    m_document.Link().Run(std::move(send), m_document.Tell());
}

// The groups' confirmation, after a read of what the controller holds of them; nothing is
// sent when the operator does not confirm or the controller could not be read.
void SendCommands::SendEdited() {
    if (!PassConnectGate(m_document))
        return;
    m_document.Set().Observe(m_document.Now());
    const std::vector<GroupId> groups = m_document.States().UnsentGroups();
    if (groups.empty())
        return;
    if (std::find(groups.begin(), groups.end(), GroupId::SystemSetup()) != groups.end()) {
        const std::string station = StationRefusalOf(m_document.Set());
        if (!station.empty()) {
            m_document.Tell().Show("Send edited groups: " + station);
            return;
        }
    }
    ReadTargetThen("Send edited groups", groups, [this, groups](const SendAllTarget& target) {
        if (ConfirmEdited(groups, target))
            SendEditedGroups(groups);
    });
}

bool SendCommands::ConfirmEdited(const std::vector<GroupId>& groups, const SendAllTarget& target) {
    ParameterImage outgoing = target.held; // the other groups: as read, so equal
    for (GroupId group : groups)
        CopyGroup(m_document.Image(), outgoing, group);
    std::string names;
    for (GroupId group : groups)
        names += (names.empty() ? "" : ", ") + GroupTitle(group);

    SendAllDialog::Content content;
    content.title = QStringLiteral("SEND EDITED GROUPS");
    content.heading = Q("The groups with edits not yet sent go to TQX: " + names + ".");
    content.source = Q(m_document.Set().Source().Describe());
    content.port = Q(target.port);
    content.modelCode = Q(target.modelCode);
    for (const std::string& line : SendAllWarnings(outgoing, m_document.Set().Source(), target))
        content.warnings << Q(line);
    content.groups = groups;
    content.differences = OutgoingDifferences(outgoing, target.held);
    content.wholeSet = false;
    SendAllDialog dialog(content, m_document.Window());
    return dialog.exec() == QDialog::Accepted;
}

void SendCommands::SendEditedGroups(const std::vector<GroupId>& groups) {
    struct Outcome {
        std::string sent, failed, stationMoved;
        std::vector<GroupId> sentGroups;
        bool followed = false, cancelled = false;
    };
    auto outcome = std::make_shared<Outcome>();
    m_document.Link().BeginOperation();
    Operation send;
    send.title = "Send edited groups";
    send.work = [outcome, groups, image = m_document.Image()](TransferContext& link, Messages&) {
        Outcome& o = *outcome;
        for (GroupId group : groups) {
            if (link.Cancelled())
                break;
            TransferResult result;
            if (group == GroupId::SystemSetup()) {
                StationChange change;
                result = SendSystemSetup(link, image.systemSetup, &change);
                if (change.changed)
                    o.stationMoved = "\n" + StationChangeMessage(change);
                o.followed = o.followed || change.followed;
            } else {
                result = SendGroup(link, image, group);
            }
            if (result.Ok()) {
                o.sent += (o.sent.empty() ? "" : ", ") + GroupTitle(group);
                o.sentGroups.push_back(group);
            } else {
                o.failed += "\n" + GroupTitle(group) + ": " +
                            (result.failed.empty() ? "stopped by the operator"
                                                   : FailureText("SEND", result));
            }
        }
        o.cancelled = link.Cancelled();
    };
    // One snapshot for them all, after each group's state was taken; each SEND is recorded
    // alone again once the command is over, however it ends.
    auto together = std::make_shared<std::optional<SendsRecordedTogether>>();
    send.apply = [this, together] { together->emplace(m_document); };
    send.after = [this, outcome, together] {
        const Outcome& o = *outcome;
        together->reset();
        if (o.followed)
            SavePortUnit();
        m_document.History().SentEdited(o.sentGroups);
        m_document.NotifyChanged();
        std::string text = "Send edited groups: sent " + (o.sent.empty() ? "none" : o.sent) + ".";
        if (!o.failed.empty())
            text += "\nNOT sent:" + o.failed;
        if (o.cancelled)
            text += "\nStopped by the operator: the groups not named were not sent.";
        m_document.Tell().Show(text + o.stationMoved);
    };
    m_document.Link().Run(std::move(send), m_document.Tell());
}
