#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

// Second copies of answers, each sent on its descriptor when its time comes, whatever the
// simulator is doing then: a copy can come between a later request and that request's
// answer, as from a repeater that sends a frame again, or a device whose transmitter
// repeats its last frame.
class EchoQueue {
public:
    using Clock = std::chrono::steady_clock;

    // A copy of `frame` on `fd` `delayMs` from now.
    void Add(int fd, const std::vector<uint8_t>& frame, int delayMs);
    // Sends the copies whose time has come.
    void SendDue();
    // Waits `duration`, sending each copy at its time meanwhile.
    void Sleep(std::chrono::microseconds duration);
    // Milliseconds until the next copy is due (at most `most`), for a select loop.
    long WaitMs(long most) const;
    // Forgets the copies for `fd` (its client went away).
    void Forget(int fd);

private:
    struct Echo {
        Clock::time_point due;
        int fd;
        std::vector<uint8_t> frame;
    };
    std::vector<Echo> m_echoes;
};

// Writes all of `frame` to `fd`; false when the descriptor failed.
bool WriteFrame(int fd, const std::vector<uint8_t>& frame);
