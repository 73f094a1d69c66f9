#include "editors/advanced_form.h"
#include "image/group_layouts.h"
#include "link/link_backend.h"
#include "support/first_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace {

// A controller of blocks 10 and 13 that records every call and fails chosen ones.
class FakeController : public LinkBackend {
public:
    struct Call {
        int32_t mode, block, length;
        bool write;
    };
    std::map<int, std::vector<uint8_t>> blocks;
    std::vector<Call> calls;
    std::function<bool(const Call&)> fail = [](const Call&) { return false; };

    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t mode, int32_t block, int32_t, int32_t length, void* buffer,
                 int32_t* status) override {
        const Call c{mode, block, length, false};
        calls.push_back(c);
        const bool ok = !fail(c) && blocks.count(block);
        if (ok)
            std::memcpy(buffer, blocks[block].data(), length);
        *status = ok ? 0 : 1;
        return ok;
    }
    int32_t Write(int32_t mode, int32_t block, int32_t, int32_t length, const void* buffer,
                  int32_t* status) override {
        const Call c{mode, block, length, true};
        calls.push_back(c);
        const bool ok = !fail(c);
        if (ok) {
            blocks[block].resize(length);
            std::memcpy(blocks[block].data(), buffer, length);
        }
        *status = ok ? 0 : 1;
        return ok;
    }
};

SystemSetupRecord K1200() {
    SystemSetupRecord s;
    s.PVT = 36; // K 0 to 1200 degree C
    s.PVU = 0;
    s.PVD = 0;
    return s;
}

AdvancedRecord Start() {
    AdvancedRecord r;
    r.SV_H = 10000;
    r.SV_L = 0;
    r.DMV = 10000;
    r.A1HS = 2500; // values a whole degree of K 0..1200 can show
    r.A2HS = 1250;
    r.A3HS = 5000;
    r.A4HS = 0;
    r.DV_D = 1;
    r.MVLT = 7;
    r.WDIS = 0;
    r.SVMOD = 1;
    r.PID = 1;
    r.GAP = -3;
    r.MAX = 1234;
    r.PP = 11;
    r.PI = 22;
    r.PD = 33;
    return r;
}

struct StoreCase {
    const char* name;
    std::function<void(AdvancedTexts&)> edit;
    std::vector<std::string> messages;
    std::function<void(const AdvancedRecord&)> check;
};

