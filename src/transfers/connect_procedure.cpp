#include "transfers/connect_procedure.h"

#include "image/controller_blocks.h"
#include "image/group_layouts.h"
#include "link/link_backend.h"
#include "link/tqxcomm.h"
#include "transfers/pattern_transfers.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace {

using D = ConnectRead::Destination;

ConnectRead Whole(int32_t block, D destination, GroupId group, std::string what) {
    return {TQX_MODE_READ_BYTES, block, 0, blocks::Bytes(block),
            destination,         group, 0, std::move(what)};
}

std::vector<ConnectRead> BuildSequence() {
    const GroupId none;
    std::vector<ConnectRead> reads = {Whole(0, D::RawBlock0, none, "block 0"),
                                      Whole(3, D::RawBlock3, none, "block 3")};
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        reads.push_back(Whole(blocks::kPidBlocks[g - 1], D::Group, GroupId::Pid(g),
                              "PID group " + std::to_string(g)));
    reads.push_back(Whole(blocks::kSystemSetupB, D::Discard, none, "block 9"));
    reads.push_back(Whole(blocks::kAdvancedA, D::Group, GroupId::Advanced(),
                          GroupTitle(GroupId::Advanced()) + ", block 10"));
    reads.push_back(Whole(blocks::kSystemSetupA, D::Group, GroupId::SystemSetup(),
                          GroupTitle(GroupId::SystemSetup()) + ", block 12"));
    reads.push_back(Whole(blocks::kSystemSetupB, D::Group, GroupId::SystemSetup(),
                          GroupTitle(GroupId::SystemSetup()) + ", block 9"));
    reads.push_back(Whole(blocks::kAdvancedB, D::Group, GroupId::Advanced(),
                          GroupTitle(GroupId::Advanced()) + ", block 13"));
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        for (int k = 0; k < 4; ++k) {
            const PatternPiece piece = PatternRead(n, k);
            reads.push_back({TQX_MODE_READ_WORDS, piece.block, piece.offset, piece.words, D::Group,
                             GroupId::Pattern(n), k, PatternPartText(n, k)});
        }
    for (int32_t block : {blocks::kModelCode, 41, 42, 43, 44})
        reads.push_back(Whole(block, D::Discard, none, "block " + std::to_string(block)));
    return reads;
}

int32_t ByteCount(const ConnectRead& read) {
    return read.mode == TQX_MODE_READ_WORDS ? 2 * read.length : read.length;
}

// Puts what a read brought into the image. Blocks 12 and 9 start as the image's own
// fields, so the block not read here keeps its fields as they are.
void Store(const ConnectRead& read, const uint8_t* data, ParameterImage& image) {
    switch (read.destination) {
    case D::RawBlock0:
        std::memcpy(image.rawBlock0.data(), data, image.rawBlock0.size());
        return;
    case D::RawBlock3:
        std::memcpy(image.rawBlock3.data(), data, image.rawBlock3.size());
        return;
    case D::Discard:
        return;
    case D::Group:
        break;
    }
    const auto i = static_cast<size_t>(read.group.number() - 1);
    switch (read.group.kind()) {
    case GroupId::Kind::PidGroup:
        std::memcpy(image.pid[i].bytes.data(), data, PidGroupRecord::kBytes);
        return;
    case GroupId::Kind::Pattern:
        std::memcpy(&image.pattern[i].bytes[static_cast<size_t>(
                        PatternRead(read.group.number(), read.piece).recordOffset)],
                    data, static_cast<size_t>(ByteCount(read)));
        return;
    case GroupId::Kind::Advanced: {
        Block10 b10{};
        Block13 b13{};
        AdvancedIntoBlocks(image.advanced, b10, b13);
        if (read.block == blocks::kAdvancedA)
            std::memcpy(b10.data(), data, b10.size());
        else
            std::memcpy(b13.data(), data, b13.size());
        AdvancedFromBlock10(b10, image.advanced);
        AdvancedFromBlock13(b13, image.advanced);
        return;
    }
    case GroupId::Kind::SystemSetup: {
        Block12 b12{};
        Block9 b9{};
        SystemSetupIntoBlocks(image.systemSetup, b12, b9);
        if (read.block == blocks::kSystemSetupA)
            std::memcpy(b12.data(), data, b12.size());
        else
            std::memcpy(b9.data(), data, b9.size());
        SystemSetupFromBlocks(b12, b9, image.systemSetup);
        return;
    }
    }
}

} // namespace

