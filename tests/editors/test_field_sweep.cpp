// Every edit field of every editor form takes hostile texts through its store step. Each
// text must either be refused with a message (or, for a drop-down whose rule is to keep
// its value, silently) or be stored inside the field's range; and no other stored value
// may change.

#include "editors/advanced_form.h"
#include "editors/alarm_values_form.h"
#include "editors/pid_group_form.h"
#include "editors/program_pattern_form.h"
#include "editors/segment_column_forms.h"
#include "editors/system_setup_form.h"
#include "image/group_layouts.h"
#include "simulator/simulated_controller.h"
#include "values/conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The window's label of alarm type k (0..3): "AL1T".."AL4T".
std::string AlarmLabel(size_t k) {
    return "AL" + std::to_string(k + 1) + "T";
}

using Snapshot = std::map<std::string, int32_t>;

std::vector<std::string> HostileTexts() {
    return {"",
            " ",
            "   ",
            "-",
            "+",
            "--",
            "12345678901",
            std::string(1000, '9'),
            "-" + std::string(1000, '9'),
            "\xEF\xBC\x91\xEF\xBC\x92", // full-width "12"
            "\xC3\xA9",                 // e acute
            "1e9",
            ".",
            "12.3.4",
            "0x10",
            std::string("1\0"
                        "5",
                        3),
            std::string("\0", 1),
            "----",
            "-0",
            "-.5",
            "99:99",
            "\t1",
            "9999999999",
            "-32768",
            "nan",
            "inf"};
}

// One field of a form: how a text gets into it, the stored value it feeds and its range.
struct SweepField {
    std::string name;
    std::string slot; // the snapshot entry the field stores into
    std::function<void(const std::string&)> type;
    int32_t lo, hi;
    std::vector<int32_t> alsoAllowed = {}; // markers such as the not-used time
    bool keepsSilently = false;            // a drop-down whose rule keeps a foreign text quietly
};

// A form put back to its baseline before each text.
struct SweepSubject {
    std::function<void()> reset;
    std::function<void()> store;
    std::function<Snapshot()> snapshot;
    RecordingMessages* messages;
};

void Sweep(const SweepSubject& subject, const std::vector<SweepField>& fields,
           const std::vector<std::string>& texts) {
    subject.reset();
    const Snapshot baseline = subject.snapshot();
    subject.store();
    ASSERT_EQ(subject.snapshot(), baseline) << "the baseline texts must store the baseline";
    ASSERT_TRUE(subject.messages->Texts().empty()) << subject.messages->Texts().front();

    for (const SweepField& f : fields) {
        ASSERT_EQ(baseline.count(f.slot), 1u) << f.slot;
        for (const std::string& text : texts) {
            subject.reset();
            f.type(text);
            subject.store();
            const Snapshot after = subject.snapshot();
            const std::string where = f.name + " <- \"" + text.substr(0, 20) + "\"";

            for (const auto& [slot, value] : baseline) {
                if (slot != f.slot) {
                    EXPECT_EQ(after.at(slot), value) << where << " changed " << slot;
                }
            }

            const int32_t v = after.at(f.slot);
            const bool allowed =
                std::find(f.alsoAllowed.begin(), f.alsoAllowed.end(), v) != f.alsoAllowed.end();
            if (v != baseline.at(f.slot)) {
                EXPECT_TRUE((v >= f.lo && v <= f.hi) || allowed) << where << " stored " << v;
            } else if (!f.keepsSilently) {
                EXPECT_FALSE(subject.messages->Texts().empty()) << where << " refused silently";
            }
        }
    }
}

// Puts a text into a form's working text.
std::function<void(const std::string&)> Into(std::string& field) {
    return [&field](const std::string& v) { field = v; };
}

std::vector<std::string> IntegerTexts() {
    std::vector<std::string> out;
    for (int v : {INT_MIN, -1000, -1, 0, 121, 255, 256, 3201, 10000, 65536, INT_MAX})
        out.push_back(std::to_string(v));
    return out;
}

using Layout = std::vector<const ParameterRow*>;
const Layout& Block12Layout() {
    static const Layout layout = RowsInBlock(GroupId::Kind::SystemSetup, 12);
    return layout;
}
const Layout& Block9Layout() {
    static const Layout layout = RowsInBlock(GroupId::Kind::SystemSetup, 9);
    return layout;
}
const Layout& Block10Layout() {
    static const Layout layout = RowsInBlock(GroupId::Kind::Advanced, 10);
    return layout;
}
const Layout& Block13Layout() {
    static const Layout layout = RowsInBlock(GroupId::Kind::Advanced, 13);
    return layout;
}

