#pragma once

#include "history/history_store.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Snapshots written on a thread of their own, in the order they were handed in, so that a
// history held by another program, or slow to write, never holds up the one who records.
// What could not be written is told through `failed` (the store's reason), on the writing
// thread. Closing writes what is still waiting first.
class HistoryQueue {
public:
    explicit HistoryQueue(std::function<void(const std::string& why)> failed);
    ~HistoryQueue();
    HistoryQueue(const HistoryQueue&) = delete;
    HistoryQueue& operator=(const HistoryQueue&) = delete;

    // Records `snapshot` into the history at `path` (its store opened for recording).
    void Push(std::string path, NewSnapshot snapshot);
    // Nothing is waiting or being written.
    bool Idle() const;

private:
    void Writer();

    std::function<void(const std::string&)> m_failed;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<std::string, NewSnapshot>> m_waiting;
    bool m_writing = false;
    bool m_stop = false;
    std::thread m_thread;
};
