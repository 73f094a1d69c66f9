#pragma once

#include "editors/profile_geometry.h"
#include "editors/report_content.h"

#include <functional>
#include <string>

class QFont;
class QPagedPaintDevice;
class QPainter;
class QRectF;

// The parameter report painted onto pages: a header on every page, the parameter tables,
// and each pattern's profile. One renderer for the printer, the PDF file and tqxctl.

// The reports' font, DejaVu Sans of `points` in the painter's units (points scaled to its
// device), without shaping so that a text searched or copied in the PDF reads as written.
QFont ReportFont(const QPainter& painter, double points, bool bold = false);

// A4 landscape with 12 mm margins.
void UseReportPageLayout(QPagedPaintDevice& device);

// A PDF of the reports' page layout titled `title`, painted by `paint` (false when it
// could not paint), written as File Write writes its file (files/whole_file.h): complete or
// not at all, only over a regular file or to a new name; false with the reason in `error`.
bool WriteReportsPdf(const std::string& path, const std::string& title,
                     const std::function<bool(QPagedPaintDevice&)>& paint, std::string& error);

// Paints every page; false when the device cannot be painted on.
bool PaintReport(const ReportContent& report, const ParameterImage& image,
                 QPagedPaintDevice& device);

// Writes the report to a PDF file as File Write writes its file (files/whole_file.h):
// complete or not at all, only over a regular file or to a new name; false with the reason
// in `error` otherwise.
bool WriteReportPdf(const ReportContent& report, const ParameterImage& image,
                    const std::string& path, std::string& error);

// A profile (set value against elapsed time, segment boundaries, the end of the program and
// the time-signal bars) drawn into `area`, in the painter's units of points.
void PaintProfile(QPainter& painter, const QRectF& area, const ProfileGeometry& profile);
