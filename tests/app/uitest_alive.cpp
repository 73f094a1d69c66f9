// The window stays alive while a slow controller answers: the event loop never stalls for
// long during a Connect, and Cancel stops it between two calls.
#include "app/document.h"
#include "app/main_frame.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "app/view.h"
#include "support/modal_driver.h"
#include "support/settle.h"
#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct SlowController : ::testing::Test {
    explicit SlowController(std::vector<std::string> simOptions = {"--tcp", "127.0.0.1:0",
                                                                   "--latency-ms", "150",
                                                                   "--verbose"},
                            const std::string& portOptions = "")
        : sim(std::move(simOptions)) {
        ::setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
        ::setenv("TQXCOMM_PORT1", (sim.PortSetting() + portOptions).c_str(), 1);
        ::setenv("TQX_HISTORY", qPrintable(config.filePath("history.sqlite")), 1);
        document.SetQuestions(&answers);
        frame = std::make_unique<CMainFrame>(document);
        heartbeat.setInterval(20);
        QObject::connect(&heartbeat, &QTimer::timeout, [this] {
            if (clock.isValid())
                largestGap = std::max(largestGap, clock.restart());
            else
                clock.start();
        });
    }
    ~SlowController() override {
        ::unsetenv("TQXCOMM_PORT1");
        ::unsetenv("TQX_HISTORY");
    }

    // `command` from its menu action until it is over and its snapshot written, the
    // heartbeat going meanwhile; `answer` presses OK (or what it names) in each dialog.
    qint64 Measure(Command command, const char* answer = "OK", int dialogs = 1) {
        ModalDriver driver;
        for (int i = 0; i < dialogs; ++i)
            driver.Then([answer](QWidget* modal) {
                modal->findChild<QPushButton*>(QString::fromLatin1(answer))->click();
            });
        largestGap = 0;
        clock.start(); // from the menu action: a stall before the first beat counts too
        heartbeat.start();
        document.Run(command);
        Settle(document);
        heartbeat.stop();
        return std::max(largestGap, clock.elapsed()); // and until the final status
    }
    void Connect() { Measure(Command::ConnectStart); }
    int Rows(const char* state) const {
        auto* table = frame->View()->findChild<QTableWidget*>("groups");
        int n = 0;
        for (int g = 0; g < table->rowCount(); ++g)
            n += table->item(g, 1)->text() == QLatin1String(state);
        return n;
    }

    QTemporaryDir config;
    SimProcess sim;
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers{true};
    CTQXLOADER961114Doc document{image, messages, cursor};
    std::unique_ptr<CMainFrame> frame;
    QTimer heartbeat;
    QElapsedTimer clock;
    qint64 largestGap = 0;
};

TEST_F(SlowController, TheEventLoopGoesOnThroughAWholeConnect) {
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    Connect();
    std::printf("largest gap between heartbeats during a Connect: %lld ms\n",
                static_cast<long long>(largestGap));
    EXPECT_LT(largestGap, 100);
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
    EXPECT_EQ(Rows("read from the controller"), kGroupCount);
}

TEST_F(SlowController, CancelStopsBetweenTwoCalls) {
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    QElapsedTimer sinceCancel;
    size_t callsAtCancel = 0;
    QTimer::singleShot(2000, [&] {
        auto* progress = document.Runner().Dialog();
        ASSERT_TRUE(progress->isVisible());
        callsAtCancel = document.Link().Journal().recent.size();
        sinceCancel.start();
        progress->findChild<QPushButton*>("Cancel")->click();
    });
    Connect();
    const qint64 stoppedAfter = sinceCancel.elapsed();
    // The call in flight finishes (150 ms, or a timeout of 500 ms at worst); no other goes.
    EXPECT_LE(document.Link().Journal().recent.size(), callsAtCancel + 1);
    EXPECT_LT(stoppedAfter, 150 + 500 + 200);
    const size_t requests = sim.ReadLines(300).size();
    EXPECT_EQ(requests, document.Link().Journal().recent.size());
    // The summary names what was read and what was not; Retry can complete it.
    EXPECT_GT(Rows("read from the controller"), 0);
    EXPECT_GT(Rows("not read (cancelled)"), 0);
    EXPECT_EQ(Rows("read from the controller") + Rows("not read (cancelled)"), kGroupCount);
    ASSERT_TRUE(document.CanRun(Command::RetryFailedReads));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("stopped by the operator"), std::string::npos);
    document.Run(Command::RetryFailedReads);
    Settle(document);
    EXPECT_EQ(Rows("read from the controller"), kGroupCount);
}

