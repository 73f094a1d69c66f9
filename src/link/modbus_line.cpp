#include "link/modbus_line.h"

#include "link/host_lookup.h"

#include <modbus.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

using std::chrono::milliseconds;

int MsUntil(std::chrono::steady_clock::time_point t) {
    const auto left =
        std::chrono::duration_cast<milliseconds>(t - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left) + 1;
}

ModbusLine::~ModbusLine() {
    Close();
    if (m_trace)
        std::fclose(m_trace);
}

bool ModbusLine::Open(const PortSettings& settings, LinkFailure& why) {
    Close();
    why = LinkFailure{};
    const bool tcp = settings.kind == PortSettings::Kind::Tcp;
    if (tcp) {
        // libmodbus would look the name up without a bound.
        const std::string address =
            LookUpHost(settings.host, settings.service, settings.timeoutMs, why.detail);
        if (address.empty()) {
            why.cause = LinkCause::NoSuchHost;
            return false;
        }
        m_ctx = modbus_new_tcp_pi(address.c_str(), settings.service.c_str());
    } else {
        m_ctx = modbus_new_rtu(settings.device.c_str(), settings.baud, settings.parity, 8,
                               settings.stopBits);
    }
    if (!m_ctx) {
        why.cause = tcp ? LinkCause::Unreachable : LinkCause::CannotOpen;
        why.systemError = errno;
        return false;
    }
    modbus_set_slave(m_ctx, settings.unit); // RTU asserts without it
    // libmodbus bounds a TCP connect by the response timeout.
    const int timeoutMs = settings.timeoutMs;
    modbus_set_response_timeout(m_ctx, static_cast<uint32_t>(timeoutMs / 1000),
                                static_cast<uint32_t>(timeoutMs % 1000) * 1000);
    if (modbus_connect(m_ctx) != 0) {
        const int error = errno;
        Close();
        if (!tcp) {
            why.cause = LinkCause::CannotOpen;
            why.systemError = error;
        } else if (error == ECONNREFUSED) {
            why.cause = LinkCause::ConnectionRefused;
            why.systemError = error;
        } else {
            why.cause = LinkCause::Unreachable;
            why.systemError = error == ETIMEDOUT || error == EINPROGRESS ? 0 : error;
        }
        return false;
    }
    m_fd = modbus_get_socket(m_ctx);
    return true;
}

void ModbusLine::Close() {
    if (m_ctx) {
        modbus_close(m_ctx);
        modbus_free(m_ctx);
    }
    m_ctx = nullptr;
    m_fd = -1;
}

bool ModbusLine::Send(const std::vector<uint8_t>& frame, int timeoutMs, int& error) {
    const Clock::time_point deadline = Clock::now() + milliseconds(timeoutMs);
    size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::write(m_fd, frame.data() + sent, frame.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && MsUntil(deadline) > 0) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, MsUntil(deadline));
            continue;
        }
        error = errno;
        return false;
    }
    m_stats.bytesSent += static_cast<long>(frame.size());
    Trace("TX", frame.data(), frame.size());
    return true;
}

long ModbusLine::Receive(uint8_t* data, size_t size, Clock::time_point deadline, int& error) {
    for (;;) {
        const int wait = MsUntil(deadline);
        if (wait <= 0)
            return 0;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return 0;
        const ssize_t n = ::read(m_fd, data, size);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0) {
            error = n == 0 ? ECONNRESET : errno;
            return -1;
        }
        m_stats.bytesReceived += n;
        Trace("RX", data, static_cast<size_t>(n));
        return n;
    }
}

long ModbusLine::Drain(const char* what) {
    long dropped = 0;
    uint8_t chunk[512];
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
            break;
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        dropped += n;
        m_stats.bytesReceived += n;
        m_dropped.insert(m_dropped.end(), chunk, chunk + n);
        Trace((std::string("RX ") + what + " (dropped)").c_str(), chunk, static_cast<size_t>(n));
    }
    return dropped;
}

long ModbusLine::WaitQuiet(const PortSettings& settings, Clock::time_point& firstByte, Quiet quiet,
                           Clock::time_point notBefore) {
    // RTU's inter-frame gap is 3.5 characters of 11 bits, and half a millisecond for the
    // system's own delivery; TCP has none.
    const bool tcp = settings.kind == PortSettings::Kind::Tcp;
    const long long gapUs =
        tcp ? 0 : static_cast<long long>(3.5 * 11 * 1000000 / settings.baud) + 500;
    const long long marginUs =
        quiet == Quiet::Gap ? 0 : 1000LL * std::min(100, std::max(settings.timeoutMs / 10, 20));
    const auto quietFor = std::chrono::microseconds(std::max(1000LL, gapUs + marginUs));
    // A line that never falls quiet (noise, a chattering device) is given up on.
    const Clock::time_point giveUp = Clock::now() + milliseconds(2 * settings.timeoutMs);
    long dropped = 0;
    uint8_t chunk[512];
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        const auto wait = std::max<Clock::duration>(quietFor, notBefore - Clock::now());
        const long long waitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec until{static_cast<time_t>(waitNs / 1000000000),
                             static_cast<long>(waitNs % 1000000000)};
        const int ready = ::ppoll(&p, 1, &until, nullptr);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        if (dropped == 0)
            firstByte = Clock::now();
        dropped += n;
        m_stats.bytesReceived += n;
        m_dropped.insert(m_dropped.end(), chunk, chunk + n);
        Trace("RX late (dropped)", chunk, static_cast<size_t>(n));
        if (Clock::now() > giveUp)
            break;
    }
    if (!tcp)
        tcflush(m_fd, TCIFLUSH);
    return dropped;
}

void ModbusLine::TraceTo(const std::string& path) {
    if (path == m_tracePath)
        return;
    if (m_trace)
        std::fclose(m_trace);
    m_trace = nullptr;
    m_tracePath = path;
    if (path.empty())
        return;
    // Nothing waits on a FIFO or a device: the open does not block, and only a regular
    // file is traced to.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY, 0644);
    struct stat info {};
    if (fd < 0)
        return;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    m_trace = ::fdopen(fd, "a");
    if (!m_trace)
        ::close(fd);
}

void ModbusLine::Trace(const char* what, const uint8_t* data, size_t length) {
    if (!m_trace)
        return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long ms = static_cast<long>(
        std::chrono::duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(m_trace, "%s.%03ld %s", stamp, ms, what);
    for (size_t i = 0; i < length; ++i)
        std::fprintf(m_trace, " %02X", data[i]);
    std::fputc('\n', m_trace);
    std::fflush(m_trace);
}
