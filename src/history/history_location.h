#pragma once

#include "history/history_store.h"

#include <memory>
#include <string>

// Where the history is, and who and when a snapshot is taken by.

// The history file's name in the user's data folder.
constexpr const char* kHistoryFileName = "history.sqlite";

// `option` (tqxctl --history PATH) when given, else TQX_HISTORY when set, else `shared`
// (the loader's setting of a shared history) when given, else the history file in
// `dataFolder`, the user's data folder as the program finds it.
std::string HistoryPath(const std::string& option, const std::string& dataFolder,
                        const std::string& shared = "");

// The store at `where` (a file path): for recording, made when missing; else it must
// exist. Null, with `why`, when it cannot be opened at all.
std::unique_ptr<HistoryStore> OpenHistoryStore(const std::string& where, bool record,
                                               std::string& why);

// The operating-system user and the host name; "unknown" where the system says nothing.
std::string OsUser();
std::string HostName();
// Now in UTC, to the millisecond: "2026-05-03T09:12:07.123Z".
std::string UtcNow();