template <class Record> void AddLayout(const Layout& layout, const Record& r, Snapshot& s) {
    for (const ParameterRow* b : layout) {
        const uint16_t raw = RawValue(r, *b);
        s[b->mnemonic] = b->Bytes() == 2 ? static_cast<int16_t>(raw) : raw;
    }
}

// A group editor over one record that two block layouts cover.
template <class Record, class Form>
SweepSubject RecordSubject(Record& record, const Record& base, Form& form,
                           RecordingMessages& messages, const Layout& first, const Layout& second) {
    return {[&] {
                record = base;
                form.Show();
                messages.Clear();
            },
            [&] { form.Store(); },
            [&] {
                Snapshot s;
                AddLayout(first, record, s);
                AddLayout(second, record, s);
                return s;
            },
            &messages};
}

// K 0 to 1200 degree C; values chosen so that no hostile text can stand for them.
SystemSetupRecord SetupBaseline(uint8_t pvd) {
    SystemSetupRecord r;
    r.PVT = 36;
    r.PVD = pvd;
    r.PVF = 1000;
    r.PVB = -50;
    r.SFT = 125;
    r.STM = 1;
    r.CI = 20;
    r.PSET = 1230;
    r.BURN = 560;
    r.AO1R = 1;
    r.AO1T = 0;
    r.AO1F = 7500;
    r.AO1B = 1250;
    r.AO2R = 2;
    r.AO2T = 2; // MV: its scale is one-decimal output percent
    r.AO2F = 11000;
    r.AO2B = 300;
    r.TMDT = 1;
    r.STN = 7;
    r.TF = 55;
    r.GS_H = 250;
    r.GS_L = 375;
    r.GS_T = 1234;
    r.EV_T1 = 1;
    r.EV_T2 = 2;
    r.EV_T3 = 3;
    r.EV_T4 = 4;
    r.ENDT = 4321;
    return r;
}

class SystemSetupSweep : public ::testing::TestWithParam<uint8_t> {};

TEST_P(SystemSetupSweep, EveryField) {
    const SystemSetupRecord base = SetupBaseline(GetParam());
    SystemSetupRecord record;
    RecordingMessages messages;
    SystemSetupForm form(record, messages);
    SystemSetupTexts& t = form.Texts();
    const SweepSubject subject =
        RecordSubject(record, base, form, messages, Block12Layout(), Block9Layout());
    const std::vector<int32_t> noValue = {};
    std::vector<SweepField> fields = {
        {"TF", "TF", Into(t["TF"]), 0, 9000},
        {"SFT", "SFT", Into(t["SFT"]), -5001, 5001},
        {"PSET", "PSET", Into(t["PSET"]), -500, 10500},
        {"BURN", "BURN", Into(t["BURN"]), -500, 10500},
        {"A01F", "AO1F", Into(t["A01F"]), -2500, 12500},
        {"A01B", "AO1B", Into(t["A01B"]), -2500, 12500},
        {"A02F", "AO2F", Into(t["A02F"]), -2500, 12500},
        {"A02B", "AO2B", Into(t["A02B"]), -2500, 12500},
        {"ENDT", "ENDT", Into(t["ENDT"]), 0, 5999},
        {"GS-T", "GS-T", Into(t["GS-T"]), 0, 5999},
        {"GS-H", "GS-H", Into(t["GS-H"]), 0, 5000},
        {"GS-L", "GS-L", Into(t["GS-L"]), 0, 5000},
        // Editable drop-downs: a text that is not in the list keeps the stored value.
        {"PVT", "PVT", Into(t["PVT"]), 0, 69, noValue, true},
        {"PVU", "PVU", Into(t["PVU"]), 0, 1, noValue, true},
        {"PVD", "PVD", Into(t["PVD"]), 0, 3, noValue, true},
        {"STM", "STM", Into(t["STM"]), 0, 1, noValue, true},
        {"A01R", "AO1R", Into(t["A01R"]), 0, 2, noValue, true},
        {"A01T", "AO1T", Into(t["A01T"]), 0, 2, noValue, true},
        {"A02R", "AO2R", Into(t["A02R"]), 0, 2, noValue, true},
        {"A02T", "AO2T", Into(t["A02T"]), 0, 2, noValue, true},
        {"TMU", "TMU", Into(t["TMU"]), 0, 1, noValue, true},
        {"TMDT", "TMDT", Into(t["TMDT"]), 0, 1, noValue, true},
        {"STN", "STN", Into(t["STN"]), 0, 31, noValue, true},
    };
    for (int k = 0; k < 4; ++k)
        fields.push_back({"AL" + std::to_string(k + 1) + "T", "EV-T" + std::to_string(k + 1),
                          Into(t[AlarmLabel(static_cast<size_t>(k))]), 0, 18});
    Sweep(subject, fields, HostileTexts());

    // PVF, PVB and CI take integers.
    Sweep(subject,
          {{"PVF", "PVF", Into(t["PVF"]), -999, 9999},
           {"PVB", "PVB", Into(t["PVB"]), -999, 9999},
           {"CI", "CI", Into(t["CI"]), 1, 120}},
          IntegerTexts());
}

