#pragma once

#include "image/group_id.h"
#include "image/image_source.h"
#include "image/parameter_image.h"
#include "transfers/group_states.h"
#include "transfers/transfer_result.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The loader's parameter set: the image, where it came from, the state of each group and
// what the last Connect (or its retry) could not read. Every command that reads, loads,
// writes, edits, sends or compares tells it what happened; `when` is the time text the
// summary shows ("14:02:07").
class ParameterSet {
public:
    explicit ParameterSet(ParameterImage& image) : m_image(image) {}

    ParameterImage& Image() { return m_image; }
    const ParameterImage& Image() const { return m_image; }
    const GroupStates& States() const { return m_states; }
    const ImageSource& Source() const { return m_source; }
    // The last Connect or its retry; empty after a File Read.
    const TransferResult& LastConnect() const { return m_lastConnect; }
    bool ConnectedOnce() const { return m_connectedOnce; }

    // A confirmed Connect read from `controller` (port and unit as used, and when).
    void Connected(const TransferResult& result, ImageSource controller, const std::string& when);
    // Retry failed reads completed what it could.
    void Retried(const TransferResult& result, const std::string& when);
    void FileRead(const std::string& path, const std::string& when);
    // A snapshot of the history loaded, as a File Read would be: `snapshot` says which
    // ("snapshot 12 of Furnace 3, taken 2026-05-03 11:12:07 CEST"), `modelCode` is its
    // controller's; `wholeController`: it is of a whole read of that controller.
    void HistoryLoaded(const std::string& snapshot, const std::string& modelCode,
                       bool wholeController, const std::string& when);
    void FileWritten(const std::string& when);
    // After an editor's store step: the groups whose records changed hold an edit.
    void Observe(const std::string& when);
    void Retrieved(GroupId group, bool ok, const std::string& when);
    // `cause`: the link's reason when it failed.
    void Sent(GroupId group, TransferOutcome outcome, const std::string& when,
              const std::string& cause = "");
    // A whole set sent: each group's outcome, and where the set came from for its row.
    // `sent`: the set as it went to the controller (from a file: with the controller's own
    // values for what a file does not carry), what a verified group now holds there.
    // `target`: the controller it went to, as read just before.
    struct Target {
        std::string port;      // port 1 as used
        std::string modelCode; // as read
        std::string when;
    };
    void SentAll(const std::vector<GroupOutcome>& outcomes, const ParameterImage& sent,
                 const std::string& when, const Target& target);
    // The controller the set was last sent to whole, until a Connect, a File Read or a
    // snapshot replaces the set; empty `port` when none.
    const Target& SentTo() const { return m_sentTo; }
    void ComparedWithController(const std::vector<GroupId>& differing, const std::string& when);

    // What the controller last returned for each group, or what the file (or the history's
    // snapshot) held when the set came from one; the editors mark each field that differs
    // from it.
    const ParameterImage& Reference() const { return m_reference; }
    // Where a group's reference came from: kind "controller", "file" or "history" (empty:
    // none), note "read 09:12", "oven3.slk" or "snapshot 12".
    struct Origin {
        std::string kind, note;
    };
    const Origin& ReferenceOf(GroupId group) const {
        return m_origins[static_cast<size_t>(group.Index())];
    }

    // The reads Retry may still repeat: never one whose group something newer replaced
    // or edited.
    std::vector<int> RetryablePositions() const;

    // What the last command did, as the status bar says it ("PID group 3 sent and
    // verified, 14:02"); empty before the first.
    const std::string& LastCommand() const { return m_lastCommand; }
    void SetLastCommand(std::string text) { m_lastCommand = std::move(text); }

    // The unsent groups as a sentence's list: "PID group 1, Program pattern 3".
    std::string UnsentGroupList() const;

    // Whose values a group holds when they are nobody's choice: the loader's start values,
    // or what it held before a read of the controller failed or was cancelled. Empty once
    // the controller, a file, a snapshot or a SEND the operator confirmed gave them.
    std::string UnchosenValues(GroupId group) const;
    // The line an editor shows above the fields of such a group; empty for any other.
    std::string UnchosenLine(GroupId group) const;
    // The question a SEND of `groups` asks first when some of them hold such values; empty
    // when none does. `title` is the editor's ("SETTING OF PID GROUP").
    std::string UnchosenSendQuestion(const std::vector<GroupId>& groups,
                                     const std::string& title) const;

private:
    // The controller (or the file) now holds `group` as the image does.
    void TakeReference(GroupId group, const std::string& kind, const std::string& note);
    void TakeReference(const ParameterImage& from, GroupId group, const std::string& kind,
                       const std::string& note);
    void TakeReadGroups(const TransferResult& result, const std::string& when);
    // Start values stay start values when a read fails; anything else becomes what the
    // loader held before that read.
    enum class Unchosen : uint8_t { No, StartValues, ReadFailed, ReadCancelled };
    void MarkUnread(const TransferResult& result, const std::vector<GroupId>& asked);
    Unchosen& UnchosenOf(GroupId group) { return m_unchosen[static_cast<size_t>(group.Index())]; }

    ParameterImage& m_image;
    ParameterImage m_reference;
    std::array<Origin, kGroupCount> m_origins{};
    std::array<Unchosen, kGroupCount> m_unchosen = [] {
        std::array<Unchosen, kGroupCount> all{};
        all.fill(Unchosen::StartValues);
        return all;
    }();
    GroupStates m_states;
    ImageSource m_source;
    Target m_sentTo;
    std::string m_lastCommand;
    TransferResult m_lastConnect;
    bool m_connectedOnce = false;
};

// What the summary's header says: port 1 and its state, the model code, the source; after
// a Send all, the controller it went to and that controller's model code.
struct SummaryHeader {
    std::string port;
    std::string model;
    std::string source;
    // Until the first Connect or File Read: what to do first.
    std::string guidance;
};
// `port` is port 1 as it is now ("rtu:/dev/ttyS0 9600 8E1, unit 1").
SummaryHeader HeaderOf(const ParameterSet& set, const std::string& port);
// The status bar's port 1 pane after `shortPort` ("/dev/ttyUSB0 9600 8E1 unit 3"): "... -
// connected to model code PXT...", "... - loaded from file C:\TEST", "... - not connected",
// "... - set sent to model code PXT... at 10:02".
std::string PortPaneText(const ParameterSet& set, const std::string& shortPort);
