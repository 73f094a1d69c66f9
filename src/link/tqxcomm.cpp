#include "link/tqxcomm.h"
#include "link/link_backend.h"

namespace {

// Stands in until the Modbus transport is linked in: every transfer fails.
class FailingBackend : public LinkBackend {
public:
    int32_t Open(int32_t) override { return 0; }
    int32_t Close() override { return 0; }
    int32_t Read(int32_t, int32_t, int32_t, int32_t, void*, int32_t* status) override {
        if (status)
            *status = -1;
        return 0;
    }
    int32_t Write(int32_t, int32_t, int32_t, int32_t, const void*, int32_t* status) override {
        if (status)
            *status = -1;
        return 0;
    }
};

LinkBackend* g_installed = nullptr;

} // namespace

LinkBackend& DefaultLinkBackend(); // defined by the transport

void SetLinkBackend(LinkBackend* backend) {
    g_installed = backend;
}

LinkBackend& CurrentLinkBackend() {
    return g_installed ? *g_installed : DefaultLinkBackend();
}

// Replaced by the Modbus transport.
__attribute__((weak)) LinkBackend& DefaultLinkBackend() {
    static FailingBackend backend;
    return backend;
}

extern "C" {

int32_t TQXOpenSerialPort(int32_t port) {
    return CurrentLinkBackend().Open(port);
}

int32_t TQXCloseSerialPort(void) {
    return CurrentLinkBackend().Close();
}

int32_t TQXRead(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                int32_t* status) {
    int32_t ignored = 0;
    return CurrentLinkBackend().Read(mode, block, offset, length, buffer,
                                     status ? status : &ignored);
}

int32_t TQXWrite(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                 int32_t* status) {
    int32_t ignored = 0;
    return CurrentLinkBackend().Write(mode, block, offset, length, buffer,
                                      status ? status : &ignored);
}

} // extern "C"
