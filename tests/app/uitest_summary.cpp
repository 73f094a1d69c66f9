// The summary, Compare and the closing question against tqx-sim, through the real windows.
#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "support/modal_driver.h"
#include "support/settle.h"
#include "support/sim_process.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <modbus.h>

#include <cstdlib>
#include <memory>

namespace {

void Click(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

// Types a value that differs from the one shown into field `name`.
void Change(QWidget* dialog, const char* name, const char* value, const char* otherValue) {
    auto* field = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(field, nullptr) << name;
    field->setText(QString::fromLatin1(field->text() == QLatin1String(value) ? otherValue : value));
}

// Adds 1 to the register at `address`, over a connection of its own.
void ChangeBehindTheLoader(const SimProcess& sim, int address) {
    const std::string at = sim.Address();
    const std::string host = at.substr(0, at.rfind(':'));
    modbus_t* ctx = modbus_new_tcp_pi(host.c_str(), at.substr(at.rfind(':') + 1).c_str());
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(modbus_connect(ctx), 0);
    uint16_t value = 0;
    ASSERT_EQ(modbus_read_registers(ctx, address, 1, &value), 1);
    ASSERT_EQ(modbus_write_register(ctx, address, static_cast<uint16_t>(value + 1)), 1);
    modbus_close(ctx);
    modbus_free(ctx);
}

} // namespace

TEST(Summary, ShowsEditsSendsAndWhatDiffersFromTheController) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    AnsweringQuestions stay(false);
    CTQXLOADER961114Doc document{image, messages, cursor};
    document.SetVerifyAfterSend(true, false);
    document.SetQuestions(&stay);
    auto frame = std::make_unique<CMainFrame>(document);
    auto* table = frame->View()->findChild<QTableWidget*>("groups");
    ASSERT_NE(table, nullptr);
    auto state = [&](GroupId group) { return table->item(group.Index(), 1)->text().toStdString(); };

    ModalDriver driver;
    driver.Then([](QWidget* modal) { Click(modal, "OK"); });
    document.Run(Command::ConnectStart);
    Settle(document);
    ASSERT_TRUE(messages.Texts().empty()) << messages.Texts()[0];
    for (int g = 0; g < kGroupCount; ++g)
        EXPECT_EQ(state(GroupId::FromIndex(g)), "read from the controller") << g;
    EXPECT_TRUE(frame->View()->findChild<QLabel*>("source")->text().startsWith(
        "source: controller, read at "));
    EXPECT_TRUE(document.MayClose()); // a plain Connect never asks
    EXPECT_TRUE(stay.Asked().empty());

    // PID group 3 and pattern 2 changed and sent, the advanced group changed by OK only.
    bool onGroup3 = false;
    driver.Then([&](QWidget* modal) {
        onGroup3 = modal->findChild<QRadioButton*>("group_3")->isChecked();
        Change(modal, "P", "7.7", "8.8");
        Click(modal, "SEND");
        Click(modal, "CANCEL");
    });
    document.OpenGroup(GroupId::Pid(3));
    Settle(document);
    EXPECT_TRUE(onGroup3);
    bool onPattern2 = false;
    driver.Then([&](QWidget* modal) {
        onPattern2 = modal->findChild<QRadioButton*>("pattern_2")->isChecked();
        Change(modal, "SV_1", "100", "101");
        Click(modal, "SEND");
        Click(modal, "CANCEL");
    });
    document.OpenGroup(GroupId::Pattern(2));
    Settle(document);
    EXPECT_TRUE(onPattern2);
    driver.Then([](QWidget* modal) {
        Change(modal, "DMV", "12.3", "12.4");
        Click(modal, "OK");
    });
    document.OpenGroup(GroupId::Advanced());
    Settle(document);
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts()[0];
    EXPECT_EQ(state(GroupId::Pid(3)), "sent and verified");
    EXPECT_EQ(state(GroupId::Pattern(2)), "sent and verified");
    EXPECT_EQ(state(GroupId::Advanced()), "edited, not sent");
    // The unsent edit names what changed; the status bar says what the last SEND did.
    EXPECT_EQ(table->item(GroupId::Advanced().Index(), 3)->text(), "DMV");
    const QString said = frame->findChild<QLabel*>("idle")->toolTip();
    EXPECT_TRUE(said.startsWith("Program pattern 2 sent and verified, ")) << said.toStdString();
    EXPECT_EQ(state(GroupId::SystemSetup()), "read from the controller");

    auto compare = [&] {
        QString text;
        driver.Then([&](QWidget* modal) {
            text = static_cast<CompareDialog*>(modal)->Text();
            Click(modal, "close");
        });
        document.Run(Command::CompareController);
        Settle(document);
        return text.toStdString();
    };
    std::string listed = compare();
    EXPECT_NE(listed.find("Advanced usage (EXPERT PARAMETER)\n  DMV: "), std::string::npos)
        << listed;
    EXPECT_NE(listed.find("\n1 parameter differs\n"), std::string::npos) << listed;

    ChangeBehindTheLoader(sim, (0xC000 + 840 * 4) / 2); // pattern 5, segment 1 SV
    listed = compare();
    EXPECT_NE(listed.find("Advanced usage (EXPERT PARAMETER)\n  DMV: "), std::string::npos)
        << listed;
    EXPECT_NE(listed.find("Program pattern 5\n  segment 1 SV: "), std::string::npos) << listed;
    EXPECT_NE(listed.find("\n2 parameters differ\n"), std::string::npos) << listed;
    EXPECT_EQ(state(GroupId::Pattern(5)), "differs from the controller");
    EXPECT_EQ(state(GroupId::Pattern(2)), "same as the controller");

    // The unsent advanced edit keeps the window open when the operator says No.
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(stay.Asked().size(), 1u);
    EXPECT_NE(stay.Asked()[0].find("Advanced"), std::string::npos);

    // Written to a file, the edit is kept: closing no longer asks; the file compares as
    // equal to the loader, the controller's change aside.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("OVEN3.SLK"));
    auto name = [&](QWidget* modal) {
        modal->findChild<QLineEdit*>("DRIVE")->clear();
        modal->findChild<QLineEdit*>("FILE_NAME")->setText(path);
        Click(modal, "OK");
    };
    driver.Then(name);
    document.Run(Command::FileWrite);
    Settle(document);
    EXPECT_EQ(state(GroupId::Advanced()), "edited, written to file, not sent");
    QString fromFile;
    driver.Then(name);
    driver.Then([&](QWidget* modal) {
        fromFile = static_cast<CompareDialog*>(modal)->Text();
        Click(modal, "close");
    });
    document.Run(Command::CompareFile);
    Settle(document);
    EXPECT_TRUE(fromFile.endsWith("\nno differences\n")) << fromFile.toStdString();
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(stay.Asked().size(), 1u);
    EXPECT_TRUE(driver.Done());
}
