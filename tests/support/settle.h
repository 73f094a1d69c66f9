#pragma once

#include "app/document.h"
#include "app/history_recorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Lets the window's thread go on until the document's operations are over and the history
// has written what they recorded, as a person waits for a command to finish before
// looking at what it did. An operation that opens a
// dialog afterwards (a confirmation, a result) is answered by the test's ModalDriver.
inline void Settle(CTQXLOADER961114Doc& document, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while ((document.Link().Busy() || !document.History().Written()) && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents(); // what the history's thread said back
}
