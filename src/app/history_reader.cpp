#include "app/history_reader.h"

#include "history/history_location.h"

#include <QCoreApplication>

#include <condition_variable>
#include <deque>
#include <mutex>

struct HistoryReader::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Work> waiting;
    bool stop = false;
    bool done = false;               // the thread has closed the store and ends
    WindowQueue* toWindow = nullptr; // null once the reader is gone: nothing more is told
};

HistoryReader::Finishing& HistoryReader::StillFinishing() {
    static Finishing threads;
    return threads;
}

void HistoryReader::JoinFinishing() {
    for (auto& finishing : StillFinishing())
        finishing.second.join();
    StillFinishing().clear();
}

HistoryReader::HistoryReader(
    std::string path,
    std::function<void(const std::string& why, const std::string& readOnly)> opened,
    std::function<void()> answered)
    : m_answered(std::move(answered)), m_shared(std::make_shared<Shared>()) {
    m_shared->toWindow = &m_toWindow;
    m_thread = std::thread([this, shared = m_shared, path, opened = std::move(opened)] {
        std::string why;
        std::unique_ptr<HistoryStore> store = OpenHistoryStore(path, false, why);
        const std::string readOnly = store ? store->ReadOnlyReason() : std::string();
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->toWindow)
                shared->toWindow->Post([opened, why, readOnly] { opened(why, readOnly); });
        }
        for (;;) {
            Work work;
            {
                std::unique_lock<std::mutex> lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stop || !shared->waiting.empty(); });
                if (shared->stop)
                    break;
                work = std::move(shared->waiting.front());
                shared->waiting.pop_front();
            }
            Answer answer = store ? work(*store) : Answer();
            // `this` is alive while the reader can still be told: its destructor clears
            // `toWindow` under the lock before anything of it goes.
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->toWindow)
                shared->toWindow->Post([this, answer = std::move(answer)] {
                    --m_pending;
                    if (answer)
                        answer();
                    if (m_answered)
                        m_answered();
                });
        }
        store.reset(); // closed here: closing may write the file back
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->done = true;
    });
}

HistoryReader::~HistoryReader() {
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->waiting.clear();
        m_shared->toWindow = nullptr;
        done = m_shared->done;
    }
    m_shared->wake.notify_one();
    // The window does not wait for a call under way (a verification of a long chain):
    // its thread finishes by itself and is joined when the program ends.
    Finishing& finishing = StillFinishing();
    for (auto at = finishing.begin(); at != finishing.end();) {
        bool over = false;
        {
            std::lock_guard<std::mutex> lock(at->first->mutex);
            over = at->first->done;
        }
        if (over) {
            at->second.join();
            at = finishing.erase(at);
        } else {
            ++at;
        }
    }
    if (done || !QCoreApplication::instance()) {
        m_thread.join();
        return;
    }
    static bool joinedAtTheEnd = false;
    if (!joinedAtTheEnd) { // before the windowing goes, which a report being painted uses
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         &HistoryReader::JoinFinishing);
        qAddPostRoutine(JoinFinishing);
    }
    joinedAtTheEnd = true;
    finishing.emplace_back(m_shared, std::move(m_thread));
}

void HistoryReader::Ask(Work work) {
    ++m_pending;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->waiting.push_back(std::move(work));
    }
    m_shared->wake.notify_one();
}
