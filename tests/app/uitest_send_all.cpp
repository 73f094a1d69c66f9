// Send all against tqx-sim: what the controller holds after it, a locked controller, writes
// the controller did not take, Cancel partway, and what the result names.
#include "app/document.h"
#include "app/send_all_fixture.h"
#include "app/send_commands.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "link/link_backend.h"
#include "support/tqxctl_run.h"
#include "transfers/group_transfers.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using restoretest::Block;
using restoretest::BlocksOf;
using restoretest::RestoreSetting;

namespace {

TEST_F(SendAllToSim, TheControllerHoldsTheSetWithWdisLastAndWhatItHeldIsKept) {
    ParameterImage locked = filetest::BusyImage(11);
    locked.advanced.WDIS = 1;
    locked.systemSetup.STN = 1;
    const std::string file = set.folder.File("oven3.slk");
    filetest::Spit(file, BuildParameterFileText(locked));
    Start();
    const TqxctlResult before =
        Tqxctl("--port " + port + " backup " + set.folder.File("before.slk"));
    ASSERT_EQ(before.status, 0) << before.out;
    sim->ReadLines(300);

    ReadFile(file);
    SendAll(false, true);
    EXPECT_NE(Said().find("every group was sent and verified"), std::string::npos) << Said();
    const std::vector<std::string> writes = Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), "0x0508") << "WDIS is written last, on its own";
    // The state cell stays short; where the set came from is in its tooltip.
    for (GroupId group : AllGroups()) {
        EXPECT_EQ(Row(group), "sent and verified");
        EXPECT_EQ(RowTip(group), "sent and verified, from file oven3.slk");
    }

    const QDir folder(QString::fromStdString(SendCommands::KeepFolder()));
    EXPECT_TRUE(folder.path().startsWith(data.path())) << "the user's data folder";
    const QStringList kept = folder.entryList({"*.slk"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << Said();
    EXPECT_NE(Said().find(kept[0].toStdString()), std::string::npos) << Said();
    EXPECT_EQ(filetest::Slurp(folder.filePath(kept[0]).toStdString()),
              filetest::Slurp(set.folder.File("before.slk")));

    document().Link().Backend().Close();
    const TqxctlResult diff = Tqxctl("--port " + port + " diff controller " + file);
    EXPECT_EQ(diff.status, 0) << diff.out;
}

TEST_F(SendAllToSim, OntoALockedControllerNothingIsWrittenUnlessUnlocked) {
    Start({"--wdis", "1"});
    ReadFile(set.folder.File("set.slk"));
    sim->ReadLines(300);
    SendAll(false, false);
    EXPECT_NE(Said().find("write-inhibited"), std::string::npos) << Said();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Row(GroupId::Pid(1)), "loaded from file");

    SendAll(true, false);
    const std::vector<std::string> writes = Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "0x0508") << "WDIS 0 goes first";
    EXPECT_NE(Said().find("every group was sent and verified"), std::string::npos) << Said();
}

// Every seventh write is acknowledged and dropped: a group is shown as sent only when the
// controller holds it, and every other group is named.
TEST_F(SendAllToSim, AGroupTheControllerDidNotTakeIsNeverShownAsSent) {
    Start({"--forget-writes", "7"});
    ReadFile(set.folder.File("set.slk"));
    SendAll(false, false);
    const std::string memory = RestoreSetting::MemoryOf(*sim, dump);
    int notSent = 0;
    for (GroupId group : AllGroups()) {
        const bool held = [&] {
            for (int32_t block : BlocksOf(GroupCommandName(group)))
                if (Block(memory, block) != Block(set.fileMemory, block))
                    return false;
            return true;
        }();
        if (Row(group).rfind("sent", 0) == 0) {
            EXPECT_TRUE(held) << GroupTitle(group) << " shown as " << Row(group);
        } else {
            ++notSent;
            EXPECT_NE(Said().find(GroupCommandName(group)), std::string::npos)
                << GroupCommandName(group) << "\n"
                << Said();
        }
    }
    EXPECT_GT(notSent, 0) << Said();
}

// At 38400 baud the whole set's writes take some three seconds: a Cancel after one lands
// among them.
TEST_F(SendAllToSim, CancelAfterASecondAt38400BaudSaysWhatWentIn) {
    Start({"--baud", "38400"});
    ReadFile(set.folder.File("set.slk"));
    SendAll(false, false, true, [this] {
        QTimer::singleShot(1000, [this] {
            document().Runner().Dialog()->findChild<QPushButton*>("Cancel")->click();
        });
    });
    EXPECT_NE(Said().find("stopped by the operator"), std::string::npos) << Said();
    EXPECT_NE(Said().find("\nwritten:"), std::string::npos) << Said();
    EXPECT_NE(Said().find("\nnot written:"), std::string::npos) << Said();
    restoretest::ExpectMemoryAsReported(Said(), RestoreSetting::MemoryOf(*sim, dump), set.factory,
                                        set.fileMemory, 0);
}

