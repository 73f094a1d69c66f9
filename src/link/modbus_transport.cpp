// The transport's calls: a byte range as register requests, each exchange with its retry
// and the quiet wait before it, the silence after a silent controller, and the statistics.

#include "link/modbus_transport.h"

#include "link/block_map.h"
#include "link/link_errors.h"
#include "link/register_span.h"
#include "link/tqxcomm.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

using std::chrono::milliseconds;

constexpr uint32_t kMaxReadRegisters = 125;
constexpr uint32_t kMaxWriteRegisters = 123;
// After a call whose two attempts got no answer at all, calls fail at once for this many
// response timeouts (2 s at the default 0.5 s), so a Connect with nothing attached gives
// up after the first read.
constexpr int kSilentPauseTimeouts = 4;
// The resynchronising read: the first registers of pattern memory, which every controller
// answers.
constexpr uint16_t kResyncRegister = 0xC000 / 2;

int MsBetween(std::chrono::steady_clock::time_point from,
              std::chrono::steady_clock::time_point to) {
    return static_cast<int>(std::chrono::duration_cast<milliseconds>(to - from).count());
}

} // namespace

LinkBackend& DefaultLinkBackend() {
    return TheModbusTransport();
}

ModbusTransport& TheModbusTransport() {
    static ModbusTransport transport;
    return transport;
}

int32_t ModbusTransport::Read(int32_t mode, int32_t block, int32_t offset, int32_t length,
                              void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    if (!BeginCall(false, t.ok && !t.write && buffer, status))
        return 0;
    const RegisterSpan span = SpanOfBytes(t.address, t.bytes);
    std::vector<uint16_t> regs(span.count);
    if (!Pieces(false, span.first, span.count, regs.data()))
        return CallFailed(status);
    BytesFromRegisters(span, regs.data(), static_cast<uint8_t*>(buffer));
    return CallDone(t.bytes, status);
}

int32_t ModbusTransport::Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                               const void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    if (!BeginCall(true, t.ok && t.write && buffer, status))
        return 0;
    const RegisterSpan span = SpanOfBytes(t.address, t.bytes);
    std::vector<uint16_t> regs(span.count);
    // Registers only partly inside the range are read first, so their other byte keeps
    // the controller's value.
    if (span.firstPartial && !Pieces(false, span.first, 1, &regs.front()))
        return CallFailed(status);
    if (span.lastPartial && !Pieces(false, span.first + span.count - 1, 1, &regs.back()))
        return CallFailed(status);
    MergeBytesIntoRegisters(span, static_cast<const uint8_t*>(buffer), regs.data());
    if (!Pieces(true, span.first, span.count, regs.data()))
        return CallFailed(status);
    return CallDone(t.bytes, status);
}

bool ModbusTransport::BeginCall(bool write, bool valid, int32_t* status) {
    m_writeCall = write;
    if (!valid) {
        Fail(LinkCause::BadRequest);
        *status = TQX_ERR_REFUSED;
        return false;
    }
    m_retriedInCall = false;
    m_sentInCall = false;
    if (Clock::now() < m_silentUntil) {
        m_failure.silent = true;
        m_failure.write = write;
        CallFailed(status);
        return false;
    }
    return true;
}

bool ModbusTransport::Pieces(bool write, uint32_t first, uint32_t count, uint16_t* regs) {
    const uint32_t most = write ? kMaxWriteRegisters : kMaxReadRegisters;
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = std::min(most, count - done);
        if (!Exchange(write, first + done, piece, regs + done))
            return false;
        done += piece;
    }
    return true;
}

