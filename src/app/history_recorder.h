#pragma once

#include "history/history_queue.h"
#include "history/history_store.h"
#include "history/recording_policy.h"
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
// or a file, without asking, as the recording policy says. When the history cannot take
// it, the status bar says why and nothing else changes. It tells the policy what the
// loader holds and records what it returns, on the history's own thread.
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
    void Record(std::optional<NewSnapshot> snapshot);
    void Record(NewSnapshot snapshot);

    CTQXLOADER961114Doc& m_document;
    RecordingPolicy m_policy;
    std::string m_lastFailure;
    WindowQueue m_toWindow; // what the history's thread says back
    HistoryQueue m_queue;   // last: it writes what still waits before the rest goes
};