INSTANTIATE_TEST_SUITE_P(Decimals, SystemSetupSweep, ::testing::Values(0, 1));

TEST(AdvancedSweep, EveryField) {
    const SystemSetupRecord setup = SetupBaseline(1);
    AdvancedRecord base;
    base.SV_H = 9000;
    base.SV_L = 250;
    base.DMV = 1230;
    base.A1HS = 125;
    base.A2HS = 250;
    base.A3HS = 375;
    base.A4HS = 500;
    base.DV_D = 1;
    base.MVLT = 3;
    base.WDIS = 1;
    base.SVMOD = 1;
    base.PID = 1;
    base.GAP = 17;
    base.MAX = -5;
    base.PP = 7;
    base.PI = 8;
    base.PD = 9;
    AdvancedRecord record;
    RecordingMessages messages;
    AdvancedForm form(record, setup, messages);
    AdvancedTexts& t = form.Texts();
    const SweepSubject subject =
        RecordSubject(record, base, form, messages, Block10Layout(), Block13Layout());
    std::vector<SweepField> fields = {
        {"SV-H", "SV-H", Into(t["SV-H"]), 0, 10000}, {"SV-L", "SV-L", Into(t["SV-L"]), 0, 10000},
        {"DMV", "DMV", Into(t["DMV"]), 0, 10500},    {"DVDV", "DV-D", Into(t["DVDV"]), 0, 1},
        {"TDS", "WDIS", Into(t["TDS"]), 0, 1},       {"ATSV", "SVMOD", Into(t["ATSV"]), 0, 1},
        {"PID", "PID", Into(t["PID"]), 0, 1},
    };
    for (int k = 0; k < 4; ++k) {
        const std::string name = "A" + std::to_string(k + 1) + "HS";
        fields.push_back({name, name, Into(t[name]), 0, 5001});
    }
    Sweep(subject, fields, HostileTexts());
}

const char* const kPidWords[] = {"P",   "I",    "D",    "GAP", "KNL",     "ARW",
                                 "MAN", "MV_H", "MV_L", "REV", "NO_USE1", "NO_USE2"};

TEST(PidGroupSweep, EveryField) {
    ParameterImage base;
    base.systemSetup = SetupBaseline(1);
    for (int g = 0; g < ParameterImage::kPidGroups; ++g) {
        PidGroupRecord& r = base.pid[static_cast<size_t>(g)];
        const int16_t values[] = {123, 2400, 456, 125, 250, 5000, 790, 9500, 250, 1, 77, 88};
        for (int w = 0; w < PidGroupRecord::kWords; ++w)
            r.SetSigned(w, static_cast<int16_t>(values[w] + g * 10 * (w != PidGroupRecord::REV)));
    }
    ParameterImage image;
    RecordingMessages messages;
    PidGroupForm form(image, messages);
    PidGroupTexts& t = form.Texts();
    const SweepSubject subject{[&] {
                                   image = base;
                                   form.SelectGroup(4);
                                   messages.Clear();
                               },
                               [&] { form.Store(); },
                               [&] {
                                   Snapshot s;
                                   for (int g = 0; g < ParameterImage::kPidGroups; ++g)
                                       for (int w = 0; w < PidGroupRecord::kWords; ++w)
                                           s["g" + std::to_string(g + 1) + "." + kPidWords[w]] =
                                               image.pid[static_cast<size_t>(g)].Signed(w);
                                   return s;
                               },
                               &messages};
    Sweep(subject,
          {{"P", "g5.P", Into(t["P"]), 0, 9999},
           {"D", "g5.D", Into(t["D"]), 0, 9999},
           {"KnL", "g5.KNL", Into(t["KnL"]), -19990, 32767},
           {"MAN", "g5.MAN", Into(t["MAN"]), -2500, 12500},
           {"MV-H", "g5.MV_H", Into(t["MV-H"]), -500, 10500},
           {"MV-L", "g5.MV_L", Into(t["MV-L"]), -500, 10500},
           {"GAP", "g5.GAP", Into(t["GAP"]), 0, 5001},
           {"Ar", "g5.ARW", Into(t["Ar"]), 0, 10000},
           {"REV", "g5.REV", Into(t["REV"]), 0, 1}},
          HostileTexts());
    Sweep(subject, {{"I", "g5.I", [&](const std::string& v) { t["I"] = v; }, 0, 32000}},
          IntegerTexts());
}

