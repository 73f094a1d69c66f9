#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"
#include "transfers/pattern_transfers.h"
#include "transfers/transfer_context.h"
#include "transfers/transfer_result.h"

#include <string>
#include <vector>

// One group of a whole-set SEND and what came of it.
struct GroupSend {
    GroupId group;
    TransferResult result;
};

// Sends one group as its editor's SEND does its part: system setup blocks 12 and 9,
// advanced blocks 10 and 13, a PID group's own block, a pattern's seven writes.
TransferResult SendGroup(TransferContext& link, const ParameterImage& image, GroupId group,
                         WritePolicy writes = WritePolicy::All);

// Sends every group in the summary's order (system setup first, then advanced: its WDIS
// decides whether the controller takes the rest); every group is attempted.
std::vector<GroupSend> SendWholeImage(TransferContext& link, const ParameterImage& image);
