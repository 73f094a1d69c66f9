#include "editors/parameter_listing.h"

#include "values/parameter_text.h"

#include <algorithm>

namespace {

void AddGroup(const ParameterImage& image, GroupId group, const ListingOptions& options,
              std::vector<ParameterEntry>& entries) {
    const std::vector<ParameterRow>& rows = RowsOf(group.kind());
    const bool pattern = group.kind() == GroupId::Kind::Pattern;
    const int segments = pattern ? ProgramPatternRecord::kSegments : 1;
    for (int s = 1; s <= segments; ++s) {
        int unnamed = 0; // the PID group's two NO USE words
        for (const ParameterRow& row : rows) {
            if (group.kind() == GroupId::Kind::Advanced && row.fileRow == 0 &&
                !options.unfiledAdvanced)
                continue;
            if (pattern && s > 1 && row.scope == Scope::Pattern && !options.patternFieldsPerSegment)
                continue;
            ParameterEntry e;
            e.group = group;
            e.segment = pattern ? s : 0;
            e.row = &row;
            e.name = row.DisplayName();
            if (!row.label && group.kind() == GroupId::Kind::PidGroup)
                e.name += " " + std::to_string(++unnamed);
            e.stored = StoredValue(image, group, row, e.segment);
            e.text = ParameterText(row, e.stored, image.systemSetup);
            entries.push_back(std::move(e));
        }
    }
}

} // namespace

std::string ParameterEntry::Name() const {
    std::string text = GroupCommandName(group);
    if (segment > 0)
        text += " segment " + std::to_string(segment);
    return text + " " + name;
}

std::vector<ParameterEntry> ListGroup(const ParameterImage& image, GroupId group,
                                      const ListingOptions& options) {
    std::vector<ParameterEntry> entries;
    AddGroup(image, group, options, entries);
    return entries;
}

std::vector<ParameterEntry> ListParameters(const ParameterImage& image,
                                           const ListingOptions& options) {
    std::vector<ParameterEntry> entries;
    for (GroupId group : AllGroups())
        AddGroup(image, group, options, entries);
    return entries;
}

std::vector<ParameterDifference> DiffParameters(const ParameterImage& a, const ParameterImage& b,
                                                const ListingOptions& options) {
    std::vector<ParameterDifference> differences;
    // A stored value is read from its own group's record alone: a group whose records are
    // equal has no difference, and is not listed (the audit trail compares thousands of sets).
    for (GroupId group : AllGroups()) {
        if (SameGroup(a, b, group))
            continue;
        const std::vector<ParameterEntry> left = ListGroup(a, group, options);
        const std::vector<ParameterEntry> right = ListGroup(b, group, options);
        // Both listings have the same entries in the same order; only values differ.
        for (size_t i = 0; i < left.size() && i < right.size(); ++i)
            if (left[i].stored != right[i].stored)
                differences.push_back({left[i], right[i]});
    }
    return differences;
}

std::vector<std::string> ChangedNames(const ParameterImage& a, const ParameterImage& b,
                                      GroupId group) {
    const std::vector<ParameterEntry> left = ListGroup(a, group);
    const std::vector<ParameterEntry> right = ListGroup(b, group);
    std::vector<std::string> names;
    for (size_t i = 0; i < left.size() && i < right.size(); ++i)
        if (left[i].stored != right[i].stored &&
            std::find(names.begin(), names.end(), left[i].name) == names.end())
            names.push_back(left[i].name);
    return names;
}

std::vector<GroupId> DifferingGroups(const std::vector<ParameterDifference>& differences) {
    std::vector<GroupId> groups;
    for (const ParameterDifference& d : differences)
        if (std::find(groups.begin(), groups.end(), d.a.group) == groups.end())
            groups.push_back(d.a.group);
    return groups;
}

std::string DifferenceLabel(const ParameterDifference& d) {
    return (d.a.segment ? "segment " + std::to_string(d.a.segment) + " " : std::string()) +
           d.a.name;
}

std::string DifferencesText(const std::vector<ParameterDifference>& differences,
                            const std::string& aName, const std::string& bName) {
    std::string text = aName + " | " + bName + "\n";
    std::string group;
    for (const ParameterDifference& d : differences) {
        const std::string title = GroupTitle(d.a.group);
        if (title != group)
            text += (group = title) + "\n";
        text += "  " + DifferenceLabel(d) + ": " + d.a.text + " (" + std::to_string(d.a.stored) +
                ") | " + d.b.text + " (" + std::to_string(d.b.stored) + ")\n";
    }
    text += differences.empty()
                ? std::string("no differences\n")
                : std::to_string(differences.size()) +
                      (differences.size() == 1 ? " parameter differs\n" : " parameters differ\n");
    return text;
}
