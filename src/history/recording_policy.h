#pragma once

#include "history/history_store.h"
#include "image/group_id.h"
#include "image/parameter_image.h"

#include <optional>
#include <string>
#include <vector>

// When the history takes a snapshot, and what the snapshot holds: the one policy of the
// loader and of tqxctl. It keeps what is believed of the controller on the line last read
// or written (the last whole read, with every group sent or read since), so that a
// snapshot after a SEND holds the controller's values and never another group's unsent
// edit. Each step returns the snapshot to record, if any; recording it is the caller's.
class RecordingPolicy {
public:
    // A whole read of `controller`: a Connect, the Retry that completed one, a backup.
    // `groups`: the groups read.
    NewSnapshot WholeRead(const ControllerIdentity& controller, SnapshotEvent event,
                          const ParameterImage& set, GroupMask groups, std::string detail = {});
    // A read that missed a part, or a set holding unsent edits after it: it says nothing of
    // what the controller holds, and what was believed is forgotten.
    void IncompleteRead();
    // Group `group` read again from `controller`, as `loader` now holds it.
    void GroupRead(const ControllerIdentity& controller, const ParameterImage& loader,
                   GroupId group);

    // An editor's SEND wrote `group` (`verified`: read back equal). One SEND may write
    // several groups; they make one snapshot, at FlushSends.
    void EditorSent(GroupId group, bool verified);
    // The snapshot of the SEND under way, with the loader's values of the groups sent.
    std::optional<NewSnapshot> FlushSends(const ControllerIdentity& controller,
                                          const ParameterImage& loader);
    // Groups written in one step (Send edited groups), from `loader`.
    std::optional<NewSnapshot> Sent(const ControllerIdentity& controller, SnapshotEvent event,
                                    const ParameterImage& loader,
                                    const std::vector<GroupId>& groups);

    // The controller's own set, kept before a restore writes over it.
    NewSnapshot KeptBefore(const ControllerIdentity& controller, SnapshotEvent event,
                           const ParameterImage& own, std::string keptPath);
    // A restore that wrote `written` of `sent`; a group it did not write is what the kept
    // set says, where one was kept on this line.
    NewSnapshot Restored(const ControllerIdentity& controller, SnapshotEvent event,
                         const ParameterImage& sent, const std::vector<GroupId>& written,
                         std::string detail);

    // The loader's set written to a file; with unsent edits it is nobody's controller.
    NewSnapshot FileWritten(const ParameterImage& set, bool unsentEdits, std::string path);
    // The loader's set now comes from a file, or is a snapshot of `controller` again.
    void FileRead() { m_setOf = ControllerIdentity{}; }
    void Loaded(const ControllerIdentity& controller) { m_setOf = controller; }

    // `controller` with the model code believed of its line where it carries none.
    ControllerIdentity WithModelCode(ControllerIdentity controller) const;
    // Whether a SEND is gathering groups.
    bool Sending() const { return !m_sending.empty(); }

private:
    // The set believed on `controller`, with `groups` taken from `loader`.
    ParameterImage Believed(const ControllerIdentity& controller, const ParameterImage& loader,
                            const std::vector<GroupId>& groups);
    NewSnapshot SentSnapshot(NewSnapshot s, const ParameterImage& loader,
                             const std::vector<GroupId>& groups);

    std::optional<ParameterImage> m_believed;
    ControllerIdentity m_believedOf;
    // The controller the loader's set was last read from, sent to or loaded as; none
    // after a file was read.
    ControllerIdentity m_setOf;
    std::vector<GroupId> m_sending;
    bool m_sendVerified = true;
};
