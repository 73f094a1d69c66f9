#pragma once

#include "link/link_backend.h"
#include "simulator/controller_memory.h"

#include <cstdint>
#include <functional>
#include <vector>

// One TQXRead or TQXWrite call as the simulated controller saw it.
struct LinkCall {
    int32_t mode = 0;
    int32_t block = 0;
    int32_t offset = 0;
    int32_t length = 0;
    bool write = false;
    bool ok = false;
};

// An in-process controller for tests: the memory model tqx-sim serves, with the
// transport's refusal rules and the controller's write rules, recording every call.
// Install it with ScopedLinkBackend. Memory starts all zero.
class SimulatedController : public LinkBackend {
public:
    ControllerMemory& Memory() { return m_memory; }
    const ControllerMemory& Memory() const { return m_memory; }

    // Every TQXRead/TQXWrite call in order, refused and failed ones included (ok=false).
    const std::vector<LinkCall>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }

    int Opens() const { return m_opens; }
    int Closes() const { return m_closes; }
    int32_t LastOpenPort() const { return m_lastOpenPort; }

    // Calls for which `predicate` is true fail: result 0, buffer and memory untouched.
    // `index` is the call's position in Calls().
    void FailCalls(std::function<bool(const LinkCall& call, int index)> predicate) {
        m_fail = std::move(predicate);
    }
    void FailNone() { m_fail = nullptr; }

    int32_t Open(int32_t port) override;
    int32_t Close() override;
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override;
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override;

    // A failed call was refused (BadRequest), made to fail (NoAnswer) or refused by the
    // controller's write rules (Exception).
    LinkFailure LastFailure() const override { return m_failure; }
    std::string PortText() const override { return "simulated controller"; }

private:
    int32_t Transfer(int32_t mode, int32_t block, int32_t offset, int32_t length, bool write,
                     void* readBuffer, const void* writeBuffer, int32_t* status);

    ControllerMemory m_memory;
    std::vector<LinkCall> m_calls;
    std::function<bool(const LinkCall&, int)> m_fail;
    int m_opens = 0;
    int m_closes = 0;
    int32_t m_lastOpenPort = 0;
    LinkFailure m_failure;
};
