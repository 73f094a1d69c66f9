#pragma once

#include "app/document.h"

#include <QMainWindow>

class QLabel;
class QProgressBar;
class CTQXLOADER961114View;

// The main window: menu bar, status bar, and the view with the summary.
class CMainFrame : public QMainWindow, public ShellStatus {
    Q_OBJECT
public:
    CMainFrame(CTQXLOADER961114Doc& document, QWidget* parent = nullptr);

    void ShowProgress(int done, int total, const QString& what) override;
    void ClearProgress() override;
    void ShowFileDone(const QString& text) override;
    // Shows port 1 and its state in the permanent pane after the message pane.
    void UpdatePortPane();

    CTQXLOADER961114View* View() const { return m_view; }

protected:
    // With edits neither sent nor written to a file, asks whether to close anyway.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void ShowSummary();
    void CreateStatusBar();

    CTQXLOADER961114Doc& m_document;
    CTQXLOADER961114View* m_view = nullptr;
    QLabel* m_idle = nullptr;
    QLabel* m_activity = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_port = nullptr;
};
