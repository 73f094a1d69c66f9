#include "link/tqxcomm.h"
#include "link/link_backend.h"

namespace {

LinkBackend* g_installed = nullptr;

} // namespace

LinkBackend& DefaultLinkBackend(); // the Modbus transport (modbus_transport.cpp)

void SetLinkBackend(LinkBackend* backend) {
    g_installed = backend;
}

LinkBackend& CurrentLinkBackend() {
    return g_installed ? *g_installed : DefaultLinkBackend();
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
