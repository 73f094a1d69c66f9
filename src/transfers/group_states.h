#pragma once

#include "image/parameter_image.h"
#include "transfers/connect_procedure.h"
#include "transfers/transfer_notes.h"

#include <array>
#include <string>
#include <vector>

// Where each group of the loader's parameter set came from, whether it has been edited
// since, and what the last transfer made of it. Fed by the shell (Connect, File Read and
// Write, an editor closing, Compare) and by the transfers (RETRIEVE, SEND); `when` is the
// time text the summary shows ("14:02").
enum class GroupState {
    StartValues,
    ReadFromController,
    ReadFailed, // Connect could not read it
    LoadedFromFile,
    Edited,
    SavedToFile, // edited, then written to a file, not sent
    Sent,
    SentVerified,
    SendFailed,
    DiffersFromController,
    MatchesController, // a Compare with the controller found no difference
};

const char* GroupStateText(GroupState state);
// "System setup", "Advanced", "PID group 3", "Program pattern 7"
std::string GroupTitle(int group);
// The group as ListParameters names it: "system", "advanced", "pid 3", "pattern 7".
std::string ListingGroupOf(int group);
int GroupOfListing(const std::string& listingGroup); // -1 when unknown
bool SameGroup(const ParameterImage& a, const ParameterImage& b, int group);
// The groups the failed reads of a Connect (or its retry) belong to.
std::vector<int> GroupsOfFailedReads(const ReadReport& report);

class GroupStates {
public:
    struct Entry {
        GroupState state = GroupState::StartValues;
        std::string when;
        bool unsent = false; // holds an edit neither sent nor written to a file since
    };

    GroupStates();

    // A confirmed Connect, or the retry of its failed reads (`retry`: only the groups that
    // had failed are read again).
    void Connected(const ParameterImage& image, const ReadReport& report, bool retry,
                   const std::string& when);
    void FileRead(const ParameterImage& image, const std::string& when);
    void FileWritten(const ParameterImage& image, const std::string& when);
    // After an editor's store step: every group whose record differs from what was last
    // seen holds an edit.
    void Observe(const ParameterImage& image, const std::string& when);
    void Retrieved(const ParameterImage& image, int group, bool ok, const std::string& when);
    void Sent(const ParameterImage& image, int group, SendOutcome outcome, const std::string& when);
    // A Compare with the controller: `differing` lists the groups with differences.
    void ComparedWithController(const std::vector<int>& differing, const std::string& when);

    const Entry& At(int group) const { return m_entries[static_cast<size_t>(group)]; }
    bool HasUnsentEdits() const;

private:
    void Set(int group, GroupState state, const std::string& when);
    void Take(const ParameterImage& image, int group);

    std::array<Entry, kSetGroups> m_entries{};
    ParameterImage m_seen; // each group's records as last seen
};
