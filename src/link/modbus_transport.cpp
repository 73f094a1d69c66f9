#include "link/modbus_transport.h"

#include "link/block_map.h"
#include "link/bus_scan.h"
#include "link/link_errors.h"
#include "link/port1.h"
#include "link/tqxcomm.h"

#include <modbus.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint32_t kMaxReadRegisters = 125;
constexpr uint32_t kMaxWriteRegisters = 123;
// After a call whose two attempts got no answer at all, calls fail at once for this many
// response timeouts (2 s at the default 0.5 s), so a Connect with nothing attached gives
// up after the first read.
constexpr int kSilentPauseTimeouts = 4;

int MsUntil(Clock::time_point t) {
    const auto left = std::chrono::duration_cast<milliseconds>(t - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left) + 1;
}

// The name of `host` as a numeric address, looked up for at most `timeoutMs`; the lookup
// goes on in the background when it takes longer. Empty on failure, with the reason.
std::string ResolveBounded(const std::string& host, const std::string& service, int timeoutMs,
                           std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        int rc = 0;
        std::string address;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service, hints] {
        addrinfo* found = nullptr;
        const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        char text[NI_MAXHOST] = "";
        if (rc == 0 && found)
            getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                        NI_NUMERICHOST);
        if (found)
            freeaddrinfo(found);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->rc = rc;
        lookup->address = text;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, milliseconds(timeoutMs), [&] { return lookup->finished; })) {
        reason = "no reply within " + std::to_string(timeoutMs) + " ms";
        return {};
    }
    if (lookup->rc != 0 || lookup->address.empty()) {
        reason = gai_strerror(lookup->rc);
        return {};
    }
    return lookup->address;
}

} // namespace

LinkBackend& DefaultLinkBackend() {
    return TheModbusTransport();
}

ModbusTransport& TheModbusTransport() {
    static ModbusTransport transport;
    return transport;
}

ModbusTransport::~ModbusTransport() {
    Disconnect();
    if (m_trace)
        std::fclose(m_trace);
}

int32_t ModbusTransport::Open(int32_t port) {
    Disconnect();
    m_configured = false;
    m_openFailed = false;
    m_failure = LinkFailure{};
    ClearSilence();
    if (port != 1) {
        m_failure.cause = LinkCause::CannotOpen;
        m_failure.detail = "only port 1 exists";
        return 0;
    }
    return EnsureConnected() ? 1 : 0;
}

int32_t ModbusTransport::Close() {
    Disconnect();
    m_configured = false;
    return 1;
}

bool ModbusTransport::Resolve(PortSettings& out, std::string& text, std::string& problem) const {
    const char* env = m_ownSettingsOnly ? nullptr : std::getenv("TQXCOMM_PORT1");
    text = env ? env : "";
    bool ok = true;
    if (!text.empty())
        ok = ParsePortSettings(text, out, problem);
    else
        out = m_given ? m_givenSettings : DefaultPortSettings();
    if (ok && m_movedUnit > 0)
        out.unit = m_movedUnit;
    return ok;
}

std::string ModbusTransport::PortText() const {
    if (!m_badSetting.empty())
        return "TQXCOMM_PORT1=\"" + m_settingText + "\"";
    if (!m_configured) {
        PortSettings s;
        std::string text, problem;
        if (!Resolve(s, text, problem))
            return "TQXCOMM_PORT1=\"" + text + "\"";
        return DescribePortSettings(s);
    }
    return DescribePortSettings(m_settings);
}

PortSettings ModbusTransport::Settings() const {
    if (m_configured)
        return m_settings;
    PortSettings s;
    std::string text, problem;
    if (!Resolve(s, text, problem))
        return DefaultPortSettings();
    return s;
}

