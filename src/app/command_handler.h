#pragma once

#include "app/menu_table.h"

// One concern's menu commands (the editors, Connect, the files, Compare, the report, the
// port and link): the document hands each command to the handler the menu table names.
class CommandHandler {
public:
    virtual ~CommandHandler() = default;
    virtual void Run(Command command) = 0;
    // False for a command that cannot run now ("Retry failed reads" with nothing to retry).
    virtual bool CanRun(Command) const { return true; }
    virtual bool IsChecked(Command) const { return false; }
};
