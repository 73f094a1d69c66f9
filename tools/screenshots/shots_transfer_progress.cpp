#include "shot_registry.h"

#include "app/document.h"
#include "app/main_frame.h"
#include "app/transfer_progress_dialog.h"
#include "editors/pid_group_dialog.h"
#include "operator/cursor.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

namespace {

// The progress window as it stands over `under` partway through a transfer, painted where
// it opens: centred on the window under it.
void SaveOver(QWidget* under, const QString& title, const QString& step, int done, int total,
              const QString& file, const ShotContext& ctx) {
    under->show();
    TransferProgressDialog progress(under);
    progress.Begin(title);
    progress.ShowStep(step, done, total);
    progress.adjustSize();
    progress.show();
    QApplication::processEvents();
    QPixmap picture = under->grab();
    QPainter painter(&picture);
    const QPoint at((picture.width() - progress.width()) / 2,
                    (picture.height() - progress.height()) / 2);
    painter.fillRect(QRect(at, progress.size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
    painter.drawPixmap(at, progress.grab());
    painter.end();
    picture.save(QDir(ctx.outputDir).filePath(file + QStringLiteral(".png")));
}

} // namespace

TQX_SHOT("transfer_progress_connect") {
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    CTQXLOADER961114Doc document{image, messages, cursor};
    CMainFrame frame{document};
    frame.resize(640, 360);
    SaveOver(&frame, QStringLiteral("Connect"), QStringLiteral("Reading program pattern 3 part 2"),
             20, 58, QStringLiteral("transfer_progress_connect"), ctx);
}

TQX_SHOT("transfer_progress_pid_send") {
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    PidGroupDialog dialog(image, messages, cursor);
    SaveOver(&dialog, QStringLiteral("SEND of the PID groups"),
             QStringLiteral("Writing PID group 4"), 3, 9,
             QStringLiteral("transfer_progress_pid_send"), ctx);
}
