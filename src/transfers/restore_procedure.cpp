#include "transfers/restore_procedure.h"

#include "transfers/group_layouts.h"
#include "transfers/group_transfers.h"

#include <chrono>
#include <thread>

namespace {

// Tries `read` up to 1 + passes times; the link's reason for the last failure, or empty.
std::string Patiently(TransferContext& link, int passes, const std::function<bool()>& read) {
    for (int i = 0; i <= passes; ++i) {
        // A controller the link holds silent is waited for before the next try.
        if (i > 0 && link.SilentMs() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(link.SilentMs()));
        if (read())
            return {};
    }
    const std::string cause = link.FailureText();
    return cause.empty() ? "no answer" : cause;
}

// The Connect reads of every group that is sent: those that fill a group.
std::vector<int> ReadBackPositions() {
    std::vector<int> positions;
    for (size_t i = 0; i < ConnectReadSequence().size(); ++i)
        if (GroupOfRead(static_cast<int>(i)))
            positions.push_back(static_cast<int>(i));
    return positions;
}

} // namespace

std::vector<GroupId> RestoreReport::Written() const {
    std::vector<GroupId> groups;
    for (const GroupSend& send : sends)
        if (send.result.failed.empty())
            groups.push_back(send.group);
    return groups;
}

std::vector<GroupId> RestoreReport::NotWritten() const {
    std::vector<GroupId> groups;
    for (GroupId group : AllGroups()) {
        bool written = false;
        for (const GroupSend& send : sends)
            written = written || (send.group == group && send.result.failed.empty());
        if (!written)
            groups.push_back(group);
    }
    return groups;
}

std::vector<GroupId> DifferingGroups(const ParameterImage& sent, const ParameterImage& back) {
    std::vector<GroupId> wrong;
    for (GroupId group : AllGroups())
        if (!SameGroup(sent, back, group))
            wrong.push_back(group);
    return wrong;
}

RestoreReport RestoreImage(TransferContext& link, ParameterImage& image,
                           const std::function<bool(ParameterImage&)>& applyFile,
                           const RestoreOptions& options) {
    RestoreReport report;
    link.BeginCommand();
    const int passes = options.retryPasses;

    uint8_t wdis = 0;
    std::string failure = Patiently(link, passes, [&] { return ReadWdis(link, wdis); });
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
        {"model code (block 40)", [&] { return ReadModelCode(link, image); }},
        {"block 13", [&] { return ReadBlockBytes(link, 13, b13.data(), kBlock13Bytes); }},
        {"block 12", [&] { return ReadBlockBytes(link, 12, b12.data(), kBlock12Bytes); }},
        {"block 9", [&] { return ReadBlockBytes(link, 9, b9.data(), kBlock9Bytes); }},
    };
    for (const auto& pre : preReads) {
        failure = Patiently(link, passes, pre.read);
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
        if (!WriteWdis(link, 0)) {
            report.stopped = "WDIS 0 could not be written: " + link.FailureText() +
                             "; nothing else was written.";
            return report;
        }
        report.unlocked = true;
    }

    // Every group with WDIS 0, so the controller takes all of them.
    ParameterImage unlocked = image;
    unlocked.advanced.WDIS = 0;
    for (GroupId group : AllGroups()) {
        if (group == GroupId::SystemSetup())
            report.sends.push_back({group, WriteSystemSetupOnto(link, image.systemSetup, b12, b9)});
        else
            report.sends.push_back({group, SendGroup(link, unlocked, group)});
    }
    if (report.NotWritten().empty()) {
        report.wdisWritten = WriteWdis(link, report.wdis);
        report.wdisFailed = !report.wdisWritten;
    }

    // Read back what was sent, over a copy so a failed read cannot pass as equal.
    ParameterImage back = image;
    back.advanced.WDIS = report.wdisWritten ? report.wdis : 0;
    report.readBack = ReadPositions(link, back, ReadBackPositions());
    const int reads = report.readBack.calls;
    for (int pass = 0; pass < passes && !report.readBack.failed.empty(); ++pass)
        report.readBack = RetryFailedReads(link, back, report.readBack);
    report.readBack.calls = reads;
    if (report.readBack.failed.empty()) {
        ParameterImage expected = image;
        expected.advanced.WDIS = report.wdisWritten ? report.wdis : 0;
        report.differs = DifferingGroups(expected, back);
    }
    return report;
}