const std::vector<ConnectRead>& ConnectReadSequence() {
    static const std::vector<ConnectRead> sequence = BuildSequence();
    return sequence;
}

std::vector<int> WholeReadPositions() {
    std::vector<int> positions = {kModelCodeRead};
    for (size_t i = 0; i < ConnectReadSequence().size(); ++i)
        positions.push_back(static_cast<int>(i));
    return positions;
}

std::optional<GroupId> GroupOfRead(int position) {
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    if (position < 0 || position >= static_cast<int>(sequence.size()))
        return std::nullopt; // the model code belongs to no group
    const ConnectRead& read = sequence[static_cast<size_t>(position)];
    if (read.destination != D::Group)
        return std::nullopt;
    return read.group;
}

std::vector<GroupId> GroupsOfFailedReads(const TransferResult& result) {
    std::vector<GroupId> groups;
    for (int position : result.failedReads)
        if (const auto group = GroupOfRead(position))
            if (std::find(groups.begin(), groups.end(), *group) == groups.end())
                groups.push_back(*group);
    return groups;
}

bool ReadModelCode(TransferContext& link, ParameterImage& image) {
    std::array<uint8_t, 14> code{};
    if (!link.Read(TQX_MODE_READ_BYTES, blocks::kModelCode, 0, 14, code.data()))
        return false;
    std::memcpy(image.modelCode.data(), code.data(), code.size());
    return true;
}

namespace {

// The model code read as one read of a sequence: counted, and noted when it failed.
bool ReadModelCodeInto(TransferContext& link, ParameterImage& image, TransferResult& result) {
    ++result.calls;
    if (ReadModelCode(link, image))
        return true;
    result.Fail(blocks::kModelCode, "model code (block 40)", link.FailureText());
    result.failedReads.push_back(kModelCodeRead);
    return false;
}

} // namespace

TransferResult ReadPositions(TransferContext& link, ParameterImage& image,
                             const std::vector<int>& positions, bool patient, int before) {
    const int total = before + static_cast<int>(positions.size());
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    TransferResult result;
    bool progressSinceWait = true;
    for (size_t k = 0; k < positions.size(); ++k) {
        if (link.Cancelled()) {
            // What was not read is still to be read: Retry can complete it.
            result.failedReads.insert(result.failedReads.end(), positions.begin() + k,
                                      positions.end());
            result.notRead.insert(result.notRead.end(), positions.begin() + k, positions.end());
            result.Worsen(TransferOutcome::Cancelled);
            break;
        }
        const int i = positions[k];
        if (patient && progressSinceWait && link.SilentMs() > 0) {
            link.WaitOutSilence(); // a Cancel meanwhile ends the loop at its next turn
            progressSinceWait = false;
        }
        if (i == kModelCodeRead) {
            link.Step("Reading the model code (block 40)", before + static_cast<int>(k), total);
            progressSinceWait = ReadModelCodeInto(link, image, result) || progressSinceWait;
            continue;
        }
        ++result.calls;
        const ConnectRead& read = sequence[static_cast<size_t>(i)];
        link.Step("Reading " + read.what, before + static_cast<int>(k), total);
        // Every read lands in scratch first and reaches the image only when it succeeded.
        std::array<uint8_t, 2 * TQX_MAX_UNITS> scratch{};
        if (!link.Read(read.mode, read.block, read.offset, read.length, scratch.data())) {
            result.Fail(read.block, read.what, link.FailureText());
            result.failedReads.push_back(i);
            continue;
        }
        progressSinceWait = true;
        Store(read, scratch.data(), image);
    }
    return result;
}

std::string GroupList(const TransferResult& result) {
    std::string list;
    if (std::find(result.failedReads.begin(), result.failedReads.end(), kModelCodeRead) !=
        result.failedReads.end())
        list = "model code";
    for (GroupId group : GroupsOfFailedReads(result))
        list += (list.empty() ? "" : ", ") + GroupTitle(group);
    return list;
}

bool NothingAnswered(const TransferContext& link, const TransferResult& pass) {
    if (pass.failed.size() != static_cast<size_t>(pass.calls))
        return false;
    switch (link.Backend().LastFailure().cause) {
    case LinkCause::Garbled:
    case LinkCause::LateAnswer:
    case LinkCause::Exception:
    case LinkCause::OtherTransaction:
        return false; // something is there and answers
    default:
        return true;
    }
}

