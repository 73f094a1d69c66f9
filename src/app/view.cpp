#include "app/view.h"

#include "link/tqxcomm.h"

#include <QFont>
#include <QFontMetrics>

CTQXLOADER961114View::CTQXLOADER961114View(ParameterImage& image, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("View"));
    // The form is 272 x 117 dialog units in a 12-point serif font.
    QFont font(QStringLiteral("Serif"), 12);
    font.setStyleHint(QFont::Serif);
    setFont(font);
    const QFontMetrics metrics(font);
    const int unitX = metrics.averageCharWidth();
    const int unitY = metrics.height();
    setMinimumSize(272 * unitX / 4, 117 * unitY / 8);

    image.connected = 0;
    TQXOpenSerialPort(1); // a port that cannot be opened is retried at the first transfer
}

CTQXLOADER961114View::~CTQXLOADER961114View() {
    TQXCloseSerialPort();
}
