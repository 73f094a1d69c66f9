#pragma once

#include "history/history_time.h"
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
// Modbus unit asked, and the model code ("" when it was not read). The store keys a
// controller by the port's stable name (history/port_key.h), the unit and the model code,
// so that a cable moved to another port name of the same adapter keeps one timeline.
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
    // A snapshot brought to a shared history after it was recorded elsewhere: its key
    // there (a second sending finds it and stores nothing) and where and when it was taken.
    std::string uid;
    std::string arrival;
    ParameterImage set;
    // Filled in when empty: the time (UTC), the operating-system user and the host.
    std::string takenUtc;
    std::string user;
    std::string host;
};

struct SnapshotEntry {
    int64_t id = 0;
    int64_t controllerId = 0; // the controller it belongs to now (a join or move changes it)
    int64_t recordedControllerId = 0; // the controller it was recorded for
    std::string takenUtc;             // "2026-05-03T09:12:07.123Z"
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
    std::string hash;    // its link in the chain, as 64 hexadecimal digits ("" before the chain)
    std::string uid;     // as NewSnapshot's
    std::string arrival; // "recorded on laptop-3 while history.plant was out of reach"
};

// Which snapshots to list: newest first unless `oldestFirst`.
struct SnapshotQuery {
    int64_t controllerId = 0; // 0: every controller
    int64_t beforeId = 0; // only ids below it (newest first) or above it (oldest first); 0: none
    std::string sinceUtc; // taken at or after this stored time ("2026-05-03T00:00:00.000Z")
    std::string untilUtc; // taken before this stored time
    int64_t limit = 0;    // at most this many; 0: every one
    bool oldestFirst = false;
};

// What was done to the history itself, besides recording snapshots; each is a link of the
// chain as a snapshot is.
enum class HistoryEventKind : uint8_t {
    Note,    // a snapshot's note set: `snapshotId`, `text`
    Label,   // a controller's label set: `controllerId`, `text`
    Join,    // `controllerId` joined into `otherId`, every snapshot with it
    Move,    // `snapshotId` moved from `otherId` to `controllerId`
    Upgrade, // the chain began: the snapshots before it were linked as they were then
};
const char* HistoryEventKeyword(HistoryEventKind kind);
std::optional<HistoryEventKind> HistoryEventKindOf(const std::string& keyword);

struct HistoryEvent {
    int64_t id = 0;
    HistoryEventKind kind = HistoryEventKind::Note;
    int64_t snapshotId = 0;
    int64_t controllerId = 0;
    int64_t otherId = 0;
    std::string text;
    std::string takenUtc;
    std::string user;
    std::string host;
    std::string program;
};

// What `Verify` found.
struct ChainReport {
    bool whole = false;
    int64_t snapshots = 0; // links checked
    int64_t events = 0;
    std::string upgradedUtc;      // when a history from before the chain was linked; "" if never
    int64_t linkedAtUpgrade = 0;  // how many snapshots that covered
    std::string lastHash;         // 64 hexadecimal digits: keep a copy elsewhere
    int64_t firstBadSnapshot = 0; // the first snapshot in the chain found wrong; 0 when none
    std::string problem;          // "snapshot 57 was changed after it was recorded"
    std::vector<std::string> problems; // every one found, in chain order
    // Where a snapshot recorded elsewhere joined the chain when it arrived.
    std::vector<std::string> arrivals;
};

// "Connect", "SEND PID group 2, verified", "File Write /data/oven3.slk".
std::string WhatText(const SnapshotEntry& snapshot);

struct ControllerEntry {
    int64_t id = 0;
    ControllerIdentity identity; // the port last used
    std::string portKey;         // the port's stable name, part of the key
    std::string label;           // the user's name for it ("Furnace 3"), may be empty
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
    // What the last recording that went through has to tell beyond that ("History kept
    // locally: ..."), or "".
    virtual std::string Notice() const { return ""; }
    // Most recently seen first; a controller joined into another is not listed.
    virtual std::string Controllers(std::vector<ControllerEntry>& out) = 0;
    // The snapshots `query` asks for, through the indexes: only those are read.
    virtual std::string Snapshots(const SnapshotQuery& query, std::vector<SnapshotEntry>& out) = 0;
    // One controller's snapshots, or every one for `controllerId` 0; newest first.
    std::string Snapshots(int64_t controllerId, std::vector<SnapshotEntry>& out) {
        SnapshotQuery query;
        query.controllerId = controllerId;
        return Snapshots(query, out);
    }
    virtual std::string Snapshot(int64_t id, SnapshotEntry& out) = 0;
    // The snapshot of the same controller before `id`; empty for its first.
    virtual std::string Previous(int64_t id, std::optional<SnapshotEntry>& out) = 0;
    // The whole set of a snapshot; the connected flag of `image` is left as it is.
    virtual std::string LoadSet(int64_t id, ParameterImage& image) = 0;
    virtual std::string SetNote(int64_t id, const std::string& note) = 0;
    virtual std::string SetLabel(int64_t controllerId, const std::string& label) = 0;
    // `from` is the same controller as `into`: its snapshots, and every later recording
    // under its key, belong to `into`. Recorded in the chain.
    virtual std::string JoinControllers(int64_t from, int64_t into) = 0;
    // The snapshot belongs to another controller. Recorded in the chain.
    virtual std::string MoveSnapshot(int64_t snapshotId, int64_t controllerId) = 0;
    // Notes, labels, joins and moves, oldest first.
    virtual std::string Events(std::vector<HistoryEvent>& out) = 0;
    // Checks every link of the chain; "" when it could be read (whole or not: see `report`).
    virtual std::string Verify(ChainReport& report) = 0;
};
