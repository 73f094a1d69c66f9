#include "editors/program_pattern_form.h"
#include "simulator/simulated_controller.h"
#include "support/first_lines.h"
#include "transfers/pattern_transfers.h"
#include "values/conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
constexpr int kSegments = ProgramPatternRecord::kSegments;

// An image on "K 0 to 400 degree C" without decimals, hours and minutes: 25 stored
// units per degree.
struct Editor {
    Editor() {
        SetStartValues(image);
        image.systemSetup.PVT = 34;
        for (int n = 1; n <= ParameterImage::kPatterns; ++n)
            for (int s = 1; s <= kSegments; ++s) {
                SegmentRecord segment = image.pattern[n - 1].Segment(s);
                segment.SetSV(static_cast<int16_t>(100 * n + s));
                segment.SetTIME(static_cast<uint16_t>(60 + s));
                for (int k = 1; k <= 6; ++k) {
                    segment.SetTsOn(k, static_cast<uint16_t>(k));
                    segment.SetTsOff(k, static_cast<uint16_t>(10 * k));
                }
                segment.SetByte(seg::PVST, 1);
                segment.SetByte(seg::CYCL, 5);
                segment.SetByte(seg::LINK, 2);
            }
    }
    void GiveTimeSignalOption() { image.modelCode[8] = 'T'; }
    SegmentRecord Stored(int n, int s) { return image.pattern[n - 1].Segment(s); }

    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternForm form{image, messages, cursor};
};

TEST(ParsePatternTime, TakesTheFirstAndLastTwoCharacters) {
    const struct {
        const char* text;
        uint16_t expected;
        bool refused;
    } cases[] = {
        {"1:30", 90, false},    {"01:30", 90, false},  {"130", 810, false},
        {"5", 305, false},      {"", 0, false},        {"100:00", 600, false},
        {"99:59", 5999, false}, {"00:00", 0, false},   {"----", 0x8000, false},
        {"99:60", 1234, true},  {"-1:00", 1234, true}, {"12:-5", 1234, true},
        {"xx:yy", 1234, true}, // only digits and one colon are read as a time
    };
    for (const auto& c : cases) {
        RecordingMessages messages;
        EXPECT_EQ(ParsePatternTime(c.text, 1234, messages), c.expected) << c.text;
        EXPECT_EQ(FirstLines(messages), c.refused ? Texts{"Parameter TM is wrong."} : Texts{})
            << c.text;
    }
}

