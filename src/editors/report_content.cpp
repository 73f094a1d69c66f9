#include "editors/report_content.h"

#include "editors/parameter_listing.h"
#include "editors/pattern_graph.h"
#include "image/parameter_catalogue.h"
#include "values/conversions.h"
#include "values/parameter_text.h"

#include <algorithm>
#include <map>

namespace {

// The third column of a parameter row: its help text; without one, its unit, or the
// stored value where the text is a choice from a list.
std::string HelpOrUnit(const ParameterEntry& e, const SystemSetupRecord& setup) {
    if (e.row->help)
        return e.row->help;
    const std::string unit = UnitText(*e.row, setup);
    return unit.empty() ? "stored value " + std::to_string(e.stored) : unit;
}

ReportPage ParameterPage(const std::string& title, const std::vector<ParameterEntry>& entries,
                         const SystemSetupRecord& setup) {
    ReportPage page;
    page.title = title;
    ReportTable table;
    table.header = {"Parameter", "Value", "Help text / unit"};
    table.widths = {1.2, 4.8, 8.0};
    for (const ParameterEntry& e : entries)
        table.rows.push_back({e.name, e.text, HelpOrUnit(e, setup)});
    page.tables.push_back(std::move(table));
    return page;
}

// PID groups side by side, groups 1-5 above 6-9: one row per parameter, one column per
// group, so that every value fits its column.
ReportPage PidPage(const std::vector<ParameterEntry>& entries, const SystemSetupRecord& setup) {
    ReportPage page;
    page.title = "PID GROUPS";
    for (int first : {1, 6}) {
        const int last = std::min(first + 4, ParameterImage::kPidGroups);
        ReportTable table;
        table.header = {"Parameter"};
        table.widths = {0.8};
        for (int g = first; g <= last; ++g) {
            table.header.push_back("Group " + std::to_string(g));
            table.widths.push_back(1.3);
        }
        table.header.push_back("Help text / unit");
        table.widths.push_back(4.0 + 1.3 * (4 - (last - first)));
        std::map<std::string, size_t> rowOf;
        for (const ParameterEntry& e : entries) {
            const int g = e.group.number();
            if (g < first || g > last)
                continue;
            auto [it, added] = rowOf.try_emplace(e.name, table.rows.size());
            if (added) {
                std::vector<std::string> row(table.header.size());
                row[0] = e.name;
                row.back() = e.row->help ? e.row->help : UnitText(*e.row, setup);
                if (row.back().empty())
                    row.back() = "stored value";
                table.rows.push_back(row);
            }
            table.rows[it->second][static_cast<size_t>(g - first + 1)] = e.text;
        }
        page.tables.push_back(std::move(table));
    }
    return page;
}

ReportPage PatternPage(int n, const ParameterImage& image,
                       const std::vector<ParameterEntry>& entries) {
    const ProgramPatternRecord& pattern = image.pattern[n - 1];
    const int used = UsedSegmentCount(pattern);
    ReportPage page;
    page.title = "PROGRAM PATTERN " + std::to_string(n);
    page.pattern = n;
    ReportTable table;
    table.header = {"Segment"};
    table.widths = {2.2}; // room for "ALM1 (ALARM1)"
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        table.header.push_back(std::to_string(s));
        table.widths.push_back(1.0);
    }
    // One row per segment field; the pattern's own settings go into the notes.
    std::map<const ParameterRow*, size_t> rowOf;
    std::string settings;
    for (const ParameterEntry& e : entries) {
        if (e.row->scope == Scope::Pattern) {
            settings += std::string(e.row->Label()) + ": " + e.text + "    ";
            continue;
        }
        auto [it, added] = rowOf.try_emplace(e.row, table.rows.size());
        if (added) {
            table.rows.emplace_back(table.header.size());
            table.rows.back()[0] = e.name;
        }
        std::string text = e.text;
        if (e.segment > used)
            text = e.row == &SegmentRow(seg::SV)     ? kUnusedSegment
                   : e.row == &SegmentRow(seg::TIME) ? "----"
                                                     : "";
        table.rows[it->second][static_cast<size_t>(e.segment)] = text;
    }
    page.tables.push_back(std::move(table));
    const SystemSetupRecord& setup = image.systemSetup;
    const auto range = RangeBoxText(setup);
    const auto decimals = DecimalPointBoxText(setup.PVD);
    const auto unit = TimeUnitBoxText(setup.TMU);
    page.notes.push_back(
        "Range: " + range.value_or("(PVU " + std::to_string(setup.PVU) + ")") +
        "    Decimal position: " + decimals.value_or("(PVD " + std::to_string(setup.PVD) + ")") +
        "    Time unit: " + unit.value_or("(TMU " + std::to_string(setup.TMU) + ")"));
    page.notes.push_back(settings + "Segments in use: " + std::to_string(used) + " of 20");
    return page;
}

} // namespace

