// Where the parameter set came from and what each group holds, after the sequences of
// commands that used to make the summary, the port 1 pane and Retry say something wrong.
#include "app/document.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "history/history_location.h"
#include "history/history_store.h"
#include "link/link_backend.h"
#include "simulator/simulated_controller.h"
#include "support/modal_driver.h"
#include "support/settle.h"
#include "widgets/saved_settings_qt.h"

#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Message boxes that stay open a while: the first one after `holdMs` is set waits that
// long before it is closed, as a person reading it would.
struct HoldingMessages : RecordingMessages {
    int holdMs = 0;
    void Show(const std::string& text) override {
        RecordingMessages::Show(text);
        if (holdMs > 0) {
            QEventLoop open;
            QTimer::singleShot(holdMs, &open, &QEventLoop::quit);
            holdMs = 0;
            open.exec();
        }
    }
};

struct Loader : ::testing::Test {
    Loader() : link(sim) {
        ::unsetenv("TQXCOMM_PORT1");
        ::setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
        sim.Memory().LoadFactoryContents("PXT4TEY1T-0012");
        document.SetQuestions(&answers);
        frame = std::make_unique<CMainFrame>(document);
    }

    static void Click(QWidget* dialog, const char* button) {
        auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    // Connect Start, answering the Code Symbols dialog with `button`.
    void Connect(const char* button = "OK") {
        ModalDriver driver;
        driver.Then([button](QWidget* modal) { Click(modal, button); });
        document.Run(Command::ConnectStart);
        Settle(document);
    }
    // File Write or File Read of `path`, typed whole into FILE_NAME.
    void File(Command command, const QString& path) {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            modal->findChild<QLineEdit*>("FILE_NAME")->setText(path);
            Click(modal, "OK");
        });
        document.Run(command);
        Settle(document);
    }
    std::string Label(const char* name) const {
        return frame->View()->findChild<QLabel*>(name)->text().toStdString();
    }
    // Fails every read of `block` while `failing` is set.
    void FailBlock(int block) {
        sim.FailCalls(
            [this, block](const LinkCall& call, int) { return failing && call.block == block; });
    }

    QTemporaryDir config;
    SimulatedController sim;
    ScopedLinkBackend link;
    ParameterImage image;
    HoldingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers{false};
    AnsweringQuestions yes{true};
    CTQXLOADER961114Doc document{image, messages, cursor};
    std::unique_ptr<CMainFrame> frame;
    bool failing = true;
};

// A file whose name begins with "controller" is still a file.
TEST_F(Loader, AFileNamedControllerIsAFile) {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    SavedSettings().SetLastFolder(dir.path()); // the folder the FILE NAME dialog shows
    File(Command::FileWrite, QStringLiteral("controller1.slk"));
    File(Command::FileRead, QStringLiteral("controller1.slk"));
    QDir::setCurrent(before);
    EXPECT_EQ(document.PortPaneText().find("connected to model code"), std::string::npos)
        << document.PortPaneText();
    EXPECT_NE(document.PortPaneText().find("controller1.slk"), std::string::npos);
}

// When block 40 was never read, no model code is shown as the controller's.
TEST_F(Loader, AModelCodeNotReadIsNeverShownAsRead) {
    sim.FailCalls([](const LinkCall&, int) { return true; });
    Connect();
    for (const std::string& said : {document.PortPaneText(), Label("model")}) {
        EXPECT_EQ(said.find("1111"), std::string::npos) << said;
        EXPECT_NE(said.find("not read"), std::string::npos) << said;
    }
}

// The summary, the pane and the header show the fourteen characters the controller holds.
TEST_F(Loader, TheModelCodeIsTheFourteenCharactersRead) {
    Connect();
    EXPECT_EQ(Label("model"), "model code PXT4TEY1T-0012");
    EXPECT_NE(document.PortPaneText().find("PXT4TEY1T-0012"), std::string::npos);
    EXPECT_EQ(document.PortPaneText().find("PXT4TEY1T-00121"), std::string::npos);
}

