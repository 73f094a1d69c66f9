#include "editors/parameter_listing.h"

#include "transfers/group_layouts.h"
#include "transfers/group_states.h"
#include "values/conversions.h"

namespace {

const char* const kValueNames[][4] = {
    {"0.C", "1.F", nullptr, nullptr},   // PVU
    {"1-5V", "0-5V", "0-10V", nullptr}, // AO1R, AO2R
    {"PV", "SV", "MV", nullptr},        // AO1T, AO2T
};

std::string Listed(int list, int value) {
    if (value >= 0 && value < 4 && kValueNames[list][value])
        return kValueNames[list][value];
    return "(" + std::to_string(value) + ")";
}

std::string Choice(int value, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* name : names)
        if (i++ == value)
            return name;
    return "(" + std::to_string(value) + ")";
}

class Lister {
public:
    Lister(const ParameterImage& image, const ListingOptions& options)
        : m_image(image), m_options(options), m_range(SelectInputRange(image.systemSetup)),
          m_difference(m_range.Difference()) {}

    std::vector<ParameterEntry> Run() {
        System();
        Advanced();
        for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
            Pid(g);
        for (int n = 1; n <= ParameterImage::kPatterns; ++n)
            Pattern(n);
        return std::move(m_entries);
    }

private:
    void Add(const std::string& group, int segment, const std::string& mnemonic, int32_t stored,
             std::string text) {
        m_entries.push_back({group, segment, mnemonic, stored, std::move(text)});
    }

    std::string Analogue(int16_t value, uint8_t source) const {
        return source == 2 ? FormatOneDecimal(value, 100) : FormatRangeValue(m_range, value);
    }

    void System() {
        const SystemSetupRecord& s = m_image.systemSetup;
        const std::string g = "system";
        Add(g, 0, "PVT", s.PVT, InputTypeText(s.PVT));
        Add(g, 0, "PVU", s.PVU, Listed(0, s.PVU));
        Add(g, 0, "PVD", s.PVD, std::to_string(s.PVD) + " decimals");
        Add(g, 0, "PVF", s.PVF, std::to_string(s.PVF));
        Add(g, 0, "PVB", s.PVB, std::to_string(s.PVB));
        Add(g, 0, "SFT", s.SFT, FormatRangeValue(m_difference, s.SFT));
        Add(g, 0, "STM", s.STM, Choice(s.STM, {"Continuous start", "Reset start"}));
        Add(g, 0, "CI", s.CI, std::to_string(s.CI) + " s");
        Add(g, 0, "PSET", s.PSET, FormatOneDecimal(s.PSET, 100) + " %");
        Add(g, 0, "BURN", s.BURN, FormatOneDecimal(s.BURN, 100) + " %");
        Add(g, 0, "AO1R", s.AO1R, Listed(1, s.AO1R));
        Add(g, 0, "AO1T", s.AO1T, Listed(2, s.AO1T));
        Add(g, 0, "AO1F", s.AO1F, Analogue(s.AO1F, s.AO1T));
        Add(g, 0, "AO1B", s.AO1B, Analogue(s.AO1B, s.AO1T));
        Add(g, 0, "AO2R", s.AO2R, Listed(1, s.AO2R));
        Add(g, 0, "AO2T", s.AO2T, Listed(2, s.AO2T));
        Add(g, 0, "AO2F", s.AO2F, Analogue(s.AO2F, s.AO2T));
        Add(g, 0, "AO2B", s.AO2B, Analogue(s.AO2B, s.AO2T));
        Add(g, 0, "TMDT", s.TMDT,
            Choice(s.TMDT, {"Remaining time indication", "Lapsed time indication"}));
        Add(g, 0, "TMU", s.TMU, Choice(s.TMU, {"hr:min", "min:sec"}));
        Add(g, 0, "STN", s.STN, std::to_string(s.STN));
        Add(g, 0, "TF", s.TF, FormatOneDecimal(s.TF, 10) + " s");
        Add(g, 0, "GS-H", s.GS_H, FormatRangeValue(m_difference, s.GS_H));
        Add(g, 0, "GS-L", s.GS_L, FormatRangeValue(m_difference, s.GS_L));
        Add(g, 0, "GS-T", s.GS_T, FormatTime(s.GS_T));
        const uint8_t alarms[4] = {s.EV_T1, s.EV_T2, s.EV_T3, s.EV_T4};
        for (int k = 0; k < 4; ++k) {
            const std::string text = AlarmTypeText(alarms[k]);
            Add(g, 0, "EV-T" + std::to_string(k + 1), alarms[k],
                text.empty() ? "(" + std::to_string(alarms[k]) + ")" : text);
        }
        Add(g, 0, "ENDT", s.ENDT, FormatTime(s.ENDT));
    }

