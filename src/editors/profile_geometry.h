#pragma once

#include "image/records.h"

#include <string>
#include <vector>

// A program pattern as the controller runs it: set value against elapsed time, in the
// pattern's time unit (minutes when TMU is 0, hours and minutes; seconds when TMU is 1,
// minutes and seconds), with set values in engineering units of the input range. The
// pattern graph draws one fixed cell per segment; this is the same program on a real time
// axis, for the profile window and the parameter report.

struct ProfileSegment {
    int number = 0;     // 1..20
    double begin = 0.0; // elapsed time at its start, in stored time units
    double end = 0.0;
    // The set value line across the segment: from the previous segment's SV to its own
    // (the first segment, and one after a "----" SV, is flat at its own SV). A segment
    // whose own SV is "----" has no line.
    bool hasLine = false;
    double from = 0.0; // engineering units
    double to = 0.0;
};

// Time signal k is on from `on` to `off` (elapsed time, stored time units).
struct ProfileBar {
    int signal = 0; // 1..6
    double on = 0.0;
    double off = 0.0;
};

struct ProfileGeometry {
    std::vector<ProfileSegment> segments; // the used segments, in order
    int usedSegments = 0;                 // leading segments whose TIME is not "----"
    double endTime = 0.0;                 // end of the program: start of the first unused one
    double valueLow = 0.0;                // the input range, engineering units
    double valueHigh = 0.0;
    int decimals = 0;      // decimals of the range values
    std::string valueUnit; // "degree C", "degree F", or "" for scale units
    int tmu = 0;           // the stored time unit
    int timeSignals = 4;   // rows shown: 4, or 6 with the time-signal option
    std::vector<ProfileBar> bars;
};

ProfileGeometry BuildProfile(const ProgramPatternRecord& pattern, const SystemSetupRecord& setup,
                             bool timeSignalOption);

// The engineering value of an absolute range value (a set value).
double EngineeringValue(const SystemSetupRecord& setup, int16_t value);

// Elapsed time as the axis shows it: "h:mm" for TMU 0, "m:ss" for TMU 1, the first part
// without bound; a whole count of stored units for any other TMU.
std::string FormatElapsed(double t, int tmu);
// The axis title of the time axis: "elapsed time (h:min)" / "(min:s)".
std::string TimeAxisTitle(int tmu);

// Tick positions from 0 to `end` at a round step (whole minutes or hours where the unit
// has them), at most `maxTicks` + 1 of them.
std::vector<double> TimeTicks(double end, int maxTicks);
// Tick positions at a 1, 2 or 5 step covering low..high, at most `maxTicks` + 1.
std::vector<double> ValueTicks(double low, double high, int maxTicks);