// The figures of the window's largest stall, printed for the record.
void Report(const char* what, qint64 gap) {
    std::printf("largest gap between heartbeats, %s: %lld ms\n", what, static_cast<long long>(gap));
}

// A controller that answers nothing: every read of the Connect failed at a response timeout
// of 2 s, and the link holds the line silent for a while after. Retry waits that out before
// it asks again, on the worker, while the window goes on.
struct SilentController : SlowController {
    SilentController()
        : SlowController({"--tcp", "127.0.0.1:0", "--drop-every", "1"}, ",timeout=2000") {}
};

TEST_F(SilentController, RetryOfFailedReadsKeepsTheWindowAlive) {
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    Connect();
    ASSERT_EQ(Rows("could not be read"), kGroupCount);
    ASSERT_GT(document.Link().SilentMs(), 1000);
    std::printf("silent for %d ms more\n", document.Link().SilentMs());
    messages.Clear();
    QElapsedTimer whole;
    whole.start();
    const qint64 gap = Measure(Command::RetryFailedReads);
    Report("Retry failed reads while the link waits out a silent controller", gap);
    std::printf("the Retry took %lld ms\n", static_cast<long long>(whole.elapsed()));
    EXPECT_GT(whole.elapsed(), 1000); // it did wait
    EXPECT_LT(gap, 100);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("Retry failed reads"), std::string::npos);
}

TEST_F(SlowController, SendAllKeepsTheWindowAlive) {
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    Connect();
    messages.Clear();
    const qint64 gap = Measure(Command::SendAll, "OK", 1);
    Report("Send all at 150 ms a call", gap);
    EXPECT_LT(gap, 100);
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_NE(messages.Texts().back().find("verify"), std::string::npos) << messages.Texts().back();
}

// Another program holds the history's write lock for 10 s while a quick Connect records its
// snapshot: the snapshot waits on the history's own thread, never on the window's.
struct QuickController : SlowController {
    QuickController() : SlowController({"--tcp", "127.0.0.1:0"}) {}
};

TEST_F(QuickController, AHeldHistoryNeverHoldsTheWindow) {
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    Connect(); // the history exists
    const std::string history = config.filePath("history.sqlite").toStdString();
    const std::string script = "import sqlite3,sys,time\n"
                               "c=sqlite3.connect(sys.argv[1],isolation_level=None)\n"
                               "c.execute('BEGIN EXCLUSIVE')\n"
                               "print('locked',flush=True)\n"
                               "time.sleep(10)\n";
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(history))) << history;
    FILE* holder = ::popen(("/usr/bin/python3 -c \"" + script + "\" " + history).c_str(), "r");
    ASSERT_NE(holder, nullptr);
    char line[16] = {};
    ASSERT_NE(std::fgets(line, sizeof line, holder), nullptr);
    QElapsedTimer whole;
    whole.start();
    const qint64 gap = Measure(Command::ConnectStart);
    Report("Connect while another process holds the history for 10 s", gap);
    EXPECT_LT(gap, 100);
    EXPECT_EQ(Rows("read from the controller"), kGroupCount);
    std::printf("the Connect and its snapshot took %lld ms; the history said: %s\n",
                static_cast<long long>(whole.elapsed()), document.History().LastFailure().c_str());
    ::pclose(holder);
}

} // namespace
