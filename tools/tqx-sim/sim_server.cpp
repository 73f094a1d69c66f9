#include "sim_server.h"

#include "echo_queue.h"
#include "link/modbus_frames.h"
#include "request_handler.h"

#include <modbus.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

// Fault injection and pacing shared by both transports.
class Responder {
public:
    Responder(const SimOptions& options, std::vector<ControllerMemory>& memories, bool rtu)
        : m_options(options), m_memories(memories), m_rtu(rtu),
          m_random(static_cast<std::mt19937::result_type>(std::max(options.faultSeed, 0))) {}

    // Answers the request ADU `query` (as modbus_receive returned it) on `fd`.
    void Answer(int fd, const uint8_t* query, int length) {
        const int header = m_rtu ? 1 : 7;
        const int pduLength = length - header - (m_rtu ? 2 : 0);
        if (pduLength < 1)
            return;
        ControllerMemory* memory = &m_memories[0];
        if (!m_options.units.empty()) {
            // Only the controller at this station answers; on RS-485 the others keep quiet.
            const uint8_t unit = query[m_rtu ? 0 : 6];
            memory = nullptr;
            for (ControllerMemory& m : m_memories)
                if (m.Data()[kStationAddress] == unit && unit != 0)
                    memory = &m;
            if (!memory) {
                if (m_options.verbose) {
                    std::printf("tqx-sim: request for unit %u: no controller there\n", unit);
                    std::fflush(stdout);
                }
                return;
            }
        }
        ++m_requests;
        std::string summary;
        // A controller that acknowledges a write and keeps its old values: the memory is
        // put back after the write was answered.
        const uint8_t function = query[header];
        const bool forget = (function == 0x06 || function == 0x10) && m_options.forgetEvery > 0 &&
                            ++m_writes % m_options.forgetEvery == 0;
        std::vector<uint8_t> kept;
        if (forget)
            kept.assign(memory->Data(), memory->Data() + memory->Size());
        std::vector<uint8_t> pdu = AnswerRequest(*memory, query + header, pduLength, summary);
        if (forget) {
            std::copy(kept.begin(), kept.end(), memory->Data());
            summary += ", forgotten";
        }
        std::vector<uint8_t> frame;
        if (m_rtu) {
            frame.push_back(query[0]);
            frame.insert(frame.end(), pdu.begin(), pdu.end());
            const uint16_t crc = ModbusCrc16(frame.data(), frame.size());
            frame.push_back(static_cast<uint8_t>(crc & 0xFF));
            frame.push_back(static_cast<uint8_t>(crc >> 8));
        } else {
            const size_t follow = pdu.size() + 1;
            frame = {query[0],
                     query[1],
                     0,
                     0,
                     static_cast<uint8_t>(follow >> 8),
                     static_cast<uint8_t>(follow & 0xFF),
                     query[6]};
            frame.insert(frame.end(), pdu.begin(), pdu.end());
        }
        const bool drop = Fault(m_options.dropEvery);
        const bool corrupt = Fault(m_options.corruptEvery) && !drop;
        if (corrupt) {
            // RTU: the CRC no longer matches. TCP: the transaction id no longer matches.
            if (m_rtu)
                frame.back() ^= 0x5A;
            else
                frame[0] ^= 0x5A;
        }
        if (m_options.verbose) {
            std::printf("tqx-sim: #%ld %s%s\n", m_requests, summary.c_str(),
                        drop      ? " (answer dropped)"
                        : corrupt ? " (answer corrupted)"
                                  : "");
            std::fflush(stdout);
        }
        if (drop)
            return;
        Pace(length, frame.size());
        if (Fault(m_options.lateEvery))
            m_echoes.Sleep(std::chrono::microseconds(std::uniform_int_distribution<long>(
                1000L * m_options.lateMinMs, 1000L * m_options.lateMaxMs)(m_random)));
        if (Fault(m_options.echoEvery))
            m_echoes.Add(fd, frame,
                         std::uniform_int_distribution<int>(m_options.echoMinMs,
                                                            m_options.echoMaxMs)(m_random));
        // Both copies go out in one write, back to back, as a device that answers twice.
        if (Fault(m_options.twiceEvery)) {
            std::vector<uint8_t> twice(2 * frame.size());
            std::copy(frame.begin(), frame.end(), twice.begin());
            std::copy(frame.begin(), frame.end(), twice.begin() + static_cast<long>(frame.size()));
            frame.swap(twice);
        }
        WriteFrame(fd, frame);
    }

