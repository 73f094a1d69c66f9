#pragma once

#include "image/image_source.h"
#include "image/parameter_image.h"

#include <string>
#include <vector>

// What the parameter report holds, page by page, as texts: the system setup, advanced and
// PID groups as tables of mnemonic, engineering value and help text (or unit), and one
// page per program pattern with its segment table; the pattern pages end with the
// pattern's profile (profile_geometry.h). The painter (report_qtcore.h) only lays it out.

struct ReportTable {
    std::vector<std::string> header;
    std::vector<double> widths; // relative column widths
    std::vector<std::vector<std::string>> rows;
};

struct ReportPage {
    std::string title;              // "SYSTEM SETUP", "PROGRAM PATTERN 3"
    std::vector<std::string> notes; // lines under the title
    std::vector<ReportTable> tables;
    int pattern = 0; // 1..9: the page ends with this pattern's profile
};

struct ReportContent {
    std::string modelCode; // as read, or "not read"
    std::string source;    // what the content is, ReportSourceText
    std::string created;
    std::vector<ReportPage> pages;

    // The line at the top of page `index` (0-based): model code, source, date, page n of m.
    std::string HeaderLine(int index) const;
};

struct ReportOptions {
    ImageSource source;
    std::string created; // date and time, as the caller formats it
};

ReportContent BuildReport(const ParameterImage& image, const ReportOptions& options);

// What the report's header says the content is: "controller at port 1 (...), read 09:12",
// "file PATH", "loader memory: file PATH, edited since".
std::string ReportSourceText(const ImageSource& source);

// The text an unused segment's SV cell shows in the segment table; its other cells are
// empty but TIME, which shows "----".
constexpr const char* kUnusedSegment = "unused";
