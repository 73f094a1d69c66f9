#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Work that other threads hand to the thread this object lives on (the window's), run
// there in the order it was handed in. The work waits in a queue of its own under a plain
// lock, and only a bare event crosses Qt's event queue, so every hand-over is one that a
// thread checker sees.
class WindowQueue : public QObject {
public:
    explicit WindowQueue(QObject* parent = nullptr) : QObject(parent) {}

    // From any thread: `job` runs on this object's thread later.
    void Post(std::function<void()> job);
    // Runs `what` on this object's thread and waits until it has returned; at once when
    // called there.
    void Run(const std::function<void()>& what);

protected:
    // Runs what waits. The event itself is not looked at: it was made on another thread.
    void customEvent(QEvent* event) override;

private:
    std::mutex m_lock;
    std::deque<std::function<void()>> m_jobs;
};
