// tqxctl: back up, restore, compare and show controller parameter sets from the
// command line, through the same link and file format as the loader.

#include "tqxctl_commands.h"

#include "files/write_target.h"
#include "link/modbus_transport.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "tqx_version.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: tqxctl [--port SETTING] [--history PATH] COMMAND ARGS...\n"
    "\n"
    "commands:\n"
    "  backup FILE            read the whole controller and save it as a parameter file\n"
    "  restore [--unlock] [--keep DIR] FILE\n"
    "                         send a parameter file to the controller and verify it\n"
    "  diff A B               compare two parameter sets; A and B are files or 'controller'\n"
    "  show SOURCE [GROUP]    print a parameter set (a file or 'controller'), or one group:\n"
    "                         system, advanced, pid 1..9, pattern 1..9\n"
    "  report SOURCE OUT.pdf  write the parameter report of a file or 'controller' as PDF\n"
    "  ports                  list the serial ports of this machine\n"
    "  scan [--units A-B] [--bauds LIST]   list the controllers that answer on port 1's line\n"
    "  backup --all DIR       back up every controller found, one file each, in DIR\n"
    "  history SUBCOMMAND     the snapshots recorded of every controller: list, changes,\n"
    "                         show, diff, export, note, label, verify, join, move, audit\n"
    "                         (tqxctl history --help)\n"
    "  help [COMMAND]         this text, or the help of one command\n"
    "\n"
    "A file named controller is given as ./controller, or as --file controller.\n"
    "\n"
    "options:\n"
    "  --port SETTING         port 1 of the link, in place of TQXCOMM_PORT1 and in its form:\n"
    "                         rtu:DEVICE[,baud=9600][,parity=E][,stop=1][,unit=1]\n"
    "                         [,timeout=500], a device path, or\n"
    "                         tcp:HOST:PORT[,unit=1][,timeout=500]; timeout is the\n"
    "                         response timeout in ms (10 to 10000)\n"
    "  --file NAME            NAME is a parameter file, even when it is 'controller'\n"
    "  --history PATH         the history file of this command, in place of TQX_HISTORY\n"
    "                         and of history.sqlite in the loader's data folder\n"
    "  --retries N            after reading the controller, repeat the reads that failed\n"
    "                         in up to N more passes (default 2)\n"
    "  --trace FILE           append every Modbus frame sent and received to FILE\n"
    "  --help                 this text; 'tqxctl COMMAND --help' for one command\n"
    "  --version              print the version and exit\n"
    "\n"
    "exit status: 0 success (diff: equal), 1 diff found differences, 2 error\n";

// A relative name gets "./", so "controller" names the file, not the controller.
std::string AsFileName(const std::string& name) {
    if (name.empty() || name[0] == '/')
        return name;
    return "./" + name;
}

// A trace file follows the rules of a parameter file's target: a FIFO, a device or a
// folder is refused, naming its kind, before anything would wait on it.
bool TraceFileAllowed(const std::string& path, const char* from) {
    const std::string refusal = FindWriteTarget(path).refusal;
    if (refusal.empty())
        return true;
    std::fprintf(stderr, "tqxctl: %s %s cannot take the trace: %s\n", from, path.c_str(),
                 refusal.c_str());
    return false;
}

bool TraceGiven(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--trace") != args.end();
}

int Usage(FILE* out, int status) {
    std::fputs(kUsage, out);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    // A file size limit (ulimit -f) fails the write, which is reported as a full disk is,
    // instead of ending tqxctl without a word.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string port;
    bool portGiven = false;
    std::string history;
    int retries = 2;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        if (arg.rfind("--port=", 0) == 0) {
            // --port=SETTING: the same as --port SETTING.
            args[i] = arg.substr(7);
            args.insert(args.begin() + static_cast<long>(i), "--port");
            arg = "--port";
        }
        const bool takesValue = arg == "--port" || arg == "--file" || arg == "--history" ||
                                arg == "--retries" || arg == "--trace";
        if (takesValue && !OptionValue(args, i,
                                       arg == "--port"      ? "SETTING"
                                       : arg == "--file"    ? "NAME"
                                       : arg == "--retries" ? "number"
                                       : arg == "--history" ? "PATH"
                                                            : "FILE",
                                       value))
            return 2;
        if (arg == "--port") {
            port = value;
            portGiven = true;
        } else if (arg == "--file") {
            rest.push_back(AsFileName(value));
        } else if (arg == "--history") {
            history = value;
        } else if (arg == "--trace") {
            if (!TraceFileAllowed(value, "--trace"))
                return 2;
            ModbusTransport::SetTracePath(value);
        } else if (arg == "--retries") {
            char* end = nullptr;
            const long passes = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || passes < 0 || passes > 100) {
                std::fprintf(stderr, "tqxctl: --retries takes a number from 0 to 100\n");
                return 2;
            }
            retries = static_cast<int>(passes);
        } else {
            rest.push_back(arg);
        }
    }
    if (rest.empty())
        return Usage(stderr, 2);
    if (rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
        if (rest.size() < 2)
            return Usage(stdout, 0);
        if (const std::string* help = CommandHelp(rest[1])) {
            std::fputs(help->c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "tqxctl: no command '%s' (try tqxctl --help)\n", rest[1].c_str());
        return 2;
    }
    if (rest[0] == "--version") {
        std::puts("tqxctl " TQX_VERSION);
        return 0;
    }
    // The port setting is checked before anything else is done.
    std::string fromEnvironment;
    Port1FromEnvironment(&fromEnvironment);
    const std::string setting = portGiven ? port : fromEnvironment;
    if (const char* trace = std::getenv("TQXCOMM_TRACE");
        trace && *trace && !TraceGiven(args) && !TraceFileAllowed(trace, "TQXCOMM_TRACE"))
        return 2;
    PortSettings parsed;
    std::string problem;
    if (!setting.empty() && !ParsePortSettings(setting, parsed, problem)) {
        // An option alone comes back quoted; a longer problem says itself what is wrong.
        if (problem.find(' ') == std::string::npos)
            problem += " is wrong";
        std::fprintf(stderr, "tqxctl: %s '%s' is not a port setting: %s; see tqxctl --help\n",
                     portGiven ? "--port" : "TQXCOMM_PORT1", setting.c_str(), problem.c_str());
        return 2;
    }
    const std::string command = rest[0];
    const std::vector<std::string> operands(rest.begin() + 1, rest.end());
    if (!setting.empty() && parsed.unit == 0 && NeedsControllerReply(command, operands)) {
        std::fprintf(stderr,
                     "tqxctl: %s '%s': unit 0 is the broadcast address, which no controller "
                     "answers; give unit=1..247\n",
                     portGiven ? "--port" : "TQXCOMM_PORT1", setting.c_str());
        return 2;
    }
    InstallInterruptHandler();
    // Port 1 of every command: --port, else TQXCOMM_PORT1, else the default port.
    TqxctlContext context(setting.empty() ? DefaultPortSettings() : parsed);
    context.retries = retries;
    context.history = history;
    StopOnInterrupt(&context.link);
    const int status = RunTqxctlCommand(context, command, operands);
    StopOnInterrupt(nullptr); // before the link goes
    return status;
}
