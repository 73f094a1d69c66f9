#include "transfers/send_all.h"

#include "image/parameter_catalogue.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_transfers.h"

#include <algorithm>

std::string ProbeSendAllTarget(TransferContext& link, SendAllTarget& target) {
    link.BeginCommand();
    uint8_t wdis = 0;
    if (!ReadWdis(link, wdis))
        return "WDIS (block 10) could not be read.\n" + link.FailureText();
    ParameterImage code;
    SetStartValues(code);
    if (!ReadModelCode(link, code))
        return "The model code (block 40) could not be read.\n" + link.FailureText();
    target.locked = wdis != 0;
    target.modelCode = FourteenCharacters(code.modelCode.data());
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

std::string SendAllResultText(const RestoreReport& report, const std::string& cause,
                              const std::string& keptPath) {
    std::string text;
    if (!report.stopped.empty())
        text = "Send all stopped: " + report.stopped;
    else if (report.Ok())
        text = "Send all: every group was sent and verified.";
    else if (report.cancelled)
        text = "Send all stopped by the operator.";
    else
        text = "Send all: NOT every group went in as sent.";
    if (!keptPath.empty())
        text += "\nThe controller's own values were kept in " + keptPath + ".";
    if (!report.stopped.empty())
        return text;
    text += "\n";
    for (const std::string& line : RestoreReportLines(report, cause))
        text += "\n" + line;
    return text;
}
