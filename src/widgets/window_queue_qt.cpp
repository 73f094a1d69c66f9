#include "widgets/window_queue_qt.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <condition_variable>

namespace {

const QEvent::Type kWork = QEvent::User;

} // namespace

void WindowQueue::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_jobs.push_back(std::move(job));
    }
    QCoreApplication::postEvent(this, new QEvent(kWork));
}

void WindowQueue::Run(const std::function<void()>& what) {
    if (QThread::currentThread() == thread()) {
        what();
        return;
    }
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    Post([&] {
        what();
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        finished.notify_one();
    });
    std::unique_lock<std::mutex> guard(lock);
    finished.wait(guard, [&] { return done; });
}

void WindowQueue::customEvent(QEvent*) {
    // One at a time: a job that opens a box runs the event loop, and the jobs after it
    // then run from there, still in order.
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_jobs.empty())
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}
