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

// tqxctl history changes [--since DATE] [--csv] (tqxctl_history_changes.cpp).
int HistoryChanges(HistoryStore& store, const std::vector<std::string>& operands);

extern const char kHistoryUsage[];