// A pattern whose every value survives show and store unchanged: with K 0 to 1200 and no
// decimals, multiples of 25 hundredths of a percent are whole degrees.
ProgramPatternRecord PatternBaseline() {
    ProgramPatternRecord p;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        SegmentRecord seg = p.Segment(s);
        seg.SetSV(static_cast<int16_t>(25 * (s + 3)));
        seg.SetTIME(static_cast<uint16_t>(1000 + s));
        for (int k = 1; k <= 4; ++k)
            seg.SetAlarm(k, static_cast<int16_t>(25 * (s + 10 * k)));
        for (int k = 1; k <= 6; ++k) {
            seg.SetTsOn(k, static_cast<uint16_t>(100 * k + s));
            seg.SetTsOff(k, static_cast<uint16_t>(100 * k + 50 + s));
        }
        seg.SetByte(seg::PIDNO, static_cast<uint8_t>(s % 9 + 1));
        seg.SetByte(seg::GSORK, static_cast<uint8_t>(s % 2));
        seg.SetByte(seg::GSTYP, static_cast<uint8_t>(s % 3));
        seg.SetByte(seg::PVST, 1);
        seg.SetByte(seg::CYCL, 5);
        seg.SetByte(seg::LINK, 2);
    }
    return p;
}

Snapshot PatternSnapshot(const PatternWorkingState& state) {
    Snapshot out;
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        const std::string p = "s" + std::to_string(s) + ".";
        const SegmentRecord seg = state.workingCopy.Segment(s);
        out[p + "SV"] = seg.SV();
        out[p + "TIME"] = seg.TIME();
        for (int k = 1; k <= 4; ++k)
            out[p + "ALM" + std::to_string(k)] = seg.Alarm(k);
        for (int k = 1; k <= 6; ++k) {
            out[p + "TS" + std::to_string(k) + "ON"] = seg.TsOn(k);
            out[p + "TS" + std::to_string(k) + "OF"] = seg.TsOff(k);
        }
        for (int b = seg::PIDNO; b <= seg::LINK; ++b)
            out[p + "byte" + std::to_string(b)] = seg.Byte(b);
        const char* const columns[] = {"PIDNO", "GSORK", "GSTYP", "PVST", "CYCL", "LINK"};
        for (int c = 0; c < SegmentByteTable::kColumns; ++c)
            out[p + columns[c]] =
                state.segmentBytes.At(s, static_cast<SegmentByteTable::Column>(c));
    }
    return out;
}

const int kSweptSegments[] = {1, 7, 20};

TEST(ProgramPatternSweep, EveryField) {
    ParameterImage image;
    image.systemSetup = SetupBaseline(0);
    image.systemSetup.TMU = 0;
    const ProgramPatternRecord base = PatternBaseline();
    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternForm form(image, messages, cursor);
    PatternFields& f = form.Fields();
    const SweepSubject subject{[&] {
                                   image.pattern[2] = base;
                                   form.SelectPattern(3);
                                   messages.Clear();
                               },
                               [&] { form.CollectPatternFields(); },
                               [&] { return PatternSnapshot(form.State()); }, &messages};
    std::vector<SweepField> fields = {
        {"PVSTART", "s1.PVST", Into(f.pvstart), 0, 1},
        {"CYCLIC", "s1.CYCL", [&](const std::string& v) { f.cyclic = ParseIntegerText(v); }, 0, 99},
        {"LINK", "s1.LINK", Into(f.link), 0, 9},
    };
    for (int s : kSweptSegments) {
        const std::string p = "s" + std::to_string(s) + ".";
        const size_t i = static_cast<size_t>(s - 1);
        fields.push_back({p + "SV", p + "SV", Into(f.sv[i]), -32768, 19999});
        fields.push_back({p + "TIME", p + "TIME", Into(f.time[i]), 0, 5999, {kTimeNotUsed}});
        fields.push_back({p + "ON", p + "TS1ON", Into(f.on[i]), 0, 5999, {kTimeNotUsed}});
        fields.push_back({p + "OFF", p + "TS1OF", Into(f.off[i]), 0, 5999, {kTimeNotUsed}});
    }
    // PVSTART, CYCLIC and LINK fill their column of every segment: only segment 1 is the
    // field's own slot, so those three are checked with a pattern whose other rows match.
    Sweep(subject, {fields.begin() + 3, fields.end()}, HostileTexts());
    for (const SweepField& setting : {fields[0], fields[1], fields[2]}) {
        for (const std::string& t : HostileTexts()) {
            subject.reset();
            setting.type(t);
            subject.store();
            const Snapshot after = subject.snapshot();
            const std::string column = setting.slot.substr(3);
            for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
                const int32_t v = after.at("s" + std::to_string(s) + "." + column);
                EXPECT_EQ(v, after.at(setting.slot)) << setting.name << " row " << s;
                EXPECT_TRUE(v >= setting.lo && v <= setting.hi) << setting.name << " " << v;
            }
        }
    }
}

