// The history of the loader against tqx-sim: the snapshots a Connect, a SEND and a second
// Connect leave, as tqxctl and the History window show them; the way back through a loaded
// snapshot and Send all; and Connect and SEND going on when the history cannot be written.
#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/history_dialog.h"
#include "app/history_recorder.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "link/link_backend.h"
#include "support/history_settle.h"
#include "support/modal_driver.h"
#include "support/private_postgres.h"
#include "support/settle.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <modbus.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

void Click(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Pattern 5, segment 1 SV: one more than it was, written over a connection of its own.
constexpr int kPattern5Sv = (0xC000 + 840 * 4) / 2;
uint16_t ChangeBehindTheLoader(const SimProcess& sim) {
    const std::string at = sim.Address();
    modbus_t* ctx = modbus_new_tcp_pi(at.substr(0, at.rfind(':')).c_str(),
                                      at.substr(at.rfind(':') + 1).c_str());
    uint16_t value = 0;
    if (ctx && modbus_connect(ctx) == 0) {
        modbus_read_registers(ctx, kPattern5Sv, 1, &value);
        modbus_write_register(ctx, kPattern5Sv, static_cast<uint16_t>(value + 1));
        modbus_close(ctx);
    }
    modbus_free(ctx);
    return value;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

struct LoaderHistory : ::testing::Test {
    LoaderHistory() {
        ::setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", folder.File("data").c_str(), 1);
        if (const char* own = std::getenv("TQX_HISTORY"))
            testsHistory = own;
        ::setenv("TQX_HISTORY", history.c_str(), 1);
    }
    ~LoaderHistory() override {
        ::unsetenv("TQXCOMM_PORT1");
        ::setenv("TQX_HISTORY", testsHistory.c_str(), 1);
    }
    void Start() {
        sim = std::make_unique<SimProcess>(std::vector<std::string>{"--tcp", "127.0.0.1:0"});
        ASSERT_TRUE(sim->Ready()) << sim->ReadyLine();
        ::setenv("TQXCOMM_PORT1", sim->PortSetting().c_str(), 1);
        document = std::make_unique<CTQXLOADER961114Doc>(image, messages, cursor);
        document->SetVerifyAfterSend(true, false);
        document->SetQuestions(&answers);
        frame = std::make_unique<CMainFrame>(*document);
    }
    void Connect() {
        driver.Then([](QWidget* modal) { Click(modal, "OK"); });
        document->Run(Command::ConnectStart);
        Settle(*document);
    }
    // PID group 1's P typed as `p` and sent from its editor.
    void SendPid1(const char* p) {
        driver.Then([p](QWidget* modal) {
            modal->findChild<QLineEdit*>("P")->setText(QString::fromLatin1(p));
            Click(modal, "SEND");
            Click(modal, "CANCEL");
        });
        document->OpenGroup(GroupId::Pid(1));
        Settle(*document);
    }
    std::string Row(GroupId group) const {
        auto* table = frame->View()->findChild<QTableWidget*>("groups");
        return table->item(group.Index(), 1)->text().toStdString();
    }
    std::string StatusText() const { return frame->statusBar()->currentMessage().toStdString(); }
    TqxctlResult Ctl(const std::string& args) {
        return Tqxctl("--history " + history + " --port " + sim->PortSetting() + " " + args);
    }

    filetest::TempFolder folder;
    const std::string history = folder.File("history.sqlite");
    std::string testsHistory;
    std::unique_ptr<SimProcess> sim;
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers{false};
    ModalDriver driver;
    std::unique_ptr<CTQXLOADER961114Doc> document;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(LoaderHistory, ConnectSendAChangeAndConnectAgainThenTheFirstSnapshotPutsItBack) {
    Start();
    EXPECT_EQ(HistoryRecorder::Path(), history) << "TQX_HISTORY chooses the history";
    Connect();
    // What the controller holds now, by tqxctl into a history of its own.
    const std::string backup = folder.File("backup-then.slk");
    ASSERT_EQ(Tqxctl("--history " + folder.File("other.sqlite") + " --port " + sim->PortSetting() +
                     " backup " + backup)
                  .status,
              0);
    SendPid1("7.7");
    ASSERT_EQ(Row(GroupId::Pid(1)), "sent and verified");
    const uint16_t sv = ChangeBehindTheLoader(*sim);
    Connect();
    ASSERT_TRUE(messages.Texts().empty()) << messages.Texts().front();
    EXPECT_EQ(document->History().LastFailure(), "");

    const TqxctlResult list = Ctl("history list");
    ASSERT_EQ(list.status, 0) << list.out;
    const std::vector<std::string> lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 4u) << list.out;
    EXPECT_NE(lines[0].find("unit 1  model code PXT9A1Y2T-0D1R  port tcp:127.0.0.1:"),
              std::string::npos)
        << list.out;
    EXPECT_NE(lines[1].find("     3  "), std::string::npos) << list.out;
    EXPECT_NE(lines[1].find("Connect  [all]"), std::string::npos) << list.out;
    EXPECT_NE(lines[2].find("SEND PID group 1, verified  [pid 1-9]"), std::string::npos)
        << list.out;
    EXPECT_NE(lines[3].find("Connect  [all]"), std::string::npos) << list.out;

    // The first against the last: the SEND and the change behind the loader's back.
    const TqxctlResult diff = Ctl("history diff 1 3");
    EXPECT_EQ(diff.status, 1) << diff.out;
    const std::vector<std::string> changes = Lines(diff.out);
    ASSERT_EQ(changes.size(), 3u) << diff.out;
    EXPECT_EQ(changes[0], "pid 1 P: 50 (5.0 %) | 77 (7.7 %)");
    EXPECT_EQ(changes[1].rfind("pattern 5 segment 1 SV: " + std::to_string(int16_t(sv)) + " (", 0),
              0u)
        << changes[1];
    EXPECT_NE(changes[1].find(" | " + std::to_string(int16_t(sv + 1)) + " ("), std::string::npos)
        << changes[1];
    EXPECT_EQ(changes[2], "2 parameters differ");

    const std::string exported = folder.File("snapshot-1.slk");
    ASSERT_EQ(Ctl("history export 1 " + exported).status, 0);
    EXPECT_EQ(filetest::Slurp(exported), filetest::Slurp(backup));

    // In the window: the SEND's changes, a label, a note, the first and last compared.
    std::string changed, compared;
    driver.Then([&](QWidget* modal) {
        auto* window = static_cast<HistoryDialog*>(modal);
        SettleHistory(*window);
        auto* controllers = window->findChild<QTableWidget*>("controllers");
        controllers->item(0, 0)->setText("Furnace 3");
        window->SelectSnapshots({2});
        SettleHistory(*window);
        auto* list = window->findChild<QTreeWidget*>("changes");
        changed = window->findChild<QLabel*>("changesTitle")->text().toStdString();
        if (list->topLevelItemCount() == 1 && list->topLevelItem(0)->childCount() == 1) {
            const QTreeWidgetItem* p = list->topLevelItem(0)->child(0);
            changed += "|" + (p->text(0) + " " + p->text(1) + " " + p->text(2)).toStdString();
        }
        window->findChild<QLineEdit*>("note")->setText("tuned after the audit");
        Click(window, "saveNote");
        SettleHistory(*window);
        window->SelectSnapshots({1, 3});
        // The Compare window is modal over this one: clicked once this action returns.
        QTimer::singleShot(0, window, [window] { Click(window, "compareTwo"); });
    });
    driver.ThenIn(QStringLiteral("CompareDialog"), [&](QWidget* modal) {
        compared = static_cast<CompareDialog*>(modal)->Text().toStdString();
        Click(modal, "close");
        QWidget* history = modal->parentWidget();
        QTimer::singleShot(0, history, [history] { Click(history, "close"); });
    });
    document->Run(Command::History);
    Settle(*document);
    // The time stands alone there: it names its zone.
    EXPECT_EQ(changed, "1 parameter changed since snapshot 1 (" +
                           changed.substr(changed.find('(') + 1, 19) + " " + ZoneName(UtcNow()) +
                           ", Connect):|P 5.0 %  → 7.7 %");
    EXPECT_NE(compared.find("snapshot 1 | snapshot 3\nPID group 1\n  P: 5.0 % (50) | 7.7 % (77)"),
              std::string::npos)
        << compared;
    EXPECT_NE(compared.find("\n2 parameters differ\n"), std::string::npos) << compared;
    const TqxctlResult labelled = Ctl("history list --controller 'furnace 3'");
    EXPECT_NE(labelled.out.find("controller #1  \"Furnace 3\""), std::string::npos) << labelled.out;
    EXPECT_NE(labelled.out.find("[pid 1-9]  note: tuned after the audit"), std::string::npos)
        << labelled.out;

    // The way back: the first snapshot loaded, then sent whole.
    driver.Then([](QWidget* modal) {
        SettleHistory(*static_cast<HistoryDialog*>(modal));
        static_cast<HistoryDialog*>(modal)->SelectSnapshots({1});
        Click(modal, "load");
    });
    document->Run(Command::History);
    Settle(*document);
    EXPECT_EQ(Row(GroupId::Pid(1)), "loaded from the history");
    for (GroupId g : AllGroups()) // the editors mark nothing as differing from it
        EXPECT_TRUE(SameGroup(document->Set().Reference(), image, g)) << GroupTitle(g);
    EXPECT_NE(frame->View()->findChild<QLabel*>("source")->text().toStdString().find(
                  "source: history: snapshot 1 of Furnace 3, taken "),
              std::string::npos);
    driver.Then([](QWidget* modal) {
        modal->findChild<QCheckBox*>("keep")->setChecked(true);
        Click(modal, "OK");
    });
    document->Run(Command::SendAll);
    Settle(*document);
    EXPECT_NE(messages.Texts().back().find("every group was sent and verified"), std::string::npos)
        << messages.Texts().back();
    document->Link().Backend().Close();
    const TqxctlResult back = Ctl("history diff 1 controller");
    EXPECT_EQ(back.status, 0) << back.out;
    EXPECT_EQ(Ctl("diff controller " + exported).status, 0);
    const std::vector<std::string> after = Lines(Ctl("history list").out);
    ASSERT_EQ(after.size(), 6u);
    EXPECT_NE(after[1].find("Send all from history: snapshot 1 of Furnace 3"), std::string::npos)
        << after[1];
    EXPECT_NE(after[2].find("kept before Send all ("), std::string::npos) << after[2];
    EXPECT_TRUE(driver.Done());
}

// Made read-only, the history takes nothing; Connect and SEND go on as before and the
// status bar says why.
TEST_F(LoaderHistory, AReadOnlyHistoryStopsNeitherConnectNorSend) {
    Start();
    Connect();
    ASSERT_EQ(document->History().LastFailure(), "");
    ASSERT_EQ(::chmod(history.c_str(), 0444), 0);
    SendPid1("8.8");
    EXPECT_EQ(Row(GroupId::Pid(1)), "sent and verified");
    EXPECT_EQ(StatusText(), "History not recorded: " + history + " is read-only");
    frame->statusBar()->clearMessage();
    Connect();
    EXPECT_EQ(Row(GroupId::Pid(1)), "read from the controller");
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::P), 88);
    EXPECT_EQ(StatusText(), "History not recorded: " + history + " is read-only");
    EXPECT_TRUE(messages.Texts().empty());
    // tqxctl reads it, and says it would not take a snapshot.
    const TqxctlResult list = Ctl("history list");
    const std::vector<std::string> lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 3u) << "the first Connect alone:\n" << list.out;
    EXPECT_EQ(lines[0], "tqxctl: note: " + history + " is read-only");
    EXPECT_NE(lines[2].find("Connect  [all]"), std::string::npos) << lines[2];
}

