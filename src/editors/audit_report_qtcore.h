#pragma once

#include "editors/audit_report.h"

#include <string>

class QPagedPaintDevice;

// The audit report on pages (A4 landscape, as the parameter report): on every page a header
// with the controller, its port, model code, the period and the chain's last hash, and the
// page's number; a summary, then one section per snapshot listed with each parameter's
// value before and after, and the events of the period.

// Paints every page; false when the device cannot be painted on.
bool PaintAuditReport(const AuditReport& report, QPagedPaintDevice& device);

// Writes the report to a PDF file, complete or not at all, only over a regular file or to a
// new name (files/whole_file.h); false with the reason in `error` otherwise.
bool WriteAuditPdf(const AuditReport& report, const std::string& path, std::string& error);
