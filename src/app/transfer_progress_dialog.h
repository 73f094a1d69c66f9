#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a transfer that takes longer than a moment: what is being done ("Reading
// program pattern 4 part 2"), n of m, the time since it began, and Cancel, which stops the
// transfer after the call in flight. Modal: no second operation starts meanwhile. Closing
// it is asking to close the loader.
class TransferProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit TransferProgressDialog(QWidget* parent = nullptr);

    // A new transfer began: the window is titled with the operation ("SEND of PID group
    // 3"), the clock starts, Cancel is offered again.
    void Begin(const QString& title);
    void ShowStep(const QString& what, int done, int total);

signals:
    void CancelRequested();
    void CloseRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowElapsed();

    QLabel* m_what;
    QLabel* m_count;
    QProgressBar* m_bar;
    QLabel* m_elapsed;
    QPushButton* m_cancel;
    QElapsedTimer m_clock;
    QTimer m_tick;
};
