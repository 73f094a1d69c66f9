#include "history/sql_history_rows.h"

#include <algorithm>

const char kSnapshotColumnList[] =
    "s.id, s.controller_id, s.recorded_controller_id, s.taken, o.os_user, o.host, o.program,"
    " s.what, s.groups, s.sent_group, s.verified, s.detail, s.note, s.hash, s.uid, s.arrival";

const char kEventColumnList[] = "e.id, e.kind, e.snapshot_id, e.controller_id, e.other_id, e.text,"
                                " e.taken, o.os_user, o.host, o.program";

Digest DigestOfBlob(const std::vector<uint8_t>& blob) {
    Digest d{};
    if (blob.size() == d.size())
        std::copy(blob.begin(), blob.end(), d.begin());
    return d;
}

SnapshotEntry SnapshotOfRow(const SqlRow& r) {
    SnapshotEntry s;
    s.id = r.Int(0);
    s.controllerId = r.Int(1);
    s.recordedControllerId = r.Int(2);
    s.takenUtc = UtcText(r.Int(3));
    s.user = r.Text(4);
    s.host = r.Text(5);
    s.program = r.Text(6);
    s.keyword = r.Text(7);
    s.event = EventOfKeyword(s.keyword);
    s.groups = static_cast<GroupMask>(r.Int(8));
    if (!r.IsNull(9) && r.Int(9) >= 0 && r.Int(9) < kGroupCount)
        s.sent = GroupId::FromIndex(static_cast<int>(r.Int(9)));
    s.verified = r.Int(10) != 0;
    s.detail = r.Text(11);
    s.note = r.Text(12);
    if (r.Blob(13).size() == 32)
        s.hash = HexOf(DigestOfBlob(r.Blob(13)));
    s.uid = r.Text(14);
    s.arrival = r.Text(15);
    return s;
}

std::optional<HistoryEvent> EventOfRow(const SqlRow& r) {
    const std::optional<HistoryEventKind> kind = HistoryEventKindOf(r.Text(1));
    if (!kind)
        return std::nullopt;
    HistoryEvent e;
    e.id = r.Int(0);
    e.kind = *kind;
    e.snapshotId = r.Int(2);
    e.controllerId = r.Int(3);
    e.otherId = r.Int(4);
    e.text = r.Text(5);
    e.takenUtc = UtcText(r.Int(6));
    e.user = r.Text(7);
    e.host = r.Text(8);
    e.program = r.Text(9);
    return e;
}
