#pragma once

#include "link/link_backend.h"
#include "link/modbus_frames.h"
#include "link/modbus_line.h"
#include "link/port_choice.h"
#include "link/port_settings.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// TQXCOMM over Modbus RTU or Modbus TCP. The line (modbus_line.h) carries the frames; here
// they are built and checked, so that stray and late answers can be told from the answer
// to the request at hand, and a failed exchange is retried once. Register r holds
// controller bytes 2r (low) and 2r+1 (high) (register_span.h); see block_map.h for where
// each block lives.
//
// Every frame sent and received goes to the trace file, when there is one: the path
// SetTracePath gave, else TQXCOMM_TRACE.
class ModbusTransport : public LinkBackend {
public:
    // `ownSettingsOnly`: a transport for one purpose (a Test, a scan) that uses the settings
    // it is given and never TQXCOMM_PORT1.
    explicit ModbusTransport(bool ownSettingsOnly = false) : m_port(ownSettingsOnly) {}

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
    // Port 1's settings whether TQXCOMM_PORT1 is set or not: a command line's own choice.
    // The settings in use, or those the next call will use.
    PortSettings Settings() const;
    int Unit() const override { return Settings().unit; }
    void MoveUnit(int unit) override;
    // Opens the line now; false with LastFailure() saying why.
    bool OpenLine() { return EnsureConnected(); }
    // One read of the model code at `unit` with `timeoutMs`: no retry, no silence after it.
    bool ProbeModelCode(int unit, int timeoutMs, std::string& modelCode);

    // Every transport of the process (port 1's, a scan's, a Test's, as with TQXCOMM_TRACE)
    // traces to `path` from the next time it opens its line, whatever TQXCOMM_TRACE says;
    // empty leaves the choice to TQXCOMM_TRACE again.
    static void SetTracePath(const std::string& path);

private:
    using Clock = std::chrono::steady_clock;

    // What one attempt of an exchange came to.
    // Doubtful: an RTU answer that fitted, but with more bytes in the same read or in the
    // quiet time after it; it may be a copy of an earlier answer, so it is not used.
    enum class Outcome { Ok, Silent, Garbled, Exception, WrongUnit, Lost, Doubtful };

    // Takes port 1's setting and the trace file as they are now; false for a malformed
    // TQXCOMM_PORT1.
    bool Configure();
    // After two silent attempts at this unit: does the unit that answered last still
    // answer on this line? Then the cause is the unit, not the line.
    void CheckOtherUnit();
    // False, at once, while a port that could not be opened waits for the next command.
    bool EnsureConnected();
    bool Connect();
    // False, with the call failed, for a request the block map refuses or while the
    // controller counts as silent.
    bool BeginCall(bool write, bool valid, int32_t* status);
    // Reads or writes registers [first, first + count) in requests of at most 125 (read)
    // or 123 (write) registers.
    bool Pieces(bool write, uint32_t first, uint32_t count, uint16_t* regs);
    // One request (function 16 when `write`, else 03), retried once on a bad or lost answer.
    bool Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs);
    // Sends one request and collects its answer within the response timeout; `sent` is
    // when the request went out.
    Outcome Attempt(const ModbusRequest& request, uint16_t* regs, Clock::time_point& sent);
    Outcome AttemptOnce(const ModbusRequest& request, uint16_t* regs, Clock::time_point& sent);
    // What the answer collected so far comes to; false while it is still incomplete.
    bool TakeAnswer(const ModbusRequest& request, std::vector<uint8_t>& answer, uint16_t* regs,
                    Outcome& outcome);
    // RTU has no transaction id: an answer (`frame`) is used only when nothing came with it
    // and the line stays quiet after it: for the gap between frames, and for a margin
    // more when it repeats an answer of the last moments byte for byte. False (counted,
    // the failure set) when it did not: the answer may be a copy of an earlier one with
    // the real one behind it.
    // `sent`: when the request of `requestBytes` went out.
    bool AnswerStandsAlone(const std::vector<uint8_t>& frame, Clock::time_point sent,
                           size_t requestBytes);
    // Counts and traces an answer not used because it may be a copy, and records why the
    // attempt failed; false, for AnswerStandsAlone to return.
    bool Doubtful(const std::string& why);
    // Keeps bytes that came but were not used (a garbled or late answer) among the answers
    // heard lately.
    void RememberHeard(std::vector<uint8_t> bytes);
    // RTU has no transaction id: after a request whose answer may still come, a short read
    // of a length no such request had goes first, and every frame before its answer is
    // dropped. A controller answers in order, so what arrives after it answers what the
    // transport asks next. Ok when it was answered.
    Outcome Resync(uint8_t unit);
    void Fail(LinkCause cause, int systemError = 0, std::string detail = {});
    // Forgets any silence: on a fresh Open, and when the controller answered at all (a
    // garbled frame or an exception shows it is there).
    void ClearSilence();
    // The end of a call with a valid request, with its statistics.
    int32_t CallDone(uint32_t bytes, int32_t* status);
    int32_t CallFailed(int32_t* status);

    PortChoice m_port;
    PortSettings m_settings; // taken from m_port while m_configured
    bool m_configured = false;
    int m_lastAnsweredUnit = 0; // on this line
    bool m_openFailed = false;  // until the next command, calls fail at once
    bool m_retriedInCall = false;
    bool m_writeCall = false;
    uint16_t m_transaction = 0;
    // RTU requests (their register counts; 0 for a write) whose answers may still arrive.
    std::vector<uint16_t> m_unsettled;
    uint16_t m_skippedTransaction = 0; // TCP: an answer to another transaction came
    bool m_heardStale = false;         // a resynchronising read dropped late answers
    bool m_justResynced = false;       // the attempt under way follows a resynchronising read
    Clock::time_point m_staleAt{};     // when those (or stray bytes) began to arrive
    size_t m_trailing = 0;             // bytes that came after the answer TakeAnswer took
    // How long the controller took over its last answers, from the request going out to
    // the whole answer in, with their shapes; and the margin a repeated answer waits
    // beyond the slowest of its shape for the real answer behind a copy.
    struct Turnaround {
        size_t requestBytes = 0;
        size_t answerBytes = 0;
        Clock::duration took{};
    };
    static constexpr size_t kTurnaroundsKept = 32;
    static constexpr int kTurnaroundSlackMs = 5;
    std::deque<Turnaround> m_turnarounds;
    // RTU answers heard lately, used or dropped, with when they came: a repeat of one may
    // be its copy.
    std::deque<std::pair<Clock::time_point, std::vector<uint8_t>>> m_recentAnswers;
    bool m_sentInCall = false; // a request of this call went out on the line
    Clock::time_point m_silentUntil{};
    LinkFailure m_failure;
    LinkStatistics m_stats;
    ModbusLine m_line{m_stats};
};

// The transport TQXOpenSerialPort and friends use unless a test installs another backend.
ModbusTransport& TheModbusTransport();
