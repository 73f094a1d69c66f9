// Times the complete Connect read sequence (the model code read and the 57 reads after
// the Code Symbols dialog) against tqx-sim: Modbus TCP on loopback, and Modbus RTU on a
// pty that the simulator paces at 9600 and 115200 baud, 8N1. Built, not run by the tests.
#include "../tests/support/sim_process.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"
#include "transfers/connect_procedure.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Read {
    int32_t mode, block, offset, length;
};

std::vector<Read> ConnectReads() {
    std::vector<Read> reads{{1, 40, 0, 14}}; // the model code, read before the confirmation
    for (const ConnectRead& r : ConnectReadSequence())
        reads.push_back({r.mode, r.block, r.offset, r.length});
    return reads;
}

struct Config {
    const char* name;
    bool tcp;
    int baud; // 0: no pacing
};

int Run(const Config& config) {
    std::vector<std::string> args;
    const std::string pty = "/tmp/tqx-bench-" + std::to_string(::getpid()) + ".pty";
    if (config.tcp)
        args = {"--tcp", "127.0.0.1:0"};
    else
        args = {"--pty", pty, "--baud", std::to_string(config.baud)};
    SimProcess sim(args);
    if (!sim.Ready()) {
        std::printf("%-22s simulator did not start: %s\n", config.name, sim.ReadyLine().c_str());
        return 1;
    }
    std::string setting = sim.PortSetting();
    if (!config.tcp)
        setting = "rtu:" + setting + ",baud=" + std::to_string(config.baud) + ",parity=N";
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    TQXOpenSerialPort(1);
    TheModbusTransport().ResetStatistics();

    int failed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const Read& r : ConnectReads()) {
        std::vector<uint8_t> buffer(r.mode == 17 ? 2 * r.length : r.length);
        int32_t status = 0;
        if (!TQXRead(r.mode, r.block, r.offset, r.length, buffer.data(), &status))
            ++failed;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const LinkStatistics stats = TheModbusTransport().Statistics();
    TQXCloseSerialPort();

    std::printf("%-22s wall %7.3f s  transactions %3ld  wire bytes %6ld  payload bytes %5ld",
                config.name, wall, stats.transactions, stats.wireBytes, stats.payloadBytes);
    if (config.baud > 0) {
        const double limit = stats.payloadBytes * 10.0 / config.baud;
        std::printf("  payload limit %6.3f s  ratio %.3f", limit, wall / limit);
    }
    std::printf("%s\n", failed ? "  FAILED READS" : "");
    return failed ? 1 : 0;
}

} // namespace

int main() {
    const Config configs[] = {{"Modbus TCP loopback", true, 0},
                              {"Modbus RTU 9600 8N1", false, 9600},
                              {"Modbus RTU 115200 8N1", false, 115200}};
    int rc = 0;
    for (const Config& c : configs)
        rc |= Run(c);
    return rc;
}
