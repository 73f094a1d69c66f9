#include "editors/profile_geometry.h"

#include "editors/pattern_graph.h"
#include "values/conversions.h"

#include <algorithm>
#include <cmath>

double EngineeringValue(const SystemSetupRecord& setup, int16_t value) {
    const InputRange range = SelectInputRange(setup);
    double e = static_cast<double>(range.base) +
               static_cast<double>(value) * static_cast<double>(range.span) / 10000.0;
    if (range.dc)
        e /= std::pow(10.0, std::min(std::max(range.decimals, 0), 3));
    return e;
}

ProfileGeometry BuildProfile(const ProgramPatternRecord& pattern, const SystemSetupRecord& setup,
                             bool timeSignalOption) {
    ProfileGeometry g;
    const InputRange range = SelectInputRange(setup);
    g.valueLow = EngineeringValue(setup, 0);
    g.valueHigh = EngineeringValue(setup, 10000);
    g.decimals = range.decimals;
    if (!range.dc)
        g.valueUnit = setup.PVU == 0 ? "degree C" : "degree F";
    g.tmu = setup.TMU;
    g.timeSignals = timeSignalOption ? graph::kTimeSignals : graph::kStandardTimeSignals;
    g.usedSegments = UsedSegmentCount(pattern);

    double t = 0.0;
    bool previous = false; // the previous segment has a set value
    double previousValue = 0.0;
    for (int s = 1; s <= g.usedSegments; ++s) {
        const SegmentRecord seg = pattern.Segment(s);
        ProfileSegment p;
        p.number = s;
        p.begin = t;
        p.end = t + seg.TIME();
        if (seg.SV() != kNoValue) {
            p.hasLine = true;
            p.to = EngineeringValue(setup, seg.SV());
            p.from = previous ? previousValue : p.to;
        }
        previous = p.hasLine;
        previousValue = p.to;
        for (int k = 1; k <= g.timeSignals; ++k) {
            const uint16_t on = seg.TsOn(k);
            const uint16_t off = seg.TsOff(k);
            // An on time of 00:00 switches at the segment's start (the table shows it so);
            // an unset time, or an off time not after the on time, draws no bar.
            if (on == kTimeNotUsed || off == kTimeNotUsed || off <= on)
                continue;
            g.bars.push_back({k, t + on, t + off});
        }
        g.segments.push_back(p);
        t = p.end;
    }
    g.endTime = t;
    return g;
}

std::string FormatElapsed(double t, int tmu) {
    const long total = std::lround(t);
    if (tmu != 0 && tmu != 1)
        return std::to_string(total);
    const long first = total / 60;
    const long second = std::labs(total % 60);
    std::string text = total < 0 && first == 0 ? "-" : "";
    text += std::to_string(first) + ":" + (second < 10 ? "0" : "") + std::to_string(second);
    return text;
}

std::string TimeAxisTitle(int tmu) {
    if (tmu == 0)
        return "elapsed time (h:min)";
    if (tmu == 1)
        return "elapsed time (min:s)";
    return "elapsed time (TMU " + std::to_string(tmu) + ")";
}

std::vector<double> TimeTicks(double end, int maxTicks) {
    static const double kSteps[] = {1,   2,   5,   10,   15,   30,   60,   120,   180,  240,
                                    360, 480, 720, 1440, 2880, 4320, 7200, 14400, 28800};
    // Beyond the list (only a program of many long segments): whole days.
    double step = std::max(1.0, std::ceil(end / std::max(maxTicks, 1) / 1440.0)) * 1440.0;
    for (double s : kSteps)
        if (end / s <= maxTicks) {
            step = s;
            break;
        }
    std::vector<double> ticks;
    for (double x = 0.0; x <= end + 1e-9; x += step)
        ticks.push_back(x);
    return ticks;
}

std::vector<double> ValueTicks(double low, double high, int maxTicks) {
    std::vector<double> ticks;
    if (!(high > low) || maxTicks < 1)
        return {low};
    const double raw = (high - low) / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * magnitude;
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= raw - 1e-12) {
            step = m * magnitude;
            break;
        }
    for (double x = std::ceil(low / step - 1e-9) * step; x <= high + 1e-9 * step; x += step)
        ticks.push_back(std::abs(x) < step * 1e-9 ? 0.0 : x);
    return ticks;
}
