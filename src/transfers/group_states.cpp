#include "transfers/group_states.h"

#include <algorithm>

const char* GroupStateText(GroupState state) {
    switch (state) {
    case GroupState::StartValues:
        return "start values";
    case GroupState::ReadFromController:
        return "read from the controller";
    case GroupState::ReadFailed:
        return "could not be read";
    case GroupState::LoadedFromFile:
        return "loaded from file";
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

std::string GroupTitle(int group) {
    if (group == kSystemSetupGroup)
        return "System setup";
    if (group == kAdvancedGroup)
        return "Advanced";
    if (group < PatternGroupIndex(1))
        return "PID group " + std::to_string(group - 1);
    return "Program pattern " + std::to_string(group - 10);
}

std::string ListingGroupOf(int group) {
    if (group == kSystemSetupGroup)
        return "system";
    if (group == kAdvancedGroup)
        return "advanced";
    if (group < PatternGroupIndex(1))
        return "pid " + std::to_string(group - 1);
    return "pattern " + std::to_string(group - 10);
}

int GroupOfListing(const std::string& listingGroup) {
    for (int g = 0; g < kSetGroups; ++g)
        if (ListingGroupOf(g) == listingGroup)
            return g;
    return -1;
}

bool SameGroup(const ParameterImage& a, const ParameterImage& b, int group) {
    if (group == kSystemSetupGroup)
        return a.systemSetup == b.systemSetup;
    if (group == kAdvancedGroup)
        return a.advanced == b.advanced;
    if (group < PatternGroupIndex(1))
        return a.pid[static_cast<size_t>(group - 2)] == b.pid[static_cast<size_t>(group - 2)];
    return a.pattern[static_cast<size_t>(group - 11)] == b.pattern[static_cast<size_t>(group - 11)];
}

std::vector<int> GroupsOfFailedReads(const ReadReport& report) {
    std::vector<int> groups;
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    for (int index : report.failedReads) {
        if (index < 0 || index >= static_cast<int>(sequence.size()))
            continue; // the model code belongs to no group
        const ConnectRead& read = sequence[static_cast<size_t>(index)];
        int group = -1;
        switch (read.destination) {
        case ConnectRead::PidGroup:
            group = PidGroupIndex(read.index + 1);
            break;
        case ConnectRead::Advanced10:
        case ConnectRead::Advanced13:
            group = kAdvancedGroup;
            break;
        case ConnectRead::Setup12:
        case ConnectRead::Setup9:
            group = kSystemSetupGroup;
            break;
        case ConnectRead::PatternPiece:
            group = PatternGroupIndex(read.index / ProgramPatternRecord::kBytes + 1);
            break;
        default:
            break;
        }
        if (group >= 0 && std::find(groups.begin(), groups.end(), group) == groups.end())
            groups.push_back(group);
    }
    return groups;
}

GroupStates::GroupStates() {
    SetStartValues(m_seen);
}

void GroupStates::Set(int group, GroupState state, const std::string& when) {
    Entry& e = m_entries[static_cast<size_t>(group)];
    e.state = state;
    e.when = when;
}

void GroupStates::Take(const ParameterImage& image, int group) {
    if (group == kSystemSetupGroup)
        m_seen.systemSetup = image.systemSetup;
    else if (group == kAdvancedGroup)
        m_seen.advanced = image.advanced;
    else if (group < PatternGroupIndex(1))
        m_seen.pid[static_cast<size_t>(group - 2)] = image.pid[static_cast<size_t>(group - 2)];
    else
        m_seen.pattern[static_cast<size_t>(group - 11)] =
            image.pattern[static_cast<size_t>(group - 11)];
}

void GroupStates::Connected(const ParameterImage& image, const ReadReport& report, bool retry,
                            const std::string& when) {
    const std::vector<int> failed = GroupsOfFailedReads(report);
    for (int g = 0; g < kSetGroups; ++g) {
        const bool stillFailed = std::find(failed.begin(), failed.end(), g) != failed.end();
        if (retry && At(g).state != GroupState::ReadFailed)
            continue; // not read again
        Take(image, g);
        m_entries[static_cast<size_t>(g)].unsent = false; // Connect replaced any edit
        Set(g, stillFailed ? GroupState::ReadFailed : GroupState::ReadFromController, when);
    }
}

void GroupStates::FileRead(const ParameterImage& image, const std::string& when) {
    for (int g = 0; g < kSetGroups; ++g) {
        Take(image, g);
        m_entries[static_cast<size_t>(g)].unsent = false;
        Set(g, GroupState::LoadedFromFile, when);
    }
}

void GroupStates::FileWritten(const ParameterImage& image, const std::string& when) {
    Observe(image, when);
    for (int g = 0; g < kSetGroups; ++g) {
        Entry& e = m_entries[static_cast<size_t>(g)];
        if (!e.unsent)
            continue;
        e.unsent = false;
        Set(g, GroupState::SavedToFile, when);
    }
}

void GroupStates::Observe(const ParameterImage& image, const std::string& when) {
    for (int g = 0; g < kSetGroups; ++g) {
        if (SameGroup(image, m_seen, g))
            continue;
        Take(image, g);
        m_entries[static_cast<size_t>(g)].unsent = true;
        Set(g, GroupState::Edited, when);
    }
}

void GroupStates::Retrieved(const ParameterImage& image, int group, bool ok,
                            const std::string& when) {
    // What a RETRIEVE brings is the controller's, never an edit; a failed one keeps the
    // group's state, an edit it held included.
    Take(image, group);
    if (!ok)
        return;
    m_entries[static_cast<size_t>(group)].unsent = false;
    Set(group, GroupState::ReadFromController, when);
}

void GroupStates::Sent(const ParameterImage& image, int group, SendOutcome outcome,
                       const std::string& when) {
    Entry& e = m_entries[static_cast<size_t>(group)];
    if (!SameGroup(image, m_seen, group)) {
        e.unsent = true; // the store step of this SEND changed the record
        Take(image, group);
    }
    switch (outcome) {
    case SendOutcome::Failed:
        Set(group, GroupState::SendFailed, when);
        return; // an edit stays unsent
    case SendOutcome::Differs:
        Set(group, GroupState::DiffersFromController, when);
        return; // the controller does not hold the edit
    case SendOutcome::Sent:
        e.unsent = false;
        Set(group, GroupState::Sent, when);
        return;
    case SendOutcome::Verified:
        e.unsent = false;
        Set(group, GroupState::SentVerified, when);
        return;
    }
}

void GroupStates::ComparedWithController(const std::vector<int>& differing,
                                         const std::string& when) {
    for (int g = 0; g < kSetGroups; ++g) {
        const bool differs = std::find(differing.begin(), differing.end(), g) != differing.end();
        if (differs) {
            Set(g, GroupState::DiffersFromController, when);
        } else {
            m_entries[static_cast<size_t>(g)].unsent = false; // the controller holds it
            Set(g, GroupState::MatchesController, when);
        }
    }
}

bool GroupStates::HasUnsentEdits() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.unsent; });
}
