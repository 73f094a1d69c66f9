#include "echo_queue.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

using std::chrono::milliseconds;

bool WriteFrame(int fd, const std::vector<uint8_t>& frame) {
    size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::write(fd, frame.data() + sent, frame.size() - sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void EchoQueue::Add(int fd, const std::vector<uint8_t>& frame, int delayMs) {
    m_echoes.push_back({Clock::now() + milliseconds(delayMs), fd, frame});
}

void EchoQueue::SendDue() {
    const Clock::time_point now = Clock::now();
    std::stable_sort(m_echoes.begin(), m_echoes.end(),
                     [](const Echo& a, const Echo& b) { return a.due < b.due; });
    auto it = m_echoes.begin();
    for (; it != m_echoes.end() && it->due <= now; ++it)
        WriteFrame(it->fd, it->frame);
    m_echoes.erase(m_echoes.begin(), it);
}

void EchoQueue::Sleep(std::chrono::microseconds duration) {
    const Clock::time_point until = Clock::now() + duration;
    for (;;) {
        SendDue();
        const Clock::time_point now = Clock::now();
        if (now >= until)
            return;
        Clock::time_point next = until;
        for (const Echo& e : m_echoes)
            next = std::min(next, e.due);
        std::this_thread::sleep_until(next);
    }
}

long EchoQueue::WaitMs(long most) const {
    const Clock::time_point now = Clock::now();
    for (const Echo& e : m_echoes)
        most = std::min<long>(
            most,
            std::max<long>(0, std::chrono::duration_cast<milliseconds>(e.due - now).count() + 1));
    return most;
}

void EchoQueue::Forget(int fd) {
    m_echoes.erase(std::remove_if(m_echoes.begin(), m_echoes.end(),
                                  [fd](const Echo& e) { return e.fd == fd; }),
                   m_echoes.end());
}
