#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The history: every parameter set the loader and tqxctl saw a controller hold, when, who
// was at the keyboard and what happened. The store is reached only through this interface,
// so that a shared server database can take the local file's place.

// The controller a snapshot is of, as far as it is known: port 1 as it was used, the
// Modbus unit asked, and the model code ("" when it was not read).
struct ControllerIdentity {
    std::string port;
    int unit = 0;
    std::string modelCode;
};

// What happened when a snapshot was taken.
enum class SnapshotEvent : uint8_t {
    Connect,
    Retry,             // a Retry failed reads that completed a Connect
    EditorSend,        // an editor's SEND of one group
    SendAll,           // the loader's Send all to controller
    KeptBeforeSendAll, // what the controller held just before
    SendEdited,        // the loader's Send edited groups
    FileWrite,
    Backup,    // tqxctl backup
    BackupAll, // tqxctl backup --all
    Restore,   // tqxctl restore
    KeptBeforeRestore,
};

// The word the store keeps for an event ("connect", "editor-send"), and back.
const char* EventKeyword(SnapshotEvent event);
std::optional<SnapshotEvent> EventOfKeyword(const std::string& keyword);

// A set of groups, bit GroupId::Index() for each.
using GroupMask = uint32_t;
constexpr GroupMask kEveryGroup = (1u << kGroupCount) - 1;
GroupMask MaskOf(const std::vector<GroupId>& groups);
std::vector<GroupId> GroupsOf(GroupMask mask);
// "all", "none", "pid 2", "system, pattern 3": the groups as tqxctl names them.
std::string GroupsText(GroupMask mask);

struct NewSnapshot {
    ControllerIdentity controller;
    SnapshotEvent event = SnapshotEvent::Connect;
    GroupMask groups = 0;        // the groups it touched
    std::optional<GroupId> sent; // an editor SEND: its group
    bool verified = false;       // that SEND read back equal
    std::string detail;          // a file written or sent, where a copy was kept
    std::string program;         // "tqxloader 1.6"
    ParameterImage set;
    // Filled in when empty: the time (UTC), the operating-system user and the host.
    std::string takenUtc;
    std::string user;
    std::string host;
};

struct SnapshotEntry {
    int64_t id = 0;
    int64_t controllerId = 0;
    int64_t contentId = 0; // equal for identical sets
    std::string takenUtc;  // "2026-05-03T09:12:07.123Z"
    std::string user;
    std::string host;
    std::string program;
    std::string keyword; // as stored; `event` is empty for one a newer version wrote
    std::optional<SnapshotEvent> event;
    GroupMask groups = 0;
    std::optional<GroupId> sent;
    bool verified = false;
    std::string detail;
    std::string note;
};

// "Connect", "SEND PID group 2, verified", "File Write /data/oven3.slk".
std::string WhatText(const SnapshotEntry& snapshot);
// "2026-05-03 09:12:07" from the stored time.
std::string ShortTime(const std::string& takenUtc);

struct ControllerEntry {
    int64_t id = 0;
    ControllerIdentity identity;
    std::string label; // the user's name for it ("Furnace 3"), may be empty
    std::string lastSeenUtc;
    int64_t snapshots = 0;
};

// The label, else "unit 1, PXT4TEY1T-00121 on tcp:127.0.0.1:1502"; a set written to a
// file with no controller known is "no controller".
std::string ControllerName(const ControllerEntry& controller);

// A label or a note is at most this many characters, so that every list and export of the
// history stays of a sane size.
constexpr long kMaxAnnotationCharacters = 1000;
// Why `text` may not be a label or note ("A label holds at most 1000 characters; ..."), or
// "" when it may; `what` is "A label" or "A note".
std::string AnnotationRefusal(const std::string& text, const char* what);

// Every operation returns "" when it went through, else why not, for a person to read.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // Why this store takes no new snapshot, notes or labels; "" when it does.
    virtual std::string ReadOnlyReason() const = 0;

    virtual std::string Record(const NewSnapshot& snapshot, int64_t* id = nullptr) = 0;
    // Most recently seen first.
    virtual std::string Controllers(std::vector<ControllerEntry>& out) = 0;
    // One controller's snapshots, or every one for `controllerId` 0; newest first.
    virtual std::string Snapshots(int64_t controllerId, std::vector<SnapshotEntry>& out) = 0;
    virtual std::string Snapshot(int64_t id, SnapshotEntry& out) = 0;
    // The snapshot of the same controller before `id`; empty for its first.
    virtual std::string Previous(int64_t id, std::optional<SnapshotEntry>& out) = 0;
    // The whole set of a snapshot; the connected flag of `image` is left as it is.
    virtual std::string LoadSet(int64_t id, ParameterImage& image) = 0;
    virtual std::string SetNote(int64_t id, const std::string& note) = 0;
    virtual std::string SetLabel(int64_t controllerId, const std::string& label) = 0;
};
