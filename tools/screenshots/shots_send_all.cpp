#include "shot_loader.h"
#include "shot_registry.h"

#include "../tests/files/file_test_support.h"
#include "../tests/support/modal_driver.h"
#include "../tests/support/settle.h"
#include "../tests/support/sim_process.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "app/send_all_dialog.h"
#include "app/send_preview.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "files/parameter_file_writer.h"
#include "widgets/dialog_support_qt.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <functional>

// The confirmation as it stands before a set read from one controller goes to another
// that is write-inhibited and has no time-signal option.
TQX_SHOT("send_all_confirm") {
    SendAllDialog::Content content;
    content.source = QStringLiteral("controller, read at 09:12, edited since");
    content.port = QStringLiteral("rtu:/dev/ttyUSB0 9600 8E1, unit 3");
    content.modelCode = QStringLiteral("PXT4TEY1N-00121");
    content.warnings << QStringLiteral("The set was read from model code PXT9A1Y2T-0D1R1; this "
                                       "controller is PXT4TEY1N-00121.")
                     << QStringLiteral("The set uses time signals 5 or 6; this controller has "
                                       "no time-signal option.");
    ParameterImage held;
    SetStartValues(held);
    held.systemSetup.STN = 3;
    ParameterImage set = held;
    set.pid[1].SetWord(PidGroupRecord::P, 42);
    set.pattern[0].Segment(3).SetSV(2500);
    for (GroupId group : AllGroups())
        content.groups.push_back(group);
    content.differences = OutgoingDifferences(set, held);
    content.locked = true;
    content.keepFolder = QStringLiteral("/home/kiln/.local/share/TQXLOADER961114/kept");
    SendAllDialog dialog(content);
    ctx.save(&dialog, QStringLiteral("send_all_confirm"));
}

// A file sent whole to tqx-sim: the confirmation, the progress window on the way and the
// summary afterwards.
TQX_SHOT("send_all_run") {
    QTemporaryDir folder;
    const std::string file = QDir(folder.path()).filePath("oven3.slk").toStdString();
    ParameterImage busy = filetest::BusyImage(3);
    busy.systemSetup.STN = 1;
    busy.advanced.WDIS = 0;
    filetest::Spit(file, BuildParameterFileText(busy));
    SimProcess sim({"--tcp", "127.0.0.1:0", "--latency-ms", "20"});
    if (!sim.Ready())
        return;
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ::setenv("XDG_DATA_HOME", qPrintable(folder.path()), 1);
    ShotLoader loader;
    CTQXLOADER961114Doc& document = loader.document;
    CMainFrame& frame = loader.frame;
    frame.show();
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        modal->findChild<QLineEdit*>("FILE_NAME")->setText(QString::fromStdString(file));
        modal->findChild<QPushButton*>("OK")->click();
    });
    document.Run(Command::FileRead);
    Settle(document);

    driver.Then([&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("send_all_confirm_plain"));
        modal->findChild<QPushButton*>("OK")->click();
    });
    QTimer::singleShot(2500, &frame, [&] {
        TransferProgressDialog* progress = document.Runner().Dialog();
        QPixmap picture = frame.grab();
        QPainter painter(&picture);
        const QPoint at((picture.width() - progress->width()) / 2,
                        (picture.height() - progress->height()) / 2);
        painter.fillRect(QRect(at, progress->size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
        painter.drawPixmap(at, progress->grab());
        painter.end();
        picture.save(QDir(ctx.outputDir).filePath(QStringLiteral("send_all_progress.png")));
    });
    document.Run(Command::SendAll);
    Settle(document);
    ctx.save(&frame, QStringLiteral("send_all_summary"));
}

namespace {

// The last thing the loader told the operator, in the box it shows it in.
void SaveSaid(ShotContext& ctx, ShotLoader& loader, const QString& name) {
    if (loader.messages.Texts().empty())
        return;
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption),
                    Q(loader.messages.Texts().back()), QMessageBox::Ok, &loader.frame);
    ctx.save(&box, name);
}

} // namespace