bool ModbusTransport::Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs) {
    ModbusRequest request;
    request.write = write;
    request.first = static_cast<uint16_t>(first);
    request.count = static_cast<uint16_t>(count);
    request.values = regs;
    bool answered = false; // anything came back, if only a garbled or late frame
    int lateMs = 0;
    Clock::time_point lastSilent{}; // when the last attempt that got nothing was sent
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
        m_heardStale = false;
        m_staleAt = Clock::time_point{};
        const Outcome outcome = Attempt(request, regs, sent);
        // Late answers the resynchronising read dropped show a controller that is there.
        answered = answered || m_heardStale;
        if (outcome == Outcome::Ok) {
            ClearSilence();
            m_lastAnsweredUnit = m_settings.unit;
            if (attempt > 0 && request.tcp) {
                // The first attempt's answer may still be on its way (an RTU answer has
                // had its quiet wait already).
                Clock::time_point late;
                m_line.WaitQuiet(m_settings, late);
            }
            return true;
        }
        // Bytes dropped before this attempt's request came late for the one before it.
        if (m_staleAt != Clock::time_point{} && lastSilent != Clock::time_point{})
            lateMs = std::max(lateMs, MsBetween(lastSilent, m_staleAt));
        if (outcome == Outcome::Silent)
            lastSilent = sent;
        if (m_line.Tracing()) {
            const std::string line = "-- " + DescribeLinkFailure(m_failure);
            m_line.Trace(line.c_str());
        }
        if (outcome == Outcome::Exception) {
            // The controller refused the request itself; asking again changes nothing.
            ClearSilence();
            return false;
        }
        if (outcome == Outcome::Lost) {
            // The connection itself broke (reset, closed device): reconnect before retrying.
            m_line.Close();
            continue;
        }
        answered = answered || outcome != Outcome::Silent;
        // A late answer must not be taken for the answer to the retry.
        Clock::time_point firstLate;
        if (m_line.WaitQuiet(m_settings, firstLate) > 0) {
            answered = true;
            if (outcome == Outcome::Silent)
                lateMs = std::max(lateMs, MsBetween(sent, firstLate));
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

ModbusTransport::Outcome ModbusTransport::Attempt(const ModbusRequest& request, uint16_t* regs,
                                                  Clock::time_point& sent) {
    if (m_line.Drain("stray") > 0) {
        m_heardStale = true;
        m_staleAt = Clock::now();
    }
    m_justResynced = false;
    if (!request.tcp && !m_unsettled.empty()) {
        const Outcome settled = Resync(request.unit);
        if (settled != Outcome::Ok) {
            sent = Clock::now();
            return settled;
        }
        m_justResynced = true;
    }
    m_skippedTransaction = 0;
    const Outcome outcome = AttemptOnce(request, regs, sent);
    m_justResynced = false;
    // An answer that did not come, or came garbled, may still be on its way.
    if (!request.tcp && (outcome == Outcome::Silent || outcome == Outcome::Garbled ||
                         outcome == Outcome::WrongUnit || outcome == Outcome::Doubtful))
        m_unsettled.push_back(request.write ? 0 : request.count);
    return outcome;
}

ModbusTransport::Outcome ModbusTransport::Resync(uint8_t unit) {
    ModbusRequest resync;
    resync.unit = unit;
    resync.first = kResyncRegister;
    resync.count = 2;
    while (std::find(m_unsettled.begin(), m_unsettled.end(), resync.count) != m_unsettled.end())
        ++resync.count;
    m_line.Trace("-- resynchronising");
    const std::vector<uint8_t> frame = BuildRequestFrame(resync);
    ++m_stats.transactions;
    int error = 0;
    if (!m_line.Send(frame, m_settings.timeoutMs, error)) {
        Fail(LinkCause::ConnectionLost, error);
        return Outcome::Lost;
    }
    const size_t length = 5 + 2u * resync.count; // unit, 03, count, data, CRC
    Clock::time_point deadline = Clock::now() + milliseconds(m_settings.timeoutMs);
    std::vector<uint8_t> seen;
    Clock::time_point firstByte;
    uint8_t chunk[512];
    for (;;) {
        const long n = m_line.Receive(chunk, sizeof chunk, deadline, error);
        if (n < 0) {
            Fail(LinkCause::ConnectionLost, error);
            return Outcome::Lost;
        }
        if (n == 0)
            break;
        if (seen.empty()) {
            firstByte = Clock::now();
            deadline = std::max(deadline,
                                firstByte + milliseconds(256 * 11 * 1000 / m_settings.baud + 50));
        }
        seen.insert(seen.end(), chunk, chunk + n);
        // Its answer is the frame that ends what has come; everything before it is stale.
        if (seen.size() >= length) {
            const uint8_t* f = seen.data() + seen.size() - length;
            if (f[0] == unit && f[1] == 3 && f[2] == 2 * resync.count &&
                ModbusCrc16(f, length - 2) == (f[length - 2] | f[length - 1] << 8)) {
                m_unsettled.clear();
                if (seen.size() > length) {
                    RememberHeard(std::vector<uint8_t>(seen.begin(), seen.end() - length));
                    m_heardStale = true;
                    m_staleAt = firstByte;
                }
                return Outcome::Ok;
            }
        }
    }
    // Its own answer may still come: the next resynchronising read is of another length.
    m_unsettled.push_back(resync.count);
    if (seen.empty()) {
        Fail(LinkCause::NoAnswer);
        return Outcome::Silent;
    }
    // Bytes came, but not its answer whole: garbled as an exchange's answer would be, or
    // the late answer of a request before it.
    RememberHeard(seen);
    m_heardStale = true;
    m_staleAt = firstByte;
    const bool shaped = seen.size() >= length && seen[seen.size() - length] == unit &&
                        seen[seen.size() - length + 1] == 3;
    Fail(LinkCause::Garbled, 0, shaped ? "CRC" : "framing");
    return Outcome::Garbled;
}

ModbusTransport::Outcome ModbusTransport::AttemptOnce(const ModbusRequest& request, uint16_t* regs,
                                                      Clock::time_point& sent) {
    const std::vector<uint8_t> frame = BuildRequestFrame(request);
    ++m_stats.transactions;
    sent = Clock::now();
    int error = 0;
    if (!m_line.Send(frame, m_settings.timeoutMs, error)) {
        Fail(LinkCause::ConnectionLost, error);
        return Outcome::Lost;
    }
    m_sentInCall = true;
    Clock::time_point deadline = sent + milliseconds(m_settings.timeoutMs);
    std::vector<uint8_t> answer;
    uint8_t chunk[512];
    for (;;) {
        const long n = m_line.Receive(chunk, sizeof chunk, deadline, error);
        if (n == 0)
            break;
        if (n < 0) {
            Fail(LinkCause::ConnectionLost, error);
            return Outcome::Lost;
        }
        if (answer.empty() && !request.tcp) {
            // Once an answer has begun, its characters get the time the line needs for a
            // whole frame, and a little more.
            const int frameMs = 256 * 11 * 1000 / m_settings.baud + 50;
            deadline = std::max(deadline, Clock::now() + milliseconds(frameMs));
        }
        answer.insert(answer.end(), chunk, chunk + n);
        Outcome outcome;
        if (TakeAnswer(request, answer, regs, outcome)) {
            if (outcome == Outcome::Ok && !request.tcp &&
                !AnswerStandsAlone(answer, sent, frame.size()))
                return Outcome::Doubtful;
            if (outcome != Outcome::Ok && !request.tcp)
                RememberHeard(answer);
            if (outcome == Outcome::Ok)
                m_stats.wireBytes += static_cast<long>(frame.size() + answer.size());
            return outcome;
        }
    }
    if (!answer.empty()) {
        if (!request.tcp)
            RememberHeard(answer);
        Fail(LinkCause::Garbled, 0, "framing: a short answer");
        return Outcome::Garbled;
    }
    if (m_skippedTransaction != 0) {
        // Something answers, but never this request: not a silent controller.
        Fail(LinkCause::OtherTransaction, 0,
             "transaction " + std::to_string(m_skippedTransaction) + " answered while " +
                 std::to_string(request.transaction) + " was awaited");
        return Outcome::Garbled;
    }
    Fail(LinkCause::NoAnswer);
    return Outcome::Silent;
}

bool ModbusTransport::TakeAnswer(const ModbusRequest& request, std::vector<uint8_t>& answer,
                                 uint16_t* regs, Outcome& outcome) {
    for (;;) {
        const long need = AnswerFrameLength(request, answer.data(), answer.size());
        if (need < 0) {
            Fail(LinkCause::Garbled, 0, "framing");
            outcome = Outcome::Garbled;
            return true;
        }
        if (need == 0 || answer.size() < static_cast<size_t>(need))
            return false;
        int exception = 0;
        const AnswerCheck check =
            CheckAnswerFrame(request, answer.data(), static_cast<size_t>(need), regs, exception);
        switch (check) {
        case AnswerCheck::Ok:
            // Bytes after the frame make it doubtful on RTU (AnswerStandsAlone).
            m_trailing = answer.size() - static_cast<size_t>(need);
            answer.resize(static_cast<size_t>(need));
            outcome = Outcome::Ok;
            return true;
        case AnswerCheck::OtherTransaction:
            // The answer to an earlier request, arriving late: skip it, wait for ours.
            m_skippedTransaction = static_cast<uint16_t>(answer[0] << 8 | answer[1]);
            answer.erase(answer.begin(), answer.begin() + need);
            continue;
        case AnswerCheck::Exception:
            Fail(LinkCause::Exception);
            m_failure.exception = exception;
            outcome = Outcome::Exception;
            return true;
        case AnswerCheck::WrongUnit:
            Fail(LinkCause::WrongUnit, 0,
                 "unit " + std::to_string(answer[request.tcp ? 6 : 0]) + " answered");
            outcome = Outcome::WrongUnit;
            return true;
        case AnswerCheck::BadCrc:
            Fail(LinkCause::Garbled, 0, "CRC");
            outcome = Outcome::Garbled;
            return true;
        case AnswerCheck::Mismatch:
            Fail(LinkCause::Garbled, 0, "an answer that does not fit the request");
            outcome = Outcome::Garbled;
            return true;
        }
    }
}

void ModbusTransport::CheckOtherUnit() {
    const int other = m_lastAnsweredUnit;
    if (other <= 0 || other == m_settings.unit || !m_line.IsOpen())
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
