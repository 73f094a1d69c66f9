#include "transfers/pattern_transfers.h"

#include "image/controller_blocks.h"
#include "link/tqxcomm.h"
#include "transfers/group_transfers.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int32_t kPatternMemory = 0xC000;

// Seven writes: 126 bytes at 0, 126, ..., 630, then the last 84 bytes at 756.
constexpr int kWrites = 7;
constexpr int32_t kWriteBytes = 126;
constexpr int32_t kLastWriteBytes = ProgramPatternRecord::kBytes - 6 * kWriteBytes;

// The four mode-17 reads of pattern n into `record`; false as soon as one fails (the
// record then holds what arrived before it).
bool ReadPatternInto(TransferContext& link, int n, ProgramPatternRecord& record,
                     int32_t& failedBlock) {
    for (int k = 0; k < 4; ++k) {
        const PatternPiece piece = PatternRead(n, k);
        if (!link.Read(TQX_MODE_READ_WORDS, piece.block, piece.offset, piece.words,
                       &record.bytes[static_cast<size_t>(piece.recordOffset)])) {
            failedBlock = piece.block;
            return false;
        }
    }
    return true;
}

// Reads pattern n back after its writes and notes in `result` what is wrong.
void CheckPatternWritten(TransferContext& link, const ProgramPatternRecord& written, int n,
                         TransferResult& result) {
    ProgramPatternRecord back;
    int32_t failedBlock = 0;
    result.calls += 4;
    if (!ReadPatternInto(link, n, back, failedBlock)) {
        result.failed.push_back({failedBlock, ReadBackFailed(failedBlock)});
        result.AddCause(link.FailureText());
        return;
    }
    constexpr size_t kHalf = ProgramPatternRecord::kBytes / 2;
    const int32_t halves[2] = {PatternBlockA(n), PatternBlockB(n)};
    for (size_t h = 0; h < 2; ++h)
        if (!std::equal(back.bytes.begin() + h * kHalf, back.bytes.begin() + (h + 1) * kHalf,
                        written.bytes.begin() + h * kHalf)) {
            result.failed.push_back({halves[h], ReadBackDiffers(halves[h])});
            result.Worsen(TransferOutcome::Differs);
        }
    if (result.failed.empty())
        result.outcome = TransferOutcome::Verified;
}

} // namespace

int32_t PatternBlockA(int n) {
    return blocks::PatternA(n);
}

int32_t PatternBlockB(int n) {
    return blocks::PatternB(n);
}

int32_t PatternAddress(int n) {
    return kPatternMemory + ProgramPatternRecord::kBytes * (n - 1);
}

PatternPiece PatternRead(int n, int k) {
    // Each block is read as 126 words from byte 0 and 84 words from byte 252.
    const int32_t block = k < 2 ? PatternBlockA(n) : PatternBlockB(n);
    const bool second = k % 2 == 1;
    return {block, second ? 252 : 0, second ? 84 : 126, 420 * (k / 2) + (second ? 252 : 0)};
}

std::string PatternPartText(int n, int k) {
    return "program pattern " + std::to_string(n) + " part " + std::to_string(k + 1);
}

TransferResult RetrievePattern(TransferContext& link, ParameterImage& image, int n,
                               Messages& messages) {
    ProgramPatternRecord& record = image.pattern[static_cast<size_t>(n - 1)];
    TransferResult result;
    link.BeginCommand();
    for (int k = 0; k < 4 && !link.Cancelled(); ++k) {
        const PatternPiece piece = PatternRead(n, k);
        link.Step("Reading " + PatternPartText(n, k), k, 4);
        // A read lands in scratch first, so a failed one cannot leave garbage in the record.
        std::array<uint8_t, 2 * TQX_MAX_UNITS> scratch{};
        ++result.calls;
        if (!link.Read(TQX_MODE_READ_WORDS, piece.block, piece.offset, piece.words,
                       scratch.data())) {
            result.Fail(piece.block, PatternPartText(n, k), link.FailureText());
            messages.Show(link.WithCause("false Retrieve" + std::to_string(k + 1)));
            continue;
        }
        std::memcpy(&record.bytes[static_cast<size_t>(piece.recordOffset)], scratch.data(),
                    static_cast<size_t>(2 * piece.words));
    }
    if (link.Cancelled())
        result.Worsen(TransferOutcome::Cancelled);
    link.NoteRetrieved(GroupId::Pattern(n), result.Ok());
    return result;
}

TransferResult SendPattern(TransferContext& link, const ParameterImage& image, int n,
                           Messages& messages, WritePolicy writes) {
    const uint8_t* record = image.pattern[static_cast<size_t>(n - 1)].bytes.data();
    TransferResult result;
    link.BeginCommand();
    for (int k = 0; k < kWrites; ++k) {
        if (writes == WritePolicy::StopAtFirstFailure && !result.failed.empty())
            break;
        if (link.Cancelled()) {
            // The parts not made count as failed writes: a pattern stopped halfway is
            // partly written, never sent.
            if (k > 0)
                result.Fail(PatternBlockB(n),
                            "write " + std::to_string(k + 1) + " of pattern " + std::to_string(n) +
                                " not made",
                            "");
            break;
        }
        const int32_t offset = kWriteBytes * k;
        const int32_t length = k < kWrites - 1 ? kWriteBytes : kLastWriteBytes;
        // The count ("4 of 7") is the progress window's own.
        link.Step("Writing program pattern " + std::to_string(n), k, kWrites);
        ++result.calls;
        // The bytes a write moves lie in block A (record bytes 0..419), B or both.
        const auto wrote = [&](void (TransferResult::*note)(int32_t)) {
            if (offset < blocks::kPatternBlockBytes)
                (result.*note)(PatternBlockA(n));
            if (offset + length > blocks::kPatternBlockBytes)
                (result.*note)(PatternBlockB(n));
        };
        if (link.Write(TQX_MODE_WRITE_ABSOLUTE, PatternBlockB(n), PatternAddress(n) + offset,
                       length, record + offset)) {
            wrote(&TransferResult::Wrote);
        } else {
            if (link.LastCallMayHaveLanded())
                wrote(&TransferResult::MaybeWrote);
            result.Fail(PatternBlockB(n),
                        "write " + std::to_string(k + 1) + " of pattern " + std::to_string(n),
                        link.FailureText());
            messages.Show(link.WithCause("falseSEND" + std::to_string(k + 1)));
        }
    }
    if (link.Cancelled())
        result.Worsen(TransferOutcome::Cancelled);
    else if (result.Ok() && link.Verify()) {
        TransferResult check;
        CheckPatternWritten(link, image.pattern[static_cast<size_t>(n - 1)], n, check);
        ShowTransferFailures("SEND", check, messages);
        result.Merge(check);
        result.outcome = check.outcome;
    }
    link.NoteSent(GroupId::Pattern(n), result.outcome);
    return result;
}
