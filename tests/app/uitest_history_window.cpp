// What the History window changes in the history and reads out of it as a whole: a snapshot
// moved to the controller it was taken of, two entries of one controller joined, the chain
// verified after both, and the audit report of the joined controller.
#include "app/document.h"
#include "app/history_dialog.h"
#include "app/main_frame.h"
#include "files/whole_file.h"
#include "history/history_location.h"
#include "history/sqlite_history.h"
#include "support/history_settle.h"
#include "support/modal_driver.h"
#include "support/pdf_text.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const QString kWindow = QStringLiteral("HistoryDialog");

void Click(QWidget* window, const char* name) {
    auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Pressed once the action that asks for it has returned: it opens a modal window.
void ClickLater(QWidget* window, const char* name) {
    QTimer::singleShot(0, window, [window, name] { Click(window, name); });
}

// The row of the controller with that unit.
int RowOfUnit(QWidget* window, int unit) {
    auto* list = window->findChild<QTableWidget*>(QStringLiteral("controllers"));
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->item(row, 3)->text().toInt() == unit)
            return row;
    return -1;
}

QString Cell(QWidget* window, int row, int column) {
    return window->findChild<QTableWidget*>(QStringLiteral("controllers"))
        ->item(row, column)
        ->text();
}

TEST(HistoryWindow, MoveJoinVerifyAndTheAuditReport) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("history.sqlite")).toStdString();
    {
        // Furnace 3 on unit 1 (three snapshots, its P raised in the last); the same furnace
        // once recorded as unit 2 (two).
        SqliteHistory store;
        ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), "");
        NewSnapshot s;
        s.program = "tqxloader 1.6";
        SetStartValues(s.set);
        for (int unit : {2, 2, 1, 1, 1}) {
            s.controller = {"tcp:10.0.4.17:502", unit, "PXT4TEY1T-00121"};
            s.set.pid[0].SetWord(PidGroupRecord::P,
                                 static_cast<int16_t>(s.set.pid[0].Word(PidGroupRecord::P) + 5));
            ASSERT_EQ(store.Record(s), "");
        }
        std::vector<ControllerEntry> controllers;
        ASSERT_EQ(store.Controllers(controllers), "");
        ASSERT_EQ(store.SetLabel(controllers.front().id, "Furnace 3"), "");
    }
    const std::string before = std::getenv("TQX_HISTORY") ? std::getenv("TQX_HISTORY") : "";
    ::setenv("TQX_HISTORY", path.c_str(), 1);
    const std::string audit = folder.filePath(QStringLiteral("audit.csv")).toStdString();
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers(true);
    AnsweringFilePrompts prompts(audit);
    CTQXLOADER961114Doc document(image, messages, cursor);
    document.SetQuestions(&answers);
    document.SetFilePrompts(&prompts);
    CMainFrame frame(document);

    ModalDriver driver;
    QString afterMove, afterJoin, chain, written;
    const auto pickFirst = [](QWidget* pick) {
        pick->findChild<QListWidget*>(QStringLiteral("choices"))->setCurrentRow(0);
        Click(pick, "OK");
    };
    driver.ThenIn(kWindow, [](QWidget* window) {
        auto* history = static_cast<HistoryDialog*>(window);
        SettleHistory(*history);
        history->SelectController(RowOfUnit(window, 1));
        SettleHistory(*history);
        history->SelectSnapshots({5});
        ClickLater(window, "move");
    });
    driver.ThenIn(QStringLiteral("PickOne"), pickFirst);
    driver.ThenIn(kWindow, [&](QWidget* window) {
        auto* history = static_cast<HistoryDialog*>(window);
        SettleHistory(*history);
        afterMove =
            Cell(window, RowOfUnit(window, 1), 5) + " " + Cell(window, RowOfUnit(window, 2), 5);
        history->SelectController(RowOfUnit(window, 2));
        ClickLater(window, "join");
    });
    driver.ThenIn(QStringLiteral("PickOne"), pickFirst);
    driver.ThenIn(kWindow, [&](QWidget* window) {
        auto* history = static_cast<HistoryDialog*>(window);
        SettleHistory(*history);
        auto* list = window->findChild<QTableWidget*>(QStringLiteral("controllers"));
        afterJoin =
            QString::number(list->rowCount()) + " " + Cell(window, 0, 0) + " " + Cell(window, 0, 5);
        Click(window, "verify");
        SettleHistory(*history);
        chain = window->findChild<QLabel*>(QStringLiteral("status"))->text();
        ClickLater(window, "audit");
    });
    driver.ThenIn(QStringLiteral("AuditPeriod"), [](QWidget* period) {
        period->findChild<QRadioButton*>(QStringLiteral("csv"))->setChecked(true);
        Click(period, "OK");
    });
    driver.ThenIn(kWindow, [&](QWidget* window) {
        SettleHistory(*static_cast<HistoryDialog*>(window));
        written = window->findChild<QLabel*>(QStringLiteral("status"))->text();
        ClickLater(window, "audit");
    });
    // Then as PDF, the format first offered, painted on the window's reader.
    driver.ThenIn(QStringLiteral("AuditPeriod"), [](QWidget* period) { Click(period, "OK"); });
    driver.ThenIn(kWindow, [&](QWidget* window) {
        SettleHistory(*static_cast<HistoryDialog*>(window));
        Click(window, "close");
    });
    document.Run(Command::History);
    ::setenv("TQX_HISTORY", before.c_str(), 1);

    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
    EXPECT_EQ(afterMove, "2 3");
    ASSERT_EQ(answers.Asked().size(), 2u);
    EXPECT_NE(answers.Asked()[0].find("Move snapshot 5 ("), std::string::npos)
        << answers.Asked()[0];
    // The join names both: the one joined and the one it goes into, by number and label.
    EXPECT_EQ(answers.Asked()[1].rfind("Join #1 (PXT4TEY1T-00121, unit 2, port tcp:10.0.4.17:502) "
                                       "into #2 \"Furnace 3\" (PXT4TEY1T-00121, unit 1, ",
                                       0),
              0u)
        << answers.Asked()[1];
    EXPECT_EQ(afterJoin, "1 Furnace 3 5");
    EXPECT_TRUE(chain.startsWith(QStringLiteral("Chain whole: 5 snapshots, 3 events; last hash ")))
        << chain.toStdString();
    EXPECT_EQ(written.toStdString(),
              "Audit report written to " + audit + ": 5 snapshots, 3 events");
    std::string csv;
    ASSERT_EQ(ReadWholeFile(audit, csv), "");
    EXPECT_NE(csv.find("controller #1 joined into controller #2"), std::string::npos) << csv;
    EXPECT_NE(csv.find("snapshot 5 moved from controller #2 to controller #1"), std::string::npos)
        << csv;
    const std::string pdf = PdfText(audit + ".pdf");
    EXPECT_NE(pdf.find("controller #1 joined into controller #2"), std::string::npos) << pdf;
}

} // namespace
