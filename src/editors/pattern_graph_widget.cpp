#include "editors/pattern_graph_widget.h"

#include <QPainter>
#include <QPen>

PatternGraphWidget::PatternGraphWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
}

QSize PatternGraphWidget::sizeHint() const {
    return {kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder};
}

void PatternGraphWidget::SetLines(std::vector<GraphLine> lines) {
    m_lines = std::move(lines);
    update();
}

void PatternGraphWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(0, 0, width() - 1, height() - 1);

    // Frame pixels: origin at the client area's top-left corner; values outside the
    // scale fall outside it and are clipped.
    painter.setClipRect(kBorder, kBorder, kClientWidth, kClientHeight);
    painter.translate(kBorder, kBorder);
    for (const GraphLine& line : m_lines) {
        const GraphRgb rgb = LineRgb(line.color);
        painter.setPen(QPen(QColor(rgb.red, rgb.green, rgb.blue), 1, Qt::SolidLine));
        painter.drawLine(line.x0, line.y0, line.x1, line.y1);
    }
}
