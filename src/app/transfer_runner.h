#pragma once

#include "transfers/transfer_context.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QWidget;
class ShellStatus;
class TransferProgressDialog;

// Runs the link's calls on one worker thread while the window's event loop goes on: the
// window repaints, the window manager sees it answer, and Cancel can be pressed. The
// procedure that makes the calls stays on the user-interface thread, one call at a time,
// so the order of calls and boxes is what it always was. A transfer sequence is the calls
// with less than a moment between them; one that takes longer than a moment shows the
// progress window, and every step shows in the status bar.
class TransferRunner : public QObject, public CallRunner, public TransferProgress {
    Q_OBJECT
public:
    TransferRunner(TransferContext& link, QWidget* window, ShellStatus* status);
    ~TransferRunner() override;

    int32_t Run(const std::function<int32_t()>& call) override;
    void Step(const std::string& what, int done, int total) override;

    // Runs `work` on the worker with the event loop going on, and no progress window (Test
    // and Scan in Port settings show their own).
    void RunInBackground(const std::function<void()>& work);

    // A transfer sequence is under way (a call in flight, or one just made).
    bool Busy() const { return m_inSequence; }
    // The command that made the calls has returned: its sequence is over.
    void CommandDone();
    TransferProgressDialog* Dialog() const { return m_dialog; }

signals:
    // The sequence ended: the link is idle.
    void Idle();
    // The progress window was asked to close.
    void CloseRequested();

private:
    void Execute(const std::function<void()>& work);
    void BeginSequence();
    void EndSequence();
    void Worker();

    TransferContext& m_link;
    ShellStatus* m_status;
    TransferProgressDialog* m_dialog;
    bool m_inSequence = false;
    bool m_showProgress = true;
    QElapsedTimer m_sequence;
    QTimer m_show; // the progress window after a moment
    QTimer m_idle; // the sequence ends when no call follows for a while

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_job;
    bool m_stop = false;
};