void ModbusTransport::UseSettings(const PortSettings& settings) {
    PortSettings line = settings, before = Settings();
    line.unit = before.unit;
    line.timeoutMs = before.timeoutMs;
    if (line != before)
        m_lastAnsweredUnit = 0; // another line
    m_given = true;
    m_givenSettings = settings;
    m_movedUnit = 0;
    Disconnect();
    m_configured = false;
    m_openFailed = false;
    m_failure = LinkFailure{};
    ClearSilence();
}

void ModbusTransport::MoveUnit(int unit) {
    m_movedUnit = unit;
    if (m_configured)
        m_settings.unit = unit;
    ClearSilence();
}

bool ModbusTransport::ProbeModelCode(int unit, int timeoutMs, std::string& modelCode) {
    if (!EnsureConnected())
        return false;
    const int keptTimeout = m_settings.timeoutMs;
    m_settings.timeoutMs = timeoutMs;
    const blockmap::Transfer t = blockmap::Resolve(TQX_MODE_READ_BYTES, 40, 0, 14);
    uint16_t regs[7] = {};
    ModbusRequest request;
    request.tcp = m_settings.kind == PortSettings::Kind::Tcp;
    request.unit = static_cast<uint8_t>(unit);
    request.transaction = ++m_transaction;
    request.first = static_cast<uint16_t>(t.address / 2);
    request.count = 7;
    Clock::time_point sent;
    const Outcome outcome = Attempt(request, regs, sent);
    if (outcome == Outcome::Garbled || outcome == Outcome::WrongUnit) {
        Clock::time_point late;
        WaitQuiet(late);
    } else if (outcome == Outcome::Lost) {
        Disconnect();
    }
    m_settings.timeoutMs = keptTimeout;
    if (outcome != Outcome::Ok)
        return false;
    modelCode.clear();
    for (uint16_t r : regs) {
        modelCode += static_cast<char>(r & 0xFF);
        modelCode += static_cast<char>(r >> 8);
    }
    return true;
}

void ModbusTransport::CheckOtherUnit() {
    const int other = m_lastAnsweredUnit;
    if (other <= 0 || other == m_settings.unit || m_fd < 0)
        return;
    const LinkFailure failure = m_failure;
    std::string code;
    if (ProbeModelCode(other, m_settings.timeoutMs, code)) {
        Fail(LinkCause::WrongUnit, 0,
             "unit " + std::to_string(other) + " answers, unit " + std::to_string(m_settings.unit) +
                 " does not");
        return;
    }
    m_failure = failure;
}

int ModbusTransport::SilentMs() const {
    return MsUntil(m_silentUntil);
}

bool ModbusTransport::Configure() {
    m_badSetting.clear();
    std::string problem;
    m_configured = Resolve(m_settings, m_settingText, problem);
    if (!m_configured)
        m_badSetting = problem.empty() ? m_settingText : problem;
    const char* trace = std::getenv("TQXCOMM_TRACE");
    const std::string tracePath = trace ? trace : "";
    if (tracePath != m_tracePath) {
        if (m_trace)
            std::fclose(m_trace);
        m_trace = tracePath.empty() ? nullptr : std::fopen(tracePath.c_str(), "a");
        m_tracePath = tracePath;
    }
    return m_configured;
}

void ModbusTransport::Disconnect() {
    if (m_ctx) {
        modbus_close(m_ctx);
        modbus_free(m_ctx);
    }
    m_ctx = nullptr;
    m_fd = -1;
}

void ModbusTransport::Fail(LinkCause cause, int systemError, std::string detail) {
    m_failure = LinkFailure{};
    m_failure.cause = cause;
    m_failure.write = m_writeCall;
    m_failure.systemError = systemError;
    m_failure.timeoutMs = m_settings.timeoutMs;
    m_failure.detail = std::move(detail);
}

bool ModbusTransport::EnsureConnected() {
    if (m_fd >= 0)
        return true;
    if (m_openFailed)
        return false; // m_failure still says why
    m_openFailed = !Connect();
    return !m_openFailed;
}

