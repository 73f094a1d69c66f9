// Send all and Send edited groups against tqx-sim, and the question before a Connect or a
// File Read would drop an edit nobody sent.
#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "app/send_commands.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "app/view.h"
#include "link/link_backend.h"
#include "support/modal_driver.h"
#include "support/restore_memory.h"
#include "support/settle.h"
#include "support/tqxctl_run.h"
#include "transfers/group_transfers.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

using restoretest::Block;
using restoretest::BlocksOf;
using restoretest::RestoreSetting;

namespace {

struct SendAllToSim : ::testing::Test {
    SendAllToSim() {
        ::setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
        ::setenv("XDG_DATA_HOME", qPrintable(data.path()), 1);
    }
    ~SendAllToSim() override { ::unsetenv("TQXCOMM_PORT1"); }

    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--pty", set.folder.File("sim.pty"), "--verbose", "--dump",
                                      dump};
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim->Ready()) << sim->ReadyLine();
        // An unpaced simulator answers at once; the line then runs at 115200 baud, whose
        // gaps between frames cost less than the default 9600's.
        const auto paced = std::find(extra.begin(), extra.end(), "--baud");
        const std::string baud = paced == extra.end() ? "115200" : *std::next(paced);
        port = "rtu:" + sim->Address() + ",parity=N,baud=" + baud;
        ::setenv("TQXCOMM_PORT1", port.c_str(), 1);
        // Port 1 is taken from the environment when the loader starts.
        owned = std::make_unique<CTQXLOADER961114Doc>(image, messages, cursor);
        owned->SetQuestions(&answers);
        frame = std::make_unique<CMainFrame>(*owned);
    }
    void ReadFile(const std::string& path) {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            modal->findChild<QLineEdit*>("FILE_NAME")->setText(QString::fromStdString(path));
            modal->findChild<QPushButton*>("OK")->click();
        });
        document().Run(Command::FileRead);
        Settle(document());
    }
    // Send all, confirmed with the boxes set so; `confirmed` runs once it is.
    void SendAll(bool unlock, bool keep, bool keepInhibit = true,
                 const std::function<void()>& confirmed = {}) {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            if (auto* box = modal->findChild<QCheckBox*>("unlock"))
                box->setChecked(unlock);
            if (auto* box = modal->findChild<QCheckBox*>("keepInhibit"))
                box->setChecked(keepInhibit);
            modal->findChild<QCheckBox*>("keep")->setChecked(keep);
            modal->findChild<QPushButton*>("OK")->click();
            if (confirmed)
                confirmed();
        });
        document().Run(Command::SendAll);
        Settle(document());
    }
    void Connect() {
        ModalDriver driver;
        driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("OK")->click(); });
        document().Run(Command::ConnectStart);
        Settle(document());
    }
    std::string Label(const char* name) const {
        return frame->View()->findChild<QLabel*>(name)->text().toStdString();
    }
    // The registers the simulator was asked to write since the last look.
    std::vector<std::string> Writes() {
        std::vector<std::string> writes;
        for (const std::string& line : sim->ReadLines(300))
            if (line.find(" write register ") != std::string::npos)
                writes.push_back(line.substr(line.find("0x"), 6));
        return writes;
    }
    std::string Said() const { return messages.Texts().empty() ? "" : messages.Texts().back(); }
    std::string Row(GroupId group) const {
        auto* table = frame->View()->findChild<QTableWidget*>("groups");
        return table->item(group.Index(), 1)->text().toStdString();
    }

    QTemporaryDir config, data;
    RestoreSetting set; // set.slk: a busy file with WDIS 0 on station 1
    const std::string dump = set.folder.File("now.bin");
    std::unique_ptr<SimProcess> sim;
    std::string port;
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions answers{false};
    std::unique_ptr<CTQXLOADER961114Doc> owned;
    std::unique_ptr<CMainFrame> frame;
    CTQXLOADER961114Doc& document() { return *owned; }
};

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
    for (GroupId group : AllGroups())
        EXPECT_EQ(Row(group), "sent and verified, from file oven3.slk");

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
            document().Runner()->Dialog()->findChild<QPushButton*>("Cancel")->click();
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
            auto* progress = document().Runner()->Dialog();
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

