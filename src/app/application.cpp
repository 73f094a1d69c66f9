#include "app/application.h"

#include "app/document.h"
#include "app/main_frame.h"
#include "app/transfer_runner.h"
#include "link/port1.h"
#include "widgets/saved_settings_qt.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// SIGTERM reaches the event loop through a socket: the handler only writes a byte.
int g_termination[2] = {-1, -1};

void OnTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_termination[0], &byte, 1);
}

} // namespace

CTQXLOADER961114App::CTQXLOADER961114App(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: the platform would append it to every window title.
    setApplicationName(QStringLiteral("TQXLOADER961114"));
}

CTQXLOADER961114App::~CTQXLOADER961114App() {
    // The view closes the link when the frame goes; then the document.
    m_frame.reset();
    m_document.reset();
}

int CTQXLOADER961114App::Run() {
    // Port 1 as the operator last saved it; TQXCOMM_PORT1 still wins.
    PortSettings saved;
    const std::string text = SavedSettings().Port1();
    if (!text.empty() && ParsePortSettings(text, saved))
        UsePort1Settings(saved);
    m_document = std::make_unique<CTQXLOADER961114Doc>(TheImage(), m_messages, m_cursor);
    m_frame = std::make_unique<CMainFrame>(*m_document);
    // Asked to end (SIGTERM, the session ending): a transfer under way finishes its call,
    // then the program exits.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_termination) == 0) {
        auto* notifier = new QSocketNotifier(g_termination[1], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(g_termination[1], &byte, 1);
            m_frame->QuitAfterTransfer();
        });
        struct sigaction action {};
        action.sa_handler = OnTermination;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
    }
    connect(this, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (m_document->Runner().Busy())
            m_frame->QuitAfterTransfer();
    });
    m_frame->show();
    return exec();
}
