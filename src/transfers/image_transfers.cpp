#include "transfers/image_transfers.h"

#include "operator/messages.h"
#include "transfers/group_transfers.h"
#include "transfers/pattern_transfers.h"

std::string ImageGroupName(int index) {
    switch (index) {
    case 0:
        return "system setup";
    case 1:
        return "advanced";
    case 2:
        return "PID groups 1-9";
    default:
        return "pattern " + std::to_string(index - 2);
    }
}

GroupSend SendImageGroup(const ParameterImage& image, int index) {
    switch (index) {
    case 0:
        return {ImageGroupName(index), SendSystemSetupBlocks(image.systemSetup)};
    case 1:
        return {ImageGroupName(index), SendAdvancedBlocks(image.advanced)};
    case 2:
        return {ImageGroupName(index), SendPidGroupBlocks(image)};
    default: {
        const int n = index - 2;
        // The pattern writes report each failure as the editor shows it.
        RecordingMessages failures;
        SendPattern(image, n, failures);
        return {ImageGroupName(index), failures.Texts()};
    }
    }
}

std::vector<GroupSend> SendWholeImage(const ParameterImage& image) {
    std::vector<GroupSend> sent;
    for (int index = 0; index < kImageGroups; ++index)
        sent.push_back(SendImageGroup(image, index));
    return sent;
}
