#include "app/transfer_runner.h"

#include "app/document.h"
#include "app/transfer_progress_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

constexpr int kShowAfterMs = 300; // an operation longer than a moment shows its progress

// What a person does to a window: these wait while an operation runs.
bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

TransferRunner::TransferRunner(TransferContext& link) : m_link(link) {
    m_show.setSingleShot(true);
    connect(&m_show, &QTimer::timeout, this, [this] {
        if (m_busy && m_showProgress && !Progress().isVisible()) {
            Progress().adjustSize();
            Progress().show();
        }
    });
    m_thread = std::thread([this] { Worker(); });
    m_link.SetHost(this);
    m_link.SetProgress(this);
}

void TransferRunner::SetWindow(QWidget* window, ShellStatus* status) {
    m_window = window;
    m_status = status;
    Progress().setParent(window, Progress().windowFlags());
}

TransferProgressDialog& TransferRunner::Progress() {
    // Made again when the window it belonged to has gone.
    if (!m_dialog) {
        m_dialog = new TransferProgressDialog(m_window);
        connect(m_dialog, &TransferProgressDialog::CancelRequested, this,
                [this] { m_link.RequestCancel(); });
        connect(m_dialog, &TransferProgressDialog::CloseRequested, this,
                &TransferRunner::CloseRequested);
    }
    return *m_dialog;
}

TransferRunner::~TransferRunner() {
    if (m_dialog && !m_dialog->parent())
        delete m_dialog.data();
    m_link.SetHost(nullptr);
    m_link.SetProgress(nullptr);
    m_link.RequestCancel(); // whatever is still under way ends after its call
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    if (m_busy)
        qApp->removeEventFilter(this);
}

void TransferRunner::Worker() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

void TransferRunner::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void TransferRunner::WindowMessages::Show(const std::string& text) {
    m_runner.OnWindowThread([this, &text] { m_inner.Show(text); });
}

void TransferRunner::OnWindowThread(const std::function<void()>& what) {
    m_toWindow.Run([this, &what] {
        // A box never comes up over the progress window, nor behind it: the progress
        // window goes, and comes back after a moment only if the work goes on that long
        // once the box is closed.
        const bool waiting = m_show.isActive() || Progress().isVisible();
        m_show.stop();
        Progress().hide();
        what();
        if (waiting && m_busy)
            m_show.start(kShowAfterMs);
    });
}

void TransferRunner::Start(Operation operation, TransferContext& link, Messages& tell) {
    if (m_busy)
        return; // the windows take no input meanwhile: nothing starts a second one
    m_operation = std::move(operation);
    m_tell = std::make_unique<WindowMessages>(tell, *this);
    link.HoldNotes();
    Begin(m_operation.progress, QString::fromStdString(m_operation.title));
    Post([this, &link] {
        if (m_operation.work)
            m_operation.work(link, *m_tell);
        m_toWindow.Post([this] { End(); });
    });
}

void TransferRunner::RunInBackground(std::function<void()> work, std::function<void()> done) {
    // After whatever the worker has under way; the window keeps its input meanwhile.
    Post([this, work = std::move(work), done = std::move(done)] {
        work();
        m_toWindow.Post(done);
    });
}

void TransferRunner::Step(const std::string& what, int done, int total) {
    const QString text = QString::fromStdString(what);
    m_toWindow.Post([this, text, done, total] {
        Progress().ShowStep(text, done, total);
        if (m_status)
            m_status->ShowProgress(done, total, text);
    });
}

void TransferRunner::Begin(bool progress, const QString& title) {
    m_busy = true;
    m_showProgress = progress;
    m_held.clear();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != m_dialog.data())
            m_held.emplace_back(top);
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Progress().Begin(title);
    if (progress)
        m_show.start(kShowAfterMs);
}

void TransferRunner::End() {
    m_show.stop();
    Progress().hide();
    qApp->removeEventFilter(this);
    m_held.clear();
    QApplication::restoreOverrideCursor();
    if (m_status)
        m_status->ClearProgress();
    Operation operation = std::move(m_operation);
    m_operation = Operation{};
    m_tell.reset();
    if (operation.work)
        m_link.Apply(operation); // the groups' sends are still this operation's
    m_busy = false;
    if (operation.work)
        m_link.Ended(operation.title);
    emit Idle();
    if (operation.after)
        operation.after();
}

bool TransferRunner::eventFilter(QObject* watched, QEvent* event) {
    // What another thread handed over (its event was made there) is no input.
    if (!m_busy || dynamic_cast<WindowQueue*>(watched) || !IsInput(event->type()))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) // a menu's key goes to its action: the menus wait too
        return event->type() == QEvent::Shortcut;
    QWidget* top = widget->window();
    // Closing the main window asks whether to stop; a box raised meanwhile takes input.
    if (event->type() == QEvent::Close && top == m_window)
        return false;
    for (const QPointer<QWidget>& held : m_held)
        if (held == top)
            return true;
    return false;
}
