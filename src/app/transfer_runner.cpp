#include "app/transfer_runner.h"

#include "app/document.h"
#include "app/transfer_progress_dialog.h"

#include <QCoreApplication>

#include <atomic>

namespace {

constexpr int kShowAfterMs = 300; // a transfer longer than a moment shows its progress
constexpr int kIdleAfterMs = 150; // no call for this long: the sequence ended

} // namespace

TransferRunner::TransferRunner(TransferContext& link, QWidget* window, ShellStatus* status)
    : m_link(link), m_status(status), m_dialog(new TransferProgressDialog(window)) {
    m_show.setSingleShot(true);
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleAfterMs);
    connect(&m_show, &QTimer::timeout, this, [this] {
        if (m_inSequence && m_showProgress && !m_dialog->isVisible()) {
            m_dialog->adjustSize();
            m_dialog->show();
        }
    });
    connect(&m_idle, &QTimer::timeout, this, &TransferRunner::EndSequence);
    connect(m_dialog, &TransferProgressDialog::CancelRequested, this,
            [this] { m_link.RequestCancel(); });
    connect(m_dialog, &TransferProgressDialog::CloseRequested, this,
            &TransferRunner::CloseRequested);
    m_thread = std::thread([this] { Worker(); });
    m_link.SetCallRunner(this);
    m_link.SetProgress(this);
}

TransferRunner::~TransferRunner() {
    m_link.SetCallRunner(nullptr);
    m_link.SetProgress(nullptr);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void TransferRunner::Worker() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_job; });
            if (m_stop)
                return;
            job = std::move(m_job);
            m_job = nullptr;
        }
        job();
    }
}

void TransferRunner::Execute(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job = [&] {
            work();
            done = true;
            // Wakes the loop below.
            QMetaObject::invokeMethod(
                this, [] {}, Qt::QueuedConnection);
        };
    }
    m_wake.notify_one();
    // The event loop goes on meanwhile; until the progress window shows, the operator's
    // keys and clicks wait, as they did while the call held the thread.
    while (!done) {
        const auto input = m_dialog->isVisible() || !m_showProgress
                               ? QEventLoop::AllEvents
                               : QEventLoop::ExcludeUserInputEvents;
        QCoreApplication::processEvents(input | QEventLoop::WaitForMoreEvents);
    }
}

int32_t TransferRunner::Run(const std::function<int32_t()>& call) {
    if (!m_inSequence)
        BeginSequence();
    m_idle.stop();
    int32_t result = 0;
    Execute([&] { result = call(); });
    m_idle.start();
    return result;
}

void TransferRunner::RunInBackground(const std::function<void()>& work) {
    const bool shown = m_showProgress;
    m_showProgress = false;
    Execute(work);
    m_showProgress = shown;
}

void TransferRunner::Step(const std::string& what, int done, int total) {
    const QString text = QString::fromStdString(what);
    m_dialog->ShowStep(text, done, total);
    if (m_status)
        m_status->ShowProgress(done, total, text);
}

void TransferRunner::CommandDone() {
    if (m_inSequence)
        EndSequence();
}

void TransferRunner::BeginSequence() {
    m_inSequence = true;
    m_sequence.start();
    m_dialog->Begin();
    m_show.start(kShowAfterMs);
}

void TransferRunner::EndSequence() {
    m_inSequence = false;
    m_idle.stop();
    m_show.stop();
    m_dialog->hide();
    if (m_status)
        m_status->ClearProgress();
    emit Idle();
}
