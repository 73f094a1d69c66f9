#include "editors/parameter_listing.h"
#include "editors/report_content.h"
#include "editors/report_qtcore.h"
#include "image/parameter_catalogue.h"
#include "support/pdf_text.h"
#include "values/conversions.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace {

std::string NoBlanks(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return std::isspace(c); }),
               text.end());
    return text;
}

// The text of every page, as pdftotext lays it out.
std::vector<std::string> PdfPages(const std::string& pdf) {
    std::vector<std::string> pages;
    std::istringstream in(PdfText(pdf));
    for (std::string page; std::getline(in, page, '\f');)
        pages.push_back(page);
    return pages;
}

// Blanks are left out: pdftotext sometimes joins "0 s" to "0s".
bool HasLineStarting(const std::string& page, const std::string& start) {
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);)
        if (NoBlanks(line).rfind(NoBlanks(start), 0) == 0)
            return true;
    return false;
}

// A known image: K 0 to 1200 degree C with one decimal; pattern 2 runs three segments,
// the second with no set value; patterns 1 and 3 keep their start values (all twenty
// segments in use) and patterns 4 to 9 have none in use.
ParameterImage KnownImage() {
    ParameterImage image;
    SetStartValues(image);
    std::strcpy(image.modelCode.data(), "PXT9A1Y2T-0D1R1");
    SystemSetupRecord& s = image.systemSetup;
    s.PVT = 36;
    s.PVD = 1;
    s.SFT = 50;
    s.CI = 30;
    s.TF = 50;
    s.GS_H = 100;
    s.EV_T1 = 3;
    image.advanced.SV_H = 9000;
    image.advanced.WDIS = 1;
    for (int g = 0; g < ParameterImage::kPidGroups; ++g) {
        image.pid[g].SetSigned(PidGroupRecord::P, static_cast<int16_t>(10 * g + 25));
        image.pid[g].SetWord(PidGroupRecord::I, static_cast<uint16_t>(100 * g));
    }
    ProgramPatternRecord& p = image.pattern[1];
    const int16_t svs[] = {5000, kNoValue, 10000};
    const uint16_t times[] = {60, 30, 90};
    for (int i = 0; i < 3; ++i) {
        p.Segment(i + 1).SetSV(svs[i]);
        p.Segment(i + 1).SetTIME(times[i]);
        p.Segment(i + 1).SetAlarm(1, static_cast<int16_t>(1000 * i));
    }
    p.Segment(2).SetTsOn(1, 5);
    p.Segment(2).SetTsOff(1, 25);
    p.Segment(4).SetTIME(kTimeNotUsed);
    p.Segment(4).SetSV(1234); // unused: never printed as a number
    for (int n = 4; n <= ParameterImage::kPatterns; ++n)
        image.pattern[static_cast<size_t>(n - 1)].Segment(1).SetTIME(kTimeNotUsed);
    return image;
}