// Port settings OK: the summary's header follows at once, as the pane does.
TEST_F(Loader, TheHeaderFollowsPortSettings) {
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
        modal->findChild<QSpinBox*>("unit")->setValue(7);
        Click(modal, "OK");
    });
    document.Run(Command::PortSettings);
    Settle(document);
    EXPECT_TRUE(driver.Done());
    EXPECT_NE(Label("port").find("unit 7"), std::string::npos) << Label("port");
}

// Retry after a File Read would put the controller's values over the file's.
TEST_F(Loader, RetryNeverReplacesWhatAFileReadBrought) {
    FailBlock(4); // PID group 1
    Connect();
    ASSERT_TRUE(document.CanRun(Command::RetryFailedReads));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.slk"));
    image.pid[0].SetWord(PidGroupRecord::P, 321);
    File(Command::FileWrite, path);
    image.pid[0].SetWord(PidGroupRecord::P, 0);
    document.SetQuestions(&yes); // the file over this edit
    File(Command::FileRead, path);
    failing = false;
    EXPECT_FALSE(document.CanRun(Command::RetryFailedReads));
    document.Run(Command::RetryFailedReads);
    Settle(document);
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::P), 321);
}

// An edit typed into a group whose read failed is the operator's, not the controller's:
// neither the set's reference nor the history takes it as what the controller holds.
TEST_F(Loader, RetryNeverOverwritesAnEdit) {
    QTemporaryDir dir;
    const std::string history = dir.filePath(QStringLiteral("history.sqlite")).toStdString();
    ::setenv("TQX_HISTORY", history.c_str(), 1);
    FailBlock(4);
    Connect();
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
        modal->findChild<QLineEdit*>("P")->setText(QStringLiteral("12.3"));
        Click(modal, "OK");
    });
    document.Run(Command::PidGroup);
    Settle(document);
    ASSERT_EQ(image.pid[0].Word(PidGroupRecord::P), 123);
    failing = false;
    document.Run(Command::RetryFailedReads);
    Settle(document);
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::P), 123);
    EXPECT_FALSE(document.MayClose()); // still unsent: the question is asked
    // Nor is it taken as what the controller holds: its field stays marked.
    EXPECT_NE(document.Set().Reference().pid[0].Word(PidGroupRecord::P), 123);
    // The Connect that missed a group and the Retry that kept an edit record no snapshot.
    std::string why;
    std::vector<ControllerEntry> seen;
    if (auto store = OpenHistoryStore(history, false, why))
        store->Controllers(seen);
    for (const ControllerEntry& c : seen)
        EXPECT_EQ(c.snapshots, 0) << ControllerName(c);
    ::unsetenv("TQX_HISTORY");
}

// A Connect whose read of a group failed leaves that group's unsent edit marked.
TEST_F(Loader, AFailedReadKeepsTheUnsentMark) {
    Connect();
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
        modal->findChild<QLineEdit*>("DMV")->setText(QStringLiteral("12.3"));
        Click(modal, "OK");
    });
    document.Run(Command::AdvancedUsage);
    Settle(document);
    FailBlock(10);
    document.SetQuestions(&yes); // the controller over this edit
    Connect();
    document.SetQuestions(&answers);
    EXPECT_FALSE(document.MayClose());
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_NE(answers.Asked()[0].find("Advanced"), std::string::npos);
}

// A cancelled Connect changes nothing about what the Connect before it could not read.
TEST_F(Loader, ACancelledConnectKeepsThePreviousFailures) {
    FailBlock(4);
    Connect();
    const std::string port = Label("port");
    ASSERT_NE(port.find("reads failed"), std::string::npos) << port;
    Connect("CANCEL");
    EXPECT_EQ(Label("port"), port);
    EXPECT_TRUE(document.CanRun(Command::RetryFailedReads));
}

