#include "transfers/send_all.h"

#include "image/parameter_catalogue.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_transfers.h"

#include <algorithm>

std::string ReadSendTarget(TransferContext& link, const std::vector<GroupId>& groups,
                           SendAllTarget& target, int retryPasses) {
    std::vector<int> positions{kModelCodeRead};
    for (size_t i = 0; i < ConnectReadSequence().size(); ++i) {
        const std::optional<GroupId> group = GroupOfRead(static_cast<int>(i));
        if (group && std::find(groups.begin(), groups.end(), *group) != groups.end())
            positions.push_back(static_cast<int>(i));
    }
    if (groups.size() == AllGroups().size())
        positions = WholeReadPositions(); // as a kept copy and the history want it
    SetStartValues(target.held);
    link.BeginCommand();
    TransferResult result = ReadPositions(link, target.held, positions);
    const int reads = result.calls;
    for (int pass = 0;
         pass < retryPasses && !result.failed.empty() &&
         result.outcome != TransferOutcome::Cancelled && !NothingAnswered(link, result);
         ++pass)
        result = RetryFailedReads(link, target.held, result);
    if (result.outcome == TransferOutcome::Cancelled)
        return "stopped by the operator while TQX was read.";
    if (!result.failed.empty()) {
        std::string what;
        for (size_t i = 0; i < result.failed.size() && i < 8; ++i)
            what += (i ? ", " : "") + result.failed[i].what;
        return std::to_string(result.failed.size()) + " of " + std::to_string(reads) +
               " reads failed (" + what + (result.failed.size() > 8 ? ", ..." : "") + ").\n" +
               (result.causes.empty() ? std::string("no answer") : result.causes.back());
    }
    target.modelCode = FourteenCharacters(target.held.modelCode.data());
    target.locked = std::find(groups.begin(), groups.end(), GroupId::Advanced()) != groups.end() &&
                    target.held.advanced.WDIS != 0;
    return "";
}

bool UsesOptionTimeSignals(const ParameterImage& image) {
    for (const ProgramPatternRecord& pattern : image.pattern)
        for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
            for (int k : {5, 6})
                for (uint16_t t : {pattern.Segment(s).TsOn(k), pattern.Segment(s).TsOff(k)})
                    if (t != 0 && t != kTimeNotUsed)
                        return true;
    return false;
}

std::vector<std::string> SendAllWarnings(const ParameterImage& set, const ImageSource& source,
                                         const SendAllTarget& target) {
    std::vector<std::string> lines;
    if (source.modelCodeRead && source.modelCode != target.modelCode)
        lines.push_back("The set was read from model code " + source.modelCode +
                        "; this controller is " + target.modelCode + ".");
    if (UsesOptionTimeSignals(set) && !HasTimeSignalOption(target.modelCode))
        lines.push_back("The set uses time signals 5 or 6; this controller has no time-signal "
                        "option.");
    return lines;
}

std::vector<GroupOutcome> SendAllOutcomes(const RestoreReport& report) {
    const std::vector<GroupId> unread = GroupsOfFailedReads(report.readBack);
    const auto has = [](const std::vector<GroupId>& groups, GroupId g) {
        return std::find(groups.begin(), groups.end(), g) != groups.end();
    };
    std::vector<GroupOutcome> outcomes;
    for (const GroupSend& send : report.sends) {
        TransferOutcome outcome = TransferOutcome::Verified;
        if (!send.result.failed.empty())
            outcome = TransferOutcome::Failed;
        else if (report.cancelled || has(unread, send.group))
            outcome = TransferOutcome::Done; // written, not read back
        else if (has(report.differs, send.group))
            outcome = TransferOutcome::Differs;
        std::string cause = send.result.causes.empty() ? std::string() : send.result.causes.back();
        // The advanced group went in with WDIS 0; the set's WDIS is written last, or not at
        // all when a group failed.
        if (send.group == GroupId::Advanced() && outcome != TransferOutcome::Failed) {
            if (report.wdisFailed) {
                outcome = TransferOutcome::Failed;
                cause = "WDIS " + std::to_string(report.wdis) + " could not be written last";
            } else if (report.wdisAfter != report.wdis) {
                outcome = TransferOutcome::Differs;
                cause = "WDIS was left at " + std::to_string(report.wdisAfter) +
                        ": not every group went in";
            }
        }
        outcomes.push_back({send.group, outcome, cause});
    }
    return outcomes;
}

std::string SendSourceText(const ImageSource& source) {
    std::string text;
    switch (source.kind) {
    case ImageSource::Kind::File:
        text = "file " + source.path;
        break;
    case ImageSource::Kind::Controller:
        text = "controller at port 1" +
               (source.when.empty() ? std::string() : " read at " + source.when) + " (" +
               source.port + ")";
        break;
    case ImageSource::Kind::History:
        text = "history " + source.path;
        break;
    case ImageSource::Kind::StartValues:
        text = "start values";
        break;
    }
    return source.editedSince ? text + ", edited since" : text;
}

std::string WdisChangeText(const RestoreReport& r) {
    const auto state = [](bool inhibited) {
        return std::string(inhibited ? "write-inhibited" : "write-enabled");
    };
    const bool after = r.wdisAfter != 0;
    if (!r.stopped.empty())
        return "";
    if (r.wasLocked == after)
        return r.inhibitKept && r.wdisWritten
                   ? "The controller was write-inhibited and is again: its write inhibit was "
                     "kept, though the set says write-enabled."
                   : "";
    const std::string text =
        "The controller was " + state(r.wasLocked) + "; it is now " + state(after);
    if (r.wdisWritten)
        return text + ", as the set says.";
    if (r.cancelled)
        return text + ": stopped by the operator before WDIS was written back.";
    if (r.wdisFailed)
        return text + ": WDIS " + std::to_string(r.wdis) + " could not be written last.";
    return text + ": WDIS 1 could not be written back.";
}

std::string SendAllResultText(const RestoreReport& report, const std::string& cause,
                              const std::string& keptPath, const ImageSource& source,
                              const SendAllTarget& target) {
    std::string text;
    if (!report.stopped.empty())
        text = "Send all stopped: " + report.stopped;
    else if (report.Ok())
        text = "Send all: every group was sent and verified.";
    else if (report.cancelled)
        text = "Send all stopped by the operator.";
    else
        text = "Send all: NOT every group went in as sent.";
    text += "\nFrom " + SendSourceText(source) + " to TQX at port 1 (" + target.port +
            "), model code " + target.modelCode + ".";
    const std::string wdis = WdisChangeText(report);
    if (!wdis.empty())
        text += "\n" + wdis;
    if (!keptPath.empty())
        text += "\nThe controller's own values were kept in " + keptPath + ".";
    if (!report.stopped.empty())
        return text;
    text += "\n";
    const std::string values = source.IsFile() ? "the file's values" : "the set's values";
    for (const std::string& line : RestoreReportLines(report, cause, values))
        text += "\n" + line;
    return text;
}
