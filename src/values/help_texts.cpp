#include "values/help_texts.h"

namespace {

const HelpTextEntry kHelpTexts[] = {
    // System setup
    {"PVF", "PVF", "PV full scale -999 to 9999 Remark:PVF>PVB"},
    {"PVB", "PVB", "PV base scale -999 to 9999 Remark:PVF>PVB"},
    {"TF", "TF",
     "Time constant of filter. Range:0.0 to 900.0 . Unit:0.1 second.  For example:10 "
     "sec->10.0"},
    {"SFT", "SFT", "PV shift. Range:-50.0 to 50.0% of the input range. Unit:Engineering unit"},
    {"CI", "CI", "MV proportional period. Range:1 to 120 . Unit:1 second"},
    {"PSET", "PSET", "Preset MV value. Range -5.0 to 105.0. Unit:0.1%. For example:10%->10.0"},
    {"BURN", "BURN",
     "MV set value at burnout. Range:-5.0 to 105.0 . Unit:0.1%.  For example:10%->10.0"},
    {"AO1F", "A01F",
     "AO 1 full scale. Range:0.0 to 100.0% of the input range. Unit:Engineering unit"},
    {"AO1B", "A01B",
     "AO 1 base scale. Range:0.0 to 100.0% of the input range. Unit:Engineering unit"},
    {"ENDT", "ENDT", "End signal output time. Range:00:00 to 99:59 .Unit:=>TMU"},
    {"GS-H", "GS-H",
     "Guarantee soak upper limit. Range:0 to 50% of the input range. Unit:Engineering unit"},
    {"GS-L", "GS-L",
     "Guarantee soak lower limit. Range:0 to 50%.of the input range. Unit:Engineering unit"},
    {"GS-T", "GS-T", "Guarantee soak max.wait time. Range:00:00 to 99:59 . Unit:=>TMU"},
    // Advanced
    {"SV-H", "SV-H",
     "Set value upper limit. Range:0 to 100% of the input range. Unit Engineering unit"},
    {"SV-L", "SV-L",
     "Set value lower limit. Range:0 to 100% of the input range. Unit Engineering unit"},
    {"DMV", "DMV", "MV variation limit. Range:0 to 105%. Unit 0.1%.For example:10%->10.0"},
    {"A1HS", "A1HS", "Alarm 1 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"},
    {"A2HS", "A2HS", "Alarm 2 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"},
    {"A3HS", "A3HS", "Alarm 3 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"},
    {"A4HS", "A4HS", "Alarm 4 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"},
    {"DV-D", "DVDV", "DV differential specification.(PV:0,DV:1)"},
    {"SVMOD", "ATSV", "AT SV mode(standard:0,low:1)"},
    {"PID", "PID", "AT PID tuning specification(PI:0,PID:1)"},
    {"WDIS", "TDS", "Transmission write inhibit(enable:0,disable:1)"},
    // PID group
    {"P", "P", "Proportional zone. Range:0.0 to 999.9. Unit:0.1%. For example:10%->10.0"},
    {"I", "I", "Integral time.Range: 0 to 3200 . Unit:1 second"},
    {"D", "D", "Differntial Time 0.0 to 999.9  . Unit:0.1 second. For example:10 sec ->10.0"},
    {"GAP", "GAP", "Dead zone. Range: 0 to 50% of input range. Unit:Engineering unit"},
    {"MV-H", "MV-H",
     "Manipulating value Upper limit. Range:-5.0 to 105.0%. Unit: 0.1%. For "
     "example:10%->10.0"},
    {"MV-L", "MV-L",
     "Manipulating value Lower limit. Range:-5.0 to 105.0%. Unit: 0.1%. For "
     "example:10%->10.0"},
    {"REV", "REV", "Reverse operation assignment(normal:0,reverse:1)"},
    {"KNL", "KnL", "Non-linear gain. Range: -199.9 to 327.7%. Unit:0.1%. For example:10%->10.0"},
    {"ARW", "Ar", "Integral break point. Range:0 to 100% of input range. Unit Engineering unit"},
    {"MAN", "MAN", "Manual reset. Range:-25.0 to 125.0%. Unit: 0.1%. For example:10%->10.0"},
    // Program pattern
    {"SV", "SV", "SV:Setting value. See Range box and Decimal position box."},
    {"TIME", "TIME", "Time:Setting value. Range:00:00 to 99:59.  See Time unit box. "},
};

} // namespace

std::string HelpText(const std::string& name) {
    for (const HelpTextEntry& e : kHelpTexts)
        if (name == e.label || name == e.mnemonic)
            return e.text;
    return std::string();
}
