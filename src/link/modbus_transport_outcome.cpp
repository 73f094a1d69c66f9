// How a transport call ends: whether an RTU answer may be used, the failure it records,
// the status it hands back, and the statistics it counts.

#include "link/modbus_transport.h"

#include "link/link_errors.h"

#include <algorithm>

bool ModbusTransport::AnswerStandsAlone(const std::vector<uint8_t>& frame, Clock::time_point sent,
                                        size_t requestBytes) {
    // A copy of an earlier answer is that answer byte for byte. An answer that repeats one
    // heard lately may be such a copy, with the real answer still on its way. Sooner than
    // the controller has lately answered a request of this shape, it is taken for one;
    // otherwise the line must stay quiet until the real answer would have come (the
    // slowest of those answers, and a little more). Any other answer waits only for the
    // gap between frames.
    const Clock::time_point now = Clock::now();
    RememberHeard(m_line.TakeDropped());
    const auto horizon = std::chrono::milliseconds(std::max(1000, 2 * m_settings.timeoutMs));
    while (!m_recentAnswers.empty() && now - m_recentAnswers.front().first > horizon)
        m_recentAnswers.pop_front();
    // Frames dropped unused count too: a late answer's copy is as much a copy.
    bool repeat = false;
    for (const auto& heard : m_recentAnswers)
        repeat = repeat || std::search(heard.second.begin(), heard.second.end(), frame.begin(),
                                       frame.end()) != heard.second.end();
    m_recentAnswers.emplace_back(now, frame);
    const Turnaround took{requestBytes, frame.size(), now - sent};
    bool timed = false;
    Clock::duration fastest = Clock::duration::max(), slowest = Clock::duration::min();
    for (const Turnaround& t : m_turnarounds)
        if (t.requestBytes == took.requestBytes && t.answerBytes == took.answerBytes) {
            timed = true;
            fastest = std::min(fastest, t.took);
            slowest = std::max(slowest, t.took);
        }
    Clock::time_point realBy{};
    if (repeat && timed) {
        // Right after a resynchronising read, every answer asked for before it has come
        // or will not: a quick repeat is then the controller answering sooner than it has
        // lately (its answers that were timed may all have been slow ones), and it still
        // waits for quiet until the slowest would have come.
        if (!m_justResynced && took.took + std::chrono::milliseconds(kTurnaroundSlackMs) < fastest)
            return Doubtful("a repeated answer came sooner than the controller answers");
        realBy = sent + slowest + std::chrono::milliseconds(kTurnaroundSlackMs);
    }
    const ModbusLine::Quiet quiet =
        repeat && !timed ? ModbusLine::Quiet::Margin : ModbusLine::Quiet::Gap;
    Clock::time_point after;
    const long more = m_line.WaitQuiet(m_settings, after, quiet, realBy);
    if (m_trailing == 0 && more == 0) {
        m_turnarounds.push_back(took);
        if (m_turnarounds.size() > kTurnaroundsKept)
            m_turnarounds.pop_front();
        return true;
    }
    return Doubtful("another frame came with the answer or right after it");
}

bool ModbusTransport::Doubtful(const std::string& why) {
    ++m_stats.doubtfulAnswers;
    m_line.Trace(("-- doubtful: " + why).c_str());
    Fail(LinkCause::Garbled, 0, "an answer doubled or followed by another frame");
    return false;
}

void ModbusTransport::RememberHeard(std::vector<uint8_t> bytes) {
    if (!bytes.empty())
        m_recentAnswers.emplace_back(Clock::now(), std::move(bytes));
}

void ModbusTransport::Fail(LinkCause cause, int systemError, std::string detail) {
    m_failure = LinkFailure{};
    m_failure.cause = cause;
    m_failure.write = m_writeCall;
    m_failure.systemError = systemError;
    m_failure.timeoutMs = m_settings.timeoutMs;
    m_failure.detail = std::move(detail);
}

int ModbusTransport::SilentMs() const {
    return MsUntil(m_silentUntil);
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
    // An exception is the controller's definite refusal; anything else after a request
    // went out leaves open whether the controller took it.
    m_failure.requestSent = m_sentInCall && m_failure.cause != LinkCause::Exception;
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
