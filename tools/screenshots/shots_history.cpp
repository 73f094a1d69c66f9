#include "shot_loader.h"
#include "shot_registry.h"

#include "../tests/support/history_settle.h"
#include "../tests/support/modal_driver.h"
#include "../tests/support/settle.h"
#include "../tests/support/sim_process.h"
#include "app/document.h"
#include "app/history_dialog.h"
#include "app/main_frame.h"
#include "history/sqlite_history.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Step {
    const char* when;
    const char* who;
    SnapshotEvent event;
    const char* detail;
    const char* note;
};

// Two controllers as a plant's history holds them after a week: the labelled furnace
// read each morning, one PID group tuned, a segment changed at the panel, the set written
// to a file; the kiln backed up each night by a service account.
std::string MakeHistory(const QString& folder, const ParameterImage& read) {
    const std::string path = QDir(folder).filePath(QStringLiteral("history.sqlite")).toStdString();
    SqliteHistory store;
    if (!store.Open(path, SqliteHistory::Access::Record).empty())
        return path;
    ParameterImage kiln = read;
    std::strcpy(kiln.modelCode.data(), "PXT9A1Y2T-0D1R");
    const Step nightly[] = {
        {"2026-05-02T22:00:04.120Z", "svc-backup@plant-srv", SnapshotEvent::BackupAll,
         "/srv/tqx/2026-05-02/unit3.slk", ""},
        {"2026-05-03T22:00:03.870Z", "svc-backup@plant-srv", SnapshotEvent::BackupAll,
         "/srv/tqx/2026-05-03/unit3.slk", ""},
    };
    NewSnapshot s;
    s.controller = {"tcp:10.0.4.17:502", 3, "PXT9A1Y2T-0D1R"};
    s.groups = kEveryGroup;
    s.set = kiln;
    s.program = "tqxctl 1.6";
    for (const Step& step : nightly) {
        s.takenUtc = step.when;
        s.user = std::string(step.who).substr(0, std::strchr(step.who, '@') - step.who);
        s.host = std::strchr(step.who, '@') + 1;
        s.event = step.event;
        s.detail = step.detail;
        store.Record(s);
    }

    ParameterImage furnace = read;
    std::strcpy(furnace.modelCode.data(), "PXT4TEY1T-00121");
    SegmentRecord segment = furnace.pattern[0].Segment(3);
    const Step week[] = {
        {"2026-05-04T06:58:12.410Z", "", SnapshotEvent::Connect, "", ""},
        {"2026-05-04T07:03:40.002Z", "", SnapshotEvent::EditorSend, "", "overshoot on the ramp"},
        {"2026-05-05T06:55:02.731Z", "", SnapshotEvent::Connect, "", ""},
        {"2026-05-06T07:01:33.090Z", "", SnapshotEvent::Connect, "", ""},
        {"2026-05-06T07:10:05.500Z", "", SnapshotEvent::FileWrite,
         "/home/jkowalski/furnace3-2026-05-06.slk", ""},
    };
    s.controller = {"rtu:/dev/ttyUSB0 9600 8E1", 1, "PXT4TEY1T-00121"};
    s.program = "tqxloader 1.6";
    s.user = "jkowalski";
    s.host = "line2-pc";
    int64_t id = 0;
    for (const Step& step : week) {
        s.takenUtc = step.when;
        s.event = step.event;
        s.detail = step.detail;
        s.groups = kEveryGroup;
        s.sent.reset();
        if (step.event == SnapshotEvent::EditorSend) {
            furnace.pid[1].SetWord(PidGroupRecord::P, 65);
            furnace.pid[1].SetWord(PidGroupRecord::I, 180);
            furnace.pid[1].SetWord(PidGroupRecord::D, 45);
            s.groups = MaskOf({GroupId::Pid(1), GroupId::Pid(2), GroupId::Pid(3), GroupId::Pid(4),
                               GroupId::Pid(5), GroupId::Pid(6), GroupId::Pid(7), GroupId::Pid(8),
                               GroupId::Pid(9)});
            s.sent = GroupId::Pid(2);
            s.verified = true;
        }
        if (std::strcmp(step.when, "2026-05-06T07:01:33.090Z") == 0) {
            segment.SetSV(static_cast<int16_t>(segment.SV() + 250));
            segment.SetTIME(static_cast<uint16_t>(segment.TIME() + 30));
        }
        s.set = furnace;
        store.Record(s, &id);
        if (*step.note)
            store.SetNote(id, step.note);
    }
    std::vector<ControllerEntry> controllers;
    store.Controllers(controllers);
    store.SetLabel(controllers.front().id, "Furnace 3");
    return path;
}

} // namespace

// File > History... over two controllers, the furnace's Connect that found a segment
// changed at the panel selected and the chain verified; then its first and last snapshots
// compared.
TQX_SHOT("history") {
    // The sets are tqx-sim's, as a Connect reads them.
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    if (!sim.Ready())
        return;
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ShotLoader loader;
    ParameterImage& image = loader.image;
    CTQXLOADER961114Doc& document = loader.document;
    CMainFrame& frame = loader.frame;
    frame.show();
    ModalDriver driver;
    driver.Then([](QWidget* modal) { Press(modal, "OK"); });
    document.Run(Command::ConnectStart);
    Settle(document); // its snapshot in the shots' own history, not in the one made below
    QTemporaryDir folder;
    const std::string history = MakeHistory(folder.path(), image);
    const std::string before = std::getenv("TQX_HISTORY") ? std::getenv("TQX_HISTORY") : "";
    ::setenv("TQX_HISTORY", history.c_str(), 1);
    driver.Then([&](QWidget* modal) {
        auto* window = static_cast<HistoryDialog*>(modal);
        SettleHistory(*window);
        window->SelectController(0);
        SettleHistory(*window);
        window->SelectSnapshots({6});
        Press(window, "verify");
        SettleHistory(*window);
        ctx.save(window, QStringLiteral("history"));
        window->SelectSnapshots({3, 7});
        QTimer::singleShot(0, window, [window] { Press(window, "compareTwo"); });
    });
    driver.ThenIn(QStringLiteral("CompareDialog"), [&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("history_compare"));
        Press(modal, "close");
        QWidget* window = modal->parentWidget();
        QTimer::singleShot(0, window, [window] { Press(window, "close"); });
    });
    document.Run(Command::History);
    ::setenv("TQX_HISTORY", before.c_str(), 1);
}