// On a small file system that fills up after the first Connect: a tmpfs mounted in a
// mount namespace of its own by the test below. Where no namespace can be had, the files
// may no longer grow past their first block (RLIMIT_FSIZE), which fails every write of the
// history the way a full disk does, with "File too large" for its reason.
TEST_F(LoaderHistory, OnAFullFileSystem) {
    const char* dir = std::getenv("TQX_FULL_FS_DIR");
    std::string where = history;
    if (dir) {
        const TqxctlResult mounted =
            RunShell(std::string("mount -t tmpfs -o size=512k tmpfs ") + dir);
        ASSERT_EQ(mounted.status, 0) << mounted.out;
        where = std::string(dir) + "/history.sqlite";
        ::setenv("TQX_HISTORY", where.c_str(), 1);
    }
    Start();
    Connect();
    ASSERT_EQ(document->History().LastFailure(), "");
    rlimit unlimited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    if (dir) {
        std::ofstream filler(std::string(dir) + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    } else {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, unlimited.rlim_max};
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    SendPid1("8.8");
    EXPECT_EQ(Row(GroupId::Pid(1)), "sent and verified");
    EXPECT_EQ(StatusText().rfind("History not recorded: " + where + ": ", 0), 0u) << StatusText();
    std::printf("after the SEND: %s\n", StatusText().c_str());
    frame->statusBar()->clearMessage();
    Connect();
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::P), 88);
    EXPECT_EQ(Row(GroupId::Pid(1)), "read from the controller");
    EXPECT_EQ(StatusText().rfind("History not recorded: ", 0), 0u) << StatusText();
    std::printf("after the Connect: %s\n", StatusText().c_str());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(LoaderHistoryFaults, FullFileSystemInANamespace) {
    std::string unshare;
    for (const char* way : {"unshare -m", "unshare -rm"})
        if (RunShell(std::string(way) + " true").status == 0) {
            unshare = way;
            break;
        }
    if (unshare.empty())
        GTEST_SKIP() << "no mount namespace here";
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    filetest::TempFolder folder;
    const TqxctlResult run =
        RunShell("TQX_FULL_FS_DIR=" + folder.Path().string() + " " + unshare + " " + self +
                 " --gtest_filter=LoaderHistory.OnAFullFileSystem");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test"), std::string::npos) << run.out;
    std::printf("%s", run.out.substr(run.out.find("after the SEND")).c_str());
}

} // namespace

