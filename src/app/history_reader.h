#pragma once

#include "history/history_store.h"
#include "widgets/window_queue_qt.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The History window's own thread: it opens the history and makes every call the window
// makes to it, one at a time in the order asked, so that a large or busy history never
// holds up the window. What a call found comes back to the window's thread as a job that
// runs there. Destroying the reader lets the call under way finish, drops the rest and
// runs no answer after that.
class HistoryReader {
public:
    // What runs on the window's thread once a call is over; empty: nothing to say.
    using Answer = std::function<void()>;
    // Runs on the reader's thread with the open store.
    using Work = std::function<Answer(HistoryStore& store)>;

    // Opens the history at `path` (for reading, and for notes, labels, joins and moves
    // where the file may be written); `opened` then runs on the window's thread with why it
    // could not be opened ("" when it was) and why it is read only ("" when it is not).
    HistoryReader(std::string path,
                  std::function<void(const std::string& why, const std::string& readOnly)> opened);
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    // `work` waits for the calls asked before it; none runs when the history could not be
    // opened.
    void Ask(Work work);
    // Calls asked whose answers have not yet run on the window's thread.
    int Pending() const { return m_pending; }

private:
    void Run(std::string path, std::function<void(const std::string&, const std::string&)> opened);

    WindowQueue m_toWindow;
    int m_pending = 0; // the window's thread alone counts
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Work> m_waiting;
    bool m_stop = false;
    std::unique_ptr<HistoryStore> m_store; // the reader's thread alone uses it
    std::thread m_thread;                  // last: it starts when the rest is made
};
