#include "shot_registry.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdlib>

std::vector<Shot>& ShotRegistry() {
    static std::vector<Shot> shots;
    return shots;
}

// Renders every registered window to a PNG file: tqx-screenshots OUTPUT_DIR [NAME...]
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString outputDir = args.size() > 1 ? args[1] : QStringLiteral("screenshots");
    const QStringList only = args.mid(2);
    QDir().mkpath(outputDir);
    // The shots' Connects and SENDs are recorded in a history of their own, never the user's.
    QTemporaryDir history;
    ::setenv("TQX_HISTORY", qPrintable(history.filePath(QStringLiteral("history.sqlite"))), 1);
    QTextStream out(stdout);

    ShotContext ctx;
    ctx.outputDir = outputDir;
    ctx.save = [&](QWidget* widget, const QString& name) {
        widget->show();
        // A main window, and a dialog that sized itself, keep the size they chose; any other
        // dialog takes its natural size, as when it is shown.
        if (!widget->inherits("QMainWindow") && !widget->testAttribute(Qt::WA_Resized))
            widget->adjustSize();
        QApplication::processEvents();
        const QString path = QDir(outputDir).filePath(name + QStringLiteral(".png"));
        widget->grab().save(path);
        out << path << "\n";
        out.flush();
    };
    for (const Shot& shot : ShotRegistry()) {
        if (!only.isEmpty() && !only.contains(shot.name))
            continue;
        shot.run(ctx);
    }
    return 0;
}
