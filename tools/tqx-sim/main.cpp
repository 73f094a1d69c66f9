// tqx-sim: a TQX controller on Modbus TCP or on a pseudo-terminal (Modbus RTU), for
// demonstrations, tests and anyone without a controller at hand.

#include "link/controller_memory.h"
#include "sim_options.h"
#include "sim_server.h"

#include <csignal>
#include <cstdio>

namespace {

volatile sig_atomic_t g_stop = 0;

void RequestStop(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tqx-sim: %s\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    if (!options.load.empty()) {
        std::fprintf(stderr, "tqx-sim: --load: not yet supported\n");
        return 2;
    }
    ControllerMemory memory;
    if (options.model.empty())
        memory.LoadFactoryContents();
    else
        memory.LoadFactoryContents(options.model);
    if (options.wdis)
        memory.Data()[0x0A10] = 1; // WDIS: block 10, byte 16

    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: select returns so the loop sees the request
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a client that went away must not kill the server

    return options.pty.empty() ? ServeTcp(options, memory, g_stop)
                               : ServePty(options, memory, g_stop);
}
