#include "image/group_id.h"

#include "image/parameter_image.h"

std::array<GroupId, kGroupCount> AllGroups() {
    std::array<GroupId, kGroupCount> groups;
    for (int i = 0; i < kGroupCount; ++i)
        groups[static_cast<size_t>(i)] = GroupId::FromIndex(i);
    return groups;
}

std::string GroupTitle(GroupId group) {
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return "Setting up (SYSTEM PARAMETER)";
    case GroupId::Kind::Advanced:
        return "Advanced usage (EXPERT PARAMETER)";
    case GroupId::Kind::PidGroup:
        return "PID group " + std::to_string(group.number());
    case GroupId::Kind::Pattern:
        return "Program pattern " + std::to_string(group.number());
    }
    return {};
}

std::string GroupCommandName(GroupId group) {
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return "system";
    case GroupId::Kind::Advanced:
        return "advanced";
    case GroupId::Kind::PidGroup:
        return "pid " + std::to_string(group.number());
    case GroupId::Kind::Pattern:
        return "pattern " + std::to_string(group.number());
    }
    return {};
}

std::optional<GroupId> GroupOfCommandName(const std::string& name) {
    for (GroupId group : AllGroups())
        if (GroupCommandName(group) == name)
            return group;
    return std::nullopt;
}

bool SameGroup(const ParameterImage& a, const ParameterImage& b, GroupId group) {
    const auto i = static_cast<size_t>(group.number() - 1);
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        return a.systemSetup == b.systemSetup;
    case GroupId::Kind::Advanced:
        return a.advanced == b.advanced;
    case GroupId::Kind::PidGroup:
        return a.pid[i] == b.pid[i];
    case GroupId::Kind::Pattern:
        return a.pattern[i] == b.pattern[i];
    }
    return true;
}

void CopyGroup(const ParameterImage& from, ParameterImage& to, GroupId group) {
    const auto i = static_cast<size_t>(group.number() - 1);
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        to.systemSetup = from.systemSetup;
        return;
    case GroupId::Kind::Advanced:
        to.advanced = from.advanced;
        return;
    case GroupId::Kind::PidGroup:
        to.pid[i] = from.pid[i];
        return;
    case GroupId::Kind::Pattern:
        to.pattern[i] = from.pattern[i];
        return;
    }
}
