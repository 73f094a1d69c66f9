#include "shot_loader.h"
#include "shot_registry.h"

#include "app/about_dialog.h"
#include "app/code_symbols_dialog.h"
#include "app/connect_first_notice.h"
#include "app/document.h"
#include "app/help_commands.h"
#include "app/main_frame.h"
#include "operator/cursor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

namespace {

using Shell = ShotLoader;

} // namespace

// At first start: the size the window chooses for itself and the line of guidance.
TQX_SHOT("main_window") {
    Shell shell;
    ctx.save(&shell.frame, QStringLiteral("main_window"));
}

TQX_SHOT("menus") {
    Shell shell;
    shell.frame.resize(640, 360);
    shell.frame.show();
    QApplication::processEvents();
    int index = 0;
    for (QAction* top : shell.frame.menuBar()->actions()) {
        QMenu* menu = top->menu();
        const QRect at = shell.frame.menuBar()->actionGeometry(top);
        menu->popup(shell.frame.menuBar()->mapToGlobal(at.bottomLeft()));
        shell.frame.menuBar()->setActiveAction(top);
        QApplication::processEvents();
        // The popup is a window of its own: paint it over the frame where it opened.
        QPixmap picture = shell.frame.grab();
        QPainter painter(&picture);
        painter.drawPixmap(shell.frame.mapFromGlobal(menu->pos()), menu->grab());
        painter.end();
        const QString name = QStringLiteral("menu_%1").arg(++index);
        picture.save(QDir(ctx.outputDir).filePath(name + QStringLiteral(".png")));
        menu->hide();
    }
}

TQX_SHOT("connect_progress") {
    Shell shell;
    shell.frame.resize(640, 360);
    shell.frame.show();
    shell.frame.ShowProgress(20, 57, QStringLiteral("Reading program pattern 3 part 2"));
    ctx.save(&shell.frame, QStringLiteral("connect_progress"));
}

TQX_SHOT("connect_first_notice") {
    ConnectFirstNotice notice;
    ctx.save(&notice, QStringLiteral("connect_first_notice"));
}

TQX_SHOT("about_box") {
    CAboutDlg about;
    ctx.save(&about, QStringLiteral("about_box"));
}

// Help > User guide and Help > Keyboard keys, as they open.
TQX_SHOT("help") {
    QFile file(UserGuidePath());
    if (file.open(QIODevice::ReadOnly)) {
        HelpWindow guide(QStringLiteral("TQXLOADER user guide"), nullptr);
        guide.ShowMarkdown(QString::fromUtf8(file.readAll()));
        ctx.save(&guide, QStringLiteral("help_guide"));
    }
    HelpWindow keys(QStringLiteral("Keyboard keys"), nullptr);
    keys.ShowKeys(KeyboardKeys());
    ctx.save(&keys, QStringLiteral("help_keys"));
}

TQX_SHOT("code_symbols") {
    CodeSymbolsDialog dialog(QStringLiteral("PXT4TEY1T-00121"), QString());
    ctx.save(&dialog, QStringLiteral("code_symbols"));
}

TQX_SHOT("code_symbols_unread") {
    CodeSymbolsDialog dialog(QStringLiteral("111111111111111"),
                             QStringLiteral("Port 1 (rtu:/dev/ttyUSB0 9600 8E1, unit 1): no answer "
                                            "within 500 ms."));
    ctx.save(&dialog, QStringLiteral("code_symbols_unread"));
}