bool ModbusTransport::Connect() {
    // A transfer without Open still talks to port 1.
    if (!m_configured && !Configure()) {
        Fail(LinkCause::BadSetting, 0, m_badSetting);
        return false;
    }
    const bool tcp = m_settings.kind == PortSettings::Kind::Tcp;
    if (tcp) {
        std::string reason;
        const std::string address =
            ResolveBounded(m_settings.host, m_settings.service, m_settings.timeoutMs, reason);
        if (address.empty()) {
            Fail(LinkCause::NoSuchHost, 0, reason);
            return false;
        }
        m_ctx = modbus_new_tcp_pi(address.c_str(), m_settings.service.c_str());
    } else {
        m_ctx = modbus_new_rtu(m_settings.device.c_str(), m_settings.baud, m_settings.parity, 8,
                               m_settings.stopBits);
    }
    if (!m_ctx) {
        Fail(tcp ? LinkCause::Unreachable : LinkCause::CannotOpen, errno);
        return false;
    }
    modbus_set_slave(m_ctx, m_settings.unit); // RTU asserts without it
    // libmodbus bounds a TCP connect by the response timeout.
    const int timeoutMs = m_settings.timeoutMs;
    modbus_set_response_timeout(m_ctx, static_cast<uint32_t>(timeoutMs / 1000),
                                static_cast<uint32_t>(timeoutMs % 1000) * 1000);
    if (modbus_connect(m_ctx) != 0) {
        const int error = errno;
        Disconnect();
        if (!tcp)
            Fail(LinkCause::CannotOpen, error);
        else if (error == ECONNREFUSED)
            Fail(LinkCause::ConnectionRefused, error);
        else
            Fail(LinkCause::Unreachable, error == ETIMEDOUT || error == EINPROGRESS ? 0 : error);
        return false;
    }
    m_fd = modbus_get_socket(m_ctx);
    if (m_trace) {
        const std::string line = "open " + DescribePortSettings(m_settings);
        Trace(line.c_str(), nullptr, 0);
    }
    Drain("stray");
    return true;
}

void ModbusTransport::Trace(const char* what, const uint8_t* data, size_t length) {
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

bool ModbusTransport::SendFrame(const std::vector<uint8_t>& frame) {
    const Clock::time_point deadline = Clock::now() + milliseconds(m_settings.timeoutMs);
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
        return false;
    }
    m_stats.bytesSent += static_cast<long>(frame.size());
    Trace("TX", frame.data(), frame.size());
    return true;
}

long ModbusTransport::Drain(const char* what) {
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
        Trace((std::string("RX ") + what + " (dropped)").c_str(), chunk, static_cast<size_t>(n));
    }
    return dropped;
}

long ModbusTransport::WaitQuiet(Clock::time_point& firstByte) {
    // RTU's inter-frame gap is 3.5 characters of 11 bits; TCP has none.
    const bool tcp = m_settings.kind == PortSettings::Kind::Tcp;
    const int gapMs = tcp ? 0 : static_cast<int>(3.5 * 11 * 1000 / m_settings.baud) + 1;
    const int marginMs = std::min(100, std::max(m_settings.timeoutMs / 10, 20));
    const int quietMs = gapMs + marginMs;
    // A line that never falls quiet (noise, a chattering device) is given up on.
    const Clock::time_point giveUp = Clock::now() + milliseconds(2 * m_settings.timeoutMs);
    long dropped = 0;
    uint8_t chunk[512];
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, quietMs);
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
        Trace("RX late (dropped)", chunk, static_cast<size_t>(n));
        if (Clock::now() > giveUp)
            break;
    }
    if (!tcp)
        tcflush(m_fd, TCIFLUSH);
    return dropped;
}

