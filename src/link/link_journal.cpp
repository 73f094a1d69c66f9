#include "link/link_journal.h"

#include "link/link_backend.h"
#include "link/tqxcomm.h"

#include <cstdio>
#include <ctime>

std::vector<std::string> LinkStatisticsLines(const LinkStatistics& s,
                                             const std::string& lastError) {
    std::vector<std::string> lines;
    lines.push_back("Calls " + std::to_string(s.calls) + ", retried " +
                    std::to_string(s.retriedCalls) + ", failed " + std::to_string(s.failedCalls) +
                    "; requests sent " + std::to_string(s.transactions) +
                    "; doubtful answers asked again " + std::to_string(s.doubtfulAnswers));
    std::string causes;
    for (int c = 1; c < kLinkCauses; ++c) {
        const long n = s.failuresByCause[static_cast<size_t>(c)];
        if (n > 0)
            causes += (causes.empty() ? "" : ", ") + std::string(LinkCauseName(LinkCause(c))) +
                      " " + std::to_string(n);
    }
    lines.push_back("Failures by cause: " + (causes.empty() ? std::string("none") : causes));
    lines.push_back("Bytes sent " + std::to_string(s.bytesSent) + ", received " +
                    std::to_string(s.bytesReceived) + "; payload moved " +
                    std::to_string(s.payloadBytes));
    lines.push_back("Last error: " + (lastError.empty() ? std::string("none") : lastError));
    return lines;
}

std::vector<std::string> TransferHeaders() {
    return {"Time", "Call", "Where", "Amount", "Result", "Duration"};
}

std::vector<std::string> TransferColumns(const TransferEntry& e) {
    const std::time_t seconds = static_cast<std::time_t>(e.wallMs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char time[32];
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    char ms[8];
    std::snprintf(ms, sizeof ms, ".%03d", static_cast<int>(e.wallMs % 1000));
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f ms", e.durationMs);
    const bool words = e.mode == TQX_MODE_READ_WORDS || e.mode == TQX_MODE_WRITE_WORDS;
    char address[16];
    std::snprintf(address, sizeof address, "0x%04X", static_cast<unsigned>(e.offset));
    return {std::string(time) + ms,
            std::string(e.write ? "write" : "read") + " block " + std::to_string(e.block),
            e.mode == TQX_MODE_WRITE_ABSOLUTE ? std::string("address ") + address
                                              : "byte " + std::to_string(e.offset),
            std::to_string(e.length) + (words ? " words" : " bytes"),
            e.ok ? std::string("ok") : std::string(LinkCauseName(e.cause)),
            duration};
}
