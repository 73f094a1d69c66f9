#include "transfers/connect_procedure.h"

#include "link/block_map.h"
#include "link/link_failure.h"
#include "link/tqxcomm.h"
#include "transfers/group_layouts.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using D = ConnectRead::Destination;

std::vector<ConnectRead> BuildSequence() {
    std::vector<ConnectRead> reads;
    reads.push_back({1, 0, 0, 6, D::RawBlock0, 0, "block 0"});
    reads.push_back({1, 3, 0, 10, D::RawBlock3, 0, "block 3"});
    for (int g = 0; g < ParameterImage::kPidGroups; ++g)
        reads.push_back({1, blockmap::kPidBlocks[g], 0, 24, D::PidGroup, g,
                         "PID group " + std::to_string(g + 1)});
    reads.push_back({1, 9, 0, kBlock9Bytes, D::Discard, 0, "block 9"});
    reads.push_back({1, 10, 0, kBlock10Bytes, D::Advanced10, 0, "advanced parameters (block 10)"});
    reads.push_back({1, 12, 0, kBlock12Bytes, D::Setup12, 0, "system setup (block 12)"});
    reads.push_back({1, 9, 0, kBlock9Bytes, D::Setup9, 0, "system setup (block 9)"});
    reads.push_back({1, 13, 0, kBlock13Bytes, D::Advanced13, 0, "advanced parameters (block 13)"});
    // Each pattern block is read as 126 words from byte 0 and 84 words from byte 252.
    for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
        const int a = 20 + 2 * (n - 1);
        const int pieces[4][3] = {{a, 0, 126}, {a, 252, 84}, {a + 1, 0, 126}, {a + 1, 252, 84}};
        const int recordOffset[4] = {0, 252, 420, 672};
        for (int k = 0; k < 4; ++k)
            reads.push_back(
                {17, pieces[k][0], pieces[k][1], pieces[k][2], D::PatternPiece,
                 ProgramPatternRecord::kBytes * (n - 1) + recordOffset[k],
                 "program pattern " + std::to_string(n) + " part " + std::to_string(k + 1)});
    }
    const int tail[5][2] = {{40, 14}, {41, 18}, {42, 10}, {43, 12}, {44, 12}};
    for (const auto& t : tail)
        reads.push_back({1, t[0], 0, t[1], D::Discard, 0, "block " + std::to_string(t[0])});
    return reads;
}

int32_t ByteCount(const ConnectRead& read) {
    return read.mode == TQX_MODE_READ_WORDS ? 2 * read.length : read.length;
}

template <size_t N> std::array<uint8_t, N> Take(const uint8_t* data) {
    std::array<uint8_t, N> block{};
    std::memcpy(block.data(), data, N);
    return block;
}

} // namespace

const std::vector<ConnectRead>& ConnectReadSequence() {
    static const std::vector<ConnectRead> sequence = BuildSequence();
    return sequence;
}

bool ReadModelCode(ParameterImage& image) {
    std::array<uint8_t, 14> code{};
    int32_t status = 0;
    if (!TQXRead(TQX_MODE_READ_BYTES, 40, 0, 14, code.data(), &status))
        return false;
    std::memcpy(image.modelCode.data(), code.data(), code.size());
    return true;
}

namespace {

void NoteFailure(ReadReport& report, int index, const std::string& what) {
    report.failed.push_back(what);
    report.failedReads.push_back(index);
    const std::string cause = LinkFailureText();
    if (!cause.empty() &&
        std::find(report.causes.begin(), report.causes.end(), cause) == report.causes.end())
        report.causes.push_back(cause);
}

// Performs the reads at `indices` of the sequence, each landing in the image only when it
// succeeded. `patient`: wait out a silent controller as RetryFailedReads says.
void RunReads(ParameterImage& image, const std::vector<int>& indices,
              const ConnectProgress& progress, bool patient, ReadReport& report) {
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    bool progressSinceWait = true;
    for (size_t k = 0; k < indices.size(); ++k) {
        const int i = indices[k];
        if (patient && progressSinceWait && LinkSilentMs() > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(LinkSilentMs()));
            progressSinceWait = false;
        }
        if (i == kModelCodeRead) {
            ++report.reads;
            if (ReadModelCode(image))
                progressSinceWait = true;
            else
                NoteFailure(report, i, "model code (block 40)");
            continue;
        }
        const ConnectRead& read = sequence[static_cast<size_t>(i)];
        if (progress)
            progress(static_cast<int>(k), static_cast<int>(indices.size()), read);
        // Every read lands in scratch first and reaches the image only when it succeeded.
        std::array<uint8_t, 2 * TQX_MAX_UNITS> scratch{};
        int32_t status = 0;
        const bool ok =
            TQXRead(read.mode, read.block, read.offset, read.length, scratch.data(), &status) != 0;
        ++report.reads;
        if (!ok) {
            NoteFailure(report, i, read.what);
            continue;
        }
        progressSinceWait = true;
        const uint8_t* data = scratch.data();
        // Blocks 12 and 9 start as the image's own fields, so the block not read here
        // keeps its fields as they are.
        Block12 block12{};
        Block9 block9{};
        SystemSetupIntoBlocks(image.systemSetup, block12, block9);
        switch (read.destination) {
        case D::RawBlock0:
            image.rawBlock0 = Take<6>(data);
            break;
        case D::RawBlock3:
            image.rawBlock3 = Take<10>(data);
            break;
        case D::PidGroup:
            image.pid[read.index].bytes = Take<PidGroupRecord::kBytes>(data);
            break;
        case D::Advanced10:
            AdvancedFromBlock10(Take<kBlock10Bytes>(data), image.advanced);
            break;
        case D::Setup12:
            block12 = Take<kBlock12Bytes>(data);
            break;
        case D::Setup9:
            block9 = Take<kBlock9Bytes>(data);
            break;
        case D::Advanced13:
            AdvancedFromBlock13(Take<kBlock13Bytes>(data), image.advanced);
            break;
        case D::PatternPiece: {
            const int n = read.index / ProgramPatternRecord::kBytes;
            const int offset = read.index % ProgramPatternRecord::kBytes;
            std::memcpy(&image.pattern[n].bytes[offset], data, ByteCount(read));
            break;
        }
        case D::Discard:
            break;
        }
        if (read.destination == D::Setup9 || read.destination == D::Setup12)
            SystemSetupFromBlocks(block12, block9, image.systemSetup);
    }
}

} // namespace

