#pragma once

#include "app/history_dialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Lets the window's thread go on until the History window has what it asked of the history
// and shows it, as a person waits for the list before reading it.
inline void SettleHistory(const HistoryDialog& window, int limitMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!window.Settled() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
