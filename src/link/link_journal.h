#pragma once

#include "link/link_failure.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The last few hundred calls a transfer context made, whatever backend served them, for
// the Communication window.
struct TransferEntry {
    int64_t wallMs = 0; // when the call began, milliseconds since the epoch
    int32_t mode = 0;
    int32_t block = 0;
    int32_t offset = 0;
    int32_t length = 0;
    bool write = false;
    bool ok = false;
    LinkCause cause = LinkCause::None;
    double durationMs = 0;
};

struct LinkJournal {
    static constexpr size_t kKept = 300;
    std::deque<TransferEntry> recent; // oldest first
    std::string lastError;            // LinkFailureText() after the last failed call
};

struct LinkStatistics;

// The lines of the Communication window's statistics: calls, retries, failures by cause,
// bytes, the last error.
std::vector<std::string> LinkStatisticsLines(const LinkStatistics& stats,
                                             const std::string& lastError);

// One transfer as the columns of the Communication window: time, the call in words ("read
// block 25"), where in the block it began ("byte 24", or "address 0xC3A8" for a write to an
// absolute address), how much it moved ("60 words"), result, duration.
std::vector<std::string> TransferHeaders();
std::vector<std::string> TransferColumns(const TransferEntry& entry);
