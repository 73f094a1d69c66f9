// tqxctl: back up, restore, compare and show controller parameter sets from the
// command line, through the same link and file format as the loader.

#include "tqxctl_commands.h"

#include "tqx_version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: tqxctl [--port SPEC] COMMAND ARGS...\n"
    "\n"
    "commands:\n"
    "  backup FILE            read the whole controller and save it as a parameter file\n"
    "  restore FILE           send a parameter file to the controller and verify it\n"
    "  diff A B               compare two parameter sets; A and B are files or 'controller'\n"
    "  show SOURCE [GROUP]    print a parameter set (a file or 'controller'), or one group:\n"
    "                         system, advanced, pid 1..9, pattern 1..9\n"
    "  report SOURCE OUT.pdf  write the parameter report of a file or 'controller' as PDF\n"
    "\n"
    "options:\n"
    "  --port SPEC            port 1 of the link, as TQXCOMM_PORT1 takes it:\n"
    "                         rtu:DEVICE[,baud=9600][,parity=E][,stop=1][,unit=1],\n"
    "                         a device path, or tcp:HOST:PORT[,unit=1]\n"
    "  --retries N            after reading the controller, repeat the reads that failed\n"
    "                         in up to N more passes (default 2)\n"
    "  --trace FILE           append every Modbus frame sent and received to FILE\n"
    "  --help                 this text; 'tqxctl COMMAND --help' for one command\n"
    "  --version              print the version and exit\n"
    "\n"
    "exit status: 0 success (diff: equal), 1 diff found differences, 2 error\n";

int Usage(FILE* out, int status) {
    std::fputs(kUsage, out);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string port;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--port") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "tqxctl: --port needs a SPEC\n");
                return 2;
            }
            port = args[++i];
        } else if (arg.rfind("--port=", 0) == 0) {
            port = arg.substr(7);
        } else if (arg == "--retries" || arg == "--trace") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "tqxctl: %s needs a value\n", arg.c_str());
                return 2;
            }
            const std::string value = args[++i];
            if (arg == "--trace") {
                setenv("TQXCOMM_TRACE", value.c_str(), 1);
                continue;
            }
            char* end = nullptr;
            const long passes = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || passes < 0 || passes > 100) {
                std::fprintf(stderr, "tqxctl: --retries takes a number from 0 to 100\n");
                return 2;
            }
            SetTqxctlRetries(static_cast<int>(passes));
        } else {
            rest.push_back(arg);
        }
    }
    if (rest.empty())
        return Usage(stderr, 2);
    if (rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help")
        return Usage(stdout, 0);
    if (rest[0] == "--version") {
        std::puts("tqxctl " TQX_VERSION);
        return 0;
    }
    if (!port.empty())
        setenv("TQXCOMM_PORT1", port.c_str(), 1);

    const std::string command = rest[0];
    const std::vector<std::string> operands(rest.begin() + 1, rest.end());
    return RunTqxctlCommand(command, operands);
}
