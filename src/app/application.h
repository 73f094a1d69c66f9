#pragma once

#include "widgets/dialog_support_qt.h"

#include <QApplication>

#include <memory>

class CMainFrame;
class CTQXLOADER961114Doc;

// The application object: creates the document, the main window and its view.
class CTQXLOADER961114App : public QApplication {
    Q_OBJECT
public:
    CTQXLOADER961114App(int& argc, char** argv);
    ~CTQXLOADER961114App() override;

    // Shows the main window and runs the message loop.
    int Run();

private:
    QtMessages m_messages;
    QtCursor m_cursor;
    std::unique_ptr<CTQXLOADER961114Doc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
};
