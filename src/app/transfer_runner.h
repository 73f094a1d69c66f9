#pragma once

#include "operator/messages.h"
#include "transfers/operation.h"
#include "transfers/transfer_context.h"
#include "widgets/window_queue_qt.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QWidget;
class ShellStatus;
class TransferProgressDialog;

// Runs each operation on one worker thread, from its first call to its last, while the
// window's thread goes on with its event loop and never waits for it: the window
// repaints, the window manager sees it answer, Cancel can be pressed. A box the work
// raises between two calls comes to the window's thread through the message seam, and the
// work waits until it is closed, so calls and boxes keep their order. Until the progress
// window shows (after a moment), the windows that were open take no input; when the work
// is over, the operation's outcome is applied on the window's thread in one step.
class TransferRunner : public QObject, public OperationHost, public TransferProgress {
    Q_OBJECT
public:
    explicit TransferRunner(TransferContext& link);
    // The main window, which the progress window belongs to and whose status bar shows
    // the progress.
    void SetWindow(QWidget* window, ShellStatus* status);
    ~TransferRunner() override;

    void Start(Operation operation, TransferContext& link, Messages& tell) override;
    bool Busy() const override { return m_busy; }
    // From the worker: shown on the window's thread.
    void Step(const std::string& what, int done, int total) override;

    // Runs `work` on the worker with no progress window and no hold on the windows, then
    // `done` on the window's thread (Test and Scan in Port settings, which show their own).
    void RunInBackground(std::function<void()> work, std::function<void()> done);

    TransferProgressDialog* Dialog() { return &Progress(); }
    // Runs `what` on the window's thread and waits for it: from the worker, a box or a
    // dialog between two calls of an operation; on the window's thread, at once.
    // The progress window waits while it is open, so that it never comes up over it.
    void OnWindowThread(const std::function<void()>& what);

signals:
    // An operation ended: the link is idle.
    void Idle();
    // The progress window was asked to close.
    void CloseRequested();

private:
    // Boxes the work raises, shown on the window's thread while the work waits.
    class WindowMessages : public Messages {
    public:
        WindowMessages(Messages& inner, TransferRunner& runner)
            : m_inner(inner), m_runner(runner) {}
        void Show(const std::string& text) override;

    private:
        Messages& m_inner;
        TransferRunner& m_runner;
    };

    // The progress window, made when there is none.
    TransferProgressDialog& Progress();
    void Begin(bool progress, const QString& title);
    void End();
    void Post(std::function<void()> job);
    void Worker();
    bool eventFilter(QObject* watched, QEvent* event) override;

    TransferContext& m_link;
    WindowQueue m_toWindow; // what the worker hands back to the window's thread
    QPointer<QWidget> m_window;
    ShellStatus* m_status = nullptr;
    // The window it belongs to deletes it; else the runner does.
    QPointer<TransferProgressDialog> m_dialog;
    bool m_busy = false;
    bool m_showProgress = true;
    QTimer m_show; // the progress window after a moment
    Operation m_operation;
    std::unique_ptr<WindowMessages> m_tell;
    std::vector<QPointer<QWidget>> m_held; // the windows that take no input meanwhile

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stop = false;
};
