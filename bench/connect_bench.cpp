// Times the complete Connect read sequence (the model code read and the 57 reads after
// the Code Symbols dialog) against tqx-sim: Modbus TCP on loopback, and Modbus RTU on a
// pty that the simulator paces at 115200 baud 8N1 and 9600 baud 8E1. Each line is read two
// ways: tqxctl's, every call made where the procedure runs, and the loader's, the whole
// read as one operation on a worker thread; both against the payload's line-rate limit (10
// bits per byte at 8N1, 11 at 8E1). Then times how long a Connect takes to give up on port
// 1 with nothing useful attached (default 500 ms timeout): a missing device, a refused TCP
// port, a silent serial line, and a TCP listener that accepts but never answers. Last,
// times tqxctl's restore of a whole parameter file at 9600 baud 8N1 (read what the file
// lacks, send, read back) against the line-rate limit of the payload it moves, beside a
// restore done the simple way (whole read, sends that pre-read, whole read back). Built,
// not run by the tests: build/bench/connect_bench (--restore: the restore alone).
#include "../tests/support/loopback_port.h"
#include "../tests/support/sim_process.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "link/link_failure.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"
#include "transfers/connect_procedure.h"
#include "transfers/image_transfers.h"
#include "transfers/restore_procedure.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Config {
    const char* name;
    bool tcp;
    int baud;    // 0: no pacing
    char parity; // the line the simulator paces and port 1 names
    int runs;    // each way; the best run counts
};

// Bits a character takes on the line: start bit, 8 data bits, parity bit, one stop bit.
int BitsPerByte(const Config& config) {
    return config.parity == 'N' ? 10 : 11;
}

struct Timing {
    double wall = 1e9; // the best run, seconds
    LinkStatistics stats;
    bool failed = false;
};

// The whole read tqxctl backup makes (model code and the 57 reads), through `link`; with
// `onWorker`, as the loader runs it: one operation handed to a worker thread from its
// first call to its last, and waited for.
void TimeWholeRead(TransferContext& link, Timing& timing, bool onWorker) {
    TheModbusTransport().ResetStatistics();
    ParameterImage image;
    SetStartValues(image);
    const auto start = std::chrono::steady_clock::now();
    TransferResult result;
    if (onWorker)
        std::thread([&] { result = ReadWholeController(link, image); }).join();
    else
        result = ReadWholeController(link, image);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.failed |= !result.failed.empty();
    if (wall < timing.wall) {
        timing.wall = wall;
        timing.stats = TheModbusTransport().Statistics();
    }
}

void PrintWay(const char* way, const Timing& t, double limit) {
    std::printf("  %-13s wall %8.4f s  transactions %3ld  wire bytes %5ld  payload bytes %5ld", way,
                t.wall, t.stats.transactions, t.stats.wireBytes, t.stats.payloadBytes);
    if (limit > 0)
        std::printf("  ratio to limit %.3f", t.wall / limit);
    std::printf("%s\n", t.failed ? "  FAILED READS" : "");
}

// The same whole read two ways: where the procedure runs (tqxctl), and as one operation on a
// worker thread (the loader's window).
int Run(const Config& config) {
    std::vector<std::string> args;
    const std::string pty = "/tmp/tqx-bench-" + std::to_string(::getpid()) + ".pty";
    if (config.tcp)
        args = {"--tcp", "127.0.0.1:0"};
    else
        args = {"--pty",    pty,
                "--baud",   std::to_string(config.baud),
                "--parity", std::string(1, config.parity)};
    SimProcess sim(args);
    if (!sim.Ready()) {
        std::printf("%-22s simulator did not start: %s\n", config.name, sim.ReadyLine().c_str());
        return 1;
    }
    std::string setting = sim.PortSetting();
    if (!config.tcp)
        setting = "rtu:" + setting + ",baud=" + std::to_string(config.baud) +
                  ",parity=" + std::string(1, config.parity);
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext direct;
    Timing tqxctl, loader;
    for (int run = 0; run < config.runs; ++run) {
        TimeWholeRead(direct, tqxctl, false);
        TimeWholeRead(direct, loader, true);
    }
    TQXCloseSerialPort();

    std::printf("%s (best of %d)\n", config.name, config.runs);
    double limit = 0;
    if (config.baud > 0) {
        limit = tqxctl.stats.payloadBytes * static_cast<double>(BitsPerByte(config)) / config.baud;
        // What the line itself takes: every frame and the 3.5-character gap after it.
        const double frames = (tqxctl.stats.wireBytes + 7.0 * tqxctl.stats.transactions) *
                              BitsPerByte(config) / config.baud;
        std::printf("  payload limit %8.4f s at %d bits per byte (frames and gaps alone %.3f)\n",
                    limit, BitsPerByte(config), frames / limit);
    }
    PrintWay("tqxctl's way", tqxctl, limit);
    PrintWay("loader's way", loader, limit);
    std::printf("  loader's way / tqxctl's way %.3f\n", loader.wall / tqxctl.wall);
    return tqxctl.failed || loader.failed ? 1 : 0;
}

