#include "transfers/parameter_set.h"

#include "transfers/connect_procedure.h"

#include <algorithm>

void ParameterSet::Connected(const TransferResult& result, ImageSource controller,
                             const std::string& when) {
    m_lastConnect = result;
    m_connectedOnce = true;
    const auto& failed = result.failedReads;
    controller.modelCodeRead =
        std::find(failed.begin(), failed.end(), kModelCodeRead) == failed.end();
    if (controller.modelCodeRead)
        controller.modelCode = FourteenCharacters(m_image.modelCode.data());
    m_source = controller;
    m_sentTo = {};
    m_states.Connected(m_image, result, false, when);
    TakeReadGroups(result, when);
    const auto all = AllGroups();
    MarkUnread(result, std::vector<GroupId>(all.begin(), all.end()));
}

void ParameterSet::MarkUnread(const TransferResult& result, const std::vector<GroupId>& asked) {
    TransferResult cancelled;
    cancelled.failedReads = result.notRead;
    const std::vector<GroupId> failed = GroupsOfFailedReads(result);
    const std::vector<GroupId> unread = GroupsOfFailedReads(cancelled);
    const auto among = [](const std::vector<GroupId>& groups, GroupId g) {
        return std::find(groups.begin(), groups.end(), g) != groups.end();
    };
    for (GroupId group : asked) {
        Unchosen& values = UnchosenOf(group);
        if (!among(failed, group))
            values = Unchosen::No;
        else if (values != Unchosen::StartValues)
            values = among(unread, group) ? Unchosen::ReadCancelled : Unchosen::ReadFailed;
    }
}

void ParameterSet::TakeReference(GroupId group, const std::string& kind, const std::string& note) {
    TakeReference(m_image, group, kind, note);
}

void ParameterSet::TakeReference(const ParameterImage& from, GroupId group, const std::string& kind,
                                 const std::string& note) {
    CopyGroup(from, m_reference, group);
    m_origins[static_cast<size_t>(group.Index())] = {kind, note};
}

void ParameterSet::TakeReadGroups(const TransferResult& result, const std::string& when) {
    const std::vector<GroupId> unread = GroupsOfFailedReads(result);
    for (GroupId group : AllGroups())
        if (std::find(unread.begin(), unread.end(), group) == unread.end())
            TakeReference(group, "controller", "read " + when.substr(0, 5));
}

void ParameterSet::Retried(const TransferResult& result, const std::string& when) {
    const bool codeWasMissing = std::count(m_lastConnect.failedReads.begin(),
                                           m_lastConnect.failedReads.end(), kModelCodeRead) > 0;
    const bool codeStillMissing =
        std::count(result.failedReads.begin(), result.failedReads.end(), kModelCodeRead) > 0;
    if (m_source.IsController() && codeWasMissing && !codeStillMissing) {
        m_source.modelCodeRead = true;
        m_source.modelCode = FourteenCharacters(m_image.modelCode.data());
    }
    // The groups this retry asked for: a group that holds an edit is never read again.
    TransferResult asked;
    asked.failedReads = m_states.RetryablePositions(m_lastConnect);
    const std::vector<GroupId> before = GroupsOfFailedReads(asked);
    m_lastConnect = result;
    m_states.Connected(m_image, result, true, when);
    // Only the groups this retry read anew.
    const std::vector<GroupId> unread = GroupsOfFailedReads(result);
    for (GroupId group : before)
        if (std::find(unread.begin(), unread.end(), group) == unread.end())
            TakeReference(group, "controller", "read " + when.substr(0, 5));
    MarkUnread(result, before);
}

void ParameterSet::FileRead(const std::string& path, const std::string& when) {
    m_source = ImageSource::File(path);
    m_sentTo = {};
    m_lastConnect = TransferResult{}; // nothing the controller left unread is wanted now
    m_states.FileRead(m_image, when);
    for (GroupId group : AllGroups())
        TakeReference(group, "file", path.substr(path.find_last_of("/\\") + 1));
    m_unchosen.fill(Unchosen::No);
}

void ParameterSet::HistoryLoaded(const std::string& snapshot, const std::string& modelCode,
                                 bool wholeController, const std::string& when) {
    m_source = ImageSource::History(snapshot);
    m_source.wholeController = wholeController;
    m_sentTo = {};
    // Send all compares it with the model code of the controller it goes to.
    m_source.modelCodeRead = !modelCode.empty();
    m_source.modelCode = modelCode;
    m_lastConnect = TransferResult{};
    m_states.FileRead(m_image, when, GroupState::LoadedFromHistory);
    for (GroupId group : AllGroups())
        TakeReference(group, "history", snapshot.substr(0, snapshot.find(" of ")));
    m_unchosen.fill(Unchosen::No);
}

void ParameterSet::FileWritten(const std::string& when) {
    Observe(when);
    m_states.FileWritten(m_image, when);
}

void ParameterSet::Observe(const std::string& when) {
    if (m_states.Observe(m_image, when))
        m_source.editedSince = true;
}

void ParameterSet::Retrieved(GroupId group, bool ok, const std::string& when) {
    m_states.Retrieved(m_image, group, ok, when);
    if (ok) {
        TakeReference(group, "controller", "read " + when.substr(0, 5));
        UnchosenOf(group) = Unchosen::No;
    }
}

namespace {

// The operator confirmed a SEND that went in (verified or not): the values are theirs.
bool WentIn(TransferOutcome outcome) {
    return outcome != TransferOutcome::Failed && outcome != TransferOutcome::Cancelled;
}

} // namespace