TEST(ReportPdf, EveryParameterOnItsPageWithHeaders) {
    QTemporaryDir dir;
    const std::string pdf = dir.filePath(QStringLiteral("report.pdf")).toStdString();
    const ParameterImage image = KnownImage();
    ReportOptions options;
    options.source = ImageSource::File("/data/kiln 3.slk");
    options.source.editedSince = true;
    options.created = "2024-05-06 07:08";

    const auto start = std::chrono::steady_clock::now();
    std::string error;
    ASSERT_TRUE(WriteReportPdf(BuildReport(image, options), image, pdf, error)) << error;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("whole report rendered in %.0f ms\n", seconds * 1000);
    EXPECT_LT(seconds, 5.0); // about 0.15 s on two cores; sanitizers are slower

    const std::vector<std::string> pages = PdfPages(pdf);
    // Setup, advanced, PID groups, the pattern summary and the three patterns in use.
    ASSERT_EQ(pages.size(), 7u);
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string header =
            "model code not read loader memory: file /data/kiln 3.slk, edited since "
            "2024-05-06 07:08 Page " +
            std::to_string(i + 1) + " of 7";
        EXPECT_TRUE(HasLineStarting(pages[i], header)) << "page " << i + 1;
    }
    EXPECT_TRUE(HasLineStarting(pages[0], "SYSTEM SETUP"));
    EXPECT_TRUE(HasLineStarting(pages[2], "PID GROUPS"));

    // Parameter pages: one row of mnemonic and value (PID groups: nine values) each, and
    // every help text on the page of its parameter.
    std::map<std::string, std::string> pidRows[2]; // groups 1-5, 6-9
    for (const ParameterEntry& e : ListParameters(image, ListingOptions{false, false})) {
        if (e.group.kind() == GroupId::Kind::Pattern)
            continue;
        if (e.group.kind() == GroupId::Kind::PidGroup) {
            std::string& row = pidRows[e.group.number() >= 6][e.name];
            row += (row.empty() ? e.name : "") + " " + e.text;
            continue;
        }
        const std::string& page = pages[e.group == GroupId::SystemSetup() ? 0 : 1];
        EXPECT_TRUE(HasLineStarting(page, e.name + " " + e.text)) << e.Name();
        const std::string help = e.row->help ? e.row->help : "";
        if (!help.empty()) {
            EXPECT_NE(NoBlanks(page).find(NoBlanks(help)), std::string::npos) << e.Name();
        }
    }
    for (const auto& [name, row] : pidRows[0]) {
        EXPECT_TRUE(HasLineStarting(pages[2], row)) << row;
        const std::string mnemonic = name.substr(0, name.find(' '));
        const std::string help = HelpText(mnemonic);
        if (!help.empty()) {
            EXPECT_NE(NoBlanks(pages[2]).find(NoBlanks(help)), std::string::npos) << mnemonic;
        }
    }
    for (const auto& [mnemonic, row] : pidRows[1])
        EXPECT_TRUE(HasLineStarting(pages[2], row)) << row;

    // Pattern pages: a row per field over the segments; unused segments say so and show no
    // number; "----" stays "----".
    EXPECT_TRUE(HasLineStarting(pages[3], "PROGRAM PATTERNS"));
    EXPECT_TRUE(HasLineStarting(pages[3], "2 3 of 20 NO 0 OFF"));
    for (int n = 4; n <= ParameterImage::kPatterns; ++n)
        EXPECT_TRUE(HasLineStarting(pages[3], std::to_string(n) + " none (no page)")) << n;
    for (int n = 1; n <= 3; ++n) {
        const std::string& page = pages[3 + n];
        EXPECT_TRUE(HasLineStarting(page, "PROGRAM PATTERN " + std::to_string(n)));
        std::map<std::string, std::string> rows;
        const int used = n == 2 ? 3 : 20;
        for (const ParameterEntry& e : ListParameters(image, ListingOptions{false, false})) {
            const std::string mnemonic = e.row->mnemonic;
            if (e.group != GroupId::Pattern(n) || mnemonic == "PVST" || mnemonic == "CYCL" ||
                mnemonic == "LINK")
                continue;
            std::string& row = rows[e.name];
            if (row.empty())
                row = e.name;
            if (e.segment <= used)
                row += " " + e.text;
            else if (mnemonic == "SV" || mnemonic == "TIME")
                row += mnemonic == "SV" ? " unused" : " ----";
        }
        for (const auto& [mnemonic, row] : rows)
            EXPECT_TRUE(HasLineStarting(page, row)) << "pattern " << n << ": " << row;
        EXPECT_TRUE(
            HasLineStarting(page, "PVSTART: NO CYCLIC OPERATION: 0 LINK: OFF Segments in use: " +
                                      std::to_string(used) + " of 20"));
    }
    EXPECT_TRUE(HasLineStarting(pages[5], "SV 600.0 ---- 1200.0 unused"));
    EXPECT_EQ(pages[5].find("1234"), std::string::npos);
    EXPECT_TRUE(HasLineStarting(pages[5], "Range: K 0 to 1200 degree C"));
}

TEST(ReportPdf, AnUnwritablePathIsAnErrorAndLeavesNoFile) {
    const ParameterImage image = KnownImage();
    std::string error;
    EXPECT_FALSE(WriteReportPdf(BuildReport(image, {}), image, "/nonexistent/dir/r.pdf", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