// A confirmed Connect's reads (model code and the 57 after it) against a dead port 1.
int GiveUp(const char* name, const std::string& setting, double limitSeconds) {
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    const TransferResult report = ReadWholeController(link, image);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string cause = link.FailureText();
    TQXCloseSerialPort();
    std::printf("%-30s Connect gave up in %6.3f s (%zu of %d reads failed)  %s\n  %s\n", name, wall,
                report.failed.size(), report.calls, wall <= limitSeconds ? "ok" : "TOO SLOW",
                cause.c_str());
    return wall <= limitSeconds ? 0 : 1;
}

int GiveUps() {
    int rc = 0;
    rc |= GiveUp("missing serial device", "rtu:/dev/tqx-no-such-device", 1.5);
    int fd = -1;
    const int closed = LoopbackPort(false, fd);
    rc |= GiveUp("refused TCP port", "tcp:127.0.0.1:" + std::to_string(closed), 1.5);
    const int silent = LoopbackPort(true, fd);
    rc |= GiveUp("TCP listener, never answers", "tcp:127.0.0.1:" + std::to_string(silent), 1.5);
    ::close(fd);
    const std::string pty = "/tmp/tqx-bench-silent-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--drop-every", "1"});
    if (sim.Ready())
        rc |= GiveUp("silent serial line", "rtu:" + pty + ",parity=N", 1.5);
    return rc;
}

void PrintLine(const char* name, double wall, const LinkStatistics& stats, int baud) {
    const double limit = stats.payloadBytes * 10.0 / baud;
    const double frameLimit = stats.wireBytes * 10.0 / baud;
    std::printf("%-22s wall %7.3f s  transactions %3ld  frame bytes %6ld  payload bytes %5ld"
                "  payload limit %6.3f s  ratio %.3f  (frames alone %.3f)\n",
                name, wall, stats.transactions, stats.wireBytes, stats.payloadBytes, limit,
                wall / limit, frameLimit / limit);
}

int Restores() {
    const int baud = 9600;
    const std::string pty = "/tmp/tqx-bench-restore-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim({"--pty", pty, "--baud", std::to_string(baud), "--parity", "N"});
    if (!sim.Ready()) {
        std::printf("restore: simulator did not start: %s\n", sim.ReadyLine().c_str());
        return 1;
    }
    const std::string setting =
        "rtu:" + sim.PortSetting() + ",baud=" + std::to_string(baud) + ",parity=N";
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage source;
    SetStartValues(source);
    ReadWholeController(link, source);
    const std::string text = BuildParameterFileText(source);
    RecordingMessages messages;
    const auto applyFile = [&](ParameterImage& onto) {
        return ReadParameterFileText(text, onto, messages);
    };

    // The simple way: a whole read, the sends (system setup reading its blocks again),
    // a whole read back.
    TheModbusTransport().ResetStatistics();
    auto start = std::chrono::steady_clock::now();
    ParameterImage image;
    SetStartValues(image);
    ReadWholeController(link, image);
    applyFile(image);
    SendWholeImage(link, image);
    ParameterImage back;
    SetStartValues(back);
    ReadWholeController(link, back);
    PrintLine("restore, simple",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              TheModbusTransport().Statistics(), baud);

    TheModbusTransport().ResetStatistics();
    start = std::chrono::steady_clock::now();
    SetStartValues(image);
    const RestoreReport report = RestoreImage(link, image, applyFile, RestoreOptions{});
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const LinkStatistics stats = TheModbusTransport().Statistics();
    PrintLine("restore", wall, stats, baud);
    TQXCloseSerialPort();
    const double limit = stats.payloadBytes * 10.0 / baud;
    const bool ok = report.Ok() && wall <= 1.35 * limit;
    std::printf("restore within 1.35 x its payload limit: %s\n", ok ? "ok" : "NO");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--restore")
        return Restores();
    const Config configs[] = {{"Modbus TCP loopback", true, 0, 'N', 5},
                              {"Modbus RTU 115200 8N1", false, 115200, 'N', 3},
                              {"Modbus RTU 9600 8E1", false, 9600, 'E', 2}};
    int rc = 0;
    for (const Config& c : configs)
        rc |= Run(c);
    rc |= GiveUps();
    rc |= Restores();
    return rc;
}