void ParameterSet::Sent(GroupId group, TransferOutcome outcome, const std::string& when,
                        const std::string& cause) {
    m_states.Sent(m_image, group, outcome, when, "", cause);
    if (WentIn(outcome))
        UnchosenOf(group) = Unchosen::No;
    if (outcome == TransferOutcome::Verified)
        TakeReference(group, "controller", "sent and verified " + when.substr(0, 5));
}

void ParameterSet::SentAll(const std::vector<GroupOutcome>& outcomes, const ParameterImage& sent,
                           const std::string& when, const Target& target) {
    if (!outcomes.empty()) // the restore got as far as sending
        m_sentTo = target;
    // "from file oven3.slk", "from controller, read at 09:12"
    ImageSource source = m_source;
    source.editedSince = false;
    std::string from = "from " + source.Describe();
    if (m_source.IsFile())
        from = "from file " + m_source.path.substr(m_source.path.find_last_of("/\\") + 1);
    for (const auto& [group, outcome, cause] : outcomes) {
        m_states.Sent(m_image, group, outcome, when,
                      outcome == TransferOutcome::Failed ? std::string() : from, cause);
        if (WentIn(outcome))
            UnchosenOf(group) = Unchosen::No;
        if (outcome == TransferOutcome::Verified)
            TakeReference(sent, group, "controller", "sent and verified " + when.substr(0, 5));
    }
}

void ParameterSet::ComparedWithController(const std::vector<GroupId>& differing,
                                          const std::string& when) {
    m_states.ComparedWithController(differing, when);
}

std::vector<int> ParameterSet::RetryablePositions() const {
    return m_states.RetryablePositions(m_lastConnect);
}

std::string ParameterSet::UnsentGroupList() const {
    std::string groups;
    for (GroupId g : m_states.UnsentGroups())
        groups += (groups.empty() ? "" : ", ") + GroupTitle(g);
    return groups;
}

std::string ParameterSet::UnchosenValues(GroupId group) const {
    switch (m_unchosen[static_cast<size_t>(group.Index())]) {
    case Unchosen::StartValues:
        return "the loader's start values";
    case Unchosen::ReadFailed:
        return "what the loader held before its read from the controller failed";
    case Unchosen::ReadCancelled:
        return "what the loader held before its read from the controller was cancelled";
    case Unchosen::No:
        break;
    }
    return {};
}

std::string ParameterSet::UnchosenLine(GroupId group) const {
    const std::string values = UnchosenValues(group);
    return values.empty() ? values : "not read from the controller: these are " + values;
}

std::string ParameterSet::UnchosenSendQuestion(const std::vector<GroupId>& groups,
                                               const std::string& title) const {
    std::string list;
    int count = 0;
    for (GroupId group : groups) {
        const std::string values = UnchosenValues(group);
        if (values.empty())
            continue;
        list += "\n" + GroupTitle(group) + ": " + values;
        ++count;
    }
    if (count == 0)
        return {};
    const bool one = count == 1;
    return title + ": " + (one ? "this group was" : "these groups were") +
           " not read from the controller, and " + (one ? "its" : "their") +
           " values are nobody's choice:" + list + "\n\nSend " + (one ? "it" : "them") +
           " to TQX anyway? No writes nothing.";
}

SummaryHeader HeaderOf(const ParameterSet& set, const std::string& port) {
    SummaryHeader header;
    header.port = "port 1: " + port;
    const TransferResult& last = set.LastConnect();
    if (!set.ConnectedOnce())
        header.port += ", not connected";
    else if (last.Ok())
        header.port += ", connected";
    else if (last.outcome == TransferOutcome::Cancelled)
        header.port += ", connected; stopped by the operator, " +
                       std::to_string(last.notRead.size()) + " reads not made";
    else
        header.port += ", connected; " + std::to_string(last.failed.size()) + " of " +
                       std::to_string(last.calls) + " reads failed";
    header.model = "model code " + ModelCodeText(set.Source());
    header.source = "source: " + set.Source().Describe();
    // After a Send all: the model code of the controller it went to, read just before.
    if (const ParameterSet::Target& to = set.SentTo(); !to.port.empty())
        header.model = "model code " + to.modelCode + ": the controller the set was sent to at " +
                       to.when.substr(0, 5) + (to.port == port ? "" : " (" + to.port + ")");
    if (!set.ConnectedOnce() && set.Source().kind == ImageSource::Kind::StartValues)
        header.guidance = "Connect > Start reads the controller on port 1 (" + port +
                          "); File > Read loads a parameter file.";
    return header;
}

std::string PortPaneText(const ParameterSet& set, const std::string& shortPort) {
    const ImageSource& source = set.Source();
    std::string state = "not connected";
    switch (source.kind) {
    case ImageSource::Kind::Controller:
        state = source.modelCodeRead ? "connected to model code " + source.modelCode
                                     : "connected, model code not read";
        break;
    case ImageSource::Kind::File:
        state = "loaded from file " + source.path;
        break;
    case ImageSource::Kind::History:
        state = "loaded from the history";
        break;
    case ImageSource::Kind::StartValues:
        break;
    }
    if (const ParameterSet::Target& to = set.SentTo(); !to.port.empty())
        state = "set sent to model code " + to.modelCode + " at " + to.when.substr(0, 5);
    return shortPort + " - " + state;
}
