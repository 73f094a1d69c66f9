#include "history/recording_policy.h"

#include <algorithm>

namespace {

bool SameLine(const ControllerIdentity& a, const ControllerIdentity& b) {
    return a.port == b.port && a.unit == b.unit;
}

NewSnapshot Snapshot(const ControllerIdentity& controller, SnapshotEvent event, GroupMask groups,
                     std::string detail = {}) {
    NewSnapshot s;
    s.controller = controller;
    s.event = event;
    s.groups = groups;
    s.detail = std::move(detail);
    return s;
}

bool Among(const std::vector<GroupId>& groups, GroupId g) {
    return std::find(groups.begin(), groups.end(), g) != groups.end();
}

} // namespace

ControllerIdentity RecordingPolicy::WithModelCode(ControllerIdentity controller) const {
    if (controller.modelCode.empty() && SameLine(controller, m_believedOf))
        controller.modelCode = m_believedOf.modelCode;
    return controller;
}

ParameterImage RecordingPolicy::Believed(const ControllerIdentity& controller,
                                         const ParameterImage& loader,
                                         const std::vector<GroupId>& groups) {
    // Another controller than the one read: the loader's set is the best there is.
    if (!m_believed || !SameLine(controller, m_believedOf))
        m_believed = loader;
    for (GroupId g : groups)
        CopyGroup(loader, *m_believed, g);
    m_believedOf = controller;
    return *m_believed;
}

NewSnapshot RecordingPolicy::WholeRead(const ControllerIdentity& controller, SnapshotEvent event,
                                       const ParameterImage& set, GroupMask groups,
                                       std::string detail) {
    NewSnapshot s = Snapshot(controller, event, groups, std::move(detail));
    s.set = set;
    m_believed = set;
    m_believedOf = m_setOf = controller;
    return s;
}

void RecordingPolicy::IncompleteRead() {
    m_believed.reset();
}

void RecordingPolicy::GroupRead(const ControllerIdentity& controller, const ParameterImage& loader,
                                GroupId group) {
    if (m_believed && SameLine(controller, m_believedOf))
        CopyGroup(loader, *m_believed, group);
}

void RecordingPolicy::EditorSent(GroupId group, bool verified) {
    m_sending.push_back(group);
    m_sendVerified = m_sendVerified && verified;
}

std::optional<NewSnapshot> RecordingPolicy::FlushSends(const ControllerIdentity& controller,
                                                       const ParameterImage& loader) {
    if (m_sending.empty())
        return std::nullopt;
    const std::vector<GroupId> sent = std::move(m_sending);
    m_sending.clear();
    NewSnapshot s = Snapshot(controller, SnapshotEvent::EditorSend, MaskOf(sent));
    s.verified = m_sendVerified;
    m_sendVerified = true;
    // The group the operator sent is the one whose values changed (or the only one sent).
    std::vector<GroupId> changed;
    const bool known = m_believed && SameLine(controller, m_believedOf);
    for (GroupId g : sent)
        if (known && !SameGroup(*m_believed, loader, g))
            changed.push_back(g);
    if (changed.size() == 1 || sent.size() == 1)
        s.sent = changed.size() == 1 ? changed.front() : sent.front();
    return SentSnapshot(std::move(s), loader, sent);
}

std::optional<NewSnapshot> RecordingPolicy::Sent(const ControllerIdentity& controller,
                                                 SnapshotEvent event, const ParameterImage& loader,
                                                 const std::vector<GroupId>& groups) {
    if (groups.empty())
        return std::nullopt;
    return SentSnapshot(Snapshot(controller, event, MaskOf(groups)), loader, groups);
}

NewSnapshot RecordingPolicy::SentSnapshot(NewSnapshot s, const ParameterImage& loader,
                                          const std::vector<GroupId>& groups) {
    if (m_believed) {
        s.set = Believed(s.controller, loader, groups);
    } else {
        // The controller was never read whole: what went in is known, the rest of its set
        // is not. The write is recorded all the same, with the loader's values beside it.
        s.set = loader;
        s.detail = "(no whole read before it: only the groups sent are the controller's)";
    }
    m_setOf = s.controller;
    return s;
}

NewSnapshot RecordingPolicy::KeptBefore(const ControllerIdentity& controller, SnapshotEvent event,
                                        const ParameterImage& own, std::string keptPath) {
    NewSnapshot s = Snapshot(controller, event, kEveryGroup, std::move(keptPath));
    s.set = own;
    m_believed = own;
    m_believedOf = controller;
    return s;
}

NewSnapshot RecordingPolicy::Restored(const ControllerIdentity& controller, SnapshotEvent event,
                                      const ParameterImage& sent,
                                      const std::vector<GroupId>& written, std::string detail) {
    NewSnapshot s = Snapshot(controller, event, MaskOf(written), std::move(detail));
    const bool kept = m_believed && SameLine(controller, m_believedOf);
    s.set = sent;
    for (GroupId g : AllGroups())
        if (!Among(written, g) && kept)
            CopyGroup(*m_believed, s.set, g);
    m_believed = s.set;
    m_believedOf = m_setOf = controller;
    return s;
}

NewSnapshot RecordingPolicy::FileWritten(const ParameterImage& set, bool unsentEdits,
                                         std::string path) {
    // A set with unsent edits is not what the controller holds: the file stands alone.
    NewSnapshot s = Snapshot(unsentEdits ? ControllerIdentity{} : m_setOf, SnapshotEvent::FileWrite,
                             kEveryGroup, std::move(path));
    s.set = set;
    return s;
}
