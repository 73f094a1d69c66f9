#include "transfers/group_states.h"

#include "transfers/connect_procedure.h"

#include <algorithm>

const char* GroupStateText(GroupState state) {
    switch (state) {
    case GroupState::StartValues:
        return "start values";
    case GroupState::ReadFromController:
        return "read from the controller";
    case GroupState::ReadFailed:
        return "could not be read";
    case GroupState::NotRead:
        return "not read (cancelled)";
    case GroupState::LoadedFromFile:
        return "loaded from file";
    case GroupState::LoadedFromHistory:
        return "loaded from the history";
    case GroupState::Edited:
        return "edited, not sent";
    case GroupState::SavedToFile:
        return "edited, written to file, not sent";
    case GroupState::Sent:
        return "sent";
    case GroupState::SentVerified:
        return "sent and verified";
    case GroupState::SendFailed:
        return "SEND failed";
    case GroupState::DiffersFromController:
        return "differs from the controller";
    case GroupState::MatchesController:
        return "same as the controller";
    }
    return "";
}

GroupStates::GroupStates() {
    SetStartValues(m_seen);
}

void GroupStates::Set(GroupId group, GroupState state, const std::string& when) {
    Entry& e = EntryOf(group);
    e.state = state;
    e.when = when;
    e.from.clear();
    e.cause.clear();
}

void GroupStates::Connected(const ParameterImage& image, const TransferResult& result, bool retry,
                            const std::string& when) {
    // Groups a read of failed, and those a Cancel left (partly) unread.
    TransferResult attempted = result;
    attempted.failedReads.clear();
    for (int position : result.failedReads)
        if (std::find(result.notRead.begin(), result.notRead.end(), position) ==
            result.notRead.end())
            attempted.failedReads.push_back(position);
    const std::vector<GroupId> failed = GroupsOfFailedReads(attempted);
    TransferResult cancelled;
    cancelled.failedReads = result.notRead;
    const std::vector<GroupId> unread = GroupsOfFailedReads(cancelled);
    const auto among = [](const std::vector<GroupId>& groups, GroupId g) {
        return std::find(groups.begin(), groups.end(), g) != groups.end();
    };
    for (GroupId g : AllGroups()) {
        if (retry && At(g).state != GroupState::ReadFailed && At(g).state != GroupState::NotRead)
            continue; // not read again
        CopyGroup(image, m_seen, g);
        // A read that failed or never ran changed nothing it would have brought: an edit
        // stays.
        if (among(failed, g)) {
            Set(g, GroupState::ReadFailed, when);
            EntryOf(g).cause = result.causes.empty() ? std::string() : result.causes.back();
            continue;
        }
        if (among(unread, g)) {
            Set(g, GroupState::NotRead, when);
            continue;
        }
        EntryOf(g).unsent = false; // Connect replaced any edit
        Set(g, GroupState::ReadFromController, when);
    }
}

void GroupStates::FileRead(const ParameterImage& image, const std::string& when, GroupState state) {
    for (GroupId g : AllGroups()) {
        CopyGroup(image, m_seen, g);
        EntryOf(g).unsent = false;
        Set(g, state, when);
    }
}

void GroupStates::FileWritten(const ParameterImage& image, const std::string& when) {
    Observe(image, when);
    for (GroupId g : AllGroups()) {
        Entry& e = EntryOf(g);
        if (!e.unsent)
            continue;
        e.unsent = false;
        Set(g, GroupState::SavedToFile, when);
    }
}

bool GroupStates::Observe(const ParameterImage& image, const std::string& when) {
    bool edited = false;
    for (GroupId g : AllGroups()) {
        if (SameGroup(image, m_seen, g))
            continue;
        CopyGroup(image, m_seen, g);
        EntryOf(g).unsent = true;
        Set(g, GroupState::Edited, when);
        edited = true;
    }
    return edited;
}

void GroupStates::Retrieved(const ParameterImage& image, GroupId group, bool ok,
                            const std::string& when) {
    // What a RETRIEVE brings is the controller's, never an edit; a failed one keeps the
    // group's state, an edit it held included.
    CopyGroup(image, m_seen, group);
    if (!ok)
        return;
    EntryOf(group).unsent = false;
    Set(group, GroupState::ReadFromController, when);
}

void GroupStates::Sent(const ParameterImage& image, GroupId group, TransferOutcome outcome,
                       const std::string& when, const std::string& from, const std::string& cause) {
    SentState(image, group, outcome, when);
    EntryOf(group).from = from;
    EntryOf(group).cause = cause;
}

void GroupStates::SentState(const ParameterImage& image, GroupId group, TransferOutcome outcome,
                            const std::string& when) {
    Entry& e = EntryOf(group);
    if (!SameGroup(image, m_seen, group)) {
        e.unsent = true; // the store step of this SEND changed the record
        CopyGroup(image, m_seen, group);
    }
    switch (outcome) {
    case TransferOutcome::Failed:
    case TransferOutcome::Cancelled:
        Set(group, GroupState::SendFailed, when);
        return; // an edit stays unsent
    case TransferOutcome::Differs:
        Set(group, GroupState::DiffersFromController, when);
        return; // the controller does not hold the edit
    case TransferOutcome::Done:
        e.unsent = false;
        Set(group, GroupState::Sent, when);
        return;
    case TransferOutcome::Verified:
        e.unsent = false;
        Set(group, GroupState::SentVerified, when);
        return;
    }
}

void GroupStates::ComparedWithController(const std::vector<GroupId>& differing,
                                         const std::string& when) {
    for (GroupId g : AllGroups()) {
        if (std::find(differing.begin(), differing.end(), g) != differing.end()) {
            Set(g, GroupState::DiffersFromController, when);
        } else {
            EntryOf(g).unsent = false; // the controller holds it
            Set(g, GroupState::MatchesController, when);
        }
    }
}

bool GroupStates::HasUnsentEdits() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.unsent; });
}

std::vector<GroupId> GroupStates::UnsentGroups() const {
    std::vector<GroupId> groups;
    for (GroupId g : AllGroups())
        if (At(g).unsent)
            groups.push_back(g);
    return groups;
}

std::vector<int> GroupStates::RetryablePositions(const TransferResult& last) const {
    std::vector<int> positions;
    for (int position : last.failedReads) {
        const std::optional<GroupId> group = GroupOfRead(position);
        if (group && ((At(*group).state != GroupState::ReadFailed &&
                       At(*group).state != GroupState::NotRead) ||
                      At(*group).unsent))
            continue;
        positions.push_back(position);
    }
    return positions;
}
