#include "shot_registry.h"

#include "editors/advanced_dialog.h"
#include "editors/system_setup_dialog.h"
#include "image/parameter_catalogue.h"
#include "operator/cursor.h"
#include "transfers/connect_procedure.h"
#include "transfers/parameter_set.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTextStream>
#include <QToolTip>

namespace {

// A K thermocouple 0 to 1200 degree C with typical settings.
ParameterImage DemoImage() {
    ParameterImage image;
    SetStartValues(image);
    SystemSetupRecord& s = image.systemSetup;
    s.PVT = 36;
    s.PVF = 1000;
    s.CI = 30;
    s.TF = 20;
    s.PSET = 0;
    s.BURN = 0;
    s.SFT = 0;
    s.AO1T = 0;
    s.AO1F = 10000;
    s.AO2T = 2;
    s.AO2F = 10000;
    s.GS_H = 42;
    s.GS_L = 42;
    s.GS_T = 10;
    s.EV_T1 = 1;
    s.EV_T2 = 3;
    s.EV_T3 = 9;
    s.ENDT = 1;
    s.STN = 1;
    AdvancedRecord& a = image.advanced;
    // The set value limits at the two ends of the input range.
    for (const ParameterRow& row : AdvancedRows())
        if (row.encoding == Encoding::RangeAbsolute)
            SetRawValue(a, row, static_cast<uint16_t>(row.offset == 0 ? row.hi : row.lo));
    a.DMV = 10000;
    a.A1HS = 17;
    a.A2HS = 17;
    a.A3HS = 17;
    a.A4HS = 17;
    a.PID = 1;
    return image;
}

} // namespace

TQX_SHOT("system_setup") {
    ParameterImage image = DemoImage();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("system_setup"));
}

TQX_SHOT("advanced") {
    ParameterImage image = DemoImage();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("advanced"));
}

// SV-H typed over the value the controller returned: the field is marked, and its tooltip
// gives the help text and the controller's value. The tooltip is a window of its own, so
// it is drawn onto the dialog's picture where it appeared.
TQX_SHOT("marked_field") {
    ParameterImage image = DemoImage();
    ParameterSet set(image);
    set.Connected(TransferResult{},
                  ImageSource::Controller("rtu:/dev/ttyUSB0 9600 8E1", 1, "09:12"), "09:12");
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    dialog.UseReference(set);
    dialog.show();
    dialog.adjustSize();
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("SV-H"));
    if (!field)
        return;
    field->setText(QStringLiteral("1100"));
    QApplication::processEvents();
    const QPoint at = field->mapToGlobal(QPoint(field->width() / 2, field->height()));
    QToolTip::showText(at, field->toolTip(), field);
    QApplication::processEvents();
    QWidget* tip = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel") && top->isVisible())
            tip = top;
    const QRect tipArea = tip ? QRect(dialog.mapFromGlobal(tip->pos()), tip->size()) : QRect();
    // In device pixels, as the window itself is drawn at a large font's scale.
    const qreal scale = dialog.devicePixelRatioF();
    QPixmap picture(dialog.rect().united(tipArea).size() * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, dialog.grab());
    if (tip)
        painter.drawPixmap(tipArea.topLeft(), tip->grab());
    painter.end();
    const QString path = QDir(ctx.outputDir).filePath(QStringLiteral("marked_field.png"));
    picture.save(path);
    QTextStream(stdout) << path << "\n";
    QToolTip::hideText();
}

// After a Connect that could read nothing: the editor says its values are nobody's choice.
TQX_SHOT("system_setup_not_read") {
    ParameterImage image;
    SetStartValues(image);
    ParameterSet set(image);
    TransferResult nothingRead;
    nothingRead.failedReads = WholeReadPositions();
    set.Connected(nothingRead, ImageSource::Controller("rtu:/dev/ttyUSB0 9600 8E1", 7, "09:12"),
                  "09:12");
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    dialog.UseReference(set);
    ctx.save(&dialog, QStringLiteral("system_setup_not_read"));
}
