#pragma once

// A loader window against a tqx-sim on a pseudo-terminal, for Send all and Send edited
// groups: reading a file, Connect, Send all with its boxes set, and what the simulator was
// asked to write.
#include "app/document.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "support/modal_driver.h"
#include "support/restore_memory.h"
#include "support/settle.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

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
    std::string RowTip(GroupId group) const {
        auto* table = frame->View()->findChild<QTableWidget*>("groups");
        return table->item(group.Index(), 1)->toolTip().toStdString();
    }

    QTemporaryDir config, data;
    restoretest::RestoreSetting set; // set.slk: a busy file with WDIS 0 on station 1
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
