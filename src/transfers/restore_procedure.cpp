#include "transfers/restore_procedure.h"

#include "link/link_failure.h"
#include "transfers/group_layouts.h"
#include "transfers/group_transfers.h"

#include <chrono>
#include <thread>

namespace {

using D = ConnectRead::Destination;

// Tries `read` up to 1 + passes times; the link's reason for the last failure, or empty.
std::string Patiently(int passes, const std::function<bool()>& read) {
    for (int i = 0; i <= passes; ++i) {
        // A controller the link holds silent is waited for before the next try.
        if (i > 0 && LinkSilentMs() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(LinkSilentMs()));
        if (read())
            return {};
    }
    const std::string cause = LinkFailureText();
    return cause.empty() ? "no answer" : cause;
}

// The Connect reads of every group that is sent: all but blocks 0 and 3 and the reads
// whose data Connect discards.
std::vector<int> ReadBackIndices() {
    std::vector<int> indices;
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    for (size_t i = 0; i < sequence.size(); ++i) {
        const D d = sequence[i].destination;
        if (d != D::RawBlock0 && d != D::RawBlock3 && d != D::Discard)
            indices.push_back(static_cast<int>(i));
    }
    return indices;
}

} // namespace

std::vector<std::string> RestoreReport::Written() const {
    std::vector<std::string> groups;
    for (const GroupSend& send : sends)
        if (send.failed.empty())
            groups.push_back(send.group);
    return groups;
}

std::vector<std::string> RestoreReport::NotWritten() const {
    std::vector<std::string> groups;
    for (int index = 0; index < kImageGroups; ++index) {
        const bool sent = static_cast<size_t>(index) < sends.size();
        if (!sent || !sends[static_cast<size_t>(index)].failed.empty())
            groups.push_back(sent ? sends[static_cast<size_t>(index)].group
                                  : ImageGroupName(index));
    }
    return groups;
}

std::vector<std::string> DifferingGroups(const ParameterImage& sent, const ParameterImage& back) {
    std::vector<std::string> wrong;
    if (!(sent.systemSetup == back.systemSetup))
        wrong.push_back("system setup");
    if (!(sent.advanced == back.advanced))
        wrong.push_back("advanced");
    for (int g = 0; g < ParameterImage::kPidGroups; ++g)
        if (sent.pid[g] != back.pid[g])
            wrong.push_back("PID group " + std::to_string(g + 1));
    for (int n = 0; n < ParameterImage::kPatterns; ++n)
        if (sent.pattern[n] != back.pattern[n])
            wrong.push_back("pattern " + std::to_string(n + 1));
    return wrong;
}

RestoreReport RestoreImage(ParameterImage& image,
                           const std::function<bool(ParameterImage&)>& applyFile,
                           const RestoreOptions& options) {
    RestoreReport report;
    BeginLinkCommand();
    const int passes = options.retryPasses;

    uint8_t wdis = 0;
    std::string failure = Patiently(passes, [&] { return ReadWdis(wdis); });
    if (!failure.empty()) {
        report.stopped = "WDIS (block 10) could not be read: " + failure;
        return report;
    }
    report.wasLocked = wdis != 0;
    if (report.wasLocked && !options.unlock) {
        report.stopped = "the controller is write-inhibited (WDIS 1); nothing was written. "
                         "--unlock writes WDIS 0 first and restores the file's WDIS last.";
        return report;
    }

    // What the file does not carry.
    Block12 b12{};
    Block9 b9{};
    Block13 b13{};
    const struct {
        const char* what;
        std::function<bool()> read;
    } preReads[] = {
        {"model code (block 40)", [&] { return ReadModelCode(image); }},
        {"block 13", [&] { return ReadBlockBytes(13, b13.data(), kBlock13Bytes); }},
        {"block 12", [&] { return ReadBlockBytes(12, b12.data(), kBlock12Bytes); }},
        {"block 9", [&] { return ReadBlockBytes(9, b9.data(), kBlock9Bytes); }},
    };
    for (const auto& pre : preReads) {
        failure = Patiently(passes, pre.read);
        if (!failure.empty()) {
            report.stopped =
                std::string(pre.what) + " could not be read: " + failure + "; nothing was written.";
            return report;
        }
    }
    AdvancedFromBlock13(b13, image.advanced);
    SystemSetupFromBlocks(b12, b9, image.systemSetup);
    if (!applyFile(image)) {
        report.stopped = "the file was not loaded; nothing was written.";
        return report;
    }
    report.wdis = image.advanced.WDIS;

    if (report.wasLocked) {
        if (!WriteWdis(0)) {
            report.stopped =
                "WDIS 0 could not be written: " + LinkFailureText() + "; nothing else was written.";
            return report;
        }
        report.unlocked = true;
    }

    // Every group with WDIS 0, so the controller takes all of them.
    ParameterImage unlocked = image;
    unlocked.advanced.WDIS = 0;
    for (int index = 0; index < kImageGroups; ++index) {
        if (index == 0)
            report.sends.push_back(
                {ImageGroupName(0), WriteSystemSetupOnto(image.systemSetup, b12, b9)});
        else
            report.sends.push_back(SendImageGroup(unlocked, index));
    }
    if (report.NotWritten().empty()) {
        report.wdisWritten = WriteWdis(report.wdis);
        report.wdisFailed = !report.wdisWritten;
    }

    // Read back what was sent, over a copy so a failed read cannot pass as equal.
    ParameterImage back = image;
    back.advanced.WDIS = report.wdisWritten ? report.wdis : 0;
    report.readBack = ReadSequenceReads(back, ReadBackIndices(), options.progress);
    const int reads = report.readBack.reads;
    for (int pass = 0; pass < passes && !report.readBack.failed.empty(); ++pass)
        report.readBack = RetryFailedReads(back, report.readBack, options.progress);
    report.readBack.reads = reads;
    if (report.readBack.failed.empty()) {
        ParameterImage expected = image;
        expected.advanced.WDIS = report.wdisWritten ? report.wdis : 0;
        report.differs = DifferingGroups(expected, back);
    }
    return report;
}
