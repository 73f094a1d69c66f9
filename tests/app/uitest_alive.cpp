// The window stays alive while a slow controller answers: the event loop never stalls for
// long during a Connect, and Cancel stops it between two calls.
#include "app/document.h"
#include "app/main_frame.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "app/view.h"
#include "support/modal_driver.h"
#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct SlowController : ::testing::Test {
    SlowController() : sim({"--tcp", "127.0.0.1:0", "--latency-ms", "150", "--verbose"}) {
        ::setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
        ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
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
    ~SlowController() override { ::unsetenv("TQXCOMM_PORT1"); }

    void Connect() {
        ModalDriver driver;
        driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("OK")->click(); });
        heartbeat.start();
        document.Run(Command::ConnectStart);
        heartbeat.stop();
    }
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
        auto* progress = document.Runner()->Dialog();
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
    EXPECT_EQ(Rows("read from the controller"), kGroupCount);
}

} // namespace