std::string ReportContent::HeaderLine(int index) const {
    return "model code " + modelCode + "    " + source + "    " + created + "    Page " +
           std::to_string(index + 1) + " of " + std::to_string(pages.size());
}

std::string ReportSourceText(const ImageSource& source) {
    std::string text;
    switch (source.kind) {
    case ImageSource::Kind::Controller:
        text = "controller at port 1 (" + source.port + ")" +
               (source.when.empty() ? std::string() : ", read " + source.when);
        break;
    case ImageSource::Kind::File:
        text = "file " + source.path;
        break;
    case ImageSource::Kind::History:
        text = "history: " + source.path;
        break;
    case ImageSource::Kind::StartValues:
        text = "start values";
        break;
    }
    // What the loader holds is no longer what it read.
    return source.editedSince ? "loader memory: " + text + ", edited since" : text;
}

ReportContent BuildReport(const ParameterImage& image, const ReportOptions& options) {
    ReportContent report;
    report.modelCode = ModelCodeText(options.source);
    report.source = ReportSourceText(options.source);
    report.created = options.created;

    // Only a set read from a controller knows the advanced values a file does not hold.
    ListingOptions listing;
    listing.unfiledAdvanced = options.source.HoldsUnfiledValues();
    const SystemSetupRecord& setup = image.systemSetup;
    report.pages.push_back(
        ParameterPage("SYSTEM SETUP", ListGroup(image, GroupId::SystemSetup(), listing), setup));
    report.pages.push_back(
        ParameterPage("ADVANCED", ListGroup(image, GroupId::Advanced(), listing), setup));
    std::vector<ParameterEntry> pid;
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        for (ParameterEntry& e : ListGroup(image, GroupId::Pid(g), listing))
            pid.push_back(std::move(e));
    report.pages.push_back(PidPage(pid, setup));
    // One line for every pattern on a summary page; a page of its own only for a pattern
    // with a segment in use.
    ReportPage summary;
    summary.title = "PROGRAM PATTERNS";
    summary.notes.push_back("A pattern with no segment in use has no page of its own.");
    ReportTable table;
    table.header = {"Pattern", "Segments in use"};
    for (const ParameterRow& row : SegmentRows())
        if (row.scope == Scope::Pattern)
            table.header.push_back(row.Label());
    table.widths = {1.0, 1.4, 1.0, 1.6, 1.0};
    std::vector<ReportPage> patternPages;
    for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
        const std::vector<ParameterEntry> entries = ListGroup(image, GroupId::Pattern(n), listing);
        const int used = UsedSegmentCount(image.pattern[static_cast<size_t>(n - 1)]);
        table.rows.push_back(
            {std::to_string(n), used ? std::to_string(used) + " of 20" : "none (no page)"});
        for (const ParameterEntry& e : entries)
            if (e.row->scope == Scope::Pattern && e.segment == 1)
                table.rows.back().push_back(e.text);
        if (used > 0)
            patternPages.push_back(PatternPage(n, image, entries));
    }
    summary.tables.push_back(std::move(table));
    report.pages.push_back(std::move(summary));
    for (ReportPage& page : patternPages)
        report.pages.push_back(std::move(page));
    return report;
}
