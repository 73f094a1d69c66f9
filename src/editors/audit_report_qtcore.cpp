#include "editors/audit_report_qtcore.h"

#include "editors/report_qtcore.h"
#include "image/shown_text.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr double kHeaderHeight = 28.0; // points: two lines and a rule
constexpr double kCellPad = 2.0;
constexpr double kHeadingSpace = 10.0; // above a section's heading
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

enum class Style { Title, Text, Heading, TableHeader, Row };

// One piece of the flow of pages: a line of text (wrapped), a heading, or a table's row.
struct Block {
    Style style = Style::Text;
    std::vector<std::string> cells;              // one for a line or a heading
    const std::vector<double>* widths = nullptr; // a row's relative column widths
    size_t header = 0;  // a row's table header, repeated atop a page the row starts
    size_t heading = 0; // and its section's heading
    double height = 0;
};

const std::vector<double> kChangeColumns = {4, 3, 3};
const std::vector<double> kEventColumns = {2, 2, 6};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QFont FontOf(const QPainter& p, Style style) {
    const double points = style == Style::Title ? 13 : style == Style::Heading ? 9.5 : 8;
    return ReportFont(p, points, style != Style::Text && style != Style::Row);
}

std::vector<double> Edges(const std::vector<double>& widths, double width) {
    double total = 0;
    for (double w : widths)
        total += w;
    std::vector<double> x(1, 0.0);
    for (double w : widths)
        x.push_back(x.back() + width * w / total);
    return x;
}

double Measure(QPainter& p, const Block& b, double width) {
    p.setFont(FontOf(p, b.style));
    const QFontMetricsF metrics(p.font(), p.device());
    if (!b.widths) {
        const double text =
            metrics.boundingRect(QRectF(0, 0, width, 10000), kFlags, Q(b.cells[0])).height();
        return text + (b.style == Style::Heading ? kHeadingSpace + 2 : 2);
    }
    const std::vector<double> x = Edges(*b.widths, width);
    double height = metrics.height();
    for (size_t c = 0; c < b.cells.size() && c + 1 < x.size(); ++c) {
        const QRectF box(0, 0, x[c + 1] - x[c] - 2 * kCellPad, 10000);
        height = std::max(height, metrics.boundingRect(box, kFlags, Q(b.cells[c])).height());
    }
    return height + 2 * kCellPad;
}

void PaintBlock(QPainter& p, const Block& b, double y, double width) {
    p.setFont(FontOf(p, b.style));
    p.setPen(Qt::black);
    if (!b.widths) {
        const double top = y + (b.style == Style::Heading ? kHeadingSpace : 0);
        p.drawText(QRectF(0, top, width, b.height), kFlags, Q(b.cells[0]));
        return;
    }
    const std::vector<double> x = Edges(*b.widths, width);
    if (b.style == Style::TableHeader)
        p.fillRect(QRectF(0, y, width, b.height), QColor(225, 225, 225));
    for (size_t c = 0; c < b.cells.size() && c + 1 < x.size(); ++c)
        p.drawText(QRectF(x[c] + kCellPad, y + kCellPad, x[c + 1] - x[c] - 2 * kCellPad,
                          b.height - 2 * kCellPad),
                   kFlags, Q(b.cells[c]));
    p.setPen(QPen(QColor(170, 170, 170), 0.4));
    if (b.style == Style::TableHeader)
        p.drawLine(QPointF(0, y), QPointF(width, y));
    p.drawLine(QPointF(0, y + b.height), QPointF(width, y + b.height));
    for (double column : x)
        p.drawLine(QPointF(column, y), QPointF(column, y + b.height));
}

