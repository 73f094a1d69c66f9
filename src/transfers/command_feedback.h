#pragma once

#include "image/group_id.h"
#include "transfers/transfer_result.h"

#include <string>
#include <vector>

// What the status bar (and the editor that ran it) says once an operation is over: what it
// did to which groups. The groups are named as the Parameter setting menu names them.
class CommandFeedback {
public:
    void Clear() { m_notes.clear(); }
    void Retrieved(GroupId group, bool ok);
    void Sent(GroupId group, TransferOutcome outcome);

    // "PID group 3 sent and verified", "PID groups 1 to 8 sent and verified; PID group 9
    // SEND failed"; groups of several kinds after the operation's `title` ("Send all to
    // controller: ..."); "`title` done" when no group was noted.
    std::string Text(const std::string& title) const;

private:
    struct Note {
        GroupId group;
        std::string what;
    };
    void Add(GroupId group, std::string what);

    std::vector<Note> m_notes;
};

// The groups as one phrase, in the summary's order: "PID groups 1 to 9", "Program
// patterns 2, 5", "Setting up (SYSTEM PARAMETER), PID group 4".
std::string GroupsPhrase(std::vector<GroupId> groups);

// `text` stamped with the time: "PID group 3 sent and verified, 14:02". `when` is the
// summary's time text ("14:02:07"); its hours and minutes are kept.
std::string StampedFeedback(const std::string& text, const std::string& when);