    // The second copies of --echo-every, due later.
    EchoQueue& Echoes() { return m_echoes; }

private:
    // Every Nth request, or with --fault-seed one in N at random: a fixed period can
    // line up with a client's retries and hit the same transfer every time.
    bool Fault(int every) {
        if (every <= 0)
            return false;
        if (m_options.faultSeed < 0)
            return m_requests % every == 0;
        return std::uniform_int_distribution<int>(0, every - 1)(m_random) == 0;
    }

    // A real line carries the request, a 3.5-character gap, the answer and another gap,
    // each character with its start, parity and stop bits; a pty or loopback would deliver
    // all of it at once.
    void Pace(int requestChars, size_t answerChars) {
        long micros = 1000L * m_options.latencyMs;
        if (m_options.baud > 0) {
            const double chars = requestChars + 3.5 + static_cast<double>(answerChars) + 3.5;
            micros +=
                static_cast<long>(chars * m_options.BitsPerCharacter() * 1e6 / m_options.baud);
        }
        if (micros > 0)
            m_echoes.Sleep(std::chrono::microseconds(micros));
    }

    static constexpr uint32_t kStationAddress = 0x0C00 + 30; // STN: block 12, byte 30

    const SimOptions& m_options;
    std::vector<ControllerMemory>& m_memories;
    bool m_rtu;
    std::mt19937 m_random;
    long m_requests = 0;
    long m_writes = 0; // write requests, for --forget-writes
    EchoQueue m_echoes;
};

// Waits up to `ms` for one of `fds` to have something to read; a signal ends the wait.
// poll, not select: a ThreadSanitizer build hands a signal to its handler only inside a
// call it watches, and it watches poll, not select.
int Wait(std::vector<pollfd>& fds, int ms) {
    return poll(fds.data(), static_cast<nfds_t>(fds.size()), ms);
}

// The length of the RTU request frame libmodbus received whole but ignored because it is
// addressed to another unit than its own; 0 when the frame is not a sound request.
int OtherUnitFrame(const uint8_t* frame) {
    int length = 0;
    if (frame[1] == 0x03 || frame[1] == 0x06)
        length = 8;
    else if (frame[1] == 0x10)
        length = 9 + frame[6];
    if (length == 0)
        return 0;
    const uint16_t crc = ModbusCrc16(frame, static_cast<size_t>(length - 2));
    if (frame[length - 2] != (crc & 0xFF) || frame[length - 1] != (crc >> 8))
        return 0;
    return length;
}

} // namespace

