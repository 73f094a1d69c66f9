#include "editors/report_content.h"

#include "editors/parameter_listing.h"
#include "editors/pattern_graph.h"
#include "values/conversions.h"
#include "values/help_texts.h"

#include <algorithm>
#include <map>

namespace {

// The third column of a parameter row: its help text; without one, its unit, or the
// stored value where the text is a choice from a list.
std::string HelpOrUnit(const ParameterEntry& e, const SystemSetupRecord& setup) {
    std::string help = HelpText(e.mnemonic);
    if (!help.empty())
        return help;
    const std::string& t = e.text;
    if (t.size() > 2 &&
        (t.compare(t.size() - 2, 2, " %") == 0 || t.compare(t.size() - 2, 2, " s") == 0))
        return t.substr(t.size() - 1) == "%" ? "Unit:%" : "Unit:second";
    if (e.mnemonic == "AO2F" || e.mnemonic == "AO2B") {
        if (setup.AO2T == 2)
            return "Unit:%";
        return SelectInputRange(setup).dc ? "Unit:scale unit"
               : setup.PVU == 0           ? "Unit:degree C"
                                          : "Unit:degree F";
    }
    return "stored value " + std::to_string(e.stored);
}

ReportPage ParameterPage(const std::string& title, const std::vector<ParameterEntry>& entries,
                         const SystemSetupRecord& setup) {
    ReportPage page;
    page.title = title;
    ReportTable table;
    table.header = {"Parameter", "Value", "Help text / unit"};
    table.widths = {1.2, 4.8, 8.0};
    for (const ParameterEntry& e : entries)
        table.rows.push_back({e.mnemonic, e.text, HelpOrUnit(e, setup)});
    page.tables.push_back(std::move(table));
    return page;
}

// PID groups side by side, groups 1-5 above 6-9: one row per parameter, one column per
// group, so that every value fits its column.
ReportPage PidPage(const std::vector<ParameterEntry>& entries) {
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
            const int g = std::stoi(e.group.substr(4));
            if (g < first || g > last)
                continue;
            auto [it, added] = rowOf.try_emplace(e.mnemonic, table.rows.size());
            if (added) {
                std::vector<std::string> row(table.header.size());
                row[0] = e.mnemonic;
                const std::string help = HelpText(e.mnemonic);
                row.back() = help.empty() ? "stored value" : help;
                table.rows.push_back(row);
            }
            table.rows[it->second][static_cast<size_t>(g - first + 1)] = e.text;
        }
        page.tables.push_back(std::move(table));
    }
    return page;
}

const char* const kPatternRows[] = {"SV",    "TIME",  "ALM1",  "ALM2",  "ALM3",  "ALM4",  "TS1ON",
                                    "TS1OF", "TS2ON", "TS2OF", "TS3ON", "TS3OF", "TS4ON", "TS4OF",
                                    "TS5ON", "TS5OF", "TS6ON", "TS6OF", "PIDNO", "GSORK", "GSTYP"};

ReportPage PatternPage(int n, const ParameterImage& image,
                       const std::vector<ParameterEntry>& entries) {
    const ProgramPatternRecord& pattern = image.pattern[n - 1];
    const int used = UsedSegmentCount(pattern);
    ReportPage page;
    page.title = "PROGRAM PATTERN " + std::to_string(n);
    page.pattern = n;
    ReportTable table;
    table.header = {"Segment"};
    table.widths = {1.3};
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        table.header.push_back(std::to_string(s));
        table.widths.push_back(1.0);
    }
    std::map<std::string, size_t> rowOf;
    for (const char* mnemonic : kPatternRows) {
        rowOf[mnemonic] = table.rows.size();
        std::vector<std::string> row(table.header.size());
        row[0] = mnemonic;
        table.rows.push_back(row);
    }
    std::string pvst, cycl, link;
    for (const ParameterEntry& e : entries) {
        if (e.mnemonic == "PVST")
            pvst = e.text;
        else if (e.mnemonic == "CYCL")
            cycl = e.text;
        else if (e.mnemonic == "LINK")
            link = e.text;
        const auto it = rowOf.find(e.mnemonic);
        if (it == rowOf.end())
            continue;
        std::string text = e.text;
        if (e.segment > used)
            text = e.mnemonic == "SV" ? kUnusedSegment : e.mnemonic == "TIME" ? "----" : "";
        table.rows[it->second][e.segment] = text;
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
    page.notes.push_back("PVSTART: " + pvst + "    CYCLIC OPERATION: " + cycl + "    LINK: " +
                         link + "    Segments in use: " + std::to_string(used) + " of 20");
    return page;
}

} // namespace

std::string ReportContent::HeaderLine(int index) const {
    return "Model code " + modelCode + "    " + source + "    " + created + "    Page " +
           std::to_string(index + 1) + " of " + std::to_string(pages.size());
}

std::string ControllerSource(const std::string& portSetting) {
    std::string text = "controller at port 1";
    if (!portSetting.empty())
        text += " (" + portSetting + ")";
    return text;
}

ReportContent BuildReport(const ParameterImage& image, const ReportOptions& options) {
    ReportContent report;
    report.modelCode = image.ModelCode();
    report.source = options.source;
    report.created = options.created;

    ListingOptions listing;
    listing.unfiledAdvanced = options.fromController;
    std::map<std::string, std::vector<ParameterEntry>> byGroup;
    for (ParameterEntry& e : ListParameters(image, listing))
        byGroup[e.group].push_back(std::move(e));

    const SystemSetupRecord& setup = image.systemSetup;
    report.pages.push_back(ParameterPage("SYSTEM SETUP", byGroup["system"], setup));
    report.pages.push_back(ParameterPage("ADVANCED", byGroup["advanced"], setup));
    std::vector<ParameterEntry> pid;
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        for (ParameterEntry& e : byGroup["pid " + std::to_string(g)])
            pid.push_back(std::move(e));
    report.pages.push_back(PidPage(pid));
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        report.pages.push_back(PatternPage(n, image, byGroup["pattern " + std::to_string(n)]));
    return report;
}