// Sends to a write-inhibited tqx-sim from a file edited in three groups (the confirmation
// with its differences and the keep-inhibit choice, the differences as Compare lists them,
// the result), then from the controller as read, then from a snapshot of another
// controller (its result, and the summary naming the target's model code).
TQX_SHOT("send_all_sources") {
    QTemporaryDir folder;
    SimProcess sim({"--tcp", "127.0.0.1:0", "--wdis", "1"});
    if (!sim.Ready())
        return;
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ::setenv("XDG_DATA_HOME", qPrintable(folder.path()), 1);
    ShotLoader loader;
    CTQXLOADER961114Doc& document = loader.document;
    loader.frame.show();
    ModalDriver driver;
    const auto connectStart = [&] {
        driver.Then([](QWidget* modal) { Press(modal, "OK"); });
        document.Run(Command::ConnectStart);
        Settle(document);
    };
    // Unlocks, keeps the write inhibit as asked and confirms; `shoot` first, when given.
    const auto sendAll = [&](bool keepInhibit, const std::function<void(QWidget*)>& shoot) {
        driver.Then([=](QWidget* modal) {
            modal->findChild<QCheckBox*>("unlock")->setChecked(true);
            modal->findChild<QCheckBox*>("keepInhibit")->setChecked(keepInhibit);
            modal->findChild<QCheckBox*>("keep")->setChecked(false);
            if (shoot)
                shoot(modal);
            else
                Press(modal, "OK");
        });
        document.Run(Command::SendAll);
        Settle(document);
    };

    connectStart();
    ParameterImage edited = loader.image;
    edited.advanced.WDIS = 0; // the file says write-enabled
    edited.systemSetup.CI = static_cast<uint8_t>(edited.systemSetup.CI + 10);
    edited.pid[1].SetWord(PidGroupRecord::P, static_cast<uint16_t>(edited.pid[1].Word(0) + 15));
    SegmentRecord three = edited.pattern[0].Segment(3), four = edited.pattern[0].Segment(4);
    three.SetSV(static_cast<int16_t>(three.SV() + 250));
    four.SetTIME(static_cast<uint16_t>(four.TIME() + 30));
    const std::string file = QDir(folder.path()).filePath("oven3.slk").toStdString();
    filetest::Spit(file, BuildParameterFileText(edited));
    driver.Then([&](QWidget* modal) {
        Type(modal, "FILE_NAME", file.c_str());
        Press(modal, "OK");
    });
    document.Run(Command::FileRead);
    Settle(document);
    sendAll(true, [&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("send_all_confirm_differences"));
        driver.Then([&, modal](QWidget* differences) {
            ctx.save(differences, QStringLiteral("send_all_differences"));
            Press(differences, "close");
            QTimer::singleShot(0, modal, [modal] { Press(modal, "OK"); });
        });
        QTimer::singleShot(0, modal, [modal] { Press(modal, "differences"); });
    });
    SaveSaid(ctx, loader, QStringLiteral("send_all_result_file"));

    connectStart();
    sendAll(true, nullptr);
    SaveSaid(ctx, loader, QStringLiteral("send_all_result_controller"));

    // Send edited groups asks too, for the groups with edits alone; Cancel writes nothing.
    loader.image.pid[2].SetWord(PidGroupRecord::P,
                                static_cast<uint16_t>(loader.image.pid[2].Word(0) + 5));
    document.Set().Observe(document.Now());
    driver.Then([&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("send_edited_confirm"));
        Press(modal, "CANCEL");
    });
    document.Run(Command::SendEdited);
    Settle(document);

    loader.image.advanced.WDIS = 0; // the snapshot says write-enabled
    document.Set().HistoryLoaded("snapshot 12 of Furnace 3, taken 2026-05-03 09:12 UTC",
                                 "PXT9A1Y2T-0D1R", true, document.Now());
    document.NotifyChanged();
    sendAll(false, nullptr);
    SaveSaid(ctx, loader, QStringLiteral("send_all_result_snapshot"));
    ctx.save(&loader.frame, QStringLiteral("send_all_summary_snapshot"));
}