ModbusTransport::Outcome ModbusTransport::Attempt(const ModbusRequest& request, uint16_t* regs,
                                                  Clock::time_point& sent) {
    Drain("stray");
    const std::vector<uint8_t> frame = BuildRequestFrame(request);
    ++m_stats.transactions;
    sent = Clock::now();
    if (!SendFrame(frame)) {
        Fail(LinkCause::ConnectionLost, errno);
        return Outcome::Lost;
    }
    const bool tcp = request.tcp;
    Clock::time_point deadline = sent + milliseconds(m_settings.timeoutMs);
    std::vector<uint8_t> answer;
    uint8_t chunk[512];
    for (;;) {
        const int wait = MsUntil(deadline);
        if (wait <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0) {
            Fail(LinkCause::ConnectionLost, n == 0 ? ECONNRESET : errno);
            return Outcome::Lost;
        }
        m_stats.bytesReceived += n;
        Trace("RX", chunk, static_cast<size_t>(n));
        if (answer.empty() && !tcp) {
            // Once an answer has begun, its characters get the time the line needs for a
            // whole frame, and a little more.
            const int frameMs = 256 * 11 * 1000 / m_settings.baud + 50;
            deadline = std::max(deadline, Clock::now() + milliseconds(frameMs));
        }
        answer.insert(answer.end(), chunk, chunk + n);
        for (;;) {
            const long need = AnswerFrameLength(request, answer.data(), answer.size());
            if (need < 0) {
                Fail(LinkCause::Garbled, 0, "framing");
                return Outcome::Garbled;
            }
            if (need == 0 || answer.size() < static_cast<size_t>(need))
                break;
            int exception = 0;
            const AnswerCheck check = CheckAnswerFrame(request, answer.data(),
                                                       static_cast<size_t>(need), regs, exception);
            switch (check) {
            case AnswerCheck::Ok:
                m_stats.wireBytes += static_cast<long>(frame.size()) + need;
                return Outcome::Ok; // bytes after the frame are dropped with it
            case AnswerCheck::OtherTransaction:
                // The answer to an earlier request, arriving late: skip it, wait for ours.
                answer.erase(answer.begin(), answer.begin() + need);
                continue;
            case AnswerCheck::Exception:
                Fail(LinkCause::Exception);
                m_failure.exception = exception;
                return Outcome::Exception;
            case AnswerCheck::WrongUnit:
                Fail(LinkCause::WrongUnit, 0,
                     "unit " + std::to_string(answer[tcp ? 6 : 0]) + " answered");
                return Outcome::WrongUnit;
            case AnswerCheck::BadCrc:
                Fail(LinkCause::Garbled, 0, "CRC");
                return Outcome::Garbled;
            case AnswerCheck::Mismatch:
                Fail(LinkCause::Garbled, 0, "an answer that does not fit the request");
                return Outcome::Garbled;
            }
        }
    }
    if (!answer.empty()) {
        Fail(LinkCause::Garbled, 0, "framing: a short answer");
        return Outcome::Garbled;
    }
    Fail(LinkCause::NoAnswer);
    return Outcome::Silent;
}

