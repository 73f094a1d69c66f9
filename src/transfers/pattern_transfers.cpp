#include "transfers/pattern_transfers.h"

#include "link/link_failure.h"
#include "link/tqxcomm.h"

#include <array>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kPatternMemory = 0xC000;

// One read of a pattern block: mode-17 length in words, offset in bytes.
struct PatternRead {
    bool secondBlock;
    int32_t offset;
    int32_t words;
    int recordOffset;
};
constexpr PatternRead kReads[] = {
    {false, 0, 126, 0}, {false, 252, 84, 252}, {true, 0, 126, 420}, {true, 252, 84, 672}};

// Seven writes: 126 bytes at 0, 126, ..., 630, then the last 84 bytes at 756.
constexpr int kWrites = 7;
constexpr int32_t kWriteBytes = 126;
constexpr int32_t kLastWriteBytes = ProgramPatternRecord::kBytes - 6 * kWriteBytes;

} // namespace

int PatternBlockA(int n) {
    return 20 + 2 * (n - 1);
}

int PatternBlockB(int n) {
    return PatternBlockA(n) + 1;
}

int32_t PatternAddress(int n) {
    return kPatternMemory + ProgramPatternRecord::kBytes * (n - 1);
}

int RetrievePattern(ParameterImage& image, int n, Messages& messages) {
    ProgramPatternRecord& record = image.pattern[n - 1];
    int failures = 0;
    BeginLinkCommand();
    for (int k = 0; k < 4; ++k) {
        const PatternRead& read = kReads[k];
        const int block = read.secondBlock ? PatternBlockB(n) : PatternBlockA(n);
        // A read lands in scratch first, so a failed one cannot leave garbage in the record.
        std::array<uint8_t, 2 * TQX_MAX_UNITS> scratch{};
        int32_t status = 0;
        if (TQXRead(TQX_MODE_READ_WORDS, block, read.offset, read.words, scratch.data(), &status) ==
            0) {
            ++failures;
            messages.Show(WithLinkCause("false Retrieve" + std::to_string(k + 1)));
            continue;
        }
        std::memcpy(&record.bytes[read.recordOffset], scratch.data(),
                    static_cast<size_t>(2 * read.words));
    }
    return failures;
}

int SendPattern(const ParameterImage& image, int n, Messages& messages) {
    const uint8_t* record = image.pattern[n - 1].bytes.data();
    int failures = 0;
    BeginLinkCommand();
    for (int k = 0; k < kWrites; ++k) {
        const int32_t offset = kWriteBytes * k;
        const int32_t length = k < kWrites - 1 ? kWriteBytes : kLastWriteBytes;
        int32_t status = 0;
        if (TQXWrite(TQX_MODE_WRITE_ABSOLUTE, PatternBlockB(n), PatternAddress(n) + offset, length,
                     record + offset, &status) == 0) {
            ++failures;
            messages.Show(WithLinkCause("falseSEND" + std::to_string(k + 1)));
        }
    }
    return failures;
}
