// Port 1 as tqxctl uses it: its transport and link, and Ctrl+C (or SIGTERM), which stops
// the link after the call under way; a second one ends tqxctl at once.

#include "tqxctl_commands.h"

#include "link/modbus_transport.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <memory>

namespace {

std::atomic<TransferContext*> g_stoppable{nullptr};
std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_unlocked{false};

template <size_t N> void Say(const char (&text)[N]) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, N - 1);
}

void OnInterrupt(int) {
    if (g_interrupted.exchange(true)) {
        // The second one: at once.
        if (g_unlocked)
            Say("\ntqxctl: stopped at once: WDIS was left at 0, the controller is "
                "write-enabled\n");
        _exit(2);
    }
    if (g_unlocked)
        Say("\ntqxctl: stopping after the call under way; then WDIS goes back as it was "
            "(Ctrl+C again stops at once and leaves WDIS at 0)\n");
    if (TransferContext* link = g_stoppable.load())
        link->RequestCancel();
}

} // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void StopOnInterrupt(TransferContext* link) {
    g_stoppable = link;
    if (link && g_interrupted)
        link->RequestCancel();
}

bool Interrupted() {
    return g_interrupted;
}

void NoteControllerUnlocked(bool unlocked) {
    g_unlocked = unlocked;
}

namespace {
// The transport of port 1 and the link over it, as main chose them.
std::unique_ptr<ModbusTransport> g_transport;
std::unique_ptr<TransferContext> g_link;
} // namespace

void UseTqxctlPort(const PortSettings& settings) {
    g_link.reset();
    g_transport = std::make_unique<ModbusTransport>(true);
    g_transport->UseSettings(settings);
    g_link = std::make_unique<TransferContext>(*g_transport);
    StopOnInterrupt(g_link.get());
}

PortSettings TqxctlPort() {
    if (!g_transport)
        UseTqxctlPort(DefaultPortSettings());
    return g_transport->Settings();
}

TransferContext& TqxctlLink() {
    if (!g_link)
        UseTqxctlPort(DefaultPortSettings());
    return *g_link;
}