bool ModbusTransport::Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs) {
    ModbusRequest request;
    request.write = write;
    request.first = static_cast<uint16_t>(first);
    request.count = static_cast<uint16_t>(count);
    request.values = regs;
    bool answered = false; // anything came back, if only a garbled or late frame
    int lateMs = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            m_retriedInCall = true;
        if (!EnsureConnected())
            return false;
        // A call without Open learns what port 1 is as it connects.
        request.tcp = m_settings.kind == PortSettings::Kind::Tcp;
        request.unit = static_cast<uint8_t>(m_settings.unit);
        request.transaction = ++m_transaction;
        Clock::time_point sent;
        const Outcome outcome = Attempt(request, regs, sent);
        if (outcome == Outcome::Ok) {
            ClearSilence();
            m_lastAnsweredUnit = m_settings.unit;
            if (attempt > 0) {
                // The first attempt's answer may still be on its way.
                Clock::time_point late;
                WaitQuiet(late);
            }
            return true;
        }
        if (m_trace) {
            const std::string line = "-- " + DescribeLinkFailure(m_failure);
            Trace(line.c_str(), nullptr, 0);
        }
        if (outcome == Outcome::Exception) {
            // The controller refused the request itself; asking again changes nothing.
            ClearSilence();
            return false;
        }
        if (outcome == Outcome::Lost) {
            // The connection itself broke (reset, closed device): reconnect before retrying.
            Disconnect();
            continue;
        }
        answered = answered || outcome != Outcome::Silent;
        // A late answer must not be taken for the answer to the retry.
        Clock::time_point firstLate;
        if (WaitQuiet(firstLate) > 0) {
            answered = true;
            if (outcome == Outcome::Silent)
                lateMs = static_cast<int>(
                    std::chrono::duration_cast<milliseconds>(firstLate - sent).count());
        }
    }
    if (lateMs > 0) {
        Fail(LinkCause::LateAnswer);
        m_failure.lateMs = lateMs;
    }
    // One call whose two attempts both got nothing at all: the controller is not there,
    // and the next calls fail at once for a while. A garbled or late answer shows it is
    // there, and the next call must still ask it.
    if (!answered && m_failure.cause == LinkCause::NoAnswer)
        CheckOtherUnit();
    if (answered)
        ClearSilence();
    else if (m_failure.cause == LinkCause::NoAnswer || m_failure.cause == LinkCause::WrongUnit)
        m_silentUntil = Clock::now() + milliseconds(kSilentPauseTimeouts * m_settings.timeoutMs);
    return false;
}

bool ModbusTransport::ReadRegisters(uint32_t first, uint32_t count, uint16_t* out) {
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = std::min(kMaxReadRegisters, count - done);
        if (!Exchange(false, first + done, piece, out + done))
            return false;
        done += piece;
    }
    return true;
}

bool ModbusTransport::WriteRegisters(uint32_t first, uint32_t count, const uint16_t* in) {
    std::vector<uint16_t> copy(in, in + count);
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = std::min(kMaxWriteRegisters, count - done);
        if (!Exchange(true, first + done, piece, copy.data() + done))
            return false;
        done += piece;
    }
    return true;
}

int32_t ModbusTransport::Read(int32_t mode, int32_t block, int32_t offset, int32_t length,
                              void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    m_writeCall = false;
    if (!t.ok || t.write || !buffer) {
        Fail(LinkCause::BadRequest);
        *status = TQX_ERR_REFUSED;
        return 0;
    }
    m_retriedInCall = false;
    if (Clock::now() < m_silentUntil) {
        m_failure.silent = true;
        m_failure.write = false;
        return CallFailed(status);
    }
    const uint32_t first = t.address / 2;
    const uint32_t count = (t.address + t.bytes + 1) / 2 - first;
    std::vector<uint16_t> regs(count);
    if (!ReadRegisters(first, count, regs.data()))
        return CallFailed(status);
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < t.bytes; ++i) {
        const uint32_t a = t.address + i;
        const uint16_t r = regs[a / 2 - first];
        out[i] = static_cast<uint8_t>(a % 2 == 0 ? r & 0xFF : r >> 8);
    }
    return CallDone(t.bytes, status);
}

int32_t ModbusTransport::Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                               const void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    m_writeCall = true;
    if (!t.ok || !t.write || !buffer) {
        Fail(LinkCause::BadRequest);
        *status = TQX_ERR_REFUSED;
        return 0;
    }
    m_retriedInCall = false;
    if (Clock::now() < m_silentUntil) {
        m_failure.silent = true;
        m_failure.write = true;
        return CallFailed(status);
    }
    const uint32_t first = t.address / 2;
    const uint32_t last = (t.address + t.bytes - 1) / 2;
    const uint32_t count = last - first + 1;
    std::vector<uint16_t> regs(count);
    // Registers only partly inside the range are read first, so their other byte keeps
    // the controller's value.
    if (t.address % 2 != 0 && !ReadRegisters(first, 1, &regs[0]))
        return CallFailed(status);
    if ((t.address + t.bytes) % 2 != 0 && !(last == first && t.address % 2 != 0) &&
        !ReadRegisters(last, 1, &regs[count - 1]))
        return CallFailed(status);
    m_writeCall = true; // the reads above were part of this write
    const auto* in = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < t.bytes; ++i) {
        const uint32_t a = t.address + i;
        uint16_t& r = regs[a / 2 - first];
        r = a % 2 == 0 ? static_cast<uint16_t>((r & 0xFF00) | in[i])
                       : static_cast<uint16_t>((r & 0x00FF) | (in[i] << 8));
    }
    if (!WriteRegisters(first, count, regs.data()))
        return CallFailed(status);
    return CallDone(t.bytes, status);
}

