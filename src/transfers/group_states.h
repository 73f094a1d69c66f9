#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"
#include "transfers/transfer_result.h"

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
    NotRead,    // a Connect stopped by the operator before it read it
    LoadedFromFile,
    LoadedFromHistory,
    Edited,
    SavedToFile, // edited, then written to a file, not sent
    Sent,
    SentVerified,
    SendFailed,
    DiffersFromController,
    MatchesController, // a Compare with the controller found no difference
};

const char* GroupStateText(GroupState state);

class GroupStates {
public:
    struct Entry {
        GroupState state = GroupState::StartValues;
        std::string when;
        bool unsent = false; // holds an edit neither sent nor written to a file since
        // Sent as part of a whole set: where the set came from ("file oven3.slk").
        std::string from;
        // A read or SEND that failed: what failed and the link's reason.
        std::string cause;
    };

    GroupStates();

    // A confirmed Connect, or the retry of its failed reads (`retry`: only the groups that
    // had failed are read again). A group whose read failed keeps its unsent edit.
    void Connected(const ParameterImage& image, const TransferResult& result, bool retry,
                   const std::string& when);
    // A file, or a snapshot of the history, replaced the whole set.
    void FileRead(const ParameterImage& image, const std::string& when,
                  GroupState state = GroupState::LoadedFromFile);
    void FileWritten(const ParameterImage& image, const std::string& when);
    // After an editor's store step: every group whose record differs from what was last
    // seen holds an edit. True when one was found.
    bool Observe(const ParameterImage& image, const std::string& when);
    void Retrieved(const ParameterImage& image, GroupId group, bool ok, const std::string& when);
    void Sent(const ParameterImage& image, GroupId group, TransferOutcome outcome,
              const std::string& when, const std::string& from = "", const std::string& cause = "");
    // A Compare with the controller: `differing` lists the groups with differences.
    void ComparedWithController(const std::vector<GroupId>& differing, const std::string& when);

    const Entry& At(GroupId group) const { return m_entries[static_cast<size_t>(group.Index())]; }
    bool HasUnsentEdits() const;
    std::vector<GroupId> UnsentGroups() const;
    // Of the reads that failed in `last` (a Connect or its retry), those Retry may still
    // repeat: the model code, and the reads of groups that still could not be read and
    // hold no edit. Nothing newer is ever overwritten by a retry.
    std::vector<int> RetryablePositions(const TransferResult& last) const;

private:
    Entry& EntryOf(GroupId group) { return m_entries[static_cast<size_t>(group.Index())]; }
    void Set(GroupId group, GroupState state, const std::string& when);
    void SentState(const ParameterImage& image, GroupId group, TransferOutcome outcome,
                   const std::string& when);

    std::array<Entry, kGroupCount> m_entries{};
    ParameterImage m_seen; // each group's records as last seen
};
