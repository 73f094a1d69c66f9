#include "link/tqxcomm.h"
#include "link/link_backend.h"
#include "link/link_journal.h"

#include <chrono>

namespace {

LinkBackend* g_installed = nullptr;
LinkJournal g_journal;

// Runs one call and keeps it in the journal.
template <class Call>
int32_t Journaled(int32_t mode, int32_t block, int32_t offset, int32_t length, bool write,
                  Call call) {
    TransferEntry entry;
    entry.wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    entry.mode = mode;
    entry.block = block;
    entry.offset = offset;
    entry.length = length;
    entry.write = write;
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = call();
    entry.durationMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    entry.ok = result != 0;
    if (!entry.ok) {
        entry.cause = CurrentLinkBackend().LastFailure().cause;
        g_journal.lastError = LinkFailureText();
    }
    g_journal.recent.push_back(entry);
    while (g_journal.recent.size() > LinkJournal::kKept)
        g_journal.recent.pop_front();
    return result;
}

} // namespace

LinkBackend& DefaultLinkBackend(); // the Modbus transport (modbus_transport.cpp)

void SetLinkBackend(LinkBackend* backend) {
    g_installed = backend;
}

LinkBackend& CurrentLinkBackend() {
    return g_installed ? *g_installed : DefaultLinkBackend();
}

const LinkJournal& TheLinkJournal() {
    return g_journal;
}

void ClearLinkJournal() {
    g_journal = LinkJournal{};
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
    return Journaled(mode, block, offset, length, false, [&] {
        return CurrentLinkBackend().Read(mode, block, offset, length, buffer,
                                         status ? status : &ignored);
    });
}

int32_t TQXWrite(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                 int32_t* status) {
    int32_t ignored = 0;
    return Journaled(mode, block, offset, length, true, [&] {
        return CurrentLinkBackend().Write(mode, block, offset, length, buffer,
                                          status ? status : &ignored);
    });
}

} // extern "C"
