#pragma once

#include "history/history_store.h"
#include "image/parameter_image.h"
#include "link/port_settings.h"
#include "tqxctl_commands.h"

#include <string>
#include <vector>

// The history from the command line: tqxctl records a snapshot after backup, backup --all
// and restore, and `tqxctl history` lists, compares, exports and annotates them.

// The controller on `port` as the history knows it; the model code is the set's.
ControllerIdentity ControllerOn(const PortSettings& port, int unit, const ParameterImage& set);

// Records `snapshot`; when the history cannot take it, says so on stderr and goes on.
void RecordInHistory(const TqxctlContext& context, NewSnapshot snapshot);

// The controllers `which` names: #N, a unit, a model code or a label.
std::vector<ControllerEntry> MatchingControllers(const std::vector<ControllerEntry>& all,
                                                 const std::string& which);
// The one controller `which` names; "" or why there is no such one controller.
std::string OneController(HistoryStore& store, const std::string& which, ControllerEntry& out);

// A local date or date and time as a person types it, as a stored UTC time; `endOfDay`: a
// date alone stands for the end of that day. False when it is no such date.
bool LocalDateToUtc(const std::string& date, bool endOfDay, std::string& utc);

// tqxctl history changes [--since DATE] [--csv] (tqxctl_history_changes.cpp).
int HistoryChanges(HistoryStore& store, const std::vector<std::string>& operands);
// tqxctl history verify, join, move and audit (tqxctl_history_audit.cpp).
int HistoryVerify(HistoryStore& store, const std::vector<std::string>& operands);
int HistoryJoin(HistoryStore& store, const std::vector<std::string>& operands);
int HistoryMove(HistoryStore& store, const std::vector<std::string>& operands);
int HistoryAudit(HistoryStore& store, const std::vector<std::string>& operands);

extern const char kHistoryUsage[];