const char* const kRetryMenuHint = "Connect > Retry failed reads repeats them.";

ReadReport ReadWholeController(ParameterImage& image, const ConnectProgress& progress) {
    std::vector<int> all(ConnectReadSequence().size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    ReadReport report;
    RunReads(image, all, progress, false, report);
    return report;
}

ReadReport ReadSequenceReads(ParameterImage& image, const std::vector<int>& indices,
                             const ConnectProgress& progress) {
    ReadReport report;
    RunReads(image, indices, progress, false, report);
    return report;
}

ReadReport RetryFailedReads(ParameterImage& image, const ReadReport& last,
                            const ConnectProgress& progress) {
    ReadReport report;
    RunReads(image, last.failedReads, progress, true, report);
    return report;
}

void CountModelCodeRead(bool codeRead, ReadReport& report) {
    ++report.reads;
    if (!codeRead) {
        report.failed.insert(report.failed.begin(), "model code (block 40)");
        report.failedReads.insert(report.failedReads.begin(), kModelCodeRead);
    }
}

std::string ConnectFailureText(const ReadReport& report, const std::string& title,
                               const std::string& retryHint) {
    if (report.failed.empty())
        return {};
    const size_t failed = report.failed.size();
    std::string text = title + ": " + std::to_string(failed) + " of " +
                       std::to_string(report.reads) + " reads failed";
    if (failed == static_cast<size_t>(report.reads)) {
        text += "; the loader keeps its previous values.";
    } else {
        text += " (";
        const size_t listed = std::min<size_t>(failed, 8);
        for (size_t i = 0; i < listed; ++i)
            text += (i ? ", " : "") + report.failed[i];
        if (listed < failed)
            text += ", ...";
        text += "). Those values were not changed.";
    }
    for (const std::string& cause : report.causes)
        text += "\n" + cause;
    if (!retryHint.empty())
        text += "\n" + retryHint;
    return text;
}

ReadReport RunConnect(ParameterImage& image, ConnectUi& ui, Messages& messages,
                      CursorControl& cursor) {
    BeginLinkCommand();
    bool codeRead = false;
    std::string codeFailure;
    {
        WaitCursor wait(cursor);
        codeRead = ReadModelCode(image);
        if (!codeRead)
            codeFailure = LinkFailureText();
    }
    ReadReport report;
    if (!ui.ConfirmModelCode(image.ModelCode(), codeRead ? std::string() : codeFailure))
        return report;
    image.connected = 1;
    {
        WaitCursor wait(cursor);
        report = ReadWholeController(image, [&ui](int index, int total, const ConnectRead& read) {
            ui.Progress(index, total, read);
        });
        CountModelCodeRead(codeRead, report);
        if (!codeRead && !codeFailure.empty() &&
            std::find(report.causes.begin(), report.causes.end(), codeFailure) ==
                report.causes.end())
            report.causes.insert(report.causes.begin(), codeFailure);
    }
    ui.Finished();
    const std::string failure = ConnectFailureText(report, "Connect", kRetryMenuHint);
    if (!failure.empty())
        messages.Show(failure);
    return report;
}

ReadReport RunRetryFailedReads(ParameterImage& image, const ReadReport& last, ConnectUi& ui,
                               Messages& messages, CursorControl& cursor) {
    BeginLinkCommand();
    ReadReport report;
    {
        WaitCursor wait(cursor);
        report =
            RetryFailedReads(image, last, [&ui](int index, int total, const ConnectRead& read) {
                ui.Progress(index, total, read);
            });
    }
    ui.Finished();
    const std::string failure = ConnectFailureText(report, "Retry failed reads", kRetryMenuHint);
    if (!failure.empty())
        messages.Show(failure);
    return report;
}
