#pragma once

#include "link/link_failure.h"

#include <array>
#include <cstdint>
#include <string>

// Counters of what went over the line since the last reset.
struct LinkStatistics {
    long transactions = 0;    // Modbus requests sent, retries included
    long wireBytes = 0;       // request and answer frames, as the protocol frames them
    long payloadBytes = 0;    // bytes the callers asked to move
    long bytesSent = 0;       // bytes written to the line
    long bytesReceived = 0;   // bytes read from the line, stray and late ones included
    long calls = 0;           // TQXRead/TQXWrite calls with a valid request, retries not counted
    long retriedCalls = 0;    // of those, calls that went through only on a retry
    long failedCalls = 0;     // of those, calls that failed: on the line, or at once while the
                              // controller counts as silent or the port cannot be opened
    long doubtfulAnswers = 0; // RTU answers not used because another frame came with them
                              // or in the quiet time after them; each asked again
    std::array<long, kLinkCauses> failuresByCause{}; // failed calls by their cause
};

// What TQXOpenSerialPort, TQXCloseSerialPort, TQXRead and TQXWrite dispatch to. The
// default is the Modbus transport; tests install an in-process simulated controller.
class LinkBackend {
public:
    virtual ~LinkBackend() = default;
    virtual int32_t Open(int32_t port) = 0;
    virtual int32_t Close() = 0;
    virtual int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                         int32_t* status) = 0;
    virtual int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                          const void* buffer, int32_t* status) = 0;

    // Why the last failed call failed (cause None when none failed since Open).
    virtual LinkFailure LastFailure() const { return {}; }
    // Port 1 as configured, for messages.
    virtual std::string PortText() const { return "port 1"; }
    virtual LinkStatistics Statistics() const { return {}; }
    // A new operator command: a port that could not be opened may be tried again.
    virtual void BeginCommand() {}
    virtual int SilentMs() const { return 0; }
    // The Modbus unit port 1 asks; 0 where the backend has none.
    virtual int Unit() const { return 0; }
    // From now on ask `unit` on the same line (the controller's station moved).
    virtual void MoveUnit(int) {}
};

// Installs a backend for the whole process; nullptr restores the Modbus transport.
// The caller keeps ownership and must uninstall it before destroying it.
void SetLinkBackend(LinkBackend* backend);
LinkBackend& CurrentLinkBackend();

// Installs a backend for the lifetime of the guard.
class ScopedLinkBackend {
public:
    explicit ScopedLinkBackend(LinkBackend& backend) { SetLinkBackend(&backend); }
    ~ScopedLinkBackend() { SetLinkBackend(nullptr); }
    ScopedLinkBackend(const ScopedLinkBackend&) = delete;
    ScopedLinkBackend& operator=(const ScopedLinkBackend&) = delete;
};