TEST(PatternSubEditorSweep, AlarmValues) {
    SystemSetupRecord setup = SetupBaseline(0);
    const ProgramPatternRecord base = PatternBaseline();
    PatternWorkingState state;
    AlarmValuesForm form(state.workingCopy, setup);
    RecordingMessages messages;
    const SweepSubject subject{[&] {
                                   state.workingCopy = base;
                                   form.Show();
                                   messages.Clear();
                               },
                               [&] { form.Collect(messages); },
                               [&] { return PatternSnapshot(state); }, &messages};
    std::vector<SweepField> fields;
    for (int s : kSweptSegments)
        for (int k = 1; k <= 4; ++k) {
            const std::string slot = "s" + std::to_string(s) + ".ALM" + std::to_string(k);
            fields.push_back({slot, slot,
                              [&form, k, s](const std::string& v) { form.Text(k, s) = v; }, -32768,
                              19999});
        }
    Sweep(subject, fields, HostileTexts());
}

TEST(PatternSubEditorSweep, SegmentPidAndGuaranteedSoak) {
    PatternWorkingState state;
    SegmentPidForm pid(state.segmentBytes);
    GuaranteedSoakForm soak(state.segmentBytes);
    RecordingMessages messages;
    auto reset = [&] {
        ParameterImage image;
        image.pattern[0] = PatternBaseline();
        LoadPattern(image, 1, state);
        pid.Show();
        soak.Show();
        messages.Clear();
    };
    auto snapshot = [&] { return PatternSnapshot(state); };
    std::vector<SweepField> pidFields, soakFields;
    for (int s : kSweptSegments) {
        const std::string p = "s" + std::to_string(s) + ".";
        pidFields.push_back(
            {p + "PIDNO", p + "PIDNO", [&pid, s](const std::string& v) { pid.Text(s) = v; }, 1, 9});
        soakFields.push_back({p + "GSORK", p + "GSORK",
                              [&soak, s](const std::string& v) { soak.OnOffText(s) = v; }, 0, 1});
        soakFields.push_back({p + "GSTYP", p + "GSTYP",
                              [&soak, s](const std::string& v) { soak.TypeText(s) = v; }, 0, 2});
    }
    Sweep({reset, [&] { pid.Collect(messages); }, snapshot, &messages}, pidFields, HostileTexts());
    Sweep({reset, [&] { soak.Collect(messages); }, snapshot, &messages}, soakFields,
          HostileTexts());
}

} // namespace