int ServeTcp(const SimOptions& options, std::vector<ControllerMemory>& memories,
             volatile sig_atomic_t& stop, const IdleWork& idle) {
    const std::string hostPort = options.tcp.empty() ? "127.0.0.1:1502" : options.tcp;
    const auto colon = hostPort.rfind(':');
    const std::string host = hostPort.substr(0, colon);
    const std::string service = colon == std::string::npos ? "1502" : hostPort.substr(colon + 1);
    modbus_t* ctx = modbus_new_tcp_pi(host.c_str(), service.c_str());
    if (!ctx) {
        std::fprintf(stderr, "tqx-sim: %s\n", modbus_strerror(errno));
        return 1;
    }
    const int listener = modbus_tcp_pi_listen(ctx, 8);
    if (listener < 0) {
        std::fprintf(stderr, "tqx-sim: cannot listen on %s:%s: %s\n", host.c_str(), service.c_str(),
                     modbus_strerror(errno));
        modbus_free(ctx);
        return 1;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    const int port = bound.ss_family == AF_INET6
                         ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                         : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    std::printf("tqx-sim: listening on tcp %s:%d\n", host.c_str(), port);
    std::fflush(stdout);

    Responder responder(options, memories, false);
    std::set<int> clients;
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    while (!stop) {
        idle();
        std::vector<pollfd> watched{{listener, POLLIN, 0}};
        for (int c : clients)
            watched.push_back({c, POLLIN, 0});
        responder.Echoes().SendDue();
        if (Wait(watched, responder.Echoes().WaitMs(200)) <= 0)
            continue; // timeout, or a signal asking us to stop
        std::set<int> readable;
        for (const pollfd& p : watched)
            if (p.revents)
                readable.insert(p.fd);
        if (readable.count(listener)) {
            const int client = accept(listener, nullptr, nullptr);
            if (client >= 0)
                clients.insert(client);
        }
        for (auto it = clients.begin(); it != clients.end();) {
            const int c = *it;
            if (!readable.count(c)) {
                ++it;
                continue;
            }
            modbus_set_socket(ctx, c);
            const int length = modbus_receive(ctx, query);
            if (length > 0) {
                responder.Answer(c, query, length);
                ++it;
            } else if (length == 0) {
                ++it;
            } else {
                close(c); // closed by the client or garbled beyond recovery
                responder.Echoes().Forget(c);
                it = clients.erase(it);
            }
        }
    }
    for (int c : clients)
        close(c);
    close(listener);
    modbus_free(ctx);
    return 0;
}

int ServePty(const SimOptions& options, std::vector<ControllerMemory>& memories,
             volatile sig_atomic_t& stop, const IdleWork& idle) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "tqx-sim: cannot open a pseudo-terminal: %s\n", strerror(errno));
        return 1;
    }
    const std::string slaveName = ptsname(master);
    // Held open so the master keeps working while no client has the device open.
    const int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    for (int fd : {master, slave}) {
        if (fd >= 0 && tcgetattr(fd, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(fd, TCSANOW, &raw);
        }
    }
    unlink(options.pty.c_str());
    if (symlink(slaveName.c_str(), options.pty.c_str()) != 0) {
        std::fprintf(stderr, "tqx-sim: cannot link %s to %s: %s\n", options.pty.c_str(),
                     slaveName.c_str(), strerror(errno));
        return 1;
    }
    const auto newContext = [&] {
        modbus_t* c = modbus_new_rtu(slaveName.c_str(), options.baud > 0 ? options.baud : 9600,
                                     options.parity, 8, options.stopBits);
        modbus_set_slave(c, options.units.empty() ? options.unit : options.units[0].unit);
        modbus_set_socket(c, master);
        modbus_set_response_timeout(c, 0, 1000); // exceptions go back at once
        return c;
    };
    modbus_t* ctx = newContext();
    std::printf("tqx-sim: serving pty %s\n", options.pty.c_str());
    std::fflush(stdout);

    Responder responder(options, memories, true);
    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!stop) {
        idle();
        std::vector<pollfd> watched{{master, POLLIN, 0}};
        responder.Echoes().SendDue();
        if (Wait(watched, responder.Echoes().WaitMs(200)) <= 0)
            continue;
        int length = modbus_receive(ctx, query);
        if (length == 0) {
            // A request for another unit. libmodbus would now swallow the next frame as
            // that unit's answer; on a line of controllers it is the next request.
            modbus_free(ctx);
            ctx = newContext();
            if (!options.units.empty())
                length = OtherUnitFrame(query); // libmodbus lets one unit through
        }
        if (length > 0)
            responder.Answer(master, query, length);
        else if (length < 0)
            tcflush(master, TCIFLUSH); // a broken frame: resynchronise on the next one
    }
    modbus_free(ctx);
    unlink(options.pty.c_str());
    if (slave >= 0)
        close(slave);
    close(master);
    return 0;
}
