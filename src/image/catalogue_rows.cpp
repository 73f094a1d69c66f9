// The rows of the parameter catalogue, one table per kind of group.
#include "image/parameter_catalogue.h"

#include "image/controller_blocks.h"

#include <type_traits>

namespace {

using SS = SystemSetupRecord;
using AR = AdvancedRecord;
using E = Encoding;

// How a row's stored integer is read, with the limits its editor accepts.
struct Coding {
    Encoding encoding;
    int32_t lo = 0, hi = 0;
    int divisor = 1;
    Unit unit = Unit::None;
    std::vector<const char*> choices = {};
};

Coding Int(int32_t lo, int32_t hi, Unit unit = Unit::None) {
    return {E::Integer, lo, hi, 1, unit};
}
// Shown as stored / divisor; typed in tenths times divisor / 10.
Coding Tenths(int divisor, int32_t lo, int32_t hi, Unit unit) {
    return {E::OneDecimal, lo, hi, divisor, unit};
}
Coding Range(int32_t lo, int32_t hi) {
    return {E::RangeAbsolute, lo, hi, 1, Unit::Engineering};
}
Coding Difference(int32_t lo, int32_t hi) {
    return {E::RangeDifference, lo, hi, 1, Unit::Engineering};
}
Coding Choices(std::vector<const char*> texts) {
    const auto last = static_cast<int32_t>(texts.size()) - 1;
    return {E::Choice, 0, last, 1, Unit::None, std::move(texts)};
}
Coding Of(Encoding encoding, int32_t lo = 0, int32_t hi = 0, Unit unit = Unit::None) {
    return {encoding, lo, hi, 1, unit};
}

ParameterRow Row(const char* mnemonic, const char* label, FieldWidth width, int32_t block,
                 int offset, int fileRow, Coding c, const char* message, const char* help) {
    ParameterRow row{};
    row.mnemonic = mnemonic;
    row.label = label;
    row.width = width;
    row.block = block;
    row.offset = offset;
    row.fileRow = fileRow;
    row.encoding = c.encoding;
    row.lo = c.lo;
    row.hi = c.hi;
    row.divisor = c.divisor;
    row.unit = c.unit;
    row.choices = std::move(c.choices);
    row.message = message;
    row.help = help;
    return row;
}

template <class Record, class Field>
ParameterRow Member(const char* mnemonic, const char* label, Field Record::*member, int32_t block,
                    int offset, int fileRow, Coding c, const char* message = nullptr,
                    const char* help = nullptr) {
    constexpr FieldWidth width = sizeof(Field) == 1 ? FieldWidth::U8 : FieldWidth::I16;
    ParameterRow row =
        Row(mnemonic, label, width, block, offset, fileRow, std::move(c), message, help);
    if constexpr (std::is_same_v<Record, SS>) {
        if constexpr (sizeof(Field) == 1)
            row.setupU8 = member;
        else
            row.setupI16 = member;
    } else {
        if constexpr (sizeof(Field) == 1)
            row.advancedU8 = member;
        else
            row.advancedI16 = member;
    }
    return row;
}

// Facts a few rows add to the common ones.
// An analogue scale of `output`; `mvMessage`: its refusal while read as MV, where that
// differs from the other.
ParameterRow Scale(ParameterRow row, int output, const char* mvMessage) {
    row.output = output;
    row.mvMessage = mvMessage;
    return row;
}
ParameterRow Ruled(ParameterRow row, StoreRule rule) {
    row.rule = rule;
    return row;
}
ParameterRow Refused(ParameterRow row, const char* message, const char* takes) {
    row.message = message;
    row.takes = takes;
    return row;
}

constexpr int32_t A = blocks::kSystemSetupA; // 12
constexpr int32_t B = blocks::kSystemSetupB; // 9
constexpr Unit kPercent = Unit::Percent;
constexpr Unit kSecond = Unit::Second;

const char* const kAlarmTypes = "one of the alarm types of the list";
const char* const kAoFullHelp =
    "AO 1 full scale. Range:0.0 to 100.0% of the input range. Unit:Engineering unit";
const char* const kAoBaseHelp =
    "AO 1 base scale. Range:0.0 to 100.0% of the input range. Unit:Engineering unit";

std::vector<ParameterRow> BuildSystemSetupRows();

std::vector<ParameterRow> BuildSystemSetup() {
    std::vector<ParameterRow> rows = BuildSystemSetupRows();
    for (ParameterRow& row : rows)
        row.unlistedKeepsText = row.encoding == E::Choice;
    return rows;
}

std::vector<ParameterRow> BuildSystemSetupRows() {
    const Coding aoSignal = Choices({"1-5V", "0-5V", "0-10V"});
    const Coding aoSource = Choices({"PV", "SV", "MV"});
    // A range value, or hundredths of a percent of MV.
    const Coding aoScale = {E::AnalogueScale, -2500, 12500, 100, Unit::Engineering};
    const Coding time = Of(E::Time, 0, 5999);
    return {
        Member("PVT", "PVT", &SS::PVT, A, 1, 15, Of(E::InputType)),
        Member("PVU", "PVU", &SS::PVU, A, 2, 16, Choices({"0.C", "1.F"})),
        Member("PVD", "PVD", &SS::PVD, A, 3, 17, Choices({"0.1", "1.0.1", "2.0.01", "3.0.001"})),
        Member("PVF", "PVF", &SS::PVF, A, 4, 18, Int(-999, 9999), "Parameter PVF is wrong.",
               "PV full scale -999 to 9999 Remark:PVF>PVB"),
        Member("PVB", "PVB", &SS::PVB, A, 6, 19, Int(-999, 9999), "Parameter PVB is wrong.",
               "PV base scale -999 to 9999 Remark:PVF>PVB"),
        Member("SFT", "SFT", &SS::SFT, A, 8, 20, Difference(-5001, 5001), "Parameter SFT is wrong.",
               "PV shift. Range:-50.0 to 50.0% of the input range. Unit:Engineering unit"),
        Member("STM", "STM", &SS::STM, A, 10, 21, Choices({"Continuous start", "Reset start"})),
        Member("CI", "CI", &SS::CI, A, 11, 22, Int(1, 120, kSecond), "Parameter C1 is wrong.",
               "MV proportional period. Range:1 to 120 . Unit:1 second"),
        Member("PSET", "PSET", &SS::PSET, A, 12, 23, Tenths(100, -500, 10500, kPercent),
               "Parameter PSET is wrong.",
               "Preset MV value. Range -5.0 to 105.0. Unit:0.1%. For example:10%->10.0"),
        Member("BURN", "BURN", &SS::BURN, A, 14, 24, Tenths(100, -500, 10500, kPercent),
               "Parameter BURN is wrong.",
               "MV set value at burnout. Range:-5.0 to 105.0 . Unit:0.1%.  For example:10%->10.0"),
        Member("AO1R", "A01R", &SS::AO1R, A, 16, 25, aoSignal),
        Member("AO1T", "A01T", &SS::AO1T, A, 17, 26, aoSource),
        Scale(Member("AO1F", "A01F", &SS::AO1F, A, 18, 27, aoScale, "Parameter A01F is wrong.",
                     kAoFullHelp),
              1, "Parameter AO1F is wrong."),
        Scale(Member("AO1B", "A01B", &SS::AO1B, A, 20, 28, aoScale, "Parameter AO1B is wrong.",
                     kAoBaseHelp),
              1, nullptr),
        Member("AO2R", "A02R", &SS::AO2R, A, 22, 29, aoSignal),
        Member("AO2T", "A02T", &SS::AO2T, A, 23, 30, aoSource),
        Scale(Member("AO2F", "A02F", &SS::AO2F, A, 24, 31, aoScale, "Parameter AO2F is wrong."), 2,
              nullptr),
        Scale(Member("AO2B", "A02B", &SS::AO2B, A, 26, 32, aoScale, "Parameter AO2B is wrong."), 2,
              nullptr),
        Member("TMDT", "TMDT", &SS::TMDT, A, 28, 33,
               Choices({"Remaining time indication", "Lapsed time indication"})),
        Member("TMU", "TMU", &SS::TMU, A, 29, 34, Choices({"hr:min", "min:sec"})),
        Ruled(Member("STN", "STN", &SS::STN, A, 30, 35, Int(0, kMaxStation)),
              StoreRule::PlainDecimal),
        Member("TF", "TF", &SS::TF, B, 4, 36, Tenths(10, 0, 9000, kSecond),
               "Parameter TF is wrong.",
               "Time constant of filter. Range:0.0 to 900.0 . Unit:0.1 second.  For example:10 "
               "sec->10.0"),
        Member("GS-H", "GS-H", &SS::GS_H, B, 6, 37, Difference(0, 5000), "Parameter GS-H is wrong.",
               "Guarantee soak upper limit. Range:0 to 50% of the input range. Unit:Engineering "
               "unit"),
        Member("GS-L", "GS-L", &SS::GS_L, B, 8, 38, Difference(0, 5000), "Parameter GS-L is wrong.",
               "Guarantee soak lower limit. Range:0 to 50%.of the input range. Unit:Engineering "
               "unit"),
        Member("GS-T", "GS-T", &SS::GS_T, B, 10, 39, time, "Parameter GS-T is wrong.",
               "Guarantee soak max.wait time. Range:00:00 to 99:59 . Unit:=>TMU"),
        Refused(Member("EV-T1", "AL1T", &SS::EV_T1, B, 20, 40, Of(E::AlarmType)),
                "Parameter AL1T is wrong.", kAlarmTypes),
        Refused(Member("EV-T2", "AL2T", &SS::EV_T2, B, 21, 41, Of(E::AlarmType)),
                "Parameter AL2T is wrong.", kAlarmTypes),
        Refused(Member("EV-T3", "AL3T", &SS::EV_T3, B, 22, 42, Of(E::AlarmType)),
                "Parameter AL3T is wrong.", kAlarmTypes),
        Refused(Member("EV-T4", "AL4T", &SS::EV_T4, B, 23, 43, Of(E::AlarmType)),
                "Parameter AL4T is wrong.", kAlarmTypes),
        Member("ENDT", "ENDT", &SS::ENDT, B, 24, 44, time, "Parameter ENDT is wrong.",
               "End signal output time. Range:00:00 to 99:59 .Unit:=>TMU"),
    };
}

constexpr int32_t C = blocks::kAdvancedA; // 10
constexpr int32_t D = blocks::kAdvancedB; // 13

std::vector<ParameterRow> BuildAdvanced() {
    const Coding hysteresis = Difference(0, 5001);
    const Coding carried = Int(-32768, 32767);
    return {
        Member("SV-H", "SV-H", &AR::SV_H, C, 0, 2, Range(0, 10000), "Parameter SVH is wrong.",
               "Set value upper limit. Range:0 to 100% of the input range. Unit Engineering unit"),
        Member("SV-L", "SV-L", &AR::SV_L, C, 2, 3, Range(0, 10000), "Parameter SVL is wrong.",
               "Set value lower limit. Range:0 to 100% of the input range. Unit Engineering unit"),
        Member("DMV", "DMV", &AR::DMV, C, 4, 4, Tenths(100, 0, 10500, kPercent),
               "Parameter DMV is wrong.",
               "MV variation limit. Range:0 to 105%. Unit 0.1%.For example:10%->10.0"),
        Member("A1HS", "A1HS", &AR::A1HS, C, 6, 5, hysteresis, "Parameter A1HS is wrong.",
               "Alarm 1 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"),
        Member("A2HS", "A2HS", &AR::A2HS, C, 8, 6, hysteresis, "Parameter A2HS is wrong.",
               "Alarm 2 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"),
        Member("A3HS", "A3HS", &AR::A3HS, C, 10, 7, hysteresis, "Parameter A3HS is wrong.",
               "Alarm 3 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"),
        Member("A4HS", "A4HS", &AR::A4HS, C, 12, 8, hysteresis, "Parameter A4HS is wrong.",
               "Alarm 4 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"),
        Member("DV-D", "DVDV", &AR::DV_D, C, 14, 9,
               Choices({"PV differentitation", "DV differentitation"}), "Parameter DVD is wrong.",
               "DV differential specification.(PV:0,DV:1)"),
        Member("MVLT", nullptr, &AR::MVLT, C, 15, 10, Int(0, 255)),
        Member("WDIS", "TDS", &AR::WDIS, C, 16, 11, Choices({"Write enable", "Write Inhibit"}),
               "Parameter WDIS is wrong.", "Transmission write inhibit(enable:0,disable:1)"),
        Member("SVMOD", "ATSV", &AR::SVMOD, D, 0, 12, Choices({"Standard", "Low PV type"}),
               "Parameter SVMODE is wrong.", "AT SV mode(standard:0,low:1)"),
        Member("PID", "PID", &AR::PID, D, 1, 13, Choices({"PI tuning", "PID tuning"}),
               "Parameter PID is wrong.", "AT PID tuning specification(PI:0,PID:1)"),
        // Carried for the controller; the file holds none of them.
        Member("GAP", nullptr, &AR::GAP, D, 2, 0, carried),
        Member("MAX", nullptr, &AR::MAX, D, 4, 0, carried),
        Member("PP", nullptr, &AR::PP, D, 6, 0, carried),
        Member("PI", nullptr, &AR::PI, D, 8, 0, carried),
        Member("PD", nullptr, &AR::PD, D, 10, 0, carried),
    };
}

constexpr int kPidFirstRow = 46;

ParameterRow Word(const char* mnemonic, const char* label, int word, Coding c,
                  const char* message = nullptr, const char* help = nullptr,
                  FieldWidth width = FieldWidth::I16) {
    return Row(mnemonic, label, width, 0, 2 * word, kPidFirstRow + word, std::move(c), message,
               help);
}

std::vector<ParameterRow> BuildPidGroup() {
    using W = PidGroupRecord;
    return {
        Word("P", "P", W::P, Tenths(10, 0, 9999, kPercent), "Parameter P is wrong.",
             "Proportional zone. Range:0.0 to 999.9. Unit:0.1%. For example:10%->10.0"),
        Word("I", "I", W::I, Of(E::Seconds, 0, 32000, kSecond), "Parameter I is wrong.",
             "Integral time.Range: 0 to 3200 . Unit:1 second", FieldWidth::U16),
        Word("D", "D", W::D, Tenths(10, 0, 9999, kSecond), "Parameter D is wrong.",
             "Differntial Time 0.0 to 999.9  . Unit:0.1 second. For example:10 sec ->10.0"),
        Word("GAP", "GAP", W::GAP, Difference(0, 5001), "Parameter GAP is wrong.",
             "Dead zone. Range: 0 to 50% of input range. Unit:Engineering unit"),
        Ruled(Word("KNL", "KnL", W::KNL, Tenths(100, -19990, 32767, kPercent),
                   "Parameter KnL is wrong.",
                   "Non-linear gain. Range: -199.9 to 327.7%. Unit:0.1%. For example:10%->10.0"),
              StoreRule::LargestWord),
        Word("ARW", "Ar", W::ARW, Difference(0, 10000), "Parameter ARW is wrong.",
             "Integral break point. Range:0 to 100% of input range. Unit Engineering unit"),
        Word("MAN", "MAN", W::MAN, Tenths(100, -2500, 12500, kPercent), "Parameter MAN is wrong.",
             "Manual reset. Range:-25.0 to 125.0%. Unit: 0.1%. For example:10%->10.0"),
        Word("MV-H", "MV-H", W::MV_H, Tenths(100, -500, 10500, kPercent), "Parameter MVH is wrong.",
             "Manipulating value Upper limit. Range:-5.0 to 105.0%. Unit: 0.1%. For "
             "example:10%->10.0"),
        Word("MV-L", "MV-L", W::MV_L, Tenths(100, -500, 10500, kPercent), "Parameter MVL is wrong.",
             "Manipulating value Lower limit. Range:-5.0 to 105.0%. Unit: 0.1%. For "
             "example:10%->10.0"),
        Word("REV", "REV", W::REV, Choices({"1.Normal operation", "2.Reverse operation"}),
             "Parameter REV is wrong.", "Reverse operation assignment(normal:0,reverse:1)"),
        Word("NO USE", nullptr, W::NO_USE1, Int(0, 65535), nullptr, nullptr, FieldWidth::U16),
        Word("NO USE", nullptr, W::NO_USE2, Int(0, 65535), nullptr, nullptr, FieldWidth::U16),
    };
}

// A field of the segment record; its file row is its place in the table.
ParameterRow Field(const char* mnemonic, const char* label, FieldWidth width, int offset, Coding c,
                   const char* help = nullptr) {
    return Row(mnemonic, label, width, 0, offset, 0, std::move(c), nullptr, help);
}

const char* const kTimeRefusal = "Parameter TM is wrong.";

std::vector<ParameterRow> BuildSegment() {
    const FieldWidth I16 = FieldWidth::I16, U16 = FieldWidth::U16, U8 = FieldWidth::U8;
    const Coding time = Of(E::PatternTime, 0, 5999);
    std::vector<ParameterRow> rows = {
        Field("SV", "SV", I16, seg::SV, Of(E::RangeAbsolute, -32768, 32767, Unit::Engineering),
              "SV:Setting value. See Range box and Decimal position box."),
        Refused(Field("TIME", "TIME", U16, seg::TIME, time,
                      "Time:Setting value. Range:00:00 to 99:59.  See Time unit box. "),
                kTimeRefusal, nullptr),
    };
    const char* const alarms[4][2] = {
        {"ALM1", "ALARM1"}, {"ALM2", "ALARM2"}, {"ALM3", "ALARM3"}, {"ALM4", "ALARM4"}};
    for (int k = 1; k <= 4; ++k)
        rows.push_back(Field(alarms[k - 1][0], alarms[k - 1][1], I16, seg::Alarm(k),
                             Of(E::RangeAbsolute, -32768, 32767, Unit::Engineering)));
    const char* const signals[6][2] = {{"TS1ON", "TS1OF"}, {"TS2ON", "TS2OF"}, {"TS3ON", "TS3OF"},
                                       {"TS4ON", "TS4OF"}, {"TS5ON", "TS5OF"}, {"TS6ON", "TS6OF"}};
    for (int k = 1; k <= 6; ++k) {
        rows.push_back(Refused(Field(signals[k - 1][0], signals[k - 1][0], U16, seg::TsOn(k), time),
                               kTimeRefusal, nullptr));
        rows.push_back(
            Refused(Field(signals[k - 1][1], signals[k - 1][1], U16, seg::TsOff(k), time),
                    kTimeRefusal, nullptr));
    }
    rows.push_back(Field("PIDNO", "PIDNO", U8, seg::PIDNO, Int(1, 9)));
    rows.push_back(Field("GSORK", "GSORK", U8, seg::GSORK, Choices({"NO", "YES"})));
    rows.push_back(Field("GSTYP", "GSTYP", U8, seg::GSTYP, Choices({"U&D", "Down", "Up"})));
    // The pattern's own settings, carried in every segment record.
    const size_t patternWide = rows.size();
    rows.push_back(Refused(Field("PVST", "PVSTART", U8, seg::PVST, Choices({"NO", "YES"})),
                           "PVSTART is wrong", "YES or NO"));
    rows.push_back(Refused(Field("CYCL", "CYCLIC OPERATION", U8, seg::CYCL, Int(0, 99)),
                           "CYCLE is wrong.", nullptr));
    rows.push_back(Refused(Field("LINK", "LINK", U8, seg::LINK, Of(E::Link, 0, 9)),
                           "LINK is wrong.", "OFF or 1 to 9"));
    // In the file's row order, from two rows below a pattern's title.
    for (size_t r = 0; r < rows.size(); ++r) {
        rows[r].fileRow = 2 + static_cast<int>(r);
        rows[r].scope = r < patternWide ? Scope::Segment : Scope::Pattern;
    }
    return rows;
}

} // namespace

const std::vector<ParameterRow>& SystemSetupRows() {
    static const std::vector<ParameterRow> rows = BuildSystemSetup();
    return rows;
}

const std::vector<ParameterRow>& AdvancedRows() {
    static const std::vector<ParameterRow> rows = BuildAdvanced();
    return rows;
}

const std::vector<ParameterRow>& PidGroupRows() {
    static const std::vector<ParameterRow> rows = BuildPidGroup();
    return rows;
}

const std::vector<ParameterRow>& SegmentRows() {
    static const std::vector<ParameterRow> rows = BuildSegment();
    return rows;
}
