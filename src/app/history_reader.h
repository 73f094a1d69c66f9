#pragma once

#include "history/history_store.h"
#include "widgets/window_queue_qt.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The History window's own thread: it opens the history and makes every call the window
// makes to it, one at a time in the order asked, so that a large or busy history never
// holds up the window. What a call found comes back to the window's thread as a job that
// runs there. Destroying the reader drops the calls not yet begun and runs no answer after
// that; it does not wait for the call under way, which finishes on its own (the program
// waits for it only when it ends).
class HistoryReader {
public:
    // What runs on the window's thread once a call is over; empty: nothing to say.
    using Answer = std::function<void()>;
    // Runs on the reader's thread with the open store.
    using Work = std::function<Answer(HistoryStore& store)>;

    // Opens the history at `path` (for reading, and for notes, labels, joins and moves
    // where the file may be written); `opened` then runs on the window's thread with why it
    // could not be opened ("" when it was) and why it is read only ("" when it is not).
    // `answered`, when given, runs there after each call's answer, or in its place when
    // the store could not be opened.
    HistoryReader(std::string path,
                  std::function<void(const std::string& why, const std::string& readOnly)> opened,
                  std::function<void()> answered = {});
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    // `work` waits for the calls asked before it; none runs when the history could not be
    // opened.
    void Ask(Work work);
    // Calls asked whose answers have not yet run on the window's thread.
    int Pending() const { return m_pending; }

private:
    struct Shared; // what the thread and the reader share, kept by both
    using Finishing = std::vector<std::pair<std::shared_ptr<Shared>, std::thread>>;
    // The threads of readers destroyed while a call was under way: each ends when its call
    // is over, and the program waits for the last of them as it ends.
    static Finishing& StillFinishing();
    static void JoinFinishing();

    WindowQueue m_toWindow;
    std::function<void()> m_answered;
    int m_pending = 0; // the window's thread alone counts
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread; // last: it starts when the rest is made
};
