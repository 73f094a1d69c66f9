#include "editors/system_setup_form.h"
#include "image/group_layouts.h"
#include "link/link_backend.h"
#include "link/tqxcomm.h"
#include "simulator/simulated_controller.h"
#include "support/first_lines.h"
#include "values/conversions.h"
#ifdef TQX_SIM_PATH
#include "support/sim_process.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace {

// The window's label of alarm type k (0..3): "AL1T".."AL4T".
std::string AlarmLabel(size_t k) {
    return "AL" + std::to_string(k + 1) + "T";
}

// A controller of a few whole blocks that records every call and fails chosen ones.
class FakeController : public LinkBackend {
public:
    struct Call {
        int32_t mode, block, length;
        bool write, ok;
    };
    std::map<int, std::vector<uint8_t>> blocks;
    std::vector<Call> calls;
    std::function<bool(const Call&)> fail = [](const Call&) { return false; };

    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override {
        Call c{mode, block, length, false, true};
        c.ok = !fail(c) && offset == 0 && blocks.count(block) &&
               static_cast<size_t>(length) == blocks[block].size();
        calls.push_back(c);
        if (c.ok)
            std::memcpy(buffer, blocks[block].data(), length);
        *status = c.ok ? 0 : 1;
        return c.ok;
    }
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override {
        Call c{mode, block, length, true, true};
        c.ok = !fail(c) && offset == 0 && blocks.count(block) &&
               static_cast<size_t>(length) == blocks[block].size();
        calls.push_back(c);
        if (c.ok)
            std::memcpy(blocks[block].data(), buffer, length);
        *status = c.ok ? 0 : 1;
        return c.ok;
    }
};

// K 0 to 1200 degree C, no decimals, one of each kind of value set.
SystemSetupRecord KRecord() {
    SystemSetupRecord r;
    r.PVT = 36;
    r.PVU = 0;
    r.PVD = 0;
    r.PVF = 1000;
    r.PVB = 0;
    r.CI = 20;
    r.TF = 50;
    r.PSET = 1000;
    r.BURN = 0;
    r.SFT = 0;
    r.AO1T = 0;
    r.AO1F = 10000;
    r.AO1B = 0;
    r.AO2T = 2;
    r.AO2F = 10000;
    r.AO2B = 0;
    r.STN = 1;
    r.EV_T1 = 1;
    r.EV_T2 = 2;
    r.ENDT = 10;
    r.GS_T = 20;
    r.GS_H = 100;
    r.GS_L = 100;
    return r;
}

SystemSetupRecord DcRecord() {
    SystemSetupRecord r = KRecord();
    r.PVT = 66; // DC0-10V, scale -1..9999 without decimals: a span of 10000 units
    r.PVF = 9999;
    r.PVB = -1;
    return r;
}

using Edit = std::function<void(SystemSetupTexts&)>;
using Check = std::function<void(const SystemSetupRecord&)>;

struct StoreCase {
    const char* name;
    SystemSetupRecord start;
    Edit edit;
    std::vector<std::string> messages;
    Check check;
};

