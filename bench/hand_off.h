#pragma once

// A link whose every call is handed to another thread and waited for, as a window's
// worker runs each link call of a command while the window's thread waits: what such a
// hand-off costs a Connect, without a window. Queries (the failure, statistics, the unit)
// are answered on the caller's thread, as the window asks them.
#include "link/link_backend.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class HandOffBackend : public LinkBackend {
public:
    explicit HandOffBackend(LinkBackend& inner) : m_inner(inner), m_thread([this] { Worker(); }) {}
    ~HandOffBackend() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    HandOffBackend(const HandOffBackend&) = delete;
    HandOffBackend& operator=(const HandOffBackend&) = delete;

    int32_t Open(int32_t port) override {
        return Run([&] { return m_inner.Open(port); });
    }
    int32_t Close() override {
        return Run([&] { return m_inner.Close(); });
    }
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override {
        return Run([&] { return m_inner.Read(mode, block, offset, length, buffer, status); });
    }
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override {
        return Run([&] { return m_inner.Write(mode, block, offset, length, buffer, status); });
    }
    LinkFailure LastFailure() const override { return m_inner.LastFailure(); }
    std::string PortText() const override { return m_inner.PortText(); }
    LinkStatistics Statistics() const override { return m_inner.Statistics(); }
    void BeginCommand() override { m_inner.BeginCommand(); }
    int SilentMs() const override { return m_inner.SilentMs(); }
    int Unit() const override { return m_inner.Unit(); }
    void MoveUnit(int unit) override { m_inner.MoveUnit(unit); }

private:
    // Hands `call` to the worker and sleeps until it has returned.
    int32_t Run(const std::function<int32_t()>& call) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_job = &call;
        m_done = false;
        m_wake.notify_all();
        m_wake.wait(lock, [this] { return m_done; });
        return m_result;
    }

    void Worker() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_job; });
            if (m_stop)
                return;
            const std::function<int32_t()>* job = m_job;
            m_job = nullptr;
            lock.unlock();
            const int32_t result = (*job)();
            lock.lock();
            m_result = result;
            m_done = true;
            m_wake.notify_all();
        }
    }

    LinkBackend& m_inner;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    const std::function<int32_t()>* m_job = nullptr;
    int32_t m_result = 0;
    bool m_done = false;
    bool m_stop = false;
    std::thread m_thread; // last: starts once the members above exist
};