// A history shared on a server: stopped, a Connect and a SEND go through and the status bar
// says the snapshots were kept locally; started again, the next Connect sends them first,
// and a push then finds nothing to send.
TEST_F(LoaderHistory, AServerOutOfReachStopsNeitherConnectNorSend) {
    TQX_NEED_POSTGRES();
    PrivatePostgres& server = PrivatePostgres::Shared();
    const std::string shared = server.NewDatabase();
    ::setenv("TQX_HISTORY", shared.c_str(), 1);
    ::setenv("TQX_HISTORY_LOCAL", folder.File("local.sqlite").c_str(), 1);
    Start();
    Connect();
    ASSERT_EQ(document->History().LastFailure(), "");
    ASSERT_TRUE(server.Stop());
    frame->statusBar()->clearMessage();
    Connect();
    SendPid1("8.8");
    server.Start();
    EXPECT_EQ(Row(GroupId::Pid(1)), "sent and verified");
    EXPECT_NE(StatusText().find("History kept locally: "), std::string::npos) << StatusText();
    EXPECT_NE(StatusText().find("2 snapshots wait to be sent"), std::string::npos) << StatusText();
    frame->statusBar()->clearMessage();
    Connect();
    EXPECT_NE(StatusText().find("History shared: 2 snapshots kept while"), std::string::npos)
        << StatusText();
    const TqxctlResult push = Tqxctl("--history '" + shared + "' history push");
    EXPECT_EQ(push.status, 0) << push.out;
    EXPECT_EQ(push.out, "0 snapshots sent\n");
    const TqxctlResult listed = Tqxctl("--history '" + shared + "' history list");
    EXPECT_EQ(Lines(listed.out).size(), 1u + 4u) << listed.out; // the controller and four
    ::unsetenv("TQX_HISTORY_LOCAL");
}
