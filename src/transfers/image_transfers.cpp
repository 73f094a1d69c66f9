#include "transfers/image_transfers.h"

#include "operator/messages.h"
#include "transfers/group_transfers.h"

TransferResult SendGroup(TransferContext& link, const ParameterImage& image, GroupId group,
                         WritePolicy writes) {
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return SendSystemSetup(link, image.systemSetup, nullptr, writes);
    case GroupId::Kind::Advanced:
        return SendAdvanced(link, image.advanced, writes);
    case GroupId::Kind::PidGroup:
        link.BeginCommand();
        return SendPidGroup(link, image, group.number());
    case GroupId::Kind::Pattern:
        break;
    }
    // The result names each failed write; nobody is shown a box.
    RecordingMessages unseen;
    return SendPattern(link, image, group.number(), unseen, writes);
}

std::vector<GroupSend> SendWholeImage(TransferContext& link, const ParameterImage& image) {
    std::vector<GroupSend> sent;
    for (GroupId group : AllGroups())
        sent.push_back({group, SendGroup(link, image, group)});
    return sent;
}
