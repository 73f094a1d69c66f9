// tqx-sim: a TQX controller on Modbus TCP or on a pseudo-terminal (Modbus RTU), for
// demonstrations, tests and anyone without a controller at hand.

#include "files/parameter_file_reader.h"
#include "link/link_backend.h"
#include "operator/messages.h"
#include "sim_options.h"
#include "sim_server.h"
#include "simulator/controller_memory.h"
#include "simulator/simulated_controller.h"
#include "tqx_version.h"
#include "transfers/connect_procedure.h"
#include "transfers/image_transfers.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kStationAddress = 0x0C00 + 30; // STN: block 12, byte 30

volatile sig_atomic_t g_stop = 0;
volatile sig_atomic_t g_dump = 0;

void RequestStop(int) {
    g_stop = 1;
}

void RequestDump(int) {
    g_dump = 1;
}

class StderrMessages : public Messages {
public:
    void Show(const std::string& text) override {
        std::fprintf(stderr, "tqx-sim: %s\n", text.c_str());
    }
};

// Puts a parameter file over the memory the way the loader restores one: the controller
// is read first, the file goes over that image (fields the file does not hold keep the
// controller's values), and every group is sent through the controller's own write
// rules, so bytes no group owns keep their contents. The file's WDIS is set last: a
// write-protected file must not refuse its own groups.
bool LoadParameterFile(const std::string& path, ControllerMemory& memory) {
    SimulatedController controller;
    controller.Memory() = memory;
    TransferContext link(controller);
    ParameterImage image;
    SetStartValues(image);
    if (!ReadWholeController(link, image).failed.empty())
        return false;
    StderrMessages messages;
    if (!ReadParameterFile(path, image, messages))
        return false;
    const uint8_t wdis = image.advanced.WDIS;
    image.advanced.WDIS = 0;
    controller.Memory().Data()[ControllerMemory::kWdisAddress] = 0;
    for (const GroupSend& group : SendWholeImage(link, image)) {
        if (!group.result.failed.empty()) {
            std::fprintf(stderr, "tqx-sim: --load: %s could not be stored\n",
                         GroupTitle(group.group).c_str());
            return false;
        }
    }
    memory = controller.Memory();
    memory.Data()[ControllerMemory::kWdisAddress] = wdis;
    return true;
}

// Written under a temporary name and renamed, so a reader never sees half a dump.
bool WriteDump(const std::string& path, const ControllerMemory& memory) {
    const std::string part = path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(memory.Data(), 1, memory.Size(), f) == memory.Size();
    if (std::fclose(f) != 0 || !ok)
        return false;
    return std::rename(part.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tqx-sim: %s\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    if (options.version) {
        std::puts("tqx-sim " TQX_VERSION);
        return 0;
    }
    if (options.help) {
        std::fputs(kSimUsage, stdout);
        return 0;
    }
    std::vector<SimUnit> units = options.units;
    if (units.empty())
        units.push_back({options.unit, {}, {}});
    std::vector<ControllerMemory> memories(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        ControllerMemory& memory = memories[i];
        const std::string model = units[i].model.empty() ? options.model : units[i].model;
        const std::string load = units[i].load.empty() ? options.load : units[i].load;
        if (model.empty())
            memory.LoadFactoryContents();
        else
            memory.LoadFactoryContents(model);
        if (!load.empty() && !LoadParameterFile(load, memory))
            return 2;
        if (!options.units.empty())
            memory.Data()[kStationAddress] = static_cast<uint8_t>(units[i].unit);
        if (options.wdis)
            memory.Data()[ControllerMemory::kWdisAddress] = 1;
    }
    ControllerMemory& memory = memories[0];

    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: select returns so the loop sees the request
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = RequestDump;
    sigaction(SIGUSR1, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a client that went away must not kill the server

    const IdleWork idle = [&] {
        if (g_dump && !options.dump.empty()) {
            g_dump = 0;
            if (!WriteDump(options.dump, memory))
                std::fprintf(stderr, "tqx-sim: cannot write %s\n", options.dump.c_str());
        }
    };
    const int status = options.pty.empty() ? ServeTcp(options, memories, g_stop, idle)
                                           : ServePty(options, memories, g_stop, idle);
    if (!options.dump.empty() && !WriteDump(options.dump, memory))
        std::fprintf(stderr, "tqx-sim: cannot write %s\n", options.dump.c_str());
    return status;
}