TEST_F(SendAllToSim, SendEditedGroupsWritesExactlyTheirBlocks) {
    Start();
    ReadFile(set.folder.File("set.slk"));
    image.pid[3].SetSigned(PidGroupRecord::P, static_cast<int16_t>(image.pid[3].Signed(0) + 1));
    image.pattern[6].Segment(2).SetSV(static_cast<int16_t>(image.pattern[6].Segment(2).SV() + 1));
    document().Set().Observe(document().Now());
    sim->ReadLines(300);
    ModalDriver driver; // it asks first
    driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("OK")->click(); });
    document().Run(Command::SendEdited);
    Settle(document());
    const uint32_t pid4 = 0x80u * static_cast<uint32_t>(blocks::kPidBlocks[3]);
    const uint32_t pattern7 = 0x6000u + 420u * 6u;
    int pidWrites = 0, patternWrites = 0;
    for (const std::string& write : Writes()) {
        const uint32_t reg = static_cast<uint32_t>(std::stoul(write, nullptr, 16));
        pidWrites += reg >= pid4 && reg < pid4 + 0x80;
        patternWrites += reg >= pattern7 && reg < pattern7 + 420;
        EXPECT_TRUE((reg >= pid4 && reg < pid4 + 0x80) || (reg >= pattern7 && reg < pattern7 + 420))
            << write;
    }
    EXPECT_EQ(pidWrites, 1);
    EXPECT_EQ(patternWrites, 7);
    EXPECT_FALSE(document().States().HasUnsentEdits()) << Said();
}

TEST_F(SendAllToSim, ConnectAndFileReadAskBeforeDroppingAnUnsentEdit) {
    Start();
    ReadFile(set.folder.File("set.slk"));
    EXPECT_TRUE(answers.Asked().empty()) << "nothing was edited";
    image.pid[0].SetSigned(PidGroupRecord::P, static_cast<int16_t>(image.pid[0].Signed(0) + 1));
    document().Set().Observe(document().Now());
    const ParameterImage edited = image;
    std::vector<std::string> rows;
    for (GroupId group : AllGroups())
        rows.push_back(Row(group));
    sim->ReadLines(300);
    for (Command command : {Command::ConnectStart, Command::FileRead}) {
        ModalDriver driver; // a dialog that opened anyway is cancelled
        driver.Then([](QWidget* modal) { modal->findChild<QPushButton*>("CANCEL")->click(); });
        document().Run(command);
        Settle(document());
        EXPECT_FALSE(driver.Done()) << "a dialog opened after No";
    }
    ASSERT_EQ(answers.Asked().size(), 2u);
    EXPECT_NE(answers.Asked()[0].find("PID group 1"), std::string::npos) << answers.Asked()[0];
    EXPECT_TRUE(image == edited);
    for (GroupId group : AllGroups())
        EXPECT_EQ(Row(group), rows[static_cast<size_t>(group.Index())]);
    EXPECT_TRUE(sim->ReadLines(300).empty()) << "the controller was asked";
}

// The controller holds the file and three edits fall in two groups: both confirmations
// count them by group and list them as Compare does; Cancel writes nothing.
TEST_F(SendAllToSim, TheConfirmationCountsEachGroupsDifferencesAndCancelWritesNothing) {
    Start({"--load", set.folder.File("set.slk")});
    ReadFile(set.folder.File("set.slk"));
    image.pid[3].SetSigned(PidGroupRecord::P, static_cast<int16_t>(image.pid[3].Signed(0) + 1));
    SegmentRecord two = image.pattern[6].Segment(2), five = image.pattern[6].Segment(5);
    two.SetSV(static_cast<int16_t>(two.SV() + 1));
    five.SetTIME(static_cast<uint16_t>(five.TIME() + 1));
    document().Set().Observe(document().Now());
    sim->ReadLines(300);
    for (const auto& [command, rows] :
         {std::pair{Command::SendAll, kGroupCount}, std::pair{Command::SendEdited, 2}}) {
        std::map<std::string, std::string> counts;
        std::string listed;
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            auto* table = modal->findChild<QTableWidget*>("differenceCounts");
            for (int r = 0; r < table->rowCount(); ++r)
                counts[table->item(r, 0)->text().toStdString()] =
                    table->item(r, 1)->text().toStdString();
            QTimer::singleShot(0, modal,
                               [modal] { modal->findChild<QPushButton*>("differences")->click(); });
        });
        driver.Then([&](QWidget* modal) {
            listed = static_cast<CompareDialog*>(modal)->Text().toStdString();
            modal->findChild<QPushButton*>("close")->click();
            QWidget* confirmation = modal->parentWidget();
            QTimer::singleShot(0, confirmation, [confirmation] {
                confirmation->findChild<QPushButton*>("CANCEL")->click();
            });
        });
        document().Run(command);
        Settle(document());
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(counts.size(), static_cast<size_t>(rows));
        for (const auto& [group, count] : counts)
            EXPECT_EQ(count, group == "PID group 4"         ? "1 parameter"
                             : group == "Program pattern 7" ? "2 parameters"
                                                            : "none")
                << group;
        EXPECT_NE(listed.find("\n3 parameters differ"), std::string::npos) << listed;
        EXPECT_TRUE(Writes().empty());
    }
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