TEST(SystemSetupFormStore, Cases) {
    const StoreCase cases[] = {
        {"TF one decimal",
         KRecord(),
         [](auto& t) { t["TF"] = "12.3"; },
         {},
         [](auto& r) { EXPECT_EQ(r.TF, 123); }},
        {"TF without point",
         KRecord(),
         [](auto& t) { t["TF"] = "10"; },
         {"Parameter TF is wrong."},
         [](auto& r) { EXPECT_EQ(r.TF, 50); }},
        {"TF two decimals refused",
         KRecord(),
         [](auto& t) { t["TF"] = "12.34"; },
         {"Parameter TF is wrong."},
         [](auto& r) { EXPECT_EQ(r.TF, 50); }},
        {"PSET 105.0",
         KRecord(),
         [](auto& t) { t["PSET"] = "105.0"; },
         {},
         [](auto& r) { EXPECT_EQ(r.PSET, 10500); }},
        {"PSET 105.1",
         KRecord(),
         [](auto& t) { t["PSET"] = "105.1"; },
         {"Parameter PSET is wrong."},
         [](auto& r) { EXPECT_EQ(r.PSET, 1000); }},
        {"PSET -5.0",
         KRecord(),
         [](auto& t) { t["PSET"] = "-5.0"; },
         {},
         [](auto& r) { EXPECT_EQ(r.PSET, -500); }},
        {"BURN -5.1",
         KRecord(),
         [](auto& t) { t["BURN"] = "-5.1"; },
         {"Parameter BURN is wrong."},
         [](auto& r) { EXPECT_EQ(r.BURN, 0); }},
        {"ENDT 99:59",
         KRecord(),
         [](auto& t) { t["ENDT"] = "99:59"; },
         {},
         [](auto& r) { EXPECT_EQ(r.ENDT, 5999); }},
        {"ENDT 99:60",
         KRecord(),
         [](auto& t) { t["ENDT"] = "99:60"; },
         {"Parameter ENDT is wrong."},
         [](auto& r) { EXPECT_EQ(r.ENDT, 10); }},
        {"GS-T 00:60",
         KRecord(),
         [](auto& t) { t["GS-T"] = "00:60"; },
         {"Parameter GS-T is wrong."},
         [](auto& r) { EXPECT_EQ(r.GS_T, 20); }},
        {"SFT 50.01 percent",
         DcRecord(),
         [](auto& t) { t["SFT"] = "5001"; },
         {},
         [](auto& r) { EXPECT_EQ(r.SFT, 5001); }},
        {"SFT 50.02 percent",
         DcRecord(),
         [](auto& t) { t["SFT"] = "5002"; },
         {"Parameter SFT is wrong."},
         [](auto& r) { EXPECT_EQ(r.SFT, 0); }},
        {"SFT -50.01 percent",
         DcRecord(),
         [](auto& t) { t["SFT"] = "-5001"; },
         {},
         [](auto& r) { EXPECT_EQ(r.SFT, -5001); }},
        {"A01F as MV",
         KRecord(),
         [](auto& t) {
             t["A01T"] = "MV";
             t["A01F"] = "125.0";
             t["A01B"] = "-25.0";
         },
         {},
         [](auto& r) {
             EXPECT_EQ(r.AO1T, 2);
             EXPECT_EQ(r.AO1F, 12500);
             EXPECT_EQ(r.AO1B, -2500);
         }},
        {"A01F as PV engineering value",
         KRecord(),
         [](auto& t) { t["A01F"] = "600"; },
         {},
         [](auto& r) { EXPECT_EQ(r.AO1F, 5000); }},
        {"A01F/B out of range as PV",
         KRecord(),
         [](auto& t) {
             t["A01F"] = "1600";
             t["A01B"] = "-400";
         },
         {"Parameter A01F is wrong.", "Parameter AO1B is wrong."},
         [](auto& r) {
             EXPECT_EQ(r.AO1F, 10000);
             EXPECT_EQ(r.AO1B, 0);
         }},
        {"A01F/B out of range as MV",
         KRecord(),
         [](auto& t) {
             t["A01T"] = "MV";
             t["A01F"] = "125.1";
             t["A01B"] = "1";
         },
         {"Parameter AO1F is wrong.", "Parameter AO1B is wrong."},
         [](auto& r) { EXPECT_EQ(r.AO1F, 10000); }},
        {"A02F/B messages in both branches",
         KRecord(),
         [](auto& t) {
             t["A02F"] = "125.1"; // A02T is MV
             t["A02B"] = "x";
         },
         {"Parameter AO2F is wrong.", "Parameter AO2B is wrong."},
         [](auto& r) { EXPECT_EQ(r.AO2F, 10000); }},
        {"decimal message precedes the field's",
         KRecord(),
         [](auto& t) { t["A01F"] = "600.5"; },
         {"Input no decimal position data", "Parameter A01F is wrong."},
         [](auto& r) { EXPECT_EQ(r.AO1F, 10000); }},
        {"new PVT converts the values entered with it",
         KRecord(),
         [](auto& t) {
             t["PVT"] = InputTypeText(34); // K 0 to 400
             t["SFT"] = "40";
             t["A01F"] = "200";
             t["GS-H"] = "100";
         },
         {},
         [](auto& r) {
             EXPECT_EQ(r.PVT, 34);
             EXPECT_EQ(r.SFT, 1000);
             EXPECT_EQ(r.AO1F, 5000);
             EXPECT_EQ(r.GS_H, 2500);
         }},
        {"GS-H 50 percent and above",
         KRecord(),
         [](auto& t) {
             t["GS-H"] = "600";
             t["GS-L"] = "601";
         },
         {"Parameter GS-L is wrong."},
         [](auto& r) {
             EXPECT_EQ(r.GS_H, 5000);
             EXPECT_EQ(r.GS_L, 100);
         }},
        {"refused fields keep, later fields stored, messages in order",
         KRecord(),
         [](auto& t) {
             t["PVF"] = "10000";
             t["PVB"] = "-1000";
             t["CI"] = "0";
             t["TF"] = "1";
             t["PSET"] = "20.0";
             t["ENDT"] = "00:99";
             t["STN"] = "7";
         },
         {"Parameter PVF is wrong.", "Parameter PVB is wrong.", "Parameter C1 is wrong.",
          "Parameter TF is wrong.", "Parameter ENDT is wrong."},
         [](auto& r) {
             EXPECT_EQ(r.PVF, 1000);
             EXPECT_EQ(r.CI, 20);
             EXPECT_EQ(r.PSET, 2000);
             EXPECT_EQ(r.STN, 7);
         }},
        {"CI bounds",
         KRecord(),
         [](auto& t) { t["CI"] = "120"; },
         {},
         [](auto& r) { EXPECT_EQ(r.CI, 120); }},
        {"station 31 and 0 stored",
         KRecord(),
         [](auto& t) { t["STN"] = "31"; },
         {},
         [](auto& r) { EXPECT_EQ(r.STN, 31); }},
        {"station 0 stored",
         KRecord(),
         [](auto& t) { t["STN"] = "0"; },
         {},
         [](auto& r) { EXPECT_EQ(r.STN, 0); }},
        {"station 32 ignored",
         KRecord(),
         [](auto& t) { t["STN"] = "32"; },
         {},
         [](auto& r) { EXPECT_EQ(r.STN, 1); }},
        {"unknown list texts leave the fields",
         KRecord(),
         [](auto& t) {
             t["PVU"] = "2.K";
             t["TMU"] = "sec";
             t["STM"] = "";
             t["A01R"] = "4-20mA";
         },
         {},
         [](auto& r) { EXPECT_EQ(r, KRecord()); }},
        {"list texts stored",
         KRecord(),
         [](auto& t) {
             t["PVU"] = "1.F";
             t["TMU"] = "min:sec";
             t["TMDT"] = "Lapsed time indication";
             t["STM"] = "Reset start";
             t["A02R"] = "0-10V";
         },
         {},
         [](auto& r) {
             EXPECT_EQ(r.PVU, 1);
             EXPECT_EQ(r.TMU, 1);
             EXPECT_EQ(r.TMDT, 1);
             EXPECT_EQ(r.STM, 1);
             EXPECT_EQ(r.AO2R, 2);
         }},
        {"unknown PVT text keeps the input type and its range",
         KRecord(),
         [](auto& t) { t["PVT"] = "thermistor"; },
         {},
         [](auto& r) {
             EXPECT_EQ(r.PVT, 36);
             EXPECT_EQ(r, KRecord());
         }},
        {"unknown A02T text reads the scale in the stored source",
         [] {
             SystemSetupRecord r = KRecord();
             r.AO2T = 2; // MV
             r.AO2F = 11000;
             return r;
         }(),
         [](auto& t) { t["A02T"] = "PVV"; },
         {},
         [](auto& r) {
             EXPECT_EQ(r.AO2T, 2);
             EXPECT_EQ(r.AO2F, 11000);
         }},
        {"alarm types",
         KRecord(),
         [](auto& t) { t[AlarmLabel(2)] = AlarmTypeText(18); },
         {},
         [](auto& r) { EXPECT_EQ(r.EV_T3, 18); }},
        {"unknown alarm text keeps the code",
         KRecord(),
         [](auto& t) { t[AlarmLabel(1)] = "Alarm"; },
         {"Parameter AL2T is wrong."},
         [](auto& r) { EXPECT_EQ(r.EV_T2, 2); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SystemSetupRecord record = c.start;
        RecordingMessages messages;
        SystemSetupForm form(record, messages);
        form.Open();
        ASSERT_TRUE(messages.Texts().empty());
        c.edit(form.Texts());
        form.Ok();
        EXPECT_EQ(FirstLines(messages), c.messages);
        c.check(record);
    }
}

TEST(SystemSetupFormStore, UnchangedTextsStoreTheSameRecord) {
    for (const SystemSetupRecord& start : {KRecord(), DcRecord()}) {
        SystemSetupRecord record = start;
        RecordingMessages messages;
        SystemSetupForm form(record, messages);
        form.Open();
        form.Ok();
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(record, start);
    }
}

struct ShowCase {
    const char* name;
    std::function<void(SystemSetupRecord&)> edit;
    std::function<void(const SystemSetupTexts&)> check;
};

TEST(SystemSetupFormShow, Cases) {
    const ShowCase cases[] = {
        {"TF", [](auto& r) { r.TF = 123; }, [](auto& t) { EXPECT_EQ(t["TF"], "12.3"); }},
        {"PSET", [](auto& r) { r.PSET = 10500; }, [](auto& t) { EXPECT_EQ(t["PSET"], "105.0"); }},
        {"ENDT", [](auto& r) { r.ENDT = 5999; }, [](auto& t) { EXPECT_EQ(t["ENDT"], "99:59"); }},
        {"A01F as PV", [](auto& r) { r.AO1F = 5000; },
         [](auto& t) { EXPECT_EQ(t["A01F"], "600"); }},
        {"A02F as MV", [](auto& r) { r.AO2F = 12500; },
         [](auto& t) { EXPECT_EQ(t["A02F"], "125.0"); }},
        {"SFT is a difference", [](auto& r) { r.SFT = 5000; },
         [](auto& t) { EXPECT_EQ(t["SFT"], "600"); }},
        {"station 31", [](auto& r) { r.STN = 31; }, [](auto& t) { EXPECT_EQ(t["STN"], "31"); }},
        {"lists",
         [](auto& r) {
             r.PVD = 3;
             r.TMU = 1;
             r.AO1R = 2;
         },
         [](auto& t) {
             EXPECT_EQ(t["PVD"], "3.0.001");
             EXPECT_EQ(t["TMU"], "min:sec");
             EXPECT_EQ(t["A01R"], "0-10V");
             EXPECT_EQ(t[AlarmLabel(0)], "Upper threshold");
         }},
        {"values outside a list keep the text",
         [](auto& r) {
             r.PVU = 7;
             r.STN = 40;
             r.TMDT = 9;
         },
         [](auto& t) {
             EXPECT_EQ(t["PVU"], "0.C");
             EXPECT_EQ(t["STN"], "1");
             EXPECT_EQ(t["TMDT"], "Remaining time indication");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SystemSetupRecord record = KRecord();
        RecordingMessages messages;
        SystemSetupForm form(record, messages);
        form.Open();
        c.edit(record);
        form.Show();
        c.check(form.Texts());
    }
}

TEST(SystemSetupFormGuard, ScaleOnlyForDcInputs) {
    SystemSetupRecord record = KRecord();
    record.PVT = 0; // Pt100
    RecordingMessages messages;
    SystemSetupForm form(record, messages);
    form.Open();
    form.Texts()["PVF"] = "55";
    EXPECT_TRUE(form.GuardScaleEdit(true));
    EXPECT_EQ(form.Texts()["PVF"], "1000");
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"PVF & PVB are not available in case of the PVT"});

    messages.Clear();
    form.Texts()["PVT"] = InputTypeText(64);
    form.Texts()["PVB"] = "-55";
    EXPECT_FALSE(form.GuardScaleEdit(false));
    EXPECT_EQ(form.Texts()["PVB"], "-55");
    EXPECT_TRUE(messages.Texts().empty());
}

// Controller blocks 12 and 9 with nonzero bytes where no field lives.
FakeController ControllerWithForeignBytes(const SystemSetupRecord& held) {
    FakeController c;
    Block12 b12{};
    Block9 b9{};
    for (auto& b : b12)
        b = 0xA5;
    for (auto& b : b9)
        b = 0x5A;
    SystemSetupIntoBlocks(held, b12, b9);
    c.blocks[12].assign(b12.begin(), b12.end());
    c.blocks[9].assign(b9.begin(), b9.end());
    return c;
}

TEST(SystemSetupFormTransfer, SendKeepsForeignBytes) {
    FakeController controller = ControllerWithForeignBytes(SystemSetupRecord{});
    ScopedLinkBackend scoped(controller);
    SystemSetupRecord record = KRecord();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupForm form(record, messages);
    form.Open();
    form.Texts()["TF"] = "12.3";
    form.Send(cursor);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(cursor.Depth(), 0);

    const auto& b12 = controller.blocks[12];
    const auto& b9 = controller.blocks[9];
    for (int i : {0, 31, 32})
        EXPECT_EQ(b12[i], 0xA5) << "block 12 byte " << i;
    for (int i : {0, 1, 2, 3, 12, 13, 14, 15, 16, 17, 18, 19})
        EXPECT_EQ(b9[i], 0x5A) << "block 9 byte " << i;
    SystemSetupRecord sent;
    Block12 a12;
    Block9 a9;
    std::copy(b12.begin(), b12.end(), a12.begin());
    std::copy(b9.begin(), b9.end(), a9.begin());
    SystemSetupFromBlocks(a12, a9, sent);
    EXPECT_EQ(sent.TF, 123);
    EXPECT_EQ(sent, record);

    ASSERT_EQ(controller.calls.size(), 4u);
    const int order[4][3] = {{1, 12, 33}, {1, 9, 26}, {2, 12, 33}, {2, 9, 26}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(controller.calls[i].mode, order[i][0]);
        EXPECT_EQ(controller.calls[i].block, order[i][1]);
        EXPECT_EQ(controller.calls[i].length, order[i][2]);
    }
}

TEST(SystemSetupFormTransfer, FailedReadIsNotWrittenAndReportedOnce) {
    FakeController controller = ControllerWithForeignBytes(SystemSetupRecord{});
    controller.fail = [](const FakeController::Call& c) { return !c.write && c.block == 12; };
    const auto before12 = controller.blocks[12];
    ScopedLinkBackend scoped(controller);
    SystemSetupRecord record = KRecord();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupForm form(record, messages);
    form.Open();
    form.Send(cursor);
    EXPECT_EQ(controller.blocks[12], before12);
    EXPECT_EQ(controller.blocks[9][4], 50); // TF went out with block 9
    for (const auto& c : controller.calls)
        EXPECT_FALSE(c.write && c.block == 12);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"SEND failed: read block 12."});
}

