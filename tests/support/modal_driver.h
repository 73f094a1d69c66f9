#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <utility>

// Drives modal dialogs opened by code under test: each queued action runs, in order, on
// the next modal widget that appears, while the code under test blocks in exec().
class ModalDriver {
public:
    using Action = std::function<void(QWidget*)>;

    ModalDriver() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    }

    void Then(Action action) { ThenIn(QString(), std::move(action)); }
    // The action waits for a modal window of that object name: one that opens only once
    // something asked in the background has come back.
    void ThenIn(const QString& objectName, Action action) {
        m_actions.push_back({objectName, std::move(action)});
        m_timer.start();
    }

    bool Done() const { return m_actions.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        // The progress of a transfer is not a window the code under test waits on.
        if (modal && modal->objectName() == QLatin1String("TransferProgress"))
            return;
        if (!modal || modal == m_last || m_actions.empty())
            return;
        if (!m_actions.front().first.isEmpty() && modal->objectName() != m_actions.front().first)
            return;
        m_last = modal;
        Action action = std::move(m_actions.front().second);
        m_actions.pop_front();
        if (m_actions.empty())
            m_timer.stop();
        action(modal);
        // A dialog that stays open after the action may be driven again by the next one.
        if (modal->isVisible())
            m_last = nullptr;
    }

    QTimer m_timer;
    std::deque<std::pair<QString, Action>> m_actions;
    // Cleared when that window is destroyed: the next one may be built at the same address.
    QPointer<QWidget> m_last;
};
