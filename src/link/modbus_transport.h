#pragma once

#include "link/link_backend.h"
#include "link/modbus_frames.h"
#include "link/port_settings.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

typedef struct _modbus modbus_t;

// TQXCOMM over Modbus RTU or Modbus TCP. libmodbus opens the line (serial settings, TCP
// connect); the frames are sent and checked here, so that stray and late answers can be
// told from the answer to the request at hand. Register r holds controller bytes 2r (low)
// and 2r+1 (high); see block_map.h for where each block lives.
//
// TQXCOMM_TRACE=FILE appends every frame sent and received to FILE, in hex, with times.
class ModbusTransport : public LinkBackend {
public:
    // `ownSettingsOnly`: a transport for one purpose (a Test, a scan) that uses the settings
    // it is given and never TQXCOMM_PORT1.
    explicit ModbusTransport(bool ownSettingsOnly = false) : m_ownSettingsOnly(ownSettingsOnly) {}
    ~ModbusTransport() override;

    int32_t Open(int32_t port) override;
    int32_t Close() override;
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override;
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override;

    LinkFailure LastFailure() const override { return m_failure; }
    std::string PortText() const override;
    LinkStatistics Statistics() const override { return m_stats; }
    void BeginCommand() override { m_openFailed = false; }
    int SilentMs() const override;

    void ResetStatistics() { m_stats = LinkStatistics{}; }

    // Port 1's settings when TQXCOMM_PORT1 is not set; the line reopens at the next call.
    void UseSettings(const PortSettings& settings);
    // The settings in use, or those the next call will use.
    PortSettings Settings() const;
    int Unit() const override { return Settings().unit; }
    void MoveUnit(int unit) override;
    // Opens the line now; false with LastFailure() saying why.
    bool OpenLine() { return EnsureConnected(); }
    // One read of the model code at `unit` with `timeoutMs`: no retry, no silence after it.
    bool ProbeModelCode(int unit, int timeoutMs, std::string& modelCode);

private:
    using Clock = std::chrono::steady_clock;

    // What one attempt of an exchange came to.
    enum class Outcome { Ok, Silent, Garbled, Exception, WrongUnit, Lost };

    // Reads port 1's setting from TQXCOMM_PORT1 (and TQXCOMM_TRACE); false for a
    // malformed one.
    bool Configure();
    // The settings TQXCOMM_PORT1 or UseSettings give; false (with the malformed part) for
    // a malformed TQXCOMM_PORT1.
    bool Resolve(PortSettings& out, std::string& text, std::string& problem) const;
    // After two silent attempts at this unit: does the unit that answered last still
    // answer on this line? Then the cause is the unit, not the line.
    void CheckOtherUnit();
    // False, at once, while a port that could not be opened waits for the next command.
    bool EnsureConnected();
    bool Connect();
    void Disconnect();
    // Reads registers [first, first + count) in pieces of at most 125.
    bool ReadRegisters(uint32_t first, uint32_t count, uint16_t* out);
    bool WriteRegisters(uint32_t first, uint32_t count, const uint16_t* in);
    // One request (function 16 when `write`, else 03), retried once on a bad or lost answer.
    bool Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs);
    Outcome Attempt(const ModbusRequest& request, uint16_t* regs, Clock::time_point& sent);
    // Reads and drops whatever has arrived, without waiting; returns the bytes dropped.
    long Drain(const char* what);
    // Waits until the line has been quiet for the inter-frame gap and a margin, dropping
    // what arrives meanwhile; returns the bytes dropped, and when the first one came.
    long WaitQuiet(Clock::time_point& firstByte);
    bool SendFrame(const std::vector<uint8_t>& frame);
    void Trace(const char* what, const uint8_t* data, size_t length);
    void Fail(LinkCause cause, int systemError = 0, std::string detail = {});
    // Forgets any silence: on a fresh Open, and when the controller answered at all (a
    // garbled frame or an exception shows it is there).
    void ClearSilence();
    // The end of a call with a valid request, with its statistics.
    int32_t CallDone(uint32_t bytes, int32_t* status);
    int32_t CallFailed(int32_t* status);

    PortSettings m_settings;
    bool m_ownSettingsOnly = false;
    bool m_given = false; // UseSettings was called
    PortSettings m_givenSettings;
    int m_movedUnit = 0;        // MoveUnit's unit, 0 for none
    int m_lastAnsweredUnit = 0; // on this line
    std::string m_badSetting;   // the malformed part, while TQXCOMM_PORT1 is malformed
    std::string m_settingText;
    bool m_configured = false;
    modbus_t* m_ctx = nullptr;
    int m_fd = -1;
    bool m_openFailed = false; // until the next command, calls fail at once
    bool m_retriedInCall = false;
    bool m_writeCall = false;
    uint16_t m_transaction = 0;
    Clock::time_point m_silentUntil{};
    LinkFailure m_failure;
    LinkStatistics m_stats;
    std::FILE* m_trace = nullptr;
    std::string m_tracePath;
};

// The transport TQXOpenSerialPort and friends use unless a test installs another backend.
ModbusTransport& TheModbusTransport();
