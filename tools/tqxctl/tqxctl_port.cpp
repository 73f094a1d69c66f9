// Port 1 as tqxctl uses it: its transport and link, and Ctrl+C (or SIGTERM), which stops
// the link after the call under way; a second one ends tqxctl at once.
//
// The handler reaches what it stops through the three atomics below: a signal handler is
// handed nothing, so they are the one state of tqxctl that is not passed down.

#include "tqxctl_commands.h"

#include "link/modbus_transport.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

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

TqxctlContext::TqxctlContext(const PortSettings& port) : transport(true), link(transport) {
    transport.UseSettings(port);
}
