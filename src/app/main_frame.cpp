#include "app/main_frame.h"

#include "app/transfer_runner.h"
#include "app/view.h"
#include "editors/parameter_listing.h"
#include "widgets/saved_settings_qt.h"
#include "widgets/word_elided_label_qt.h"

#include <QApplication>

#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

CMainFrame::CMainFrame(CTQXLOADER961114Doc& document, QWidget* parent)
    : QMainWindow(parent), m_document(document) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("TQXLOADER"));
    CreateMenus();
    CreateStatusBar();
    m_view = new CTQXLOADER961114View(document.Image(), this);
    setCentralWidget(m_view);
    m_document.SetWindow(this, this);
    m_closing = new QTimer(this);
    m_closing->setInterval(100);
    connect(m_closing, &QTimer::timeout, this, &CMainFrame::CloseWhatWaits);
    connect(&m_document.Runner(), &TransferRunner::Idle, this, [this] {
        UpdatePortPane(); // what the operation learnt of port 1, read once the worker is idle
        if (m_closeWhenIdle || m_quitWhenIdle)
            m_closing->start();
    });
    connect(&m_document.Runner(), &TransferRunner::CloseRequested, this,
            &CMainFrame::StopTransferAndClose);
    connect(&m_document, &CTQXLOADER961114Doc::Changed, this, &CMainFrame::ShowSummary);
    connect(m_view, &CTQXLOADER961114View::GroupActivated, this,
            [this](int row) { m_document.OpenGroup(GroupId::FromIndex(row)); });
    ShowSummary();
    // Where the operator left it; the first time, tall enough for every group's row.
    if (!restoreGeometry(SavedSettings().WindowGeometry())) {
        const QRect room = screen()->availableGeometry();
        const int height = menuBar()->sizeHint().height() + m_view->HeightForAllRows() +
                           statusBar()->sizeHint().height();
        resize(QSize(std::max(760, sizeHint().width()), height)
                   .boundedTo(room.size() - QSize(16, 48)));
    }
}

// The summary and the port 1 pane follow every change of the parameter set or the link,
// whether it came through a menu or through a group opened from the summary.
void CMainFrame::ShowSummary() {
    std::array<std::string, kGroupCount> changed;
    for (GroupId group : AllGroups()) {
        if (!m_document.States().At(group).unsent)
            continue;
        for (const std::string& name :
             ChangedNames(m_document.Image(), m_document.Set().Reference(), group))
            changed[static_cast<size_t>(group.Index())] +=
                (changed[static_cast<size_t>(group.Index())].empty() ? "" : ", ") + name;
    }
    m_view->ShowSummary(m_document.Header(), m_document.States(), changed);
    UpdatePortPane();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_document.Runner().Busy()) {
        // Never in the middle of a transfer: a half-written controller is worse than a
        // late close.
        event->ignore();
        StopTransferAndClose();
        return;
    }
    m_closeWhenIdle = false;
    if (m_document.MayClose()) {
        SavedSettings().SetWindowGeometry(saveGeometry());
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainFrame::StopTransferAndClose() {
    if (m_closeWhenIdle || m_quitWhenIdle)
        return;
    if (!m_document.Ask().Ask("A transfer with TQX is under way.\nStop it after the current "
                              "call and close TQXLOADER?"))
        return;
    m_closeWhenIdle = true;
    m_document.Link().RequestCancel();
    // The operation went on while the question was open, and may be over already.
    if (!m_document.Runner().Busy())
        m_closing->start();
}

void CMainFrame::QuitAfterTransfer() {
    m_quitWhenIdle = true;
    m_document.Link().RequestCancel();
    if (!m_document.Runner().Busy())
        m_closing->start();
}

void CMainFrame::CloseWhatWaits() {
    if (m_document.Runner().Busy())
        return; // a procedure that was stopped is still winding down
    if (m_quitWhenIdle) {
        m_closing->stop();
        QCoreApplication::exit(0);
        return;
    }
    // The windows above the main window first: an editor, the box it shows.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        return;
    }
    m_closing->stop();
    close();
}

