#include "shot_registry.h"

#include "files/file_name_dialog.h"

#include <QLineEdit>

TQX_SHOT("file_name") {
    FileNameDialog dialog;
    ctx.save(&dialog, QStringLiteral("file_name"));
}

TQX_SHOT("file_name_filled") {
    FileNameDialog dialog;
    dialog.findChild<QLineEdit*>(QStringLiteral("FILE_NAME"))
        ->setText(QStringLiteral("PARAM1.SLK"));
    dialog.findChild<QLineEdit*>(QStringLiteral("DRIVE"))->setText(QStringLiteral("A"));
    ctx.save(&dialog, QStringLiteral("file_name_filled"));
}
