// A program pattern edited, sent to tqx-sim over Modbus TCP and read back as Connect does.

#include "editors/program_pattern_form.h"
#include "link/tqxcomm.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"
#include "transfers/pattern_transfers.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct PortOne {
    explicit PortOne(const std::string& setting) {
        ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
        TQXOpenSerialPort(1);
    }
    ~PortOne() { TQXCloseSerialPort(); }
};

// Edits every kind of field of pattern n: texts of the dialog, then what the sub-editors
// change in the working state.
void EditPattern(ProgramPatternForm& form, int n) {
    form.SelectPattern(n);
    ASSERT_TRUE(form.SelectTimeSignal(5)); // the simulator's model code has the option
    PatternFields& f = form.Fields();
    for (int s = 1; s <= PatternFields::kSegments; ++s) {
        f.sv[s - 1] = s <= 10 ? std::to_string(10 * s + n) : "----";
        f.time[s - 1] = s <= 10 ? std::to_string(s) + ":" + std::to_string(10 + n) : "----";
        f.on[s - 1] = "0:0" + std::to_string(s % 10);
        f.off[s - 1] = "00:5" + std::to_string(s % 10);
    }
    f.pvstart = "YES";
    f.cyclic = 40 + n;
    f.link = n == 9 ? "OFF" : std::to_string(n + 1);
    PatternWorkingState& state = form.State();
    for (int s = 1; s <= PatternFields::kSegments; ++s) {
        state.segmentBytes.At(s, SegmentByteTable::PIDNO) = static_cast<uint16_t>(1 + s % 9);
        state.segmentBytes.At(s, SegmentByteTable::GSORK) = static_cast<uint16_t>(s % 2);
        state.segmentBytes.At(s, SegmentByteTable::GSTYP) = static_cast<uint16_t>(s % 3);
        state.workingCopy.Segment(s).SetAlarm(4, static_cast<int16_t>(-100 * s));
    }
}

TEST(PatternRoundTrip, WhatSendStoredIsWhatConnectReadsBack) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    PortOne port(sim.PortSetting());

    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    ASSERT_TRUE(ReadWholeController(link, image).failed.empty());
    const ParameterImage factory = image;
    // Conversions on "K 0 to 400 degree C" without decimals; not sent by the pattern editor.
    image.systemSetup.PVT = 34;
    image.systemSetup.PVU = 0;
    image.systemSetup.PVD = 0;

    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternForm form(image, messages, cursor);
    form.Open();
    for (int n : {1, 5, 9}) {
        EditPattern(form, n);
        form.Send();
        EXPECT_EQ(image.pattern[n - 1].Segment(3).SV(), (30 + n) * 25) << n;
        EXPECT_EQ(image.pattern[n - 1].Segment(20).TsOff(5), 50) << n;
        EXPECT_NE(image.pattern[n - 1], factory.pattern[n - 1]) << n;
    }
    EXPECT_TRUE(messages.Texts().empty());

    ParameterImage readBack;
    SetStartValues(readBack);
    ASSERT_TRUE(ReadWholeController(link, readBack).failed.empty());
    for (int n = 1; n <= ParameterImage::kPatterns; ++n)
        EXPECT_EQ(readBack.pattern[n - 1], image.pattern[n - 1]) << "pattern " << n;

    // RETRIEVE of a pattern edited since shows the controller's copy again.
    form.SelectPattern(5);
    form.Fields().sv[0] = "399";
    form.Ok();
    form.Retrieve();
    EXPECT_EQ(image.pattern[4], readBack.pattern[4]);
    EXPECT_EQ(form.Fields().sv[0], "15");
    EXPECT_TRUE(messages.Texts().empty());
}

} // namespace
