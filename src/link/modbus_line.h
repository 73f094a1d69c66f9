#pragma once

#include "link/link_backend.h"
#include "link/port_settings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

typedef struct _modbus modbus_t;

// Port 1's line as the transport speaks over it. libmodbus opens it (serial settings, TCP
// connect); frames then go straight over its descriptor, so that the transport can read,
// drop or wait out whatever arrives. Bytes moved count into the owner's statistics, and
// every frame and every note goes to the trace file when there is one.
class ModbusLine {
public:
    using Clock = std::chrono::steady_clock;

    explicit ModbusLine(LinkStatistics& stats) : m_stats(stats) {}
    ~ModbusLine();
    ModbusLine(const ModbusLine&) = delete;
    ModbusLine& operator=(const ModbusLine&) = delete;

    // Opens the line `settings` name (a TCP host name is looked up first); false with the
    // cause, the system's error and any detail in `why`.
    bool Open(const PortSettings& settings, LinkFailure& why);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Writes a whole frame within `timeoutMs`; false with errno's value in `error`.
    bool Send(const std::vector<uint8_t>& frame, int timeoutMs, int& error);
    // Waits until `deadline` for what arrives: the bytes read, 0 when the deadline passed
    // first, -1 when the line broke (errno's value in `error`).
    long Receive(uint8_t* data, size_t size, Clock::time_point deadline, int& error);
    // Reads and drops whatever has arrived, without waiting; returns the bytes dropped.
    long Drain(const char* what);
    // What Drain and WaitQuiet dropped since the last call: late answers whose copies may
    // still come.
    std::vector<uint8_t> TakeDropped() { return std::exchange(m_dropped, {}); }
    // How long the line must stay quiet: the inter-frame gap alone (what separates two
    // frames on the wire), or the gap and a margin for a frame still on its way (a tenth of
    // the timeout, at least 20 ms, at most 100 ms).
    enum class Quiet { Gap, Margin };
    // Waits until the line has been quiet for that long, dropping what arrives meanwhile;
    // returns the bytes dropped, and when the first one came.
    // Nor does it end before `notBefore`.
    long WaitQuiet(const PortSettings& settings, Clock::time_point& firstByte,
                   Quiet quiet = Quiet::Margin, Clock::time_point notBefore = {});

    // Appends to `path` from now on; empty traces nothing.
    void TraceTo(const std::string& path);
    bool Tracing() const { return m_trace != nullptr; }
    // A time-stamped line: `what`, then `data` in hex.
    void Trace(const char* what, const uint8_t* data = nullptr, size_t length = 0);

private:
    LinkStatistics& m_stats;
    std::vector<uint8_t> m_dropped;
    modbus_t* m_ctx = nullptr;
    int m_fd = -1;
    std::FILE* m_trace = nullptr;
    std::string m_tracePath;
};

// Milliseconds until `t`, rounded up; 0 once it has passed.
int MsUntil(std::chrono::steady_clock::time_point t);