// After a Connect that read nothing, each editor shows that its values are nobody's choice,
// and its SEND asks first: No writes nothing, Yes writes and the values become the
// operator's.
TEST_F(Loader, ASendOfValuesNobodyChoseAsksFirst) {
    sim.FailCalls([](const LinkCall&, int) { return true; });
    Connect();
    sim.FailNone();
    const GroupId groups[] = {GroupId::SystemSetup(), GroupId::Advanced(), GroupId::Pid(4),
                              GroupId::Pattern(2)};
    for (GroupId group : groups) {
        for (bool yesToSend : {false, true}) {
            answers = AnsweringQuestions(yesToSend);
            sim.ClearCalls();
            std::string line;
            ModalDriver driver;
            driver.Then([&](QWidget* modal) {
                line = modal->findChild<QLabel*>("unchosen")->text().toStdString();
                Click(modal, "SEND");
                Click(modal, "CANCEL");
            });
            document.OpenGroup(group);
            Settle(document);
            EXPECT_EQ(line, "not read from the controller: these are the loader's start values");
            ASSERT_FALSE(answers.Asked().empty()) << GroupTitle(group);
            EXPECT_NE(answers.Asked()[0].find(GroupTitle(group) + ": the loader's start values"),
                      std::string::npos)
                << answers.Asked()[0];
            const bool wrote = std::any_of(sim.Calls().begin(), sim.Calls().end(),
                                           [](const LinkCall& c) { return c.write; });
            EXPECT_EQ(wrote, yesToSend) << GroupTitle(group) << (yesToSend ? " Yes" : " No");
            // The system setup's start values hold STN 0: asked again before it goes.
            if (yesToSend && group.kind() == GroupId::Kind::SystemSetup) {
                EXPECT_NE(answers.Asked().back().find("broadcast address"), std::string::npos);
            }
            EXPECT_EQ(document.Set().UnchosenLine(group).empty(), yesToSend);
        }
    }
}

// A PID SEND is one operation: however long its failure box stays open between two
// writes, it leaves one snapshot in the history.
TEST_F(Loader, ASendWhoseFailureBoxStaysOpenRecordsOneSnapshot) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("history.sqlite").toStdString();
    ::setenv("TQX_HISTORY", path.c_str(), 1);
    const auto snapshots = [&path] {
        std::string why;
        std::unique_ptr<HistoryStore> store = OpenHistoryStore(path, false, why);
        std::vector<ControllerEntry> controllers;
        size_t n = 0;
        if (store && store->Controllers(controllers).empty())
            for (const ControllerEntry& c : controllers) {
                std::vector<SnapshotEntry> entries;
                store->Snapshots(c.id, entries);
                n += entries.size();
            }
        return n;
    };
    Connect();
    const size_t before = snapshots();
    ASSERT_EQ(before, 1u);
    sim.FailCalls([](const LinkCall& call, int) { return call.write && call.block == 5; });
    messages.holdMs = 5000;
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
        Click(modal, "SEND");
        Click(modal, "CANCEL");
    });
    document.OpenGroup(GroupId::Pid(1));
    Settle(document);
    ::unsetenv("TQX_HISTORY");
    EXPECT_EQ(messages.holdMs, 0) << "no failure box was shown";
    EXPECT_EQ(snapshots(), before + 1);
}

// Compare with controller stopped after ten reads compares nothing: no group it did not
// read is taken as equal, and an unsent edit keeps its mark.
TEST_F(Loader, ACompareStoppedPartwayComparesNothing) {
    Connect();
    image.pid[8].SetSigned(PidGroupRecord::P, 77);
    document.Set().Observe(document.Now());
    ASSERT_TRUE(document.States().At(GroupId::Pid(9)).unsent);
    sim.ClearCalls();
    sim.FailCalls([this](const LinkCall&, int index) {
        if (index == 9)
            document.Link().RequestCancel(); // Cancel pressed during the tenth read
        return false;
    });
    messages.Clear();
    document.Run(Command::CompareController);
    Settle(document);
    EXPECT_LE(sim.Calls().size(), 10u);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("stopped by the operator"), std::string::npos);
    EXPECT_NE(messages.Texts()[0].find("Nothing was compared; not read: "), std::string::npos)
        << messages.Texts()[0];
    EXPECT_NE(messages.Texts()[0].find("Program pattern 9"), std::string::npos);
    for (GroupId group : AllGroups())
        EXPECT_NE(document.States().At(group).state, GroupState::MatchesController)
            << GroupTitle(group);
    EXPECT_TRUE(document.States().At(GroupId::Pid(9)).unsent);
    EXPECT_TRUE(document.CanRun(Command::SendEdited));
}

} // namespace
