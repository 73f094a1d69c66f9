#include "editors/report_qtcore.h"

#include "files/whole_file.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHeaderHeight = 16.0; // points
constexpr double kCellPad = 2.0;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Paints `table` from `top` across `width`; returns the y below it.
double PaintTable(QPainter& p, const ReportTable& table, double top, double width, double points) {
    double total = 0.0;
    for (double w : table.widths)
        total += w;
    std::vector<double> x(1, 0.0);
    for (double w : table.widths)
        x.push_back(x.back() + width * w / total);

    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    auto paintRow = [&](const std::vector<std::string>& cells, double y, bool header) {
        p.setFont(ReportFont(p, points, header));
        const QFontMetricsF metrics(p.font(), p.device());
        double height = metrics.height();
        for (size_t c = 0; c < cells.size() && c + 1 < x.size(); ++c) {
            const QRectF box(0, 0, x[c + 1] - x[c] - 2 * kCellPad, 1000);
            height = std::max(height, metrics.boundingRect(box, flags, Q(cells[c])).height());
        }
        height += 2 * kCellPad;
        if (header)
            p.fillRect(QRectF(0, y, width, height), QColor(225, 225, 225));
        p.setPen(QPen(QColor(170, 170, 170), 0.4));
        p.drawLine(QPointF(0, y + height), QPointF(width, y + height));
        p.setPen(Qt::black);
        for (size_t c = 0; c < cells.size() && c + 1 < x.size(); ++c)
            p.drawText(QRectF(x[c] + kCellPad, y + kCellPad, x[c + 1] - x[c] - 2 * kCellPad,
                              height - 2 * kCellPad),
                       flags, Q(cells[c]));
        return y + height;
    };
    double y = paintRow(table.header, top, true);
    for (const auto& row : table.rows)
        y = paintRow(row, y, false);
    p.setPen(QPen(QColor(170, 170, 170), 0.4));
    for (double column : x)
        p.drawLine(QPointF(column, top), QPointF(column, y));
    p.drawLine(QPointF(0, top), QPointF(width, top));
    return y;
}

void PaintPage(QPainter& p, const QRectF& page, const ReportContent& report, int index,
               const ParameterImage& image) {
    const ReportPage& content = report.pages[static_cast<size_t>(index)];
    p.setPen(Qt::black);
    p.setFont(ReportFont(p, 8));
    p.drawText(QRectF(0, 0, page.width(), kHeaderHeight), Qt::AlignLeft | Qt::AlignVCenter,
               Q(report.HeaderLine(index)));
    p.setPen(QPen(Qt::black, 0.6));
    p.drawLine(QPointF(0, kHeaderHeight), QPointF(page.width(), kHeaderHeight));

    double y = kHeaderHeight + 6;
    p.setFont(ReportFont(p, 12, true));
    p.drawText(QRectF(0, y, page.width(), 18), Qt::AlignLeft | Qt::AlignVCenter, Q(content.title));
    y += 20;
    p.setFont(ReportFont(p, 8));
    for (const std::string& note : content.notes) {
        p.drawText(QRectF(0, y, page.width(), 12), Qt::AlignLeft | Qt::AlignVCenter, Q(note));
        y += 12;
    }
    y += 4;
    const bool pattern = content.pattern > 0;
    for (const ReportTable& table : content.tables)
        y = PaintTable(p, table, y, page.width(), pattern ? 6.5 : 8.0) + 8;
    if (pattern) {
        const ProfileGeometry profile =
            BuildProfile(image.pattern[static_cast<size_t>(content.pattern - 1)], image.systemSetup,
                         HasTimeSignalOption(image));
        PaintProfile(p, QRectF(0, y, page.width(), page.height() - y), profile);
    }
}

QString Number(double v, int decimals) {
    return QString::number(v, 'f', std::min(std::max(decimals, 0), 3));
}

} // namespace

// A font of `points` in the painter's units, which are points scaled to the device: the
// device resolves point sizes at its own resolution, so the size is taken back by it.
QFont ReportFont(const QPainter& p, double points, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points * 72.0 / p.device()->logicalDpiY());
    font.setBold(bold);
    // Without shaping there are no ligatures: "fi" stays two letters, so a text copied or
    // searched in the PDF reads as written.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void UseReportPageLayout(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
}

bool PaintReport(const ReportContent& report, const ParameterImage& image,
                 QPagedPaintDevice& device) {
    QPainter p;
    if (!p.begin(&device))
        return false;
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Point);
    const double scale = device.logicalDpiX() / 72.0;
    for (int i = 0; i < static_cast<int>(report.pages.size()); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        p.save();
        p.scale(scale, scale);
        PaintPage(p, QRectF(0, 0, paint.width(), paint.height()), report, i, image);
        p.restore();
    }
    return p.end();
}

bool WriteReportsPdf(const std::string& path, const std::string& title,
                     const std::function<bool(QPagedPaintDevice&)>& paint, std::string& error) {
    // Refused before painting, and written as File Write writes: whole, only over a regular
    // file or to a new name.
    error = CheckWriteTarget(path);
    if (!error.empty())
        return false;
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("TQXLOADER"));
        writer.setTitle(Q(title));
        UseReportPageLayout(writer);
        if (!paint(writer)) {
            error = "the report could not be painted";
            return false;
        }
    }
    error = WriteWholeFile(path, pdf.toStdString());
    return error.empty();
}

