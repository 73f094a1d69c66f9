#include "app/application.h"

#include "app/document.h"
#include "app/main_frame.h"
#include "link/port1.h"
#include "widgets/saved_settings_qt.h"

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
    m_frame->show();
    return exec();
}