// Show, then store without edits, over random images with hostile values: a value moves
// only where its field shows it coarser than it is stored, and then only to a value that
// shows the same text; every shown text is the same after the second show.
namespace {

struct Hostile {
    std::mt19937 rng;
    int In(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    int16_t Word() {
        static const int16_t special[] = {-32768, -1, 0, 5999, 6000, 10000, 19999, 20000, 32767};
        switch (In(0, 3)) {
        case 0:
            return static_cast<int16_t>(In(0, 10000));
        case 1:
            return static_cast<int16_t>(In(-32768, 32767));
        case 2:
            return special[In(0, 8)];
        default:
            return static_cast<int16_t>(In(0, 5999));
        }
    }
    uint8_t Byte() { return static_cast<uint8_t>(In(0, 1) ? In(0, 3) : In(0, 255)); }
    SystemSetupRecord Setup() {
        SystemSetupRecord r;
        for (const Layout& layout : {Block12Layout(), Block9Layout()})
            for (const ParameterRow* b : layout)
                SetRawValue(r, *b, b->Bytes() == 2 ? static_cast<uint16_t>(Word()) : Byte());
        r.PVT =
            static_cast<uint8_t>(In(0, 4) ? InputTypeCodeAt(In(0, InputTypeCount() - 1)) : Byte());
        r.PVU = static_cast<uint8_t>(In(0, 5) ? In(0, 1) : Byte());
        r.PVD = static_cast<uint8_t>(In(0, 5) ? In(0, 3) : Byte());
        r.PVF = static_cast<int16_t>(In(0, 3) ? In(-999, 9999) : Word());
        r.PVB = static_cast<int16_t>(In(0, 5) ? In(-999, 9999) : r.PVF);
        return r;
    }
};

// Whether range values of this setup are shown coarser than they are stored.
bool RangeIsCoarse(const SystemSetupRecord& setup) {
    const InputRange range = SelectInputRange(setup);
    const double lastDigits = range.dc ? 1.0 : std::pow(10.0, range.decimals);
    return std::abs(range.span) / 10000.0 * lastDigits <= 1.0;
}

struct Property {
    std::function<void()> show, store;
    std::function<std::vector<std::string>()> texts;
    std::function<Snapshot()> snapshot;
};

void CheckUntouched(const Property& p, const std::set<std::string>& coarse,
                    const std::string& where) {
    p.show();
    const std::vector<std::string> shown = p.texts();
    const Snapshot before = p.snapshot();
    p.store();
    const Snapshot after = p.snapshot();
    p.show();
    EXPECT_EQ(p.texts(), shown) << where;
    for (const auto& [slot, value] : before) {
        if (after.at(slot) != value) {
            EXPECT_EQ(coarse.count(slot), 1u)
                << where << " " << slot << " " << value << " -> " << after.at(slot);
        }
    }
}

constexpr int kImages = 1500;

TEST(UntouchedSweep, GroupEditors) {
    Hostile h{std::mt19937(18)};
    for (int i = 0; i < kImages; ++i) {
        const std::string where = "image " + std::to_string(i);
        ParameterImage image;
        image.systemSetup = h.Setup();
        for (const Layout& layout : {Block10Layout(), Block13Layout()})
            for (const ParameterRow* b : layout)
                SetRawValue(image.advanced, *b,
                            b->Bytes() == 2 ? static_cast<uint16_t>(h.Word()) : h.Byte());
        for (auto& g : image.pid)
            for (int w = 0; w < PidGroupRecord::kWords; ++w)
                g.SetSigned(w, h.Word());
        const bool range = RangeIsCoarse(image.systemSetup);
        RecordingMessages messages;

        SystemSetupForm setup(image.systemSetup, messages);
        std::set<std::string> coarse = {"PSET", "BURN"};
        if (range)
            coarse.insert({"SFT", "GS-H", "GS-L"});
        for (const auto& [t, f, b] : {std::tuple{image.systemSetup.AO1T, "AO1F", "AO1B"},
                                      std::tuple{image.systemSetup.AO2T, "AO2F", "AO2B"}})
            if (t == 2 || range)
                coarse.insert({f, b});
        CheckUntouched({[&] { setup.Show(); }, [&] { setup.Store(); },
                        [&] {
                            const SystemSetupTexts& t = setup.Texts();
                            std::vector<std::string> v = {
                                t["PVT"],  t["PVU"],  t["PVD"],  t["TF"],   t["SFT"],  t["PSET"],
                                t["BURN"], t["A01T"], t["A01R"], t["A01F"], t["A01B"], t["A02T"],
                                t["A02R"], t["A02F"], t["A02B"], t["TMU"],  t["TMDT"], t["STM"],
                                t["ENDT"], t["GS-H"], t["GS-L"], t["GS-T"], t["STN"]};
                            for (size_t k = 0; k < 4; ++k)
                                v.push_back(t[AlarmLabel(k)]);
                            for (const char* n : {"PVF", "PVB", "CI"})
                                v.push_back(t[n]);
                            return v;
                        },
                        [&] {
                            Snapshot s;
                            AddLayout(Block12Layout(), image.systemSetup, s);
                            AddLayout(Block9Layout(), image.systemSetup, s);
                            return s;
                        }},
                       coarse, where + " setup");

        AdvancedForm advanced(image.advanced, image.systemSetup, messages);
        coarse = {"DMV"};
        if (range)
            coarse.insert({"SV-H", "SV-L", "A1HS", "A2HS", "A3HS", "A4HS"});
        CheckUntouched({[&] { advanced.Show(); }, [&] { advanced.Store(); },
                        [&] {
                            std::vector<std::string> v;
                            for (const ParameterRow* row : AdvancedShownRows())
                                v.push_back(advanced.Texts().At(row->Label()));
                            return v;
                        },
                        [&] {
                            Snapshot s;
                            AddLayout(Block10Layout(), image.advanced, s);
                            AddLayout(Block13Layout(), image.advanced, s);
                            return s;
                        }},
                       coarse, where + " advanced");

        PidGroupForm pid(image, messages);
        const int g = i % ParameterImage::kPidGroups;
        coarse = {"I", "KNL", "MAN", "MV_H", "MV_L"};
        if (range)
            coarse.insert({"GAP", "ARW"});
        CheckUntouched({[&] { pid.SelectGroup(g); }, [&] { pid.Store(); },
                        [&] {
                            const PidGroupTexts& t = pid.Texts();
                            return std::vector<std::string>{
                                t["P"],   t["D"],    t["GAP"],  t["KnL"], t["Ar"],
                                t["MAN"], t["MV-H"], t["MV-L"], t["REV"], t["I"]};
                        },
                        [&] {
                            Snapshot s;
                            for (int w = 0; w < PidGroupRecord::kWords; ++w)
                                s[kPidWords[w]] = image.pid[static_cast<size_t>(g)].Signed(w);
                            return s;
                        }},
                       coarse, where + " PID group " + std::to_string(g + 1));
    }
}

TEST(UntouchedSweep, PatternEditorAndSubEditors) {
    Hostile h{std::mt19937(1996)};
    for (int i = 0; i < kImages; ++i) {
        const std::string where = "image " + std::to_string(i);
        ParameterImage image;
        image.systemSetup = h.Setup();
        const int n = i % ParameterImage::kPatterns + 1;
        ProgramPatternRecord& p = image.pattern[static_cast<size_t>(n - 1)];
        for (size_t b = 0; b < p.bytes.size(); b += 2) {
            const uint16_t w = static_cast<uint16_t>(h.Word());
            p.bytes[b] = static_cast<uint8_t>(w);
            p.bytes[b + 1] = static_cast<uint8_t>(w >> 8);
        }
        for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
            for (int b = seg::PIDNO; b <= seg::LINK; ++b)
                p.Segment(s).SetByte(b, h.In(0, 2) ? static_cast<uint8_t>(h.In(0, 9)) : h.Byte());
        std::set<std::string> coarse;
        if (RangeIsCoarse(image.systemSetup))
            for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
                coarse.insert("s" + std::to_string(s) + ".SV");
                for (int k = 1; k <= 4; ++k)
                    coarse.insert("s" + std::to_string(s) + ".ALM" + std::to_string(k));
            }
        RecordingMessages messages;
        NoCursor cursor;
        ProgramPatternForm form(image, messages, cursor);
        form.SelectPattern(n);
        PatternWorkingState& state = form.State();
        const auto snapshot = [&] { return PatternSnapshot(state); };
        CheckUntouched({[&] { form.ShowPatternFields(); }, [&] { form.CollectPatternFields(); },
                        [&] {
                            const PatternFields& f = form.Fields();
                            std::vector<std::string> v = {f.pvstart, IntegerText(f.cyclic), f.link};
                            for (const auto* row : {&f.sv, &f.time, &f.on, &f.off})
                                v.insert(v.end(), row->begin(), row->end());
                            return v;
                        },
                        snapshot},
                       coarse, where + " pattern");
        AlarmValuesForm alarms(state.workingCopy, image.systemSetup);
        CheckUntouched({[&] { alarms.Show(); }, [&] { alarms.Collect(messages); },
                        [&] {
                            std::vector<std::string> v;
                            for (int k = 1; k <= 4; ++k)
                                for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
                                    v.push_back(alarms.Text(k, s));
                            return v;
                        },
                        snapshot},
                       coarse, where + " alarm values");
        SegmentPidForm pidNo(state.segmentBytes);
        GuaranteedSoakForm soak(state.segmentBytes);
        CheckUntouched({[&] { pidNo.Show(); }, [&] { pidNo.Collect(messages); },
                        [&] {
                            std::vector<std::string> v;
                            for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
                                v.push_back(pidNo.Text(s));
                            return v;
                        },
                        snapshot},
                       {}, where + " PID numbers");
        CheckUntouched({[&] { soak.Show(); }, [&] { soak.Collect(messages); },
                        [&] {
                            std::vector<std::string> v;
                            for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
                                v.insert(v.end(), {soak.OnOffText(s), soak.TypeText(s)});
                            return v;
                        },
                        snapshot},
                       {}, where + " guaranteed soak");
    }
}

} // namespace