void CMainFrame::CreateMenus() {
    QMenu* menu = nullptr;
    QString title;
    std::set<char> titleKeys, itemKeys;
    for (const MenuItem& entry : MenuBarItems()) {
        if (!menu || title != QLatin1String(entry.menu)) {
            title = QLatin1String(entry.menu);
            menu = menuBar()->addMenu(QString::fromStdString(WithAccessKey(entry.menu, titleKeys)));
            itemKeys.clear();
            // Items that cannot run now are greyed each time the menu opens.
            QMenu* opened = menu;
            connect(menu, &QMenu::aboutToShow, this, [this, opened] {
                for (QAction* a : opened->actions()) {
                    if (a->isSeparator())
                        continue;
                    const auto command = static_cast<Command>(a->property("commandId").toInt());
                    a->setEnabled(m_document.CanRun(command));
                    if (a->isCheckable())
                        a->setChecked(m_document.IsChecked(command));
                }
            });
        }
        if (entry.separatorBefore)
            menu->addSeparator();
        QAction* action =
            menu->addAction(QString::fromStdString(WithAccessKey(entry.item, itemKeys)));
        action->setProperty("commandId", static_cast<int>(entry.command));
        action->setStatusTip(QLatin1String(entry.prompt));
        if (entry.shortcut)
            action->setShortcut(QKeySequence(QLatin1String(entry.shortcut)));
        if (entry.checkable) {
            action->setCheckable(true);
            action->setChecked(m_document.IsChecked(entry.command));
        }
        const Command command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] {
            m_document.Run(command);
            // The worker owns the link while an operation runs; Idle updates the pane then.
            if (!m_document.Runner().Busy())
                UpdatePortPane();
        });
    }
}

void CMainFrame::CreateStatusBar() {
    m_idle = new WordElidedLabel(this);
    m_idle->setObjectName(QStringLiteral("idle"));
    m_idle->setAccessibleName(QStringLiteral("Last command"));
    m_idle->SetFullText(QStringLiteral("TQXLOADER"));
    m_activity = new WordElidedLabel(this);
    m_activity->SetFirstToKeep(true); // the step and its count before port 1's pane
    m_activity->setObjectName(QStringLiteral("activity"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    // The count is in the step's text; the bar only shows how far.
    m_progress->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 20);
    m_progress->setTextVisible(false);
    statusBar()->addWidget(m_idle, 1);
    statusBar()->addWidget(m_activity, 1);
    statusBar()->addPermanentWidget(m_progress);
    m_port = new WordElidedLabel(this);
    m_port->setObjectName(QStringLiteral("port1"));
    m_port->setAccessibleName(QStringLiteral("Port 1"));
    statusBar()->addPermanentWidget(m_port);
    m_activity->hide();
    m_progress->hide();
    UpdatePortPane();
}

void CMainFrame::UpdatePortPane() {
    const QString text = QString::fromStdString(m_document.PortPaneText());
    m_port->SetFullText(text);
}

// A path or a history's reason is the status bar's message until a menu's prompt takes its
// place; the message pane below keeps it after that, cut at a word.
void CMainFrame::ShowFileDone(const QString& text) {
    statusBar()->showMessage(text);
    m_idle->SetFullText(text);
}

void CMainFrame::ShowDone(const QString& text) {
    statusBar()->clearMessage();
    m_idle->SetFullText(text);
}

void CMainFrame::ShowHistoryNotRecorded(const QString& why) {
    ShowHistoryNotice(QStringLiteral("History not recorded: ") + why);
}

void CMainFrame::ShowHistoryNotice(const QString& text) {
    // After what the command itself said ("Written to ..."), never instead of it.
    const QString said = statusBar()->currentMessage();
    const QString shown = said.isEmpty() ? text : said + QStringLiteral("; ") + text;
    statusBar()->showMessage(shown);
    m_idle->SetFullText(shown);
}

void CMainFrame::ShowProgress(int done, int total, const QString& what) {
    statusBar()->clearMessage();
    m_idle->hide();
    m_activity->SetFullText(
        total > 0 ? what + QStringLiteral("  (%1 of %2)").arg(done + 1).arg(total) : what);
    m_activity->show();
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progress->show();
    // The transfers block the event loop; paint the status bar now, user input stays queued.
    statusBar()->repaint();
}

void CMainFrame::ClearProgress() {
    m_activity->hide();
    m_progress->hide();
    m_idle->show();
    statusBar()->repaint();
}
