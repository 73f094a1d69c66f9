#include "transfers/restore_procedure.h"

#include <algorithm>

#include "image/group_layouts.h"
#include "image/parameter_catalogue.h"
#include "transfers/group_transfers.h"

#include <chrono>

namespace {

// Tries `read` up to 1 + passes times; the link's reason for the last failure, or empty.
std::string Patiently(TransferContext& link, int passes, const std::function<bool()>& read) {
    for (int i = 0; i <= passes; ++i) {
        // A controller the link holds silent is waited for before the next try.
        if (i > 0 && !link.WaitOutSilence())
            break;
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

namespace {

const GroupSend* SendOf(const std::vector<GroupSend>& sends, GroupId group) {
    for (const GroupSend& send : sends)
        if (send.group == group)
            return &send;
    return nullptr;
}

} // namespace

bool FollowableStation(int stn) {
    return stn >= 1 && stn <= kMaxStation;
}

std::string StationRefusal(int stn, const std::string& where) {
    return "STN " + std::to_string(stn) + where + " is not a station port 1 can follow (1 to " +
           std::to_string(kMaxStation) + (stn == 0 ? "; 0 is the broadcast address" : "") +
           "): the controller would answer nobody on the line and could be reached again "
           "only at its front panel; nothing was written.";
}

std::vector<GroupId> RestoreReport::Written() const {
    std::vector<GroupId> groups;
    for (const GroupSend& send : sends)
        if (send.result.failed.empty())
            groups.push_back(send.group);
    return groups;
}

std::vector<GroupId> RestoreReport::PartlyWritten() const {
    std::vector<GroupId> groups;
    for (const GroupSend& send : sends)
        if (send.result.PartlyWritten())
            groups.push_back(send.group);
    return groups;
}

std::vector<GroupId> RestoreReport::NotWritten() const {
    std::vector<GroupId> groups;
    for (GroupId group : AllGroups()) {
        const GroupSend* send = SendOf(sends, group);
        if (!send || (!send->result.failed.empty() && !send->result.PartlyWritten()))
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
        report.stopped = "the controller is write-inhibited (WDIS 1); nothing was written.";
        return report;
    }

    if (options.keepTarget) {
        ParameterImage target;
        SetStartValues(target);
        const TransferResult read = ReadWholeController(link, target, passes);
        if (read.outcome == TransferOutcome::Cancelled) {
            report.cancelled = true;
            report.stopped = "stopped by the operator while the controller's own values were "
                             "read; nothing was written.";
            return report;
        }
        if (!read.failed.empty()) {
            report.stopped = "the controller's own values could not be read to keep them (" +
                             read.failed.front().what + ": " +
                             (read.causes.empty() ? "no answer" : read.causes.back()) +
                             "); nothing was written.";
            return report;
        }
        const std::string notKept = options.keepTarget(target);
        if (!notKept.empty()) {
            report.stopped = notKept + "; nothing was written.";
            return report;
        }
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
    if (!FollowableStation(image.systemSetup.STN)) {
        report.stopped = StationRefusal(image.systemSetup.STN, "");
        return report;
    }
    if (options.keepInhibit && report.wasLocked && image.advanced.WDIS == 0) {
        image.advanced.WDIS = wdis; // what goes last, and what the controller ends with
        report.inhibitKept = true;
    }
    report.wdis = image.advanced.WDIS;

    if (report.wasLocked) {
        if (!WriteWdis(link, 0)) {
            report.stopped = "WDIS 0 could not be written: " + link.FailureText() +
                             "; nothing else was written.";
            return report;
        }
        report.unlocked = true;
        if (options.unlockedChanged)
            options.unlockedChanged(true);
    }

    // Every group with WDIS 0, so the controller takes all of them; each stops at its
    // first refused write.
    ParameterImage unlocked = image;
    unlocked.advanced.WDIS = 0;
    constexpr WritePolicy stop = WritePolicy::StopAtFirstFailure;
    const auto groups = AllGroups();
    for (GroupId group : groups) {
        if (link.Cancelled())
            break;
        // Each group's steps count its own calls; the prefix says how far the whole set is.
        link.SetStepPrefix("Group " + std::to_string(group.Index() + 1) + " of " +
                           std::to_string(groups.size()) + ": ");
        if (group == GroupId::SystemSetup())
            report.sends.push_back(
                {group, WriteSystemSetupOnto(link, image.systemSetup, {b12, b9, {}, {}}, stop,
                                             &report.station)});
        else
            report.sends.push_back({group, SendGroup(link, unlocked, group, stop)});
    }
    link.SetStepPrefix("");
    report.wdisAfter = report.unlocked ? 0 : wdis;
    report.cancelled = link.Cancelled();
    // Stopped by the operator, or not the whole file went in, on a controller unlocked
    // first: it is locked again as it was (after a stop, one call more).
    const bool relock = report.unlocked && (report.cancelled || !report.AllWritten());
    if (report.cancelled && !relock)
        return report; // nothing more goes on the line
    if (relock) {
        if (report.cancelled)
            link.BeginOperation();
        report.relocked = WriteWdis(link, wdis);
        report.relockFailed = !report.relocked;
        if (report.relocked)
            report.wdisAfter = wdis;
        if (report.cancelled)
            link.RequestCancel();
    } else if (report.AllWritten()) {
        report.wdisWritten = WriteWdis(link, report.wdis);
        report.wdisFailed = !report.wdisWritten;
        if (report.wdisWritten)
            report.wdisAfter = report.wdis;
    }
    if (options.unlockedChanged && (report.relocked || report.wdisWritten))
        options.unlockedChanged(false);
    if (report.cancelled)
        return report;

    // Read back what was sent, over a copy so a failed read cannot pass as equal.
    ParameterImage back = image;
    back.advanced.WDIS = report.wdisAfter;
    link.SetStepPrefix("Read-back: ");
    report.readBack = ReadPositions(link, back, ReadBackPositions());
    const int reads = report.readBack.calls;
    for (int pass = 0; pass < passes && !report.readBack.failed.empty(); ++pass)
        report.readBack = RetryFailedReads(link, back, report.readBack);
    report.readBack.calls = reads;
    link.SetStepPrefix("");
    // Every group read back is compared, even when another group's read failed.
    ParameterImage expected = image;
    expected.advanced.WDIS = report.wdisAfter;
    const std::vector<GroupId> unread = GroupsOfFailedReads(report.readBack);
    for (GroupId group : DifferingGroups(expected, back))
        if (std::find(unread.begin(), unread.end(), group) == unread.end())
            report.differs.push_back(group);
    return report;
}

namespace {

std::string Line(const std::string& what, const std::string& said) {
    return what + std::string(what.size() < 18 ? 18 - what.size() : 1, ' ') + " " + said;
}

// "blocks 30, 31", and "perhaps block 31" for a write that got no answer.
std::string Blocks(const TransferResult& result) {
    std::string text;
    const auto list = [&](const std::vector<int32_t>& blocks, const char* before) {
        if (blocks.empty())
            return;
        text += (text.empty() ? "" : ", ") + std::string(before) +
                (blocks.size() == 1 ? "block " : "blocks ");
        for (size_t i = 0; i < blocks.size(); ++i)
            text += (i ? ", " : "") + std::to_string(blocks[i]);
    };
    list(result.written, "");
    std::vector<int32_t> perhaps;
    for (int32_t block : result.uncertain)
        if (std::find(result.written.begin(), result.written.end(), block) == result.written.end())
            perhaps.push_back(block);
    list(perhaps, "perhaps ");
    return text;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

std::string FailureList(const TransferResult& result) {
    return Joined(result.What());
}

} // namespace

std::vector<std::string> RestoreReportLines(const RestoreReport& r, const std::string& cause,
                                            const std::string& values) {
    std::vector<std::string> lines;
    if (r.unlocked)
        lines.push_back(Line("WDIS 0", "written first (the controller was write-inhibited)"));
    for (const GroupSend& send : r.sends) {
        const std::string name = GroupCommandName(send.group);
        if (send.result.failed.empty())
            lines.push_back(Line(name, "sent"));
        else if (send.result.PartlyWritten())
            lines.push_back(Line(name, "PARTLY WRITTEN (" + Blocks(send.result) + "; " +
                                           FailureList(send.result) + ")"));
        else
            lines.push_back(Line(name, "FAILED (" + FailureList(send.result) + ")"));
        if (send.group == GroupId::SystemSetup() && r.station.changed)
            lines.push_back(Line("station", StationChangeMessage(r.station)));
    }
    const std::string wdis = "WDIS " + std::to_string(r.wdis);
    if (r.cancelled && r.relocked)
        lines.push_back(Line("WDIS 1", "written back (stopped by the operator): the controller "
                                       "is write-inhibited again, as it was"));
    else if (r.cancelled && r.unlocked)
        lines.push_back(Line("WDIS 1", "could not be written back (stopped by the operator): the "
                                       "controller is left write-enabled (" +
                                           cause + ")"));
    else if (r.cancelled)
        lines.push_back(Line(wdis, "not written (stopped by the operator)"));
    else if (r.wdisWritten && r.inhibitKept)
        lines.push_back(Line(wdis, "written last: the controller's write inhibit was kept (the "
                                   "set says WDIS 0)"));
    else if (r.wdisWritten)
        lines.push_back(Line(wdis, "written last"));
    else if (r.wdisFailed)
        lines.push_back(Line(wdis, "FAILED (" + cause + ")"));
    else if (r.relocked)
        lines.push_back(Line("WDIS 1", "written back (a group failed): the controller is "
                                       "write-inhibited again, as it was"));
    else if (r.relockFailed)
        lines.push_back(Line("WDIS 1", "could not be written back: the controller is left "
                                       "write-enabled (" +
                                           cause + ")"));
    else
        lines.push_back(
            Line(wdis, "not written (a group failed); the controller is write-enabled"));
    if (!r.AllWritten() || r.cancelled) {
        std::vector<std::string> written, partly, not_;
        for (GroupId g : r.Written())
            written.push_back(GroupCommandName(g));
        for (GroupId g : r.PartlyWritten())
            partly.push_back(GroupCommandName(g) + " (" + Blocks(SendOf(r.sends, g)->result) + ")");
        for (GroupId g : r.NotWritten())
            not_.push_back(GroupCommandName(g));
        lines.push_back(Line("written:", Joined(written)));
        lines.push_back(Line("partly written:", Joined(partly)));
        lines.push_back(Line("not written:", Joined(not_)));
        if (!cause.empty())
            lines.push_back(Line("", cause));
    }
    if (r.cancelled)
        lines.push_back(Line("verify", "not done (stopped by the operator)"));
    else if (!r.readBack.failed.empty())
        lines.push_back(Line("verify", "FAILED (read back incomplete)"));
    else if (r.differs.empty())
        lines.push_back(Line("verify", "ok, the controller holds " + values));
    else
        for (GroupId group : r.differs)
            lines.push_back(Line("verify", "FAILED: " + GroupCommandName(group) + " differs"));
    return lines;
}
