#include "transfers/pattern_transfers.h"

#include "link/link_failure.h"
#include "link/tqxcomm.h"
#include "transfers/group_transfers.h"
#include "transfers/transfer_notes.h"

#include <algorithm>
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

// The four mode-17 reads of pattern n into `record`; false as soon as one fails (the
// record then holds what arrived before it).
bool ReadPatternInto(int n, ProgramPatternRecord& record, int& failedBlock);

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

namespace {

bool ReadPatternInto(int n, ProgramPatternRecord& record, int& failedBlock) {
    for (const PatternRead& read : kReads) {
        const int block = read.secondBlock ? PatternBlockB(n) : PatternBlockA(n);
        int32_t status = 0;
        if (TQXRead(TQX_MODE_READ_WORDS, block, read.offset, read.words,
                    &record.bytes[static_cast<size_t>(read.recordOffset)], &status) == 0) {
            failedBlock = block;
            return false;
        }
    }
    return true;
}

// Reads pattern n back after its writes and names what is wrong; empty when it matches.
std::vector<std::string> CheckPatternWritten(const ProgramPatternRecord& written, int n,
                                             SendOutcome& outcome) {
    ProgramPatternRecord back;
    int failedBlock = 0;
    if (!ReadPatternInto(n, back, failedBlock)) {
        outcome = SendOutcome::Sent;
        return {ReadBackFailed(failedBlock)};
    }
    std::vector<std::string> wrong;
    constexpr size_t kHalf = ProgramPatternRecord::kBytes / 2;
    if (!std::equal(back.bytes.begin(), back.bytes.begin() + kHalf, written.bytes.begin()))
        wrong.push_back(ReadBackDiffers(PatternBlockA(n)));
    if (!std::equal(back.bytes.begin() + kHalf, back.bytes.end(), written.bytes.begin() + kHalf))
        wrong.push_back(ReadBackDiffers(PatternBlockB(n)));
    outcome = wrong.empty() ? SendOutcome::Verified : SendOutcome::Differs;
    return wrong;
}

} // namespace

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
    NoteRetrieved(PatternGroupIndex(n), failures == 0);
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
    SendOutcome outcome = failures ? SendOutcome::Failed : SendOutcome::Sent;
    if (failures == 0 && VerifyAfterSend()) {
        const std::vector<std::string> wrong =
            CheckPatternWritten(image.pattern[n - 1], n, outcome);
        ShowTransferFailures("SEND", wrong, messages);
        failures += static_cast<int>(wrong.size());
    }
    NoteSent(PatternGroupIndex(n), outcome);
    return failures;
}
