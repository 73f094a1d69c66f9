// The refusals of texts the store steps cannot take, with their exact two-line messages:
// the parameter's own text, then the field and what it takes.

#include "editors/advanced_form.h"
#include "editors/alarm_values_form.h"
#include "editors/pid_group_form.h"
#include "editors/program_pattern_form.h"
#include "editors/system_setup_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

SystemSetupRecord K1200(uint8_t pvd) {
    SystemSetupRecord r;
    r.PVT = 36;
    r.PVD = pvd;
    r.CI = 20;
    r.ENDT = 90;
    r.GS_T = 90;
    return r;
}

TEST(Refusals, SystemSetupAndPidGroupFields) {
    struct Case {
        const char* name;
        std::function<void(SystemSetupTexts&)> edit;
        Texts messages;
    } cases[] = {
        {"ENDT letters",
         [](auto& t) { t["ENDT"] = "ab"; },
         {"Parameter ENDT is wrong.\nENDT: 00:00 to 99:59"}},
        {"GS-T letter O",
         [](auto& t) { t["GS-T"] = "1O:30"; },
         {"Parameter GS-T is wrong.\nGS-T: 00:00 to 99:59"}},
        {"ENDT marker has no meaning here",
         [](auto& t) { t["ENDT"] = "----"; },
         {"Parameter ENDT is wrong.\nENDT: 00:00 to 99:59"}},
        {"PVF empty",
         [](auto& t) { t["PVF"] = ""; },
         {"Parameter PVF is wrong.\nPVF: -999 to 9999"}},
        {"PVB sign only",
         [](auto& t) { t["PVB"] = ""; },
         {"Parameter PVB is wrong.\nPVB: -999 to 9999"}},
        {"CI empty", [](auto& t) { t["CI"] = ""; }, {"Parameter C1 is wrong.\nCI: 1 to 120"}},
        {"SFT range in engineering units",
         [](auto& t) { t["SFT"] = "700.0"; },
         {"Parameter SFT is wrong.\nSFT: -600.1 to 600.1"}},
        {"empty DC scale, once",
         [](auto& t) { t["PVT"] = InputTypeText(66), t["PVF"] = "50", t["PVB"] = "50"; },
         {"The input scale is empty: PVF equals PVB. The range values are kept."}},
    };
    for (const Case& c : cases) {
        SystemSetupRecord record = K1200(1);
        const SystemSetupRecord before = record;
        RecordingMessages messages;
        SystemSetupForm form(record, messages);
        form.Show();
        c.edit(form.Texts());
        form.Store();
        EXPECT_EQ(messages.Texts(), c.messages) << c.name;
        EXPECT_EQ(record.ENDT, before.ENDT) << c.name;
        EXPECT_EQ(record.GS_T, before.GS_T) << c.name;
        EXPECT_EQ(record.CI, before.CI) << c.name;
        EXPECT_EQ(record.SFT, before.SFT) << c.name;
    }

    ParameterImage image;
    image.systemSetup = K1200(1);
    image.pid[0].SetWord(PidGroupRecord::I, 2400);
    RecordingMessages messages;
    PidGroupForm pid(image, messages);
    pid.Open();
    pid.Texts()["I"] = "";
    pid.Store();
    EXPECT_EQ(messages.Texts(), Texts{"Parameter I is wrong.\nI: 0 to 3200"});
    EXPECT_EQ(image.pid[0].Word(PidGroupRecord::I), 2400);

    AdvancedRecord advanced;
    RecordingMessages advancedMessages;
    AdvancedForm form(advanced, image.systemSetup, advancedMessages);
    form.Show();
    form.Texts()["SV-H"] = "1200.1";
    form.Store();
    EXPECT_EQ(advancedMessages.Texts(), Texts{"Parameter SVH is wrong.\nSV-H: 0.0 to 1200.0"});
}

// However an entry is wrong, the operator gets one box, which names the parameter and what
// it takes; the parser's generic refusals are folded into it.
TEST(Refusals, OneBoxPerBadEntry) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {{"beyond the half span", "601"},
                 {"beyond any stored step", "99999"},
                 {"far below", "-40000"},
                 {"not a number", "abc"},
                 {"longer than ten characters", "12345678901"}};
    for (const auto& c : cases) {
        const SystemSetupRecord setup = K1200(0);
        AdvancedRecord advanced;
        advanced.A1HS = 2500;
        RecordingMessages messages;
        AdvancedForm form(advanced, setup, messages);
        form.Show();
        form.Texts()["A1HS"] = c.text;
        form.Store();
        EXPECT_EQ(messages.Texts(), Texts{"Parameter A1HS is wrong.\nA1HS: 0 to 600"}) << c.name;
        EXPECT_EQ(advanced.A1HS, 2500) << c.name;
    }
}

TEST(Refusals, PatternRowsNameTheirField) {
    ParameterImage image;
    image.systemSetup = K1200(1);
    image.pattern[0].Segment(12).SetTIME(90);
    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternForm form(image, messages, cursor);
    form.Open();
    messages.Clear();
    PatternFields& f = form.Fields();
    f.time[11] = "12:3x";
    f.on[2] = "ab";
    f.sv[6] = "600";
    form.CollectPatternFields();
    EXPECT_EQ(messages.Texts(), (Texts{"Input the first decimal position data\nSV, segment 7",
                                       "Parameter TM is wrong.\nTIME, segment 12",
                                       "Parameter TM is wrong.\nON time, segment 3"}));
    EXPECT_EQ(form.State().workingCopy.Segment(12).TIME(), 90);

    // A refused time signal 5 keeps what was typed in every row.
    f.sv[0] = "12.5";
    f.off[19] = "01:02";
    messages.Clear();
    EXPECT_FALSE(form.SelectTimeSignal(5));
    EXPECT_EQ(messages.Texts(), Texts{"TQX has no option."});
    EXPECT_EQ(f.sv[0], "12.5");
    EXPECT_EQ(f.off[19], "01:02");
    EXPECT_EQ(f.time[11], "12:3x");

    AlarmValuesForm alarms(form.State().workingCopy, image.systemSetup);
    alarms.Text(2, 7) = "5";
    messages.Clear();
    alarms.Collect(messages);
    EXPECT_EQ(messages.Texts(), Texts{"Input the first decimal position data\nALARM2, segment 7"});

    image.systemSetup.PVT = 66; // DC0-10V with PVF equal to PVB: one message for 80 fields
    image.systemSetup.PVF = image.systemSetup.PVB = 7;
    messages.Clear();
    alarms.Collect(messages);
    EXPECT_EQ(messages.Texts(), Texts{kEmptyScaleMessage});
}

} // namespace
