#pragma once

#include "app/document.h"

#include <QMainWindow>

class QLabel;
class QProgressBar;

// The main window: menu bar, status bar, and the empty view.
class CMainFrame : public QMainWindow, public ConnectStatus {
    Q_OBJECT
public:
    CMainFrame(CTQXLOADER961114Doc& document, QWidget* parent = nullptr);

    void ShowConnectProgress(int done, int total, const QString& what) override;
    void ClearConnectProgress() override;
    void ShowFileDone(const QString& text) override;
    // Shows port 1 and its state in the permanent pane after the message pane.
    void UpdatePortPane();

private:
    void CreateMenus();
    void CreateStatusBar();

    CTQXLOADER961114Doc& m_document;
    QLabel* m_idle = nullptr;
    QLabel* m_activity = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_port = nullptr;
};
