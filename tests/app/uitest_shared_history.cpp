// Two loaders on one shared history: what one sends is in the other's History window once
// it is refreshed. Loader A records; loader B has its History window open on the server.
#include "app/document.h"
#include "app/history_dialog.h"
#include "app/history_snapshot_model.h"
#include "app/main_frame.h"
#include "files/file_test_support.h"
#include "support/history_settle.h"
#include "support/modal_driver.h"
#include "support/private_postgres.h"
#include "support/settle.h"
#include "support/sim_process.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

void Click(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Loader B only reads; none of its buttons that act on the loader is pressed.
class NoActions : public HistoryActions {
public:
    void CompareSnapshots(const ReadSnapshot&, const ReadSnapshot&) override {}
    void CompareWithLoader(const ReadSnapshot&) override {}
    void CompareWithController(const ReadSnapshot&) override {}
    bool Load(const ReadSnapshot&) override { return false; }
    void Export(const ReadSnapshot&) override {}
    void Report(const ReadSnapshot&) override {}
};

TEST(SharedHistoryLoaders, WhatOneLoaderSendsTheOtherSeesAfterARefresh) {
    TQX_NEED_POSTGRES();
    const std::string server = PrivatePostgres::Shared().NewDatabase();
    filetest::TempFolder folder;
    const char* before = std::getenv("TQX_HISTORY");
    const std::string kept = before ? before : "";
    ::setenv("TQX_HISTORY", server.c_str(), 1);
    ::setenv("TQX_HISTORY_LOCAL", folder.File("loader-a.sqlite").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);

    // Loader A connects.
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers(true);
    CTQXLOADER961114Doc a(image, messages, cursor);
    a.SetVerifyAfterSend(true, false);
    a.SetQuestions(&answers);
    CMainFrame frame(a);
    ModalDriver driver;
    driver.Then([](QWidget* modal) { Click(modal, "OK"); });
    a.Run(Command::ConnectStart);
    Settle(a);

    // Loader B's History window shows that Connect.
    NoActions actions;
    RecordingMessages bSaid;
    AnsweringQuestions bAnswers(true);
    AnsweringFilePrompts bPrompts("");
    HistoryDialog b(server, actions, bSaid, bAnswers, bPrompts);
    b.show();
    SettleHistory(b);
    auto* list = b.findChild<QTableView*>(QStringLiteral("snapshots"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->model()->rowCount(), 1) << "loader A's Connect";

    // Loader A sends PID group 1's P.
    driver.Then([](QWidget* modal) {
        modal->findChild<QLineEdit*>("P")->setText(QStringLiteral("7.7"));
        Click(modal, "SEND");
        Click(modal, "CANCEL");
    });
    a.OpenGroup(GroupId::Pid(1));
    Settle(a);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(list->model()->rowCount(), 1) << "not before a refresh";

    Click(&b, "refresh");
    SettleHistory(b);
    ASSERT_EQ(list->model()->rowCount(), 2);
    const QString what =
        list->model()->index(0, SnapshotPages::What).data(Qt::DisplayRole).toString();
    EXPECT_EQ(what, QStringLiteral("SEND PID group 1, verified")) << what.toStdString();
    EXPECT_TRUE(bSaid.Texts().empty()) << bSaid.Texts().front();
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();

    ::unsetenv("TQXCOMM_PORT1");
    ::unsetenv("TQX_HISTORY_LOCAL");
    ::setenv("TQX_HISTORY", kept.c_str(), 1);
}

} // namespace
