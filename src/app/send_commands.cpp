#include "app/send_commands.h"

#include "app/document.h"
#include "app/editor_commands.h"
#include "app/history_recorder.h"
#include "app/port_commands.h"
#include "app/send_all_dialog.h"
#include "files/kept_copy.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "transfers/group_transfers.h"
#include "transfers/image_transfers.h"
#include "transfers/send_all.h"

#include <QDir>
#include <QStandardPaths>

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
    TransferContext& link = m_document.Link();
    link.BeginOperation();
    SendAllTarget target;
    const std::string failure = ProbeSendAllTarget(link, target);
    if (!failure.empty()) {
        m_document.Tell().Show("Send all: TQX could not be asked before sending; nothing was "
                               "written.\n" +
                               failure);
        return;
    }
    SendAllDialog::Content content;
    content.source = Q(m_document.Set().Source().Describe());
    content.port = Q(PortOneText());
    content.modelCode = Q(target.modelCode);
    for (const std::string& line :
         SendAllWarnings(m_document.Image(), m_document.Set().Source(), target))
        content.warnings << Q(line);
    content.locked = target.locked;
    content.keepFolder = Q(KeepFolder());
    SendAllDialog dialog(content, m_document.Window());
    if (dialog.exec() != QDialog::Accepted)
        return;

    RestoreOptions options;
    options.unlock = dialog.Unlock();
    std::string keptPath;
    if (dialog.Keep())
        options.keepTarget = [&](const ParameterImage& own) {
            const std::string failure =
                KeepControllerValues(own, KeepFolder(), link.Unit(), std::time(nullptr), keptPath);
            if (failure.empty())
                m_document.History().KeptBeforeSendAll(own, target.modelCode, keptPath);
            return failure;
        };
    // The procedure reads everything back once at the end, and the summary takes each
    // group's state from its report rather than from the sends on the way.
    const bool verify = link.Verify();
    link.SetVerify(false);
    link.SetListener(nullptr);
    link.BeginOperation();
    const ParameterImage& set = m_document.Image();
    const ImageSource& source = m_document.Set().Source();
    ParameterImage sent = set;
    const RestoreReport report = RestoreImage(
        link, sent,
        [&](ParameterImage& onto) {
            // A set read from a controller goes whole. One from a file carries only what a
            // file holds; the rest (GAP, MAX, PP, PI, PD, each segment's PVST, CYCL and
            // LINK) stays as the controller holds it, as a restore of that file would.
            if (source.HoldsUnfiledValues()) {
                for (GroupId group : AllGroups())
                    CopyGroup(set, onto, group);
                return true;
            }
            RecordingMessages unread;
            return ReadParameterFileText(BuildParameterFileText(set), onto, unread);
        },
        options);
    link.SetListener(&m_document);
    link.SetVerify(verify);

    m_document.Set().SentAll(SendAllOutcomes(report), sent, m_document.Now());
    m_document.History().SentAll(sent, report, target.modelCode);
    if (report.station.followed)
        SavePortUnit();
    m_document.NotifyChanged();
    std::string text = SendAllResultText(report, link.FailureText(), keptPath);
    if (report.wasLocked && !options.unlock)
        text += "\nCheck \"Unlock\" in SEND ALL to write WDIS 0 first and the set's WDIS last.";
    m_document.Tell().Show(text);
}

void SendCommands::SendEdited() {
    if (!PassConnectGate(m_document))
        return;
    m_document.Set().Observe(m_document.Now());
    TransferContext& link = m_document.Link();
    link.BeginOperation();
    std::string sent, failed, stationMoved;
    std::vector<GroupId> sentGroups;
    m_document.RecordEachSend(false); // one snapshot for them all
    for (GroupId group : m_document.States().UnsentGroups()) {
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
