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
// What could not be written is told through `told` (the store's reason, `failed` true), and
// so is what a recording that went through has to say (kept locally for a shared history
// out of reach, `failed` false), on the writing thread. Closing writes what is still
// waiting first.
class HistoryQueue {
public:
    using Told = std::function<void(const std::string& text, bool failed)>;
    explicit HistoryQueue(Told told);
    ~HistoryQueue();
    HistoryQueue(const HistoryQueue&) = delete;
    HistoryQueue& operator=(const HistoryQueue&) = delete;

    // Records `snapshot` into the history at `path` (its store opened for recording).
    void Push(std::string path, NewSnapshot snapshot);
    // Nothing is waiting or being written.
    bool Idle() const;

private:
    void Writer();

    Told m_told;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<std::string, NewSnapshot>> m_waiting;
    bool m_writing = false;
    bool m_stop = false;
    std::thread m_thread;
};
