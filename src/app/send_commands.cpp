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
    TransferContext& link = m_document.Link();
    link.BeginOperation();
    SendAllTarget target;
    target.port = PortOneText();
    const auto all = AllGroups();
    const std::string failure = ReadSendTarget(link, {all.begin(), all.end()}, target);
    if (!failure.empty()) {
        m_document.Tell().Show("Send all: nothing was written. TQX could not be read first: " +
                               failure);
        return;
    }
    const ParameterImage& set = m_document.Image();
    const ImageSource& source = m_document.Set().Source();
    ParameterImage outgoing = target.held;
    PutSetOnto(set, source, outgoing);

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
        const std::string notKept = KeepControllerValues(target.held, KeepFolder(), link.Unit(),
                                                         std::time(nullptr), keptPath);
        if (!notKept.empty()) {
            m_document.Tell().Show("Send all stopped: " + notKept + "; nothing was written.");
            return;
        }
        m_document.History().KeptBeforeSendAll(target.held, target.modelCode, keptPath);
    }
    RestoreOptions options;
    options.unlock = dialog.Unlock();
    options.keepInhibit = dialog.KeepInhibit();
    // The procedure reads everything back once at the end, and the summary takes each
    // group's state from its report rather than from the sends on the way.
    const bool verify = link.Verify();
    link.SetVerify(false);
    link.SetListener(nullptr);
    link.BeginOperation();
    ParameterImage sent = set;
    const RestoreReport report = RestoreImage(
        link, sent, [&](ParameterImage& onto) { return PutSetOnto(set, source, onto); }, options);
    link.SetListener(&m_document);
    link.SetVerify(verify);

    if (report.station.followed)
        SavePortUnit();
    m_document.Set().SentAll(SendAllOutcomes(report), sent, m_document.Now(),
                             {PortOneText(), target.modelCode, m_document.Now()});
    m_document.History().SentAll(sent, report, target.modelCode);
    m_document.NotifyChanged();
    std::string text = SendAllResultText(report, link.FailureText(), keptPath, source, target);
    if (report.wasLocked && !options.unlock)
        text += "\nCheck \"Unlock\" in SEND ALL to write WDIS 0 first and the set's WDIS last.";
    m_document.Tell().Show(text);
}

// The groups' confirmation, after a read of what the controller holds of them; false when
// the operator did not confirm or the controller could not be read (nothing is sent then).
bool SendCommands::ConfirmEdited(const std::vector<GroupId>& groups) {
    const std::string nothing = "Send edited groups: nothing was written. ";
    if (std::find(groups.begin(), groups.end(), GroupId::SystemSetup()) != groups.end()) {
        const std::string station = StationRefusalOf(m_document.Set());
        if (!station.empty()) {
            m_document.Tell().Show("Send edited groups: " + station);
            return false;
        }
    }
    TransferContext& link = m_document.Link();
    link.BeginOperation();
    SendAllTarget target;
    target.port = PortOneText();
    const std::string failure = ReadSendTarget(link, groups, target);
    if (!failure.empty()) {
        m_document.Tell().Show(nothing + "TQX could not be read first: " + failure);
        return false;
    }
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

void SendCommands::SendEdited() {
    if (!PassConnectGate(m_document))
        return;
    m_document.Set().Observe(m_document.Now());
    const std::vector<GroupId> groups = m_document.States().UnsentGroups();
    if (groups.empty() || !ConfirmEdited(groups))
        return;
    TransferContext& link = m_document.Link();
    link.BeginOperation();
    std::string sent, failed, stationMoved;
    std::vector<GroupId> sentGroups;
    m_document.RecordEachSend(false); // one snapshot for them all
    for (GroupId group : groups) {
        if (link.Cancelled())
            break;
        TransferResult result;
        if (group == GroupId::SystemSetup()) {
            StationChange change;
            result = SendSystemSetup(link, m_document.Image().systemSetup, &change);
            if (change.changed)
                stationMoved = "\n" + StationChangeMessage(change);
            if (change.followed)
                SavePortUnit();
        } else {
            result = SendGroup(link, m_document.Image(), group);
        }
        if (result.failed.empty() && result.outcome != TransferOutcome::Cancelled) {
            sent += (sent.empty() ? "" : ", ") + GroupTitle(group);
            sentGroups.push_back(group);
        } else
            failed +=
                "\n" + GroupTitle(group) + ": " +
                (result.failed.empty() ? "stopped by the operator" : FailureText("SEND", result));
    }
    m_document.RecordEachSend(true);
    m_document.History().SentEdited(sentGroups);
    m_document.NotifyChanged();
    std::string text = "Send edited groups: sent " + (sent.empty() ? "none" : sent) + ".";
    if (!failed.empty())
        text += "\nNOT sent:" + failed;
    if (link.Cancelled())
        text += "\nStopped by the operator: the groups not named were not sent.";
    m_document.Tell().Show(text + stationMoved);
}
