#pragma once

#include "history/history_queue.h"
#include "history/history_store.h"
#include "image/group_id.h"
#include "image/parameter_image.h"
#include "transfers/transfer_result.h"
#include "widgets/window_queue_qt.h"

#include <optional>
#include <string>
#include <vector>

class CTQXLOADER961114Doc;
struct RestoreReport;

// Takes a snapshot for the history after each command that read or wrote the controller
// or a file, without asking. When the history cannot take it, the status bar says why and
// nothing else changes. It keeps what the loader believes the controller on port 1 holds
// (the last Connect with every group sent or retrieved since), so that a SEND's snapshot
// never carries another group's unsent edit.
class HistoryRecorder {
public:
    explicit HistoryRecorder(CTQXLOADER961114Doc& document);
    ~HistoryRecorder();

    // TQX_HISTORY, else history.sqlite in the user's data folder.
    static std::string Path();

    // A confirmed Connect, or a Retry (recorded once nothing is left unread).
    void Connected(const TransferResult& result, bool retry);
    void Retrieved(GroupId group, bool ok);
    // A group an editor's SEND wrote. One SEND may write several (the PID group editor
    // writes all nine): they are recorded as one snapshot once its calls are over, at
    // FlushSends. Nothing is recorded for a group that failed.
    void EditorSent(GroupId group, TransferOutcome outcome);
    void FlushSends();
    void SentEdited(const std::vector<GroupId>& sent);
    // Send all: the controller's own values as kept, and the set as it went.
    void KeptBeforeSendAll(const ParameterImage& own, const std::string& modelCode,
                           const std::string& keptPath);
    void SentAll(const ParameterImage& sent, const RestoreReport& report,
                 const std::string& modelCode);
    void FileRead();
    void FileWritten(const std::string& path);
    // A snapshot of `controller` was loaded: the set is that controller's again.
    void Loaded(const ControllerIdentity& controller);

    // Why the last snapshot could not be recorded; "" when it was.
    const std::string& LastFailure() const { return m_lastFailure; }
    // Every snapshot handed in is written (or has failed and said so).
    bool Written() const { return m_queue.Idle(); }

private:
    // Port 1 now, with the model code when it is known for that line and unit.
    ControllerIdentity OnPort1(const std::string& modelCode = "") const;
    // The set believed on `controller`, with `groups` taken from the loader's set.
    ParameterImage Believed(const ControllerIdentity& controller,
                            const std::vector<GroupId>& groups);
    // A SEND's snapshot: the set believed of the controller with the groups sent, or the
    // loader's own set where the controller was never read whole.
    void RecordSent(NewSnapshot& snapshot, const std::vector<GroupId>& sent);
    void Record(NewSnapshot snapshot);

    CTQXLOADER961114Doc& m_document;
    // The groups of the SEND under way, and whether each was read back equal.
    std::vector<GroupId> m_sending;
    bool m_sendVerified = true;
    std::optional<ParameterImage> m_believed;
    ControllerIdentity m_believedOf;
    // The controller the loader's set was last read from, sent to or loaded as; none
    // after a File Read.
    ControllerIdentity m_setOf;
    std::string m_lastFailure;
    WindowQueue m_toWindow; // what the history's thread says back
    HistoryQueue m_queue;   // last: it writes what still waits before the rest goes
};