TEST(ParseIntegerText, AcceptsIntegersOnly) {
    const struct {
        const char* text;
        std::optional<int32_t> expected;
    } cases[] = {{"0", 0},
                 {"99", 99},
                 {" 7 ", 7},
                 {"-1", -1},
                 {"+3", 3},
                 {"", std::nullopt},
                 {"-", std::nullopt},
                 {"1.5", std::nullopt},
                 {"12a", std::nullopt},
                 {"9999999999", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseIntegerText(c.text), c.expected) << c.text;
}

TEST(ProgramPatternForm, OpensOnPatternOneAndTimeSignalOne) {
    Editor e;
    e.GiveTimeSignalOption();
    e.form.Open();
    e.form.SelectPattern(4);
    ASSERT_TRUE(e.form.SelectTimeSignal(6));
    e.form.Open();
    EXPECT_EQ(e.form.SelectedPattern(), 1);
    EXPECT_EQ(e.form.SelectedTimeSignal(), 1);
    EXPECT_EQ(e.form.State().workingCopy, e.image.pattern[0]);
    const PatternFields& f = e.form.Fields();
    EXPECT_EQ(f.time[0], "01:01");
    EXPECT_EQ(f.on[0], "00:01"); // time signal 1
    EXPECT_EQ(f.off[0], "00:10");
    EXPECT_EQ(f.pvstart, "YES");
    EXPECT_EQ(f.cyclic, 5);
    EXPECT_EQ(f.link, "2");
    EXPECT_EQ(e.form.RangeBox(), "K 0 to 400 degree C");
    EXPECT_EQ(e.form.DecimalBox(), "No decimal position");
    EXPECT_EQ(e.form.TimeUnitBox(), "Hour. Minute");
    EXPECT_TRUE(e.messages.Texts().empty());
}

TEST(ProgramPatternForm, StartValuesShowNoValueInSegmentOne) {
    ParameterImage image;
    SetStartValues(image);
    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternForm form(image, messages, cursor);
    form.Open();
    EXPECT_EQ(form.Fields().sv[0], "----");
    EXPECT_EQ(form.Fields().sv[1], "0");
    EXPECT_EQ(form.Fields().pvstart, "NO");
    EXPECT_EQ(form.Fields().link, "OFF");
}

TEST(ProgramPatternForm, BadSettingsLeaveTheirBoxEmptyAndSaySo) {
    const struct {
        const char* name;
        uint8_t pvu, pvd, tmu;
        Texts expected;
    } cases[] = {
        {"all good", 1, 3, 1, {}},
        {"PVU", 2, 0, 0, {"Parameter PVU is wrong"}},
        {"PVD", 0, 4, 0, {"Parameter PVD is wrong"}},
        {"TMU", 0, 0, 2, {"Parameter TMU is wrong"}},
        {"all three, in order",
         9,
         9,
         9,
         {"Parameter PVU is wrong", "Parameter PVD is wrong", "Parameter TMU is wrong"}},
    };
    for (const auto& c : cases) {
        Editor e;
        e.image.systemSetup.PVU = c.pvu;
        e.image.systemSetup.PVD = c.pvd;
        e.image.systemSetup.TMU = c.tmu;
        e.form.Open();
        EXPECT_EQ(e.messages.Texts(), c.expected) << c.name;
        EXPECT_EQ(e.form.RangeBox().empty(), c.pvu > 1) << c.name;
        EXPECT_EQ(e.form.DecimalBox().empty(), c.pvd > 3) << c.name;
        EXPECT_EQ(e.form.TimeUnitBox().empty(), c.tmu > 1) << c.name;
    }
    Editor f;
    f.image.systemSetup.PVU = 1;
    f.image.systemSetup.PVD = 3;
    f.image.systemSetup.TMU = 1;
    f.form.Open();
    EXPECT_EQ(f.form.RangeBox(), "K 32 to 752 degree F");
    EXPECT_EQ(f.form.DecimalBox(), "0.1"); // a sensor at PVD 3 takes one decimal
    EXPECT_EQ(f.form.TimeUnitBox(), "Minute. Second");
}

TEST(ProgramPatternForm, OkStoresTimesAndSetValues) {
    const struct {
        const char* name;
        std::string text;
        bool sv; // typed into SV 5 instead of TIME 5
        uint16_t stored;
        std::string shownBack;
        Texts messages;
    } cases[] = {
        {"time 1:30", "1:30", false, 90, "01:30", {}},
        {"time 130", "130", false, 810, "13:30", {}},
        {"time 5", "5", false, 305, "05:05", {}},
        {"time empty", "", false, 0, "00:00", {}},
        {"time 100:00", "100:00", false, 600, "10:00", {}},
        {"time ----", "----", false, 0x8000, "----", {}},
        {"time 99:60", "99:60", false, 65, "01:05", {"Parameter TM is wrong."}},
        {"time -1:00", "-1:00", false, 65, "01:05", {"Parameter TM is wrong."}},
        {"sv 100", "100", true, 2500, "100", {}},
        {"sv ----", "----", true, 0x8000, "----", {}},
        // The Range box is only a guide: above its top is stored without a message.
        {"sv 700", "700", true, 17500, "700", {}},
        {"sv decimals", "12.5", true, 105, "4", {"Input no decimal position data"}},
    };
    for (const auto& c : cases) {
        Editor e;
        e.form.Open();
        (c.sv ? e.form.Fields().sv : e.form.Fields().time)[4] = c.text;
        e.form.Ok();
        EXPECT_EQ(FirstLines(e.messages), c.messages) << c.name;
        const SegmentRecord stored = e.Stored(1, 5);
        EXPECT_EQ(c.sv ? static_cast<uint16_t>(stored.SV()) : stored.TIME(), c.stored) << c.name;
        e.form.ShowPatternFields();
        EXPECT_EQ((c.sv ? e.form.Fields().sv : e.form.Fields().time)[4], c.shownBack) << c.name;
    }
}

TEST(ProgramPatternForm, OkStoresOnlyTheSelectedTimeSignal) {
    Editor e;
    e.form.Open();
    ASSERT_TRUE(e.form.SelectTimeSignal(3));
    e.form.Fields().on[19] = "----";
    e.form.Fields().off[19] = "2:00";
    e.form.Fields().on[0] = "99:99";
    e.form.Ok();
    EXPECT_EQ(FirstLines(e.messages), Texts{"Parameter TM is wrong."});
    EXPECT_EQ(e.Stored(1, 20).TsOn(3), 0x8000);
    EXPECT_EQ(e.Stored(1, 20).TsOff(3), 120);
    EXPECT_EQ(e.Stored(1, 1).TsOn(3), 3);
    for (int k : {1, 2, 4, 5, 6}) {
        EXPECT_EQ(e.Stored(1, 20).TsOn(k), k);
        EXPECT_EQ(e.Stored(1, 20).TsOff(k), 10 * k);
    }
    // Nothing but pattern 1 changed.
    Editor untouched;
    for (int n = 2; n <= ParameterImage::kPatterns; ++n)
        EXPECT_EQ(e.image.pattern[n - 1], untouched.image.pattern[n - 1]);
}

TEST(ProgramPatternForm, PatternSettingsStopAtTheFirstWrongOne) {
    const struct {
        const char* name;
        std::string pvstart;
        std::optional<int32_t> cyclic;
        std::string link;
        Texts messages;
        uint8_t pvst, cycl, link_; // stored afterwards in every segment
    } cases[] = {
        {"all accepted", "NO", 99, "OFF", {}, 0, 99, 0},
        {"link 9", "YES", 0, "9", {}, 1, 0, 9},
        {"pvstart none", "NONE", 7, "3", {"PVSTART is wrong"}, 1, 5, 2},
        {"pvstart lower case", "yes", 7, "3", {"PVSTART is wrong"}, 1, 5, 2},
        {"cycle 100", "NO", 100, "3", {"CYCLE is wrong."}, 0, 5, 2},
        {"cycle -1", "NO", -1, "3", {"CYCLE is wrong."}, 0, 5, 2},
        {"cycle not an integer", "NO", std::nullopt, "3", {"CYCLE is wrong."}, 0, 5, 2},
        {"link 0", "NO", 8, "0", {"LINK is wrong."}, 0, 8, 2},
        {"link 10", "NO", 8, "10", {"LINK is wrong."}, 0, 8, 2},
        {"link off", "NO", 8, "off", {"LINK is wrong."}, 0, 8, 2},
    };
    for (const auto& c : cases) {
        Editor e;
        e.form.Open();
        e.form.Fields().pvstart = c.pvstart;
        e.form.Fields().cyclic = c.cyclic;
        e.form.Fields().link = c.link;
        e.form.Ok();
        EXPECT_EQ(FirstLines(e.messages), c.messages) << c.name;
        for (int s = 1; s <= kSegments; ++s) {
            EXPECT_EQ(e.Stored(1, s).Byte(seg::PVST), c.pvst) << c.name << " segment " << s;
            EXPECT_EQ(e.Stored(1, s).Byte(seg::CYCL), c.cycl) << c.name << " segment " << s;
            EXPECT_EQ(e.Stored(1, s).Byte(seg::LINK), c.link_) << c.name << " segment " << s;
        }
    }
}

TEST(ProgramPatternForm, UnknownPvStartShowsNoneAndOkStillStoresTheRest) {
    Editor e;
    for (int s = 1; s <= kSegments; ++s)
        e.image.pattern[0].Segment(s).SetByte(seg::PVST, 2);
    e.form.Open();
    EXPECT_EQ(e.form.Fields().pvstart, "NONE");
    e.form.Fields().sv[0] = "200";
    e.form.Fields().time[0] = "2:00";
    e.form.Fields().on[0] = "0:30";
    e.form.Fields().cyclic = 9;
    e.form.Fields().link = "OFF";
    e.form.Ok();
    EXPECT_EQ(FirstLines(e.messages), Texts{"PVSTART is wrong"});
    EXPECT_EQ(e.Stored(1, 1).SV(), 5000);
    EXPECT_EQ(e.Stored(1, 1).TIME(), 120);
    EXPECT_EQ(e.Stored(1, 1).TsOn(1), 30);
    EXPECT_EQ(e.Stored(1, 1).Byte(seg::PVST), 2);
    EXPECT_EQ(e.Stored(1, 1).Byte(seg::CYCL), 5);
    EXPECT_EQ(e.Stored(1, 1).Byte(seg::LINK), 2);
}

TEST(ProgramPatternForm, StoredLinkAboveNineIsShownAndRefusedNotChanged) {
    Editor e;
    e.image.pattern[0].Segment(1).SetByte(seg::LINK, 12);
    e.form.Open();
    EXPECT_EQ(e.form.Fields().link, "12");
    e.form.Ok();
    EXPECT_EQ(FirstLines(e.messages), Texts{"LINK is wrong."});
    EXPECT_EQ(e.Stored(1, 1).Byte(seg::LINK), 12);
    EXPECT_EQ(e.Stored(1, 2).Byte(seg::LINK), 2);
}

TEST(ProgramPatternForm, SelectingAPatternOrTimeSignalDiscardsEdits) {
    Editor e;
    e.form.Open();
    e.form.Fields().sv[4] = "300";
    e.form.State().segmentBytes.At(3, SegmentByteTable::PIDNO) = 7; // a sub-editor's change
    e.form.SelectPattern(2);
    EXPECT_EQ(e.form.SelectedPattern(), 2);
    EXPECT_EQ(e.form.State().workingCopy, e.image.pattern[1]);
    e.form.SelectPattern(1);
    EXPECT_EQ(e.form.Fields().sv[4], FormatRangeValue(SelectInputRange(e.image.systemSetup), 105));
    EXPECT_EQ(e.form.State().segmentBytes.At(3, SegmentByteTable::PIDNO), 0);

    // A time-signal button reloads the selected pattern, and keeps the pattern selected.
    e.form.SelectPattern(6);
    e.form.Fields().time[0] = "9:99";
    e.form.State().workingCopy.Segment(1).SetAlarm(1, 77);
    ASSERT_TRUE(e.form.SelectTimeSignal(4));
    EXPECT_EQ(e.form.SelectedPattern(), 6);
    EXPECT_EQ(e.form.State().workingCopy, e.image.pattern[5]);
    EXPECT_EQ(e.form.Fields().time[0], "01:01");
    EXPECT_EQ(e.form.Fields().on[0], "00:04");
    EXPECT_EQ(e.form.Fields().off[0], "00:40");
    // The time-signal selection survives a pattern change.
    e.form.SelectPattern(2);
    EXPECT_EQ(e.form.SelectedTimeSignal(), 4);
    EXPECT_EQ(e.form.Fields().on[0], "00:04");
    EXPECT_TRUE(e.messages.Texts().empty());
    EXPECT_EQ(e.cursor.Depth(), 0);
}

TEST(ProgramPatternForm, TimeSignalsFiveAndSixNeedTheOption) {
    for (int k : {5, 6}) {
        Editor e;
        e.form.Open();
        ASSERT_TRUE(e.form.SelectTimeSignal(2));
        e.form.Fields().on[0] = "edited";
        EXPECT_FALSE(e.form.SelectTimeSignal(k));
        EXPECT_EQ(e.messages.Texts(), Texts{"TQX has no option."});
        EXPECT_EQ(e.form.SelectedTimeSignal(), 2);
        EXPECT_EQ(e.form.Fields().on[0], "edited"); // nothing else happened

        e.GiveTimeSignalOption();
        EXPECT_TRUE(e.form.SelectTimeSignal(k));
        EXPECT_EQ(e.form.SelectedTimeSignal(), k);
        EXPECT_EQ(e.form.Fields().on[0], FormatTime(k));
    }
}

// SEND and RETRIEVE against the in-process controller.
struct Linked : Editor {
    SimulatedController controller;
    ScopedLinkBackend backend{controller};
};

TEST(PatternTransfers, SendWritesSevenPiecesToTheSecondBlock) {
    Linked e;
    e.form.Open();
    e.form.SelectPattern(3);
    e.form.Fields().sv[4] = "200";
    e.form.Send();
    EXPECT_TRUE(e.messages.Texts().empty());
    const int32_t expected[] = {0xC690, 0xC70E, 0xC78C, 0xC80A, 0xC888, 0xC906, 0xC984};
    const auto& calls = e.controller.Calls();
    ASSERT_EQ(calls.size(), 7u);
    for (size_t k = 0; k < calls.size(); ++k) {
        EXPECT_EQ(calls[k].mode, 12);
        EXPECT_EQ(calls[k].block, 25);
        EXPECT_EQ(calls[k].offset, expected[k]) << k;
        EXPECT_EQ(calls[k].length, k < 6 ? 126 : 84) << k;
        EXPECT_TRUE(calls[k].write && calls[k].ok) << k;
    }
    EXPECT_EQ(e.Stored(3, 5).SV(), 5000);
    EXPECT_EQ(std::memcmp(e.controller.Memory().Data() + 0xC690, e.image.pattern[2].bytes.data(),
                          ProgramPatternRecord::kBytes),
              0);
    EXPECT_EQ(e.cursor.Depth(), 0);
}

TEST(PatternTransfers, EveryFailedCallShowsItsOwnMessageAndTheRestRun) {
    const struct {
        const char* name;
        bool send;
        std::vector<int> failing; // call indices
        Texts messages;
    } cases[] = {
        {"send 2 and 6", true, {1, 5}, {"falseSEND2", "falseSEND6"}},
        {"send all",
         true,
         {0, 1, 2, 3, 4, 5, 6},
         {"falseSEND1", "falseSEND2", "falseSEND3", "falseSEND4", "falseSEND5", "falseSEND6",
          "falseSEND7"}},
        {"retrieve 1 and 4", false, {0, 3}, {"false Retrieve1", "false Retrieve4"}},
        {"retrieve 2", false, {1}, {"false Retrieve2"}},
    };
    for (const auto& c : cases) {
        Linked e;
        const std::vector<int> failing = c.failing;
        e.controller.FailCalls([failing](const LinkCall&, int index) {
            return std::find(failing.begin(), failing.end(), index) != failing.end();
        });
        TransferContext link;
        const int failures =
            static_cast<int>((c.send ? SendPattern(link, e.image, 2, e.messages)
                                     : RetrievePattern(link, e.image, 2, e.messages))
                                 .failed.size());
        EXPECT_EQ(failures, static_cast<int>(failing.size())) << c.name;
        // The editor's own text, then the link's reason on the next line.
        Texts firstLines;
        for (const std::string& text : e.messages.Texts()) {
            firstLines.push_back(text.substr(0, text.find('\n')));
            EXPECT_EQ(text.substr(text.find('\n') + 1),
                      "Port 1 (simulated controller): no answer within 500 ms.");
        }
        EXPECT_EQ(firstLines, c.messages) << c.name;
        EXPECT_EQ(e.controller.Calls().size(), c.send ? 7u : 4u) << c.name;
    }
}

TEST(PatternTransfers, RetrieveFillsTheRecordAndShowsIt) {
    Linked e;
    // The controller's pattern 4: byte i of the record holds i mod 251, segment 1 has SV
    // 5000 (200 degrees) and TIME 90.
    uint8_t* memory = e.controller.Memory().Data() + PatternAddress(4);
    for (int i = 0; i < ProgramPatternRecord::kBytes; ++i)
        memory[i] = static_cast<uint8_t>(i % 251);
    le::PutI16(memory + seg::SV, 5000);
    le::Put16(memory + seg::TIME, 90);
    e.form.Open();
    e.form.SelectPattern(4);
    e.form.Fields().sv[0] = "typed";
    e.form.Retrieve();
    EXPECT_TRUE(e.messages.Texts().empty());
    EXPECT_EQ(std::memcmp(e.image.pattern[3].bytes.data(), memory, ProgramPatternRecord::kBytes),
              0);
    EXPECT_EQ(e.form.State().workingCopy, e.image.pattern[3]);
    EXPECT_EQ(e.form.Fields().sv[0], "200");
    EXPECT_EQ(e.form.Fields().time[0], "01:30");
    const struct {
        int block, offset, length;
    } reads[] = {{26, 0, 126}, {26, 252, 84}, {27, 0, 126}, {27, 252, 84}};
    const auto& calls = e.controller.Calls();
    ASSERT_EQ(calls.size(), 4u);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(calls[k].mode, 17);
        EXPECT_FALSE(calls[k].write);
        EXPECT_EQ(calls[k].block, reads[k].block) << k;
        EXPECT_EQ(calls[k].offset, reads[k].offset) << k;
        EXPECT_EQ(calls[k].length, reads[k].length) << k;
    }
    EXPECT_EQ(e.cursor.Depth(), 0);
}

TEST(PatternTransfers, AFailedReadLeavesItsPartOfTheRecord) {
    Linked e;
    std::memset(e.controller.Memory().Data() + PatternAddress(1), 0xAB,
                ProgramPatternRecord::kBytes);
    const ProgramPatternRecord before = e.image.pattern[0];
    e.controller.FailCalls([](const LinkCall&, int index) { return index == 1; });
    e.form.Open();
    e.form.Retrieve();
    EXPECT_EQ(e.messages.Texts(),
              Texts{"false Retrieve2\nPort 1 (simulated controller): no answer within 500 ms."});
    const auto& bytes = e.image.pattern[0].bytes;
    for (int i = 0; i < ProgramPatternRecord::kBytes; ++i) {
        const bool kept = i >= 252 && i < 420;
        ASSERT_EQ(bytes[i], kept ? before.bytes[i] : 0xAB) << "byte " << i;
    }
}

} // namespace
