#include "app/history_reader.h"

#include "history/history_location.h"

HistoryReader::HistoryReader(
    std::string path,
    std::function<void(const std::string& why, const std::string& readOnly)> opened)
    : m_thread([this, path = std::move(path), opened = std::move(opened)]() mutable {
          Run(std::move(path), std::move(opened));
      }) {}

HistoryReader::~HistoryReader() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_waiting.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

void HistoryReader::Ask(Work work) {
    ++m_pending;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void HistoryReader::Run(std::string path,
                        std::function<void(const std::string&, const std::string&)> opened) {
    std::string why;
    m_store = OpenHistoryStore(path, false, why);
    const std::string readOnly = m_store ? m_store->ReadOnlyReason() : std::string();
    m_toWindow.Post([opened = std::move(opened), why, readOnly] { opened(why, readOnly); });
    for (;;) {
        Work work;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
            if (m_stop)
                break;
            work = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        Answer answer = m_store ? work(*m_store) : Answer();
        m_toWindow.Post([this, answer = std::move(answer)] {
            --m_pending;
            if (answer)
                answer();
        });
    }
    m_store.reset(); // closed here: closing may write the file back
}