    void Advanced() {
        const AdvancedRecord& a = m_image.advanced;
        const std::string g = "advanced";
        Add(g, 0, "SV-H", a.SV_H, FormatRangeValue(m_range, a.SV_H));
        Add(g, 0, "SV-L", a.SV_L, FormatRangeValue(m_range, a.SV_L));
        Add(g, 0, "DMV", a.DMV, FormatOneDecimal(a.DMV, 100) + " %");
        const int16_t widths[4] = {a.A1HS, a.A2HS, a.A3HS, a.A4HS};
        for (int k = 0; k < 4; ++k)
            Add(g, 0, "A" + std::to_string(k + 1) + "HS", widths[k],
                FormatRangeValue(m_difference, widths[k]));
        Add(g, 0, "DV-D", a.DV_D, a.DV_D == 0 ? "PV differentitation" : "DV differentitation");
        Add(g, 0, "MVLT", a.MVLT, std::to_string(a.MVLT));
        Add(g, 0, "WDIS", a.WDIS, a.WDIS == 0 ? "Write enable" : "Write Inhibit");
        Add(g, 0, "SVMOD", a.SVMOD, a.SVMOD == 0 ? "Standard" : "Low PV type");
        Add(g, 0, "PID", a.PID, a.PID == 0 ? "PI tuning" : "PID tuning");
        if (!m_options.unfiledAdvanced)
            return;
        for (const auto& f : Block13Layout()) {
            if (f.field.Width() == 2)
                Add(g, 0, f.field.mnemonic, static_cast<int16_t>(f.field.Get(a)),
                    std::to_string(static_cast<int16_t>(f.field.Get(a))));
        }
    }

    void Pid(int group) {
        const PidGroupRecord& r = m_image.pid[group - 1];
        const std::string g = "pid " + std::to_string(group);
        using W = PidGroupRecord;
        Add(g, 0, "P", r.Signed(W::P), FormatOneDecimal(r.Signed(W::P), 10) + " %");
        Add(g, 0, "I", r.Word(W::I), std::to_string(r.Word(W::I) / 10) + " s");
        Add(g, 0, "D", r.Signed(W::D), FormatOneDecimal(r.Signed(W::D), 10) + " s");
        Add(g, 0, "GAP", r.Signed(W::GAP), FormatRangeValue(m_difference, r.Signed(W::GAP)));
        Add(g, 0, "KNL", r.Signed(W::KNL), FormatOneDecimal(r.Signed(W::KNL), 100) + " %");
        Add(g, 0, "ARW", r.Signed(W::ARW), FormatRangeValue(m_difference, r.Signed(W::ARW)));
        Add(g, 0, "MAN", r.Signed(W::MAN), FormatOneDecimal(r.Signed(W::MAN), 100) + " %");
        Add(g, 0, "MV-H", r.Signed(W::MV_H), FormatOneDecimal(r.Signed(W::MV_H), 100) + " %");
        Add(g, 0, "MV-L", r.Signed(W::MV_L), FormatOneDecimal(r.Signed(W::MV_L), 100) + " %");
        Add(g, 0, "REV", r.Signed(W::REV),
            r.Signed(W::REV) == 0 ? "1.Normal operation" : "2.Reverse operation");
        Add(g, 0, "NO USE 1", r.Word(W::NO_USE1), std::to_string(r.Word(W::NO_USE1)));
        Add(g, 0, "NO USE 2", r.Word(W::NO_USE2), std::to_string(r.Word(W::NO_USE2)));
    }