TransferResult ReadWholeController(TransferContext& link, ParameterImage& image, int retryPasses) {
    link.BeginCommand();
    TransferResult result = ReadPositions(link, image, WholeReadPositions());
    const int reads = result.calls;
    // A pass that nothing answered is not repeated: a controller that is not there stays
    // away, and the command says so at once.
    for (int pass = 0;
         pass < retryPasses && !result.failed.empty() &&
         result.outcome != TransferOutcome::Cancelled && !NothingAnswered(link, result);
         ++pass)
        result = RetryFailedReads(link, image, result);
    result.calls = reads; // "N of 58 reads failed", after every pass
    return result;
}

TransferResult RetryFailedReads(TransferContext& link, ParameterImage& image,
                                const TransferResult& last) {
    return ReadPositions(link, image, last.failedReads, true);
}

const char* const kRetryMenuHint = "Connect > Retry failed reads repeats them.";

std::string ConnectFailureText(const TransferResult& result, const std::string& title,
                               const std::string& retryHint) {
    if (result.outcome == TransferOutcome::Cancelled) {
        const size_t read = static_cast<size_t>(result.calls) - result.failed.size();
        std::string text = title + " stopped by the operator after " +
                           std::to_string(result.calls) + " of " +
                           std::to_string(result.calls + static_cast<int>(result.notRead.size())) +
                           " reads (" + std::to_string(read) + " went through).";
        return retryHint.empty() ? text : text + "\n" + retryHint;
    }
    if (result.failed.empty())
        return {};
    const size_t failed = result.failed.size();
    std::string text = title + ": " + std::to_string(failed) + " of " +
                       std::to_string(result.calls) + " reads failed";
    if (failed == static_cast<size_t>(result.calls)) {
        text += "; the loader keeps its previous values.";
    } else {
        text += " (";
        const size_t listed = std::min<size_t>(failed, 8);
        for (size_t i = 0; i < listed; ++i)
            text += (i ? ", " : "") + result.failed[i].what;
        if (listed < failed)
            text += ", ...";
        text += "). Those values were not changed.";
    }
    for (const std::string& cause : result.causes)
        text += "\n" + cause;
    if (!retryHint.empty())
        text += "\n" + retryHint;
    return text;
}

std::string ConnectDoneText(const TransferResult& result, const std::string& title) {
    const std::string failure = ConnectFailureText(result, title, "");
    if (failure.empty())
        return title + ": every read went through (" + std::to_string(result.calls) + ")";
    return failure.substr(0, failure.find('\n'));
}

TransferResult RunConnect(TransferContext& link, ParameterImage& image, ConnectUi& ui,
                          Messages& messages, CursorControl& cursor) {
    link.BeginOperation();
    link.BeginCommand();
    TransferResult result;
    {
        WaitCursor wait(cursor);
        ReadModelCodeInto(link, image, result); // before the confirmation, with no progress
    }
    const std::string codeFailure = result.causes.empty() ? std::string() : result.causes.front();
    if (!ui.ConfirmModelCode(image.ModelCode(), codeFailure)) {
        result.Worsen(TransferOutcome::Cancelled);
        return result;
    }
    image.connected = 1;
    {
        WaitCursor wait(cursor);
        std::vector<int> sequence = WholeReadPositions();
        sequence.erase(sequence.begin()); // the model code was read before the confirmation
        result.Merge(ReadPositions(link, image, sequence, false, result.calls));
    }
    ui.Finished();
    const std::string failure = ConnectFailureText(result, "Connect", kRetryMenuHint);
    if (!failure.empty())
        messages.Show(failure);
    return result;
}

TransferResult RunRetryFailedReads(TransferContext& link, ParameterImage& image,
                                   const std::vector<int>& positions, ConnectUi& ui,
                                   Messages& messages, CursorControl& cursor) {
    link.BeginOperation();
    link.BeginCommand();
    TransferResult result;
    {
        WaitCursor wait(cursor);
        result = ReadPositions(link, image, positions, true);
    }
    ui.Finished();
    const std::string failure = ConnectFailureText(result, "Retry failed reads", kRetryMenuHint);
    if (!failure.empty())
        messages.Show(failure);
    return result;
}