// The flow of the report, before it is measured and cut into pages.
std::vector<Block> Flow(const AuditReport& r) {
    std::vector<Block> flow;
    auto text = [&](Style style, const std::string& line) { flow.push_back({style, {line}}); };
    auto table = [&](const std::vector<double>& widths, std::vector<std::string> header) {
        flow.push_back({Style::TableHeader, std::move(header), &widths});
        return flow.size() - 1;
    };
    size_t heading = 0; // the section's heading
    auto row = [&](size_t header, std::vector<std::string> cells) {
        flow.push_back({Style::Row, std::move(cells), flow[header].widths, header, heading});
    };

    text(Style::Title, "Audit report");
    text(Style::Text, "Controller: " + ControllerName(r.controller));
    const std::string& model = r.controller.identity.modelCode;
    text(Style::Text, "Model code: " + (model.empty() ? "not read" : ShownText(model)));
    text(Style::Text, "Port: " + PortText(r.controller));
    text(Style::Text, "Period: " + ShortTimeWithZone(r.fromUtc) + " to " +
                          ShortTimeWithZone(r.toUtc) + " (snapshots taken from the first time " +
                          "to before the second)");
    text(Style::Text, "Made: " + ShortTimeWithZone(r.created));
    if (!r.chainError.empty())
        text(Style::Text, "The chain could not be checked: " + r.chainError);
    else
        for (const std::string& line : ChainLines(r.chain))
            text(Style::Text, line);
    text(Style::Text, std::to_string(r.changes.size()) +
                          " snapshots changed a parameter or carry a note; " +
                          std::to_string(r.events.size()) + " events.");

    for (const AuditChange& change : r.changes) {
        const SnapshotEntry& s = change.snapshot;
        heading = flow.size();
        text(Style::Heading, "Snapshot " + std::to_string(s.id) + "   " +
                                 ShortTimeWithZone(s.takenUtc) + "   " +
                                 ShownText(s.user + "@" + s.host) + "   " + ShownText(WhatText(s)) +
                                 "   [" + GroupsText(s.groups) + "]");
        if (!s.note.empty())
            text(Style::Text, "Note: " + ShownText(s.note));
        if (!change.damaged.empty())
            text(Style::Text, "DAMAGED: " + ShownText(change.damaged));
        else if (change.first)
            text(Style::Text, "The controller's first snapshot: as found, nothing before it.");
        else if (change.differences.empty())
            text(Style::Text, "No parameter changed.");
        if (change.differences.empty())
            continue;
        const size_t header = table(kChangeColumns, {"Parameter", "Before", "After"});
        for (const ParameterDifference& d : change.differences)
            row(header, {GroupTitle(d.a.group) + "  " + DifferenceLabel(d),
                         d.a.text + " (" + std::to_string(d.a.stored) + ")",
                         d.b.text + " (" + std::to_string(d.b.stored) + ")"});
    }

    heading = flow.size();
    text(Style::Heading, "Events of the period");
    if (r.events.empty()) {
        text(Style::Text, "No joins, moves, labels or notes were recorded in the period.");
        return flow;
    }
    const size_t header = table(kEventColumns, {"Time", "User@host", "Event"});
    for (const HistoryEvent& e : r.events)
        row(header,
            {ShortTimeWithZone(e.takenUtc), ShownText(e.user + "@" + e.host), EventText(e)});
    return flow;
}

// The blocks of each page with where they stand below the page's header.
using Page = std::vector<std::pair<size_t, double>>;

std::vector<Page> Paginate(std::vector<Block>& flow, QPainter& p, double width, double height) {
    for (Block& b : flow)
        b.height = Measure(p, b, width);
    std::vector<Page> pages(1);
    double y = 0;
    for (size_t i = 0; i < flow.size(); ++i) {
        // A heading keeps its next three blocks (note, table header, first row) with it.
        double need = flow[i].height;
        for (size_t k = i + 1; flow[i].style == Style::Heading && k < flow.size() && k < i + 4; ++k)
            need += flow[k].height;
        if (y > 0 && y + std::min(need, height) > height) {
            pages.emplace_back();
            y = 0;
            // A table cut by the page goes on under its section's heading and header.
            for (size_t again : {flow[i].heading, flow[i].header})
                if (flow[i].style == Style::Row) {
                    pages.back().emplace_back(again, y);
                    y += flow[again].height;
                }
        }
        pages.back().emplace_back(i, y);
        y += flow[i].height;
    }
    return pages;
}

void PaintHeader(QPainter& p, const AuditReport& r, double width, int index, int count) {
    const std::string& model = r.controller.identity.modelCode;
    const std::string first = "Audit report   " + ControllerName(r.controller) + "   model code " +
                              (model.empty() ? "not read" : ShownText(model)) + "   " +
                              PortText(r.controller);
    const std::string hash = r.chain.lastHash.empty() ? "none" : r.chain.lastHash;
    const std::string second =
        ShortTimeWithZone(r.fromUtc) + " to " + ShortTimeWithZone(r.toUtc) + "   last hash " + hash;
    p.setPen(Qt::black);
    p.setFont(ReportFont(p, 7.5));
    const QString page = QStringLiteral("page %1 of %2").arg(index + 1).arg(count);
    p.drawText(QRectF(0, 0, width - 70, 12), Qt::AlignLeft | Qt::AlignVCenter, Q(first));
    p.drawText(QRectF(0, 12, width, 12), Qt::AlignLeft | Qt::AlignVCenter, Q(second));
    p.drawText(QRectF(width - 70, 0, 70, 12), Qt::AlignRight | Qt::AlignVCenter, page);
    p.setPen(QPen(Qt::black, 0.6));
    p.drawLine(QPointF(0, kHeaderHeight - 2), QPointF(width, kHeaderHeight - 2));
}

} // namespace

bool PaintAuditReport(const AuditReport& report, QPagedPaintDevice& device) {
    QPainter p;
    if (!p.begin(&device))
        return false;
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Point);
    const double scale = device.logicalDpiX() / 72.0;
    std::vector<Block> flow = Flow(report);
    const double bodyTop = kHeaderHeight + 4;
    const std::vector<Page> pages = Paginate(flow, p, paint.width(), paint.height() - bodyTop);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        p.save();
        p.scale(scale, scale);
        PaintHeader(p, report, paint.width(), static_cast<int>(i), static_cast<int>(pages.size()));
        for (const auto& [block, y] : pages[i])
            PaintBlock(p, flow[block], bodyTop + y, paint.width());
        p.restore();
    }
    return p.end();
}

bool WriteAuditPdf(const AuditReport& report, const std::string& path, std::string& error) {
    return WriteReportsPdf(
        path, "Audit report " + ControllerName(report.controller),
        [&](QPagedPaintDevice& device) { return PaintAuditReport(report, device); }, error);
}
