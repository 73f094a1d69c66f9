#pragma once

#include "history/history_store.h"
#include "image/parameter_image.h"
#include "link/port_settings.h"

#include <string>
#include <vector>

// The history from the command line: tqxctl records a snapshot after backup, backup --all
// and restore, and `tqxctl history` lists, compares, exports and annotates them.

// --history PATH: the history of this one command.
void SetTqxctlHistory(const std::string& path);
// --history, else TQX_HISTORY, else the history in the loader's data folder.
std::string TqxctlHistoryPath();

// The controller on `port` as the history knows it; the model code is the set's.
ControllerIdentity ControllerOn(const PortSettings& port, int unit, const ParameterImage& set);

// Records `snapshot`; when the history cannot take it, says so on stderr and goes on.
void RecordInHistory(NewSnapshot snapshot);

// tqxctl history SUBCOMMAND ...; the exit status.
int History(const std::vector<std::string>& operands);
// tqxctl history changes [--since DATE] [--csv] (tqxctl_history_changes.cpp).
int HistoryChanges(HistoryStore& store, const std::vector<std::string>& operands);

extern const char kHistoryUsage[];
