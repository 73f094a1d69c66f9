// Send edited groups against tqx-sim, the confirmations of both sends, and the question
// before a Connect or a File Read would drop an edit nobody sent.
#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/send_all_fixture.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

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

} // namespace