TEST(AdvancedFormStore, Cases) {
    const StoreCase cases[] = {
        {"SV-H full span",
         [](auto& t) { t["SV-H"] = "1200"; },
         {},
         [](auto& r) { EXPECT_EQ(r.SV_H, 10000); }},
        {"SV-H above the span",
         [](auto& t) { t["SV-H"] = "1201"; },
         {"Parameter SVH is wrong."},
         [](auto& r) { EXPECT_EQ(r.SV_H, 10000); }},
        {"SV-L below the base",
         [](auto& t) { t["SV-L"] = "-1"; },
         {"Parameter SVL is wrong."},
         [](auto& r) { EXPECT_EQ(r.SV_L, 0); }},
        {"SV-L with a point where none belongs",
         [](auto& t) { t["SV-L"] = "10.5"; },
         {"Input no decimal position data", "Parameter SVL is wrong."},
         [](auto& r) { EXPECT_EQ(r.SV_L, 0); }},
        {"A1HS half span",
         [](auto& t) { t["A1HS"] = "600"; },
         {},
         [](auto& r) { EXPECT_EQ(r.A1HS, 5000); }},
        {"A1HS above half span",
         [](auto& t) { t["A1HS"] = "601"; },
         {"Parameter A1HS is wrong."},
         [](auto& r) { EXPECT_EQ(r.A1HS, 2500); }},
        {"A2HS..A4HS messages",
         [](auto& t) { t["A2HS"] = t["A3HS"] = t["A4HS"] = "-1"; },
         {"Parameter A2HS is wrong.", "Parameter A3HS is wrong.", "Parameter A4HS is wrong."},
         [](auto& r) { EXPECT_EQ(r.A4HS, 0); }},
        {"DMV 105.0",
         [](auto& t) { t["DMV"] = "105.0"; },
         {},
         [](auto& r) { EXPECT_EQ(r.DMV, 10500); }},
        {"DMV 105.1",
         [](auto& t) { t["DMV"] = "105.1"; },
         {"Parameter DMV is wrong."},
         [](auto& r) { EXPECT_EQ(r.DMV, 10000); }},
        {"DMV without point",
         [](auto& t) { t["DMV"] = "5"; },
         {"Parameter DMV is wrong."},
         [](auto& r) { EXPECT_EQ(r.DMV, 10000); }},
        {"empty DVDV entry",
         [](auto& t) { t["DVDV"] = ""; },
         {"Parameter DVD is wrong."},
         [](auto& r) { EXPECT_EQ(r.DV_D, 1); }},
        {"choices stored",
         [](auto& t) {
             t["DVDV"] = "PV differentitation";
             t["TDS"] = "Write Inhibit";
             t["ATSV"] = "Standard";
             t["PID"] = "PI tuning";
         },
         {},
         [](auto& r) {
             EXPECT_EQ(r.DV_D, 0);
             EXPECT_EQ(r.WDIS, 1);
             EXPECT_EQ(r.SVMOD, 0);
             EXPECT_EQ(r.PID, 0);
         }},
        {"unknown choices in order, later fields still stored",
         [](auto& t) {
             t["SV-H"] = "1201";
             t["SV-L"] = "100";
             t["TDS"] = "write enable";
             t["ATSV"] = "Low";
             t["PID"] = "";
         },
         {"Parameter SVH is wrong.", "Parameter WDIS is wrong.", "Parameter SVMODE is wrong.",
          "Parameter PID is wrong."},
         [](auto& r) {
             EXPECT_EQ(r.SV_L, 833);
             EXPECT_EQ(r.WDIS, 0);
             EXPECT_EQ(r.SVMOD, 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AdvancedRecord record = Start();
        const SystemSetupRecord setup = K1200();
        RecordingMessages messages;
        AdvancedForm form(record, setup, messages);
        form.Open();
        c.edit(form.Texts());
        form.Ok();
        EXPECT_EQ(FirstLines(messages), c.messages);
        c.check(record);
        // The carried fields are never touched.
        EXPECT_EQ(record.MVLT, 7);
        EXPECT_EQ(record.GAP, -3);
        EXPECT_EQ(record.PD, 33);
    }
}

TEST(AdvancedFormShow, Texts) {
    AdvancedRecord record = Start();
    record.A1HS = 5000;
    const SystemSetupRecord setup = K1200();
    RecordingMessages messages;
    AdvancedForm form(record, setup, messages);
    form.Show();
    const AdvancedTexts& t = form.Texts();
    EXPECT_EQ(t["SV-H"], "1200");
    EXPECT_EQ(t["SV-L"], "0");
    EXPECT_EQ(t["DMV"], "100.0");
    EXPECT_EQ(t["A1HS"], "600");
    EXPECT_EQ(t["DVDV"], "DV differentitation");
    EXPECT_EQ(t["TDS"], "Write enable");
    EXPECT_EQ(t["ATSV"], "Low PV type");
    EXPECT_EQ(t["PID"], "PID tuning");

    record.DV_D = 5; // any nonzero value shows the second text
    record.WDIS = 2;
    form.Show();
    EXPECT_EQ(t["DVDV"], "DV differentitation");
    EXPECT_EQ(t["TDS"], "Write Inhibit");
}

TEST(AdvancedFormTransfer, SendWritesBothBlocksWithTheCarriedFields) {
    FakeController controller;
    ScopedLinkBackend scoped(controller);
    AdvancedRecord record = Start();
    const SystemSetupRecord setup = K1200();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedForm form(record, setup, messages);
    form.Open();
    form.Texts()["DMV"] = "50.0";
    form.Send(cursor);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(cursor.Depth(), 0);

    ASSERT_EQ(controller.calls.size(), 2u);
    EXPECT_EQ(controller.calls[0].mode, 2);
    EXPECT_EQ(controller.calls[0].block, 10);
    EXPECT_EQ(controller.calls[0].length, 17);
    EXPECT_EQ(controller.calls[1].block, 13);
    EXPECT_EQ(controller.calls[1].length, 12);

    Block10 b10;
    Block13 b13;
    std::copy(controller.blocks[10].begin(), controller.blocks[10].end(), b10.begin());
    std::copy(controller.blocks[13].begin(), controller.blocks[13].end(), b13.begin());
    AdvancedRecord sent;
    AdvancedFromBlock10(b10, sent);
    AdvancedFromBlock13(b13, sent);
    AdvancedRecord expected = Start();
    expected.DMV = 5000;
    EXPECT_EQ(sent, expected);
}

TEST(AdvancedFormTransfer, FailuresReportedOnceAndFailedReadKeepsFields) {
    AdvancedRecord held = Start();
    held.SV_H = 4000;
    held.MAX = 999;
    Block10 b10{};
    Block13 b13{};
    AdvancedIntoBlocks(held, b10, b13);
    FakeController controller;
    controller.blocks[10].assign(b10.begin(), b10.end());
    controller.blocks[13].assign(b13.begin(), b13.end());
    controller.fail = [](const FakeController::Call& c) { return c.block == 10; };
    ScopedLinkBackend scoped(controller);

    AdvancedRecord record = Start();
    const SystemSetupRecord setup = K1200();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedForm form(record, setup, messages);
    form.Retrieve(cursor);
    EXPECT_EQ(record.SV_H, 10000); // block 10 did not arrive
    EXPECT_EQ(record.MAX, 999);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"RETRIEVE failed: read block 10."});

    messages.Clear();
    form.Send(cursor);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"SEND failed: write block 10."});
}

} // namespace
