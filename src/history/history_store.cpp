#include "history/history_store.h"

#include "image/shown_text.h"

#include <algorithm>
#include <iterator>

namespace {

struct EventName {
    SnapshotEvent event;
    const char* keyword;
    const char* what;
};

constexpr EventName kEvents[] = {
    {SnapshotEvent::Connect, "connect", "Connect"},
    {SnapshotEvent::Retry, "retry", "Retry failed reads"},
    {SnapshotEvent::EditorSend, "editor-send", "SEND"},
    {SnapshotEvent::SendAll, "send-all", "Send all"},
    {SnapshotEvent::KeptBeforeSendAll, "kept-before-send-all", "kept before Send all"},
    {SnapshotEvent::SendEdited, "send-edited", "Send edited groups"},
    {SnapshotEvent::FileWrite, "file-write", "File Write"},
    {SnapshotEvent::Backup, "backup", "tqxctl backup"},
    {SnapshotEvent::BackupAll, "backup-all", "tqxctl backup --all"},
    {SnapshotEvent::Restore, "restore", "tqxctl restore"},
    {SnapshotEvent::KeptBeforeRestore, "kept-before-restore", "kept before tqxctl restore"},
};

const EventName& NameOf(SnapshotEvent event) {
    return *std::find_if(std::begin(kEvents), std::end(kEvents),
                         [event](const EventName& e) { return e.event == event; });
}

} // namespace

const char* EventKeyword(SnapshotEvent event) {
    return NameOf(event).keyword;
}

std::optional<SnapshotEvent> EventOfKeyword(const std::string& keyword) {
    for (const EventName& e : kEvents)
        if (keyword == e.keyword)
            return e.event;
    return std::nullopt;
}

GroupMask MaskOf(const std::vector<GroupId>& groups) {
    GroupMask mask = 0;
    for (GroupId g : groups)
        mask |= 1u << g.Index();
    return mask;
}

std::vector<GroupId> GroupsOf(GroupMask mask) {
    std::vector<GroupId> groups;
    for (GroupId g : AllGroups())
        if (mask & (1u << g.Index()))
            groups.push_back(g);
    return groups;
}

std::string GroupsText(GroupMask mask) {
    if ((mask & kEveryGroup) == kEveryGroup)
        return "all";
    // Runs of PID groups or patterns as "pid 1-9".
    const std::vector<GroupId> groups = GroupsOf(mask);
    std::string text;
    for (size_t i = 0; i < groups.size(); ++i) {
        size_t last = i;
        while (last + 1 < groups.size() && groups[last + 1].kind() == groups[i].kind() &&
               groups[i].number() > 0 && groups[last + 1].number() == groups[last].number() + 1)
            ++last;
        text += (text.empty() ? "" : ", ") + GroupCommandName(groups[i]);
        if (last > i + 1)
            text += "-" + std::to_string(groups[last].number());
        else
            last = i;
        i = last;
    }
    return text.empty() ? "none" : text;
}

std::string WhatText(const SnapshotEntry& s) {
    if (!s.event)
        return s.keyword;
    std::string text = NameOf(*s.event).what;
    switch (*s.event) {
    case SnapshotEvent::EditorSend:
        if (s.sent)
            text += " " + GroupTitle(*s.sent);
        text += s.verified ? ", verified" : ", not verified";
        return s.detail.empty() ? text : text + " " + s.detail;
    case SnapshotEvent::SendAll:
        return s.detail.empty() ? text : text + " from " + s.detail;
    case SnapshotEvent::KeptBeforeSendAll:
    case SnapshotEvent::KeptBeforeRestore:
        return s.detail.empty() ? text : text + " (" + s.detail + ")";
    default:
        return s.detail.empty() ? text : text + " " + s.detail;
    }
}

std::optional<HistoryEventKind> HistoryEventKindOf(const std::string& keyword) {
    for (HistoryEventKind k :
         {HistoryEventKind::Note, HistoryEventKind::Label, HistoryEventKind::Join,
          HistoryEventKind::Move, HistoryEventKind::Upgrade})
        if (keyword == HistoryEventKeyword(k))
            return k;
    return std::nullopt;
}

const char* HistoryEventKeyword(HistoryEventKind kind) {
    switch (kind) {
    case HistoryEventKind::Note:
        return "note";
    case HistoryEventKind::Label:
        return "label";
    case HistoryEventKind::Join:
        return "join";
    case HistoryEventKind::Move:
        return "move";
    case HistoryEventKind::Upgrade:
        return "upgrade";
    }
    return "?";
}

std::string ControllerName(const ControllerEntry& c) {
    if (!c.label.empty())
        return ShownText(c.label);
    const ControllerIdentity& id = c.identity;
    if (id.port.empty() && id.unit == 0 && id.modelCode.empty())
        return "no controller";
    return "unit " + std::to_string(id.unit) + ", " +
           (id.modelCode.empty() ? std::string("model code not read") : ShownText(id.modelCode));
}

std::string AnnotationRefusal(const std::string& text, const char* what) {
    // Characters, not bytes: every byte but a UTF-8 continuation byte begins one.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    if (characters <= kMaxAnnotationCharacters)
        return "";
    return std::string(what) + " holds at most " + std::to_string(kMaxAnnotationCharacters) +
           " characters; this one has " + std::to_string(characters);
}