void ModbusTransport::ClearSilence() {
    m_silentUntil = Clock::time_point{};
}

int32_t ModbusTransport::CallDone(uint32_t bytes, int32_t* status) {
    ++m_stats.calls;
    m_stats.payloadBytes += bytes;
    if (m_retriedInCall)
        ++m_stats.retriedCalls;
    *status = TQX_OK;
    return 1;
}

int32_t ModbusTransport::CallFailed(int32_t* status) {
    ++m_stats.calls;
    ++m_stats.failedCalls;
    ++m_stats.failuresByCause[static_cast<size_t>(m_failure.cause)];
    switch (m_failure.cause) {
    case LinkCause::BadSetting:
    case LinkCause::CannotOpen:
    case LinkCause::ConnectionRefused:
    case LinkCause::Unreachable:
    case LinkCause::NoSuchHost:
        *status = TQX_ERR_NO_PORT;
        break;
    case LinkCause::Exception:
        *status = TQX_ERR_EXCEPTION;
        break;
    case LinkCause::Garbled:
    case LinkCause::ConnectionLost:
        *status = TQX_ERR_BAD_ANSWER;
        break;
    default:
        *status = TQX_ERR_NO_ANSWER;
        break;
    }
    return 0;
}

void UsePort1Settings(const PortSettings& settings) {
    TheModbusTransport().UseSettings(settings);
}

bool Port1FromEnvironment(std::string* text) {
    const char* env = std::getenv("TQXCOMM_PORT1");
    if (!env || !*env)
        return false;
    if (text)
        *text = env;
    return true;
}

PortSettings Port1Settings() {
    return TheModbusTransport().Settings();
}

void MovePort1Unit(int unit) {
    CurrentLinkBackend().MoveUnit(unit);
}

int Port1Unit() {
    return CurrentLinkBackend().Unit();
}

bool TestPortSettings(const PortSettings& settings, std::string& modelCode, std::string& reason) {
    ModbusTransport transport(true);
    transport.UseSettings(settings);
    char code[14] = {};
    int32_t status = 0;
    if (!transport.Read(TQX_MODE_READ_BYTES, 40, 0, 14, code, &status)) {
        reason = DescribeLinkFailure(transport.LastFailure());
        return false;
    }
    modelCode.assign(code, sizeof code);
    return true;
}

namespace {

class ModbusScanPort : public ScanPort {
public:
    bool Open(const PortSettings& settings, LinkFailure& why) override {
        m_transport = std::make_unique<ModbusTransport>(true);
        m_transport->UseSettings(settings);
        if (m_transport->OpenLine())
            return true;
        why = m_transport->LastFailure();
        return false;
    }
    ScanProbe Probe(int unit, int timeoutMs) override {
        ScanProbe probe;
        probe.answered = m_transport->ProbeModelCode(unit, timeoutMs, probe.modelCode);
        if (!probe.answered)
            probe.failure = m_transport->LastFailure();
        return probe;
    }
    void Close() override { m_transport.reset(); }

private:
    std::unique_ptr<ModbusTransport> m_transport;
};

} // namespace

std::unique_ptr<ScanPort> MakeModbusScanPort() {
    return std::make_unique<ModbusScanPort>();
}
