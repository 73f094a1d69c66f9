#include "shot_loader.h"
#include "shot_registry.h"

#include "../tests/files/file_test_support.h"
#include "../tests/support/modal_driver.h"
#include "../tests/support/sim_process.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "app/send_all_dialog.h"
#include "app/transfer_progress_dialog.h"
#include "app/transfer_runner.h"
#include "files/parameter_file_writer.h"

#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

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

    driver.Then([&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("send_all_confirm_plain"));
        modal->findChild<QPushButton*>("OK")->click();
    });
    QTimer::singleShot(2500, &frame, [&] {
        TransferProgressDialog* progress = document.Runner()->Dialog();
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
    ctx.save(&frame, QStringLiteral("send_all_summary"));
}