    static std::string Time(uint16_t value) {
        return value == kTimeNotUsed ? "----" : FormatTime(value);
    }

    void Pattern(int n) {
        const ProgramPatternRecord& p = m_image.pattern[n - 1];
        const std::string g = "pattern " + std::to_string(n);
        for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
            const SegmentRecord seg = p.Segment(s);
            Add(g, s, "SV", seg.SV(), FormatRangeValue(m_range, seg.SV()));
            Add(g, s, "TIME", seg.TIME(), Time(seg.TIME()));
            for (int k = 1; k <= 4; ++k)
                Add(g, s, "ALM" + std::to_string(k), seg.Alarm(k),
                    FormatRangeValue(m_range, seg.Alarm(k)));
            for (int k = 1; k <= 6; ++k) {
                Add(g, s, "TS" + std::to_string(k) + "ON", seg.TsOn(k), Time(seg.TsOn(k)));
                Add(g, s, "TS" + std::to_string(k) + "OF", seg.TsOff(k), Time(seg.TsOff(k)));
            }
            Add(g, s, "PIDNO", seg.Byte(seg::PIDNO), std::to_string(seg.Byte(seg::PIDNO)));
            Add(g, s, "GSORK", seg.Byte(seg::GSORK), Choice(seg.Byte(seg::GSORK), {"NO", "YES"}));
            Add(g, s, "GSTYP", seg.Byte(seg::GSTYP),
                Choice(seg.Byte(seg::GSTYP), {"U&D", "Down", "Up"}));
            if (s > 1 && !m_options.patternFieldsPerSegment)
                continue;
            Add(g, s, "PVST", seg.Byte(seg::PVST), Choice(seg.Byte(seg::PVST), {"NO", "YES"}));
            Add(g, s, "CYCL", seg.Byte(seg::CYCL), std::to_string(seg.Byte(seg::CYCL)));
            const uint8_t link = seg.Byte(seg::LINK);
            Add(g, s, "LINK", link, link == 0 ? "OFF" : std::to_string(link));
        }
    }

    const ParameterImage& m_image;
    ListingOptions m_options;
    InputRange m_range;
    InputRange m_difference;
    std::vector<ParameterEntry> m_entries;
};

} // namespace

std::string ParameterEntry::Name() const {
    std::string name = group;
    if (segment > 0)
        name += " segment " + std::to_string(segment);
    return name + " " + mnemonic;
}

std::vector<ParameterEntry> ListParameters(const ParameterImage& image,
                                           const ListingOptions& options) {
    return Lister(image, options).Run();
}

std::vector<ParameterDifference> DiffParameters(const ParameterImage& a, const ParameterImage& b,
                                                const ListingOptions& options) {
    const std::vector<ParameterEntry> left = ListParameters(a, options);
    const std::vector<ParameterEntry> right = ListParameters(b, options);
    std::vector<ParameterDifference> differences;
    // Both listings have the same entries in the same order; only values differ.
    for (size_t i = 0; i < left.size() && i < right.size(); ++i)
        if (left[i].stored != right[i].stored)
            differences.push_back({left[i], right[i]});
    return differences;
}

std::vector<std::string> ParameterGroupNames() {
    std::vector<std::string> names = {"system", "advanced"};
    for (int g = 1; g <= ParameterImage::kPidGroups; ++g)
        names.push_back("pid " + std::to_string(g));
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        names.push_back("pattern " + std::to_string(n));
    return names;
}

std::string DifferenceGroupTitle(const ParameterDifference& d) {
    const int group = GroupOfListing(d.a.group);
    return group < 0 ? d.a.group : GroupTitle(group);
}

std::string DifferenceLabel(const ParameterDifference& d) {
    return (d.a.segment ? "segment " + std::to_string(d.a.segment) + " " : std::string()) +
           d.a.mnemonic;
}

std::string DifferencesText(const std::vector<ParameterDifference>& differences,
                            const std::string& aName, const std::string& bName) {
    std::string text = aName + " | " + bName + "\n";
    std::string group;
    for (const ParameterDifference& d : differences) {
        const std::string title = DifferenceGroupTitle(d);
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
