#pragma once

#include "history/history_store.h"
#include "history/sha256.h"
#include "history/sql_session.h"

#include <optional>
#include <string>
#include <vector>

// How the store's rows read back, written once for its lists and for Verify.

// A snapshot's columns in the order SnapshotOfRow reads them, `s` the snapshots and `o`
// the origins.
extern const char kSnapshotColumnList[];
SnapshotEntry SnapshotOfRow(const SqlRow& row);

// An event's columns in the order EventOfRow reads them, `e` the events and `o` the origins.
extern const char kEventColumnList[];
// Empty for a kind this version does not know.
std::optional<HistoryEvent> EventOfRow(const SqlRow& row);

// A stored hash; all zeros when it is no hash.
Digest DigestOfBlob(const std::vector<uint8_t>& blob);
