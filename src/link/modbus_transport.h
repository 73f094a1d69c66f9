#pragma once

#include "link/link_backend.h"
#include "link/port_settings.h"

#include <chrono>
#include <cstdint>
#include <vector>

typedef struct _modbus modbus_t;

// Counters of what went over the line since the last reset (for benchmarks and tests).
struct LinkStatistics {
    long transactions = 0; // Modbus requests sent, retries included
    long wireBytes = 0;    // request and answer frames, as the protocol frames them
    long payloadBytes = 0; // bytes the callers asked to move
    long calls = 0;        // TQXRead/TQXWrite calls with a valid request, retries not counted
    long retriedCalls = 0; // of those, calls that went through only on a retry
    long failedCalls = 0;  // of those, calls that failed: on the line, or at once while the
                           // controller counts as silent
};

// TQXCOMM over Modbus RTU or Modbus TCP with libmodbus. Register r holds controller bytes
// 2r (low) and 2r+1 (high); see block_map.h for where each block lives.
class ModbusTransport : public LinkBackend {
public:
    ModbusTransport() = default;
    ~ModbusTransport() override;

    int32_t Open(int32_t port) override;
    int32_t Close() override;
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override;
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override;

    const LinkStatistics& Statistics() const { return m_stats; }
    void ResetStatistics() { m_stats = LinkStatistics{}; }

private:
    using Clock = std::chrono::steady_clock;

    // Reads port 1's setting from TQXCOMM_PORT1; false for a malformed one.
    bool Configure();
    bool EnsureConnected(int32_t& status);
    void Disconnect();
    // Reads registers [first, first + count) in pieces of at most 125.
    bool ReadRegisters(uint32_t first, uint32_t count, uint16_t* out, int32_t& status);
    bool WriteRegisters(uint32_t first, uint32_t count, const uint16_t* in, int32_t& status);
    // One request (function 16 when `write`, else 03), retried once on a bad or lost answer.
    bool Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs, int32_t& status);
    // Forgets any silence: on a fresh Open, and when the controller answered at all (a
    // garbled frame or an exception shows it is there).
    void ClearSilence();
    // The end of a call with a valid request, with its statistics.
    int32_t CallDone(uint32_t bytes, int32_t* status);
    int32_t CallFailed(int32_t code, int32_t* status);

    PortSettings m_settings;
    bool m_configured = false;
    modbus_t* m_ctx = nullptr;
    bool m_connected = false;
    bool m_retriedInCall = false;
    int m_silentExchanges = 0; // exchanges in a row that got no answer at all
    Clock::time_point m_silentUntil{};
    LinkStatistics m_stats;
};

// The transport TQXOpenSerialPort and friends use unless a test installs another backend.
ModbusTransport& TheModbusTransport();