TEST(SystemSetupFormTransfer, RetrieveCopiesOnlyBlocksThatArrived) {
    SystemSetupRecord held = DcRecord();
    held.TF = 321;
    held.CI = 99;
    FakeController controller = ControllerWithForeignBytes(held);
    ScopedLinkBackend scoped(controller);
    RecordingMessages messages;
    NoCursor cursor;

    SystemSetupRecord record = KRecord();
    SystemSetupForm form(record, messages);
    form.Open();
    form.Retrieve(cursor);
    EXPECT_EQ(record, held);
    EXPECT_EQ(form.Texts()["TF"], "32.1");
    EXPECT_TRUE(messages.Texts().empty());

    controller.fail = [](const FakeController::Call& c) { return c.block == 9; };
    record = KRecord();
    form.Retrieve(cursor);
    EXPECT_EQ(record.CI, 99); // block 12
    EXPECT_EQ(record.TF, 50); // block 9 kept
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"RETRIEVE failed: read block 9."});
}

// Reads blocks 12 and 9 through whatever link is installed, then SENDs an edited group
// and checks that the bytes no field owns came back exactly as the controller held them.
void ExpectSendKeepsForeignBytes() {
    Block12 before12{}, after12{};
    Block9 before9{}, after9{};
    int32_t status = 0;
    ASSERT_TRUE(TQXRead(TQX_MODE_READ_BYTES, 12, 0, kBlock12Bytes, before12.data(), &status));
    ASSERT_TRUE(TQXRead(TQX_MODE_READ_BYTES, 9, 0, kBlock9Bytes, before9.data(), &status));

    SystemSetupRecord record;
    SystemSetupFromBlocks(before12, before9, record);
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupForm form(record, messages);
    form.Open();
    form.Texts()["TF"] = "12.3";
    form.Texts()["ENDT"] = "01:02";
    form.Send(cursor);
    EXPECT_TRUE(messages.Texts().empty());

    ASSERT_TRUE(TQXRead(TQX_MODE_READ_BYTES, 12, 0, kBlock12Bytes, after12.data(), &status));
    ASSERT_TRUE(TQXRead(TQX_MODE_READ_BYTES, 9, 0, kBlock9Bytes, after9.data(), &status));
    for (int i : {0, 31, 32})
        EXPECT_EQ(after12[i], before12[i]) << "block 12 byte " << i;
    for (int i : {0, 1, 2, 3, 12, 13, 14, 15, 16, 17, 18, 19})
        EXPECT_EQ(after9[i], before9[i]) << "block 9 byte " << i;
    SystemSetupRecord sent;
    SystemSetupFromBlocks(after12, after9, sent);
    EXPECT_EQ(sent.TF, 123);
    EXPECT_EQ(sent.ENDT, 62);
}

