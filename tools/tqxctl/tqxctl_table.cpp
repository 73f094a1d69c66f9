// tqxctl's commands, one table: each command's name, help and function.

#include "tqxctl_commands.h"
#include "tqxctl_history.h"

namespace {

// For the help of backup and restore.
const char kRecorded[] =
    "Records the set read (restore: the set sent) as a snapshot in the history\n"
    "(tqxctl history --help).\n";

const char kNotInFile[] =
    "A parameter file does not carry: the advanced GAP, MAX, PP, PI and PD, the model\n"
    "code, the bytes of blocks 9 and 12 that no group owns, blocks 0, 3 and 41-44, and\n"
    "PVST, CYCL and LINK of segments 2-20 (a pattern takes segment 1's for all twenty).\n";

const char kScanUsage[] =
    "usage: tqxctl [--port SETTING] scan [--units A-B] [--bauds LIST]\n"
    "       tqxctl [--port SETTING] backup --all DIR [--units A-B] [--bauds LIST]\n"
    "Looks for controllers on port 1's line: units A to B (default 1-31, at most 1-247),\n"
    "at port 1's line settings or at each baud rate of LIST (e.g. 9600,19200,38400) with\n"
    "even and no parity. One read of the model code per unit, with a short timeout.\n"
    "backup --all writes every controller found to a file of its own, DIR/unit-NN-MODEL.slk\n"
    "(DIR/unit-NN-MODEL-BAUD-8P1.slk when LIST gives several line settings), and prints a\n"
    "table and the count of files written. Exits 2 when the line cannot be opened, nothing\n"
    "is found, or a backup fails.\n";

const char kPortsUsage[] = "usage: tqxctl ports\nLists the serial ports of this machine.\n";

} // namespace

const std::vector<TqxctlCommand>& TqxctlCommands() {
    using Reply = TqxctlCommand::Reply;
    const Reply named = Reply::WhenControllerNamed;
    static const std::vector<TqxctlCommand> commands = {
        {"backup", "--all", kScanUsage, RunBackupAll, Reply::Never},
        {"backup", nullptr,
         std::string("usage: tqxctl [--port SETTING] backup FILE\n"
                     "Reads every parameter group of the controller on port 1 (as Connect "
                     "does)\n"
                     "and writes them to FILE as a parameter file. Prints the model code.\n") +
             kRecorded + kNotInFile,
         RunBackup, Reply::Always},
        {"restore", nullptr,
         std::string("usage: tqxctl [--port SETTING] restore [--unlock] [--keep DIR] FILE\n"
                     "Loads FILE and sends it to the controller on port 1, then reads back\n"
                     "everything sent and verifies it byte for byte.\n"
                     "A file whose STN is not a station from 1 to 31 is refused, naming its\n"
                     "cell, before the controller is asked anything.\n"
                     "First it reads WDIS and only what the file does not carry, which keeps\n"
                     "the controller's own values. A write-inhibited controller (WDIS 1) is\n"
                     "left untouched unless --unlock is given, which writes WDIS 0 first.\n"
                     "Every group is sent with WDIS 0 (system setup, advanced, PID groups\n"
                     "1-9, patterns 1-9); the file's WDIS is written last, on its own, and\n"
                     "only when every group went through. Exits 2 when anything failed, naming\n"
                     "the groups that were written and those that were not.\n"
                     "--keep DIR first reads the whole controller and saves it in DIR as a\n"
                     "parameter file (unitN_MODELCODE_YYYYMMDD-HHMMSS.slk), as backup would;\n"
                     "when that fails nothing is written.\n") +
             kRecorded + kNotInFile,
         RunRestore, Reply::Always},
        {"diff", nullptr,
         "usage: tqxctl [--port SETTING] diff A B\n"
         "Compares two parameter sets, each a parameter file or 'controller', and\n"
         "prints the parameters that differ with stored value and engineering text\n"
         "on both sides. Exits 0 when equal, 1 when they differ, 2 on error.\n"
         "A file named controller is ./controller (or --file controller).\n",
         RunDiff, named},
        {"show", nullptr,
         "usage: tqxctl [--port SETTING] show FILE|controller [GROUP]\n"
         "Prints every parameter, or one group (system, advanced, pid N,\n"
         "pattern N), in engineering units as the editors show them.\n"
         "A file named controller is ./controller (or --file controller).\n",
         RunShow, named},
        {"report", nullptr,
         "usage: tqxctl [--port SETTING] report FILE|controller OUT.pdf\n"
         "Writes the parameter report of a parameter set (a file or 'controller')\n"
         "to OUT.pdf: every group with values and help texts, each pattern's\n"
         "segments and its profile against elapsed time. Needs no display.\n"
         "A file named controller is ./controller (or --file controller).\n",
         RunReport, named},
        {"ports", nullptr, kPortsUsage, RunPorts, named},
        {"scan", nullptr, kScanUsage, RunScan, named},
        {"history", nullptr, kHistoryUsage, RunHistory, named},
    };
    return commands;
}

const TqxctlCommand* FindCommand(const std::string& name, const Operands& operands) {
    for (const TqxctlCommand& c : TqxctlCommands())
        if (c.name == name && (!c.variant || (!operands.empty() && operands[0] == c.variant)))
            return &c;
    return nullptr;
}

const std::string* CommandHelp(const std::string& name) {
    for (const TqxctlCommand& c : TqxctlCommands())
        if (c.name == name && !c.variant)
            return &c.help;
    return nullptr;
}
