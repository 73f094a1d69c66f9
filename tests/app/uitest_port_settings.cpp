#include "app/port_settings_dialog.h"
#include "link/port1.h"
#include "support/sim_process.h"
#include "widgets/saved_settings_qt.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

class FakePorts : public PortEnumerator {
public:
    std::vector<SerialPortEntry> Ports() const override {
        return {{"/dev/serial/by-id/usb-FTDI_FT232R-if00", "FT232R USB UART", "FTDI", "A50285BI"},
                {"/dev/ttyS0", "", "", ""},
                {"/dev/ttyUSB0", "USB-Serial Controller", "Prolific", ""}};
    }
};

// Units 2 and 9 answer, whatever the rate.
class FakeScanPort : public ScanPort {
public:
    bool Open(const PortSettings&, LinkFailure&) override { return true; }
    ScanProbe Probe(int unit, int) override {
        ScanProbe p;
        p.answered = unit == 2 || unit == 9;
        p.modelCode = "MODEL" + std::to_string(unit) + "-ABCDEFG";
        return p;
    }
    void Close() override {}
};

class PortSettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("TQXCOMM_PORT1");
        UsePort1Settings(DefaultPortSettings());
    }
    void TearDown() override { unsetenv("TQXCOMM_PORT1"); }
    QTemporaryDir dir;
    FakePorts ports;
    SavedSettings saved{dir.filePath(QStringLiteral("settings.ini"))};
};

PortSettings Parse(const std::string& text) {
    PortSettings s;
    EXPECT_TRUE(ParsePortSettings(text, s)) << text;
    return s;
}

TEST_F(PortSettingsFixture, ListsThePortsAndSavesWhatOkApplies) {
    EXPECT_TRUE(saved.Port1().empty());
    EXPECT_TRUE(saved.VerifyAfterSend()); // on with nothing saved
    PortSettingsDialog dialog(ports, saved);
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("ports"));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text().toStdString(), "/dev/serial/by-id/usb-FTDI_FT232R-if00");
    EXPECT_EQ(table->item(0, 3)->text().toStdString(), "A50285BI");
    EXPECT_EQ(table->item(2, 2)->text().toStdString(), "Prolific");
    table->selectRow(2);
    EXPECT_EQ(dialog.Settings().device, "/dev/ttyUSB0");

    // Every kind of setting goes through the window, the saved text and a new window alike.
    for (const char* text : {"rtu:/dev/ttyUSB0,baud=19200,parity=N,stop=2,unit=17,timeout=300",
                             "rtu:/dev/serial/by-id/x,baud=4800,parity=O,stop=1,unit=247",
                             "tcp:gateway.lab:5020,unit=3,timeout=1200"}) {
        const PortSettings s = Parse(text);
        PortSettingsDialog edit(ports, saved);
        edit.SetSettings(s);
        edit.accept();
        EXPECT_TRUE(Parse(saved.Port1()) == s) << text << " saved as " << saved.Port1();
        EXPECT_TRUE(Port1Settings() == s) << text;
        PortSettingsDialog again(ports, saved);
        EXPECT_TRUE(again.Settings() == s) << text;
    }
}

TEST_F(PortSettingsFixture, TheEnvironmentWinsAndIsShownReadOnly) {
    saved.SetPort1("rtu:/dev/ttyUSB3,unit=4");
    UsePort1Settings(Parse(saved.Port1()));
    setenv("TQXCOMM_PORT1", "tcp:127.0.0.1:1502,unit=9", 1);
    PortSettingsDialog dialog(ports, saved);
    auto* env = dialog.findChild<QLineEdit*>(QStringLiteral("environment"));
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->text().toStdString(), "tcp:127.0.0.1:1502,unit=9");
    EXPECT_TRUE(env->isReadOnly());
    EXPECT_FALSE(dialog.findChild<QWidget*>(QStringLiteral("unit"))->isEnabled());
    EXPECT_EQ(dialog.Settings().unit, 9);
    dialog.accept();
    EXPECT_EQ(saved.Port1(), "rtu:/dev/ttyUSB3,unit=4");
    EXPECT_EQ(Port1Settings().host, "127.0.0.1");
}

TEST_F(PortSettingsFixture, TestNamesTheModelCodeOrTheCause) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--units", "1:PXR4TEY1X-0099"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    const std::string refused = "tcp:127.0.0.1:1,timeout=200";
    const std::map<std::string, std::string> cases = {
        {sim.PortSetting(), ": model code PXR4TEY1X-0099"},
        {refused, "connection refused"},
        {"rtu:/nonexistent/tty,timeout=100", "the device cannot be opened"},
        {sim.PortSetting() + ",unit=9,timeout=100", "no answer within 100 ms"},
    };
    for (const auto& [setting, expected] : cases) {
        PortSettingsDialog dialog(ports, saved);
        dialog.SetSettings(Parse(setting));
        dialog.Test();
        EXPECT_NE(dialog.ResultText().toStdString().find(expected), std::string::npos)
            << setting << ": " << dialog.ResultText().toStdString();
    }
}

TEST_F(PortSettingsFixture, ScanListsWhatAnswersAndChoosingOneFillsTheSettings) {
    PortSettingsDialog dialog(ports, saved, nullptr,
                              [] { return std::make_unique<FakeScanPort>(); });
    dialog.SetSettings(Parse("rtu:/dev/ttyUSB0,unit=1"));
    dialog.StartScan();
    while (dialog.Scanning())
        QApplication::processEvents();
    auto* found = dialog.findChild<QListWidget*>(QStringLiteral("found"));
    ASSERT_EQ(found->count(), 2);
    EXPECT_EQ(found->item(1)->text().toStdString(), "unit 9  9600 8E1  MODEL9-ABCDEFG");
    found->setCurrentRow(1);
    EXPECT_EQ(dialog.Settings().unit, 9);
    EXPECT_EQ(dialog.Settings().device, "/dev/ttyUSB0");
}

// Nothing answers anywhere.
class SilentScanPort : public FakeScanPort {
public:
    ScanProbe Probe(int, int) override { return {}; }
};

TEST_F(PortSettingsFixture, TcpShowsItsOwnRowsAndAnEmptyScanSaysWhatItTried) {
    PortSettingsDialog dialog(ports, saved, nullptr,
                              [] { return std::make_unique<SilentScanPort>(); });
    dialog.SetSettings(Parse("rtu:/dev/ttyUSB0,unit=1"));
    dialog.findChild<QRadioButton*>(QStringLiteral("tcp"))->click();
    for (const char* serial : {"ports", "device", "baud", "parity", "stop", "allRates"})
        EXPECT_TRUE(dialog.findChild<QWidget*>(QLatin1String(serial))->isHidden()) << serial;
    EXPECT_FALSE(dialog.findChild<QWidget*>(QStringLiteral("host"))->isHidden());
    EXPECT_EQ(dialog.findChild<QSpinBox*>(QStringLiteral("tcpPort"))->value(), 502);

    dialog.findChild<QRadioButton*>(QStringLiteral("serial"))->click();
    dialog.StartScan();
    while (dialog.Scanning())
        QApplication::processEvents();
    EXPECT_EQ(dialog.ScanResultText(),
              QString::fromUtf8("No controller answered on units 1\u201331 at 9600 8E1"));
    EXPECT_TRUE(dialog.ResultText().isEmpty()) << "the Test line keeps its own result";
}

} // namespace