// SEND without typing, through the recording simulated controller: each editor writes
// back exactly the bytes RETRIEVE read, except inside fields shown coarser than stored.
TEST(UntouchedSweep, SendWritesBackWhatRetrieveRead) {
    SimulatedController controller;
    ScopedLinkBackend link(controller);
    std::mt19937 rng(961114);
    uint8_t* memory = controller.Memory().Data();
    for (int i = 0; i < 200; ++i) {
        for (size_t a = 0; a < 0x10000; ++a)
            memory[a] = static_cast<uint8_t>(rng());
        std::uniform_int_distribution<int> pick(0, InputTypeCount() - 1);
        if (i % 5)
            memory[0x0C01] = static_cast<uint8_t>(InputTypeCodeAt(pick(rng))); // PVT
        memory[0x0C02] = static_cast<uint8_t>(i % 7 ? i % 2 : 200);            // PVU
        memory[0x0C03] = static_cast<uint8_t>(i % 9 ? i % 4 : 9);              // PVD
        memory[0x0A10] = 0;                                                    // WDIS
        ParameterImage image;
        RecordingMessages messages;
        NoCursor cursor;
        SystemSetupForm setup(image.systemSetup, messages);
        AdvancedForm advanced(image.advanced, image.systemSetup, messages);
        PidGroupForm pid(image, messages);
        ProgramPatternForm pattern(image, messages, cursor);
        setup.Retrieve(cursor);
        advanced.Retrieve(cursor);
        for (int g = 0; g < ParameterImage::kPidGroups; ++g) {
            pid.SelectGroup(g);
            pid.Retrieve(cursor);
        }
        const int n = i % ParameterImage::kPatterns + 1;
        pattern.Open();
        pattern.SelectPattern(n);
        pattern.Retrieve();
        const std::vector<uint8_t> before(memory, memory + 0x10000);

        // The bytes of the fields a window shows coarser than it stores.
        std::vector<bool> coarse(0x10000, false);
        const auto mark = [&](uint32_t address, int width) {
            for (int b = 0; b < width; ++b)
                coarse[address + static_cast<uint32_t>(b)] = true;
        };
        const bool range = RangeIsCoarse(image.systemSetup);
        const auto markLayout = [&](const auto& layout, uint32_t block,
                                    const std::set<std::string>& names) {
            for (const ParameterRow* b : layout)
                if (names.count(b->mnemonic))
                    mark(0x100 * block + static_cast<uint32_t>(b->offset), b->Bytes());
        };
        std::set<std::string> names = {"PSET", "BURN", "AO2F", "AO2B", "AO1F", "AO1B"};
        if (range)
            names.insert({"SFT", "GS-H", "GS-L"});
        markLayout(Block12Layout(), 12, names);
        markLayout(Block9Layout(), 9, names);
        names = {"DMV"};
        if (range)
            names.insert({"SV-H", "SV-L", "A1HS", "A2HS", "A3HS", "A4HS"});
        markLayout(Block10Layout(), 10, names);
        const int g = i % ParameterImage::kPidGroups;
        for (int w :
             {PidGroupRecord::I, PidGroupRecord::KNL, PidGroupRecord::MAN, PidGroupRecord::MV_H,
              PidGroupRecord::MV_L, PidGroupRecord::GAP, PidGroupRecord::ARW})
            if (range || (w != PidGroupRecord::GAP && w != PidGroupRecord::ARW))
                mark(0x100 * static_cast<uint32_t>(PidGroupForm::BlockOf(g)) +
                         2 * static_cast<uint32_t>(w),
                     2);
        if (range)
            for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s)
                mark(0xC000 + 840 * static_cast<uint32_t>(n - 1) +
                         static_cast<uint32_t>(SegmentRecord::kBytes * (s - 1) + seg::SV),
                     2);

        setup.Send(cursor);
        advanced.Send(cursor);
        pid.SelectGroup(g);
        pid.Send(cursor);
        pattern.Send();
        ASSERT_TRUE(std::any_of(controller.Calls().begin(), controller.Calls().end(),
                                [](const LinkCall& c) { return c.write && c.ok; }));
        for (uint32_t a = 0; a < 0x10000; ++a)
            if (memory[a] != before[a] && !coarse[a])
                ADD_FAILURE() << "image " << i << " block byte 0x" << std::hex << a << " "
                              << int(before[a]) << " -> " << int(memory[a]);
        controller.ClearCalls();
    }
}
