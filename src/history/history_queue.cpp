#include "history/history_queue.h"

#include "history/history_location.h"

HistoryQueue::HistoryQueue(Told told) : m_told(std::move(told)), m_thread([this] { Writer(); }) {}

HistoryQueue::~HistoryQueue() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void HistoryQueue::Push(std::string path, NewSnapshot snapshot) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.emplace_back(std::move(path), std::move(snapshot));
    }
    m_wake.notify_one();
}

bool HistoryQueue::Idle() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.empty() && !m_writing;
}

void HistoryQueue::Writer() {
    for (;;) {
        std::pair<std::string, NewSnapshot> next;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
            if (m_waiting.empty())
                return; // stopping, and everything is written
            next = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_writing = true;
        }
        std::string why;
        std::unique_ptr<HistoryStore> store = OpenHistoryStore(next.first, true, why);
        if (store)
            why = store->Record(next.second);
        if (!why.empty() && m_told)
            m_told(why, true);
        else if (store && !store->Notice().empty() && m_told)
            m_told(store->Notice(), false);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_writing = false;
    }
}
