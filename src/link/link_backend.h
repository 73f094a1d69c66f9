#pragma once

#include <cstdint>

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
