#pragma once

#include "app/document.h"

#include <QMainWindow>
#include <QTimer>

class QLabel;
class WordElidedLabel;
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
    void ShowDone(const QString& text) override;
    void ShowHistoryNotRecorded(const QString& why) override;
    void ShowHistoryNotice(const QString& text) override;
    // Shows port 1 and its state in the permanent pane after the message pane.
    void UpdatePortPane();

    CTQXLOADER961114View* View() const { return m_view; }

    // The program is asked to end (SIGTERM, the session ending): a transfer under way
    // stops after its current call, then the program exits; no question is asked.
    void QuitAfterTransfer();

protected:
    // During a transfer, asks whether to stop it after the current call and close once the
    // link is idle. Then, with edits neither sent nor written to a file, asks whether to
    // close anyway.
    void closeEvent(QCloseEvent* event) override;

private:
    // Closing was asked for while a transfer ran.
    void StopTransferAndClose();
    // The link is idle: closes what asked to be closed, one window at a time.
    void CloseWhatWaits();
    void CreateMenus();
    void ShowSummary();
    void CreateStatusBar();

    CTQXLOADER961114Doc& m_document;
    CTQXLOADER961114View* m_view = nullptr;
    // The message pane: "TQXLOADER" until a command is over, then what it did.
    WordElidedLabel* m_idle = nullptr;
    WordElidedLabel* m_activity = nullptr;
    QProgressBar* m_progress = nullptr;
    WordElidedLabel* m_port = nullptr;
    bool m_closeWhenIdle = false;
    bool m_quitWhenIdle = false;
    QTimer* m_closing = nullptr;
};