// A Connect stopped partway leaves groups on start values: Send all writes none of them.
TEST_F(SendAllToSim, NothingIsSentFromAConnectThatMissedGroups) {
    Start({"--baud", "9600"});
    {
        ModalDriver driver;
        driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("OK")->click(); });
        // Cancel once the system setup went through, long before the patterns.
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [this, &cancel] {
            auto* progress = document().Runner().Dialog();
            const LinkJournal journal = document().Link().Journal();
            // Block 9 is read twice: once early, and last for the system setup.
            const bool setupRead =
                std::count_if(journal.recent.begin(), journal.recent.end(),
                              [](const TransferEntry& e) { return e.block == 9 && e.ok; }) >= 2;
            if (progress->isVisible() && setupRead) {
                progress->findChild<QPushButton*>("Cancel")->click();
                cancel.stop();
            }
        });
        cancel.start(50);
        document().Run(Command::ConnectStart);
        Settle(document());
    }
    ASSERT_NE(Row(GroupId::Pattern(9)), Row(GroupId::SystemSetup())) << "the Connect ended";
    sim->ReadLines(300);
    ModalDriver driver; // a SEND ALL that opened anyway is cancelled
    driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("CANCEL")->click(); });
    document().Run(Command::SendAll);
    Settle(document());
    EXPECT_FALSE(driver.Done()) << "SEND ALL opened";
    EXPECT_EQ(Said().rfind("Send all: nothing was written.", 0), 0u) << Said();
    EXPECT_NE(Said().find("Program pattern 9"), std::string::npos) << Said();
    EXPECT_TRUE(Writes().empty());
}

// Unlocked for the set, a write-inhibited controller keeping its inhibit gets WDIS 1 back
// last; one that does not ends write-enabled as the set says, and the result says so.
TEST_F(SendAllToSim, KeepingTheWriteInhibitLeavesWdisOne) {
    Start({"--wdis", "1"});
    ReadFile(set.folder.File("set.slk")); // WDIS 0
    for (const bool keep : {true, false}) {
        SendAll(true, false, keep);
        EXPECT_NE(Said().find("every group was sent and verified"), std::string::npos) << Said();
        EXPECT_NE(Said().find(keep ? "its write inhibit was kept"
                                   : "The controller was write-inhibited; it is now "
                                     "write-enabled, as the set says."),
                  std::string::npos)
            << Said();
        uint8_t wdis = 9;
        ASSERT_TRUE(ReadWdis(document().Link(), wdis));
        EXPECT_EQ(wdis, keep ? 1 : 0) << "keep " << keep;
    }
}

// The result names where the set came from; afterwards the header and the pane name the
// model code read from the controller it went to, never the snapshot's.
TEST_F(SendAllToSim, TheResultNamesTheSourceAndTheHeaderTheTarget) {
    Start({"--model", "PXR4TEY1X-0099"});
    const std::string file = set.folder.File("set.slk");
    const struct {
        const char* name;
        std::function<void()> load;
        std::string from, verified;
    } cases[] = {
        {"file", [&] { ReadFile(file); }, "\nFrom file " + file + " to TQX at port 1 (",
         "the file's values"},
        {"controller", [&] { Connect(); }, "\nFrom controller at port 1 read at ",
         "the set's values"},
        {"snapshot",
         [&] {
             ReadFile(file);
             document().Set().HistoryLoaded("snapshot 7 of Furnace 3, taken 2026-05-03 09:12 UTC",
                                            "PXT9A1Y2T-0D1R", true, document().Now());
         },
         "\nFrom history snapshot 7 of Furnace 3", "the set's values"},
    };
    for (const auto& c : cases) {
        c.load();
        SendAll(false, false);
        EXPECT_NE(Said().find(c.from), std::string::npos) << c.name << "\n" << Said();
        EXPECT_NE(Said().find("verify             ok, the controller holds " + c.verified),
                  std::string::npos)
            << c.name << "\n"
            << Said();
        for (const std::string& shown : {Label("model"), document().PortPaneText()}) {
            EXPECT_NE(shown.find("PXR4TEY1X-0099"), std::string::npos) << c.name << ": " << shown;
            EXPECT_EQ(shown.find("PXT9A1Y2T-0D1R"), std::string::npos) << c.name << ": " << shown;
        }
    }
}

// A file whose STN port 1 could not follow: Send all names its cell and asks nothing.
TEST_F(SendAllToSim, AStationPortOneCannotFollowIsRefusedByItsCell) {
    ParameterImage far = filetest::BusyImage(11);
    far.systemSetup.STN = 32;
    const std::string file = set.folder.File("stn32.slk");
    filetest::Spit(file, BuildParameterFileText(far));
    Start();
    ReadFile(file);
    sim->ReadLines(300);
    ModalDriver driver; // a SEND ALL that opened anyway is cancelled
    driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("CANCEL")->click(); });
    document().Run(Command::SendAll);
    Settle(document());
    EXPECT_FALSE(driver.Done()) << "SEND ALL opened";
    EXPECT_NE(Said().find("STN 32 at row 35, column 2 of file " + file), std::string::npos)
        << Said();
    EXPECT_TRUE(sim->ReadLines(300).empty()) << "the controller was asked";
}

} // namespace