bool WriteReportPdf(const ReportContent& report, const ParameterImage& image,
                    const std::string& path, std::string& error) {
    return WriteReportsPdf(
        path, "Parameter report " + report.modelCode,
        [&](QPagedPaintDevice& device) { return PaintReport(report, image, device); }, error);
}

void PaintProfile(QPainter& p, const QRectF& area, const ProfileGeometry& g) {
    p.save();
    const double rowHeight = 9.0;
    const double left = area.left() + 50;
    const double right = area.right() - 12;
    const double top = area.top() + 22;
    const double bottom = area.bottom() - 26 - g.timeSignals * rowHeight;
    if (bottom - top < 20 || right - left < 40) {
        p.restore();
        return;
    }
    const QRectF plot(left, top, right - left, bottom - top);
    const double end = g.endTime > 0 ? g.endTime : 1.0;
    const double span = g.valueHigh - g.valueLow;
    auto X = [&](double t) { return left + t / end * plot.width(); };
    auto Y = [&](double v) {
        return span != 0 ? bottom - (v - g.valueLow) / span * plot.height()
                         : top + plot.height() / 2;
    };

    const QFont small = ReportFont(p, 6.5);
    p.setFont(small);
    const QFontMetricsF metrics(small, p.device());
    const QPen grid(QColor(210, 210, 210), 0.4);
    const QPen text(Qt::black);

    // Value axis: the input range.
    for (double v :
         ValueTicks(std::min(g.valueLow, g.valueHigh), std::max(g.valueLow, g.valueHigh), 5)) {
        p.setPen(grid);
        p.drawLine(QPointF(left, Y(v)), QPointF(right, Y(v)));
        p.setPen(text);
        p.drawText(QRectF(area.left(), Y(v) - 6, 46, 12), Qt::AlignRight | Qt::AlignVCenter,
                   Number(v, g.decimals));
    }
    p.drawText(QRectF(area.left(), area.top(), 200, 10), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("SV") +
                   (g.valueUnit.empty() ? QString() : QStringLiteral(" (%1)").arg(Q(g.valueUnit))));

    // Time axis.
    for (double t : TimeTicks(g.endTime, 10)) {
        p.setPen(grid);
        p.drawLine(QPointF(X(t), top), QPointF(X(t), bottom));
        p.setPen(text);
        // The first label starts at the axis, clear of the value labels left of it.
        const bool first = t <= 0;
        p.drawText(QRectF(first ? X(t) : X(t) - 30, bottom + 1, 60, 10),
                   (first ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignTop,
                   Q(FormatElapsed(t, g.tmu)));
    }
    p.drawText(QRectF(right - 200, area.bottom() - 10, 200, 10), Qt::AlignRight | Qt::AlignVCenter,
               Q(TimeAxisTitle(g.tmu)));

    p.setPen(QPen(Qt::black, 0.8));
    p.drawRect(plot);

    if (g.usedSegments == 0) {
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("No segment in use"));
        p.restore();
        return;
    }

    // Segment boundaries and numbers; a "----" set value is named in its segment.
    for (const ProfileSegment& s : g.segments) {
        p.setPen(QPen(QColor(110, 110, 110), 0.5, Qt::DashLine));
        if (s.number < g.usedSegments)
            p.drawLine(QPointF(X(s.end), top), QPointF(X(s.end), bottom));
        p.setPen(text);
        const double mid = (X(s.begin) + X(s.end)) / 2;
        p.drawText(QRectF(mid - 12, top - 11, 24, 10), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::number(s.number));
        if (!s.hasLine)
            p.drawText(QRectF(mid - 14, top + 2, 28, 10), Qt::AlignHCenter | Qt::AlignTop,
                       QStringLiteral("----"));
    }
    // The end of the program.
    p.setPen(QPen(Qt::black, 1.4));
    p.drawLine(QPointF(X(g.endTime), top - 2), QPointF(X(g.endTime), bottom));
    p.drawText(QRectF(X(g.endTime) - 40, top - 21, 40, 10), Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("END"));

    p.save();
    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    p.setPen(QPen(QColor(220, 0, 0), 1.4));
    for (const ProfileSegment& s : g.segments)
        if (s.hasLine)
            p.drawLine(QPointF(X(s.begin), Y(s.from)), QPointF(X(s.end), Y(s.to)));
    p.restore();

    // Time-signal rows beneath the time axis.
    for (int k = 1; k <= g.timeSignals; ++k) {
        const double rowTop = bottom + 12 + (k - 1) * rowHeight;
        p.setPen(text);
        p.drawText(QRectF(area.left(), rowTop, 46, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("T.S%1").arg(k));
        p.setPen(QPen(QColor(150, 150, 150), 0.4));
        p.drawLine(QPointF(left, rowTop + rowHeight - 1.5),
                   QPointF(right, rowTop + rowHeight - 1.5));
        for (const ProfileBar& b : g.bars) {
            if (b.signal != k)
                continue;
            const double x0 = std::clamp(X(b.on), left, right);
            const double x1 = std::clamp(X(b.off), left, right);
            p.fillRect(QRectF(x0, rowTop + 1.5, std::max(x1 - x0, 0.6), rowHeight - 3),
                       QColor(0, 0, 230));
        }
    }
    p.restore();
}
