#pragma once

#include "image/group_id.h"
#include "link/link_journal.h"
#include "transfers/operation.h"
#include "transfers/transfer_result.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class LinkBackend;

// Told about every group RETRIEVE and SEND (the loader's summary).
class TransferListener {
public:
    virtual ~TransferListener() = default;
    virtual void GroupRetrieved(GroupId group, bool ok) = 0;
    // `cause`: the link's reason when the SEND failed, as it was when this group failed.
    virtual void GroupSent(GroupId group, TransferOutcome outcome, const std::string& cause) = 0;
    // The operation `title` is over: what it sent is one step.
    virtual void OperationEnded(const std::string& /*title*/) {}
};

// Where a long transfer says what it is doing: the step about to run, n of m.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    virtual void Step(const std::string& what, int done, int total) = 0;
};

// What every transfer procedure works through: the link it talks to (port 1), who hears
// about each group, whether a SEND reads back what it wrote, the progress shown, the
// operator's Cancel and where operations run. A default one talks through TQXRead and
// TQXWrite, tells nobody, does not verify, shows no progress, is never cancelled and runs
// each operation at once.
class TransferContext {
public:
    TransferContext() = default;
    // Every call goes to `backend` (a transport of the caller's own) instead.
    explicit TransferContext(LinkBackend& backend) : m_backend(&backend) {}
    TransferContext(const TransferContext&) = delete;
    TransferContext& operator=(const TransferContext&) = delete;

    // One link call each; false when it failed or the transfer was cancelled (then
    // nothing is sent). The buffer is untouched by a failed call.
    bool Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer);
    bool Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer);

    LinkBackend& Backend() const;
    // The last call failed after its request may have reached the controller: no answer,
    // or one that came garbled or late, or the line went away. A write that failed so may
    // still have been taken.
    bool LastCallMayHaveLanded() const;
    // The link's reason for the last failed call, naming port 1; empty when none.
    std::string FailureText() const;
    // `first`, then the reason on a line of its own.
    std::string WithCause(const std::string& first) const;
    // A new operator command: a port that could not be opened is tried again.
    void BeginCommand();
    // How long the link will still refuse calls because the controller was silent.
    int SilentMs() const;
    // Waits out that silence on the operation's thread, a little at a time, so that a
    // Cancel or a closing program ends the wait at once; false when cancelled.
    bool WaitOutSilence();
    // The unit port 1 asks, and a move to another (the controller's station changed).
    int Unit() const;
    void MoveUnit(int unit);

    void SetListener(TransferListener* listener) { m_listener = listener; }
    void NoteRetrieved(GroupId group, bool ok);
    void NoteSent(GroupId group, TransferOutcome outcome);

    void SetVerify(bool on) { m_verify = on; }
    bool Verify() const { return m_verify; }

    // An operation the operator started (a Connect, a RETRIEVE, a SEND): a Cancel of the one
    // before it no longer holds.
    void BeginOperation() { m_cancel = false; }
    // Cancel between calls: the call in flight finishes, nothing more is sent. Safe from
    // any thread and from a signal handler.
    void RequestCancel() { m_cancel = true; }
    bool Cancelled() const { return m_cancel; }

    void SetProgress(TransferProgress* progress) { m_progress = progress; }
    void Step(const std::string& what, int done, int total);
    // Put before each step's text while a longer procedure runs its parts ("Group 3 of 20:
    // "); empty again when it is over.
    void SetStepPrefix(std::string prefix) { m_stepPrefix = std::move(prefix); }

    // Runs `operation` through the host, or at once where there is none.
    void Run(Operation operation, Messages& tell);
    void SetHost(OperationHost* host) { m_host = host; }
    // An operation is under way (started and not yet finished).
    bool Busy() const { return m_host ? m_host->Busy() : m_inline; }
    // For hosts: the listener hears nothing while the work runs; Apply takes the outcome
    // in and tells the listener what the work retrieved and sent (the host runs `after`).
    void HoldNotes();
    void Apply(Operation& operation);
    // For hosts: the operation `title` is over (the listener hears so).
    void Ended(const std::string& title = {});

    // The calls made through this context, for the Communication window.
    // A copy: the worker adds to it while an operation runs.
    LinkJournal Journal() const;

private:
    int32_t Call(bool write, int32_t mode, int32_t block, int32_t offset, int32_t length,
                 const std::function<int32_t()>& call);

    LinkBackend* m_backend = nullptr; // null: TQXCOMM
    TransferListener* m_listener = nullptr;
    TransferProgress* m_progress = nullptr;
    std::string m_stepPrefix;
    OperationHost* m_host = nullptr;
    bool m_inline = false;
    // What the work told while the listener was held: retrieved (true) or sent, and how.
    struct Note {
        GroupId group;
        bool retrieved;
        bool ok;
        TransferOutcome outcome;
        std::string cause; // of a failed SEND, taken when it failed
    };
    std::vector<Note> m_notes;
    bool m_holding = false;
    bool m_verify = false;
    std::atomic<bool> m_cancel{false};
    bool m_lastCancelled = false; // the last call was not made: the transfer was cancelled
    mutable std::mutex m_journalLock;
    LinkJournal m_journal;
};

// The read-back after each SEND off while it lives (a procedure that reads everything
// back once at its end), and back to what it was after, however the procedure ends.
class VerifyPaused {
public:
    explicit VerifyPaused(TransferContext& link) : m_link(link), m_was(link.Verify()) {
        link.SetVerify(false);
    }
    ~VerifyPaused() { m_link.SetVerify(m_was); }
    VerifyPaused(const VerifyPaused&) = delete;
    VerifyPaused& operator=(const VerifyPaused&) = delete;

private:
    TransferContext& m_link;
    bool m_was;
};