TEST(SystemSetupFormTransfer, SendKeepsForeignBytesOfAFactoryController) {
    SimulatedController controller;
    controller.Memory().LoadFactoryContents();
    ScopedLinkBackend scoped(controller);
    ExpectSendKeepsForeignBytes();
}

#ifdef TQX_SIM_PATH
TEST(SystemSetupFormTransfer, SendKeepsForeignBytesOfTqxSim) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ASSERT_TRUE(TQXOpenSerialPort(1));
    ExpectSendKeepsForeignBytes();
    TQXCloseSerialPort();
}
#endif

} // namespace

namespace {

// A station the drop-down could not show is kept only while its text is unchanged: shown
// a station it can show again, the field is read as typed.
TEST(SystemSetupFormStation, AStationShownAgainIsReadAsTyped) {
    SystemSetupRecord record = KRecord();
    RecordingMessages messages;
    SystemSetupForm form(record, messages);
    record.STN = 5;
    form.Open();
    record.STN = 40; // the field keeps "5"
    form.Show();
    record.STN = 8;
    form.Show();
    form.Texts()["STN"] = "5";
    form.Store();
    EXPECT_EQ(record.STN, 5);
    // Only a station's own decimal text is one.
    for (const char* text : {"07", " 7", "+7"}) {
        form.Texts()["STN"] = text;
        form.Store();
        EXPECT_EQ(record.STN, 5) << text;
    }
    EXPECT_TRUE(messages.Texts().empty());
}

} // namespace
