#include "app/history_commands.h"

#include "app/document.h"

void HistoryCommands::Run(Command) {}

bool HistoryCommands::CanRun(Command) const {
    return false; // until the history is there
}
