#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "simulator/simulated_controller.h"
#include "transfers/group_transfers.h"
#include "transfers/pattern_transfers.h"
#include "transfers/restore_procedure.h"
#include "transfers/send_all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

bool IsWdis(const LinkCall& c) {
    return c.block == 10 && c.offset == 16 && c.length == 1;
}

// One restore of a locking file onto the simulated controller, as each case sets it up.
TEST(RestoreImage, NeverLeavesTheControllerHalfLocked) {
    ParameterImage file;
    SetStartValues(file);
    file.systemSetup.CI = 20;
    file.pid[2].SetWord(4, 77);
    file.advanced.WDIS = 1;
    file.systemSetup.STN = 1; // a station port 1 can follow
    const std::string text = BuildParameterFileText(file);

    const struct {
        const char* name;
        uint8_t lockedBefore;
        bool unlock;
        std::function<bool(const LinkCall&, int)> fail;
        std::vector<GroupId> notWritten; // empty: every group and WDIS 1 last
        const char* stopped;             // the start of why nothing was written
    } cases[] = {
        {"unlocked", 0, false, nullptr, {}, ""},
        {"locked, unlocked first", 1, true, nullptr, {}, ""},
        {"locked", 1, false, nullptr, {}, "the controller is write-inhibited"},
        {"block 12 unreadable",
         0,
         false,
         [](const LinkCall& c, int) { return !c.write && c.block == 12; },
         {},
         "block 12 could"},
        {"pattern 5 refused",
         0,
         false,
         [](const LinkCall& c, int) { return c.write && c.block == PatternBlockB(5); },
         {GroupId::Pattern(5)},
         ""},
    };
    for (const auto& c : cases) {
        SimulatedController sim;
        sim.Memory().LoadFactoryContents();
        sim.Memory().Data()[ControllerMemory::kWdisAddress] = c.lockedBefore;
        TransferContext link(sim);
        AdvancedRecord controller;
        RetrieveAdvanced(link, controller);
        sim.ClearCalls();
        sim.FailCalls(c.fail);

        ParameterImage image;
        SetStartValues(image);
        RecordingMessages messages;
        RestoreOptions options;
        options.unlock = c.unlock;
        const RestoreReport report = RestoreImage(
            link, image,
            [&](ParameterImage& onto) { return ReadParameterFileText(text, onto, messages); },
            options);

        std::vector<LinkCall> writes;
        std::copy_if(sim.Calls().begin(), sim.Calls().end(), std::back_inserter(writes),
                     [](const LinkCall& call) { return call.write; });
        const uint8_t wdisNow = sim.Memory().Data()[ControllerMemory::kWdisAddress];
        if (*c.stopped) {
            EXPECT_EQ(report.stopped.rfind(c.stopped, 0), 0u) << c.name << ": " << report.stopped;
            EXPECT_TRUE(writes.empty()) << c.name;
            EXPECT_EQ(wdisNow, c.lockedBefore) << c.name;
            continue;
        }
        EXPECT_EQ(report.NotWritten(), c.notWritten) << c.name;
        EXPECT_EQ(report.Written().size() + c.notWritten.size(), size_t{kGroupCount}) << c.name;
        ASSERT_FALSE(writes.empty()) << c.name;
        // A controller that was locked is unlocked by the first write and nothing else.
        EXPECT_EQ(IsWdis(writes.front()), c.unlock) << c.name;
        // WDIS 1 goes in last and only when every group went in; else it stays open.
        EXPECT_EQ(IsWdis(writes.back()), c.notWritten.empty()) << c.name;
        EXPECT_EQ(wdisNow, c.notWritten.empty() ? 1 : 0) << c.name;
        EXPECT_EQ(report.Ok(), c.notWritten.empty()) << c.name;
        // Fields the file does not carry keep the controller's values.
        EXPECT_EQ(image.advanced.GAP, controller.GAP) << c.name;
        EXPECT_EQ(image.advanced.PD, controller.PD) << c.name;
        EXPECT_EQ(image.systemSetup.CI, 20) << c.name;
    }
}

// A read-back that fails for one group still compares the others: a group the controller
// changed is never called verified, and the unread one is only sent. When WDIS does not go
// in last, the advanced group is not called verified either.
TEST(RestoreImage, EveryGroupReadBackIsCompared) {
    for (const bool wdisRefused : {false, true}) {
        SimulatedController sim;
        sim.Memory().LoadFactoryContents();
        TransferContext link(sim);
        bool wrote = false, changed = false;
        sim.FailCalls([&](const LinkCall& c, int) {
            wrote = wrote || c.write;
            if (c.write && IsWdis(c))
                return wdisRefused; // the set's WDIS, written last
            if (!wrote || c.write)
                return false;
            if (!changed && (c.block == PatternBlockA(3) || c.block == PatternBlockB(3))) {
                sim.Memory().Data()[0xC000 + 840 * 2] ^= 0x01; // another hand on the keys
                changed = true;
            }
            return c.block == PatternBlockA(5) || c.block == PatternBlockB(5);
        });
        ParameterImage image;
        SetStartValues(image);
        image.advanced.WDIS = 1;
        const RestoreReport report = RestoreImage(
            link, image, [](ParameterImage&) { return true; }, RestoreOptions{});
        ASSERT_TRUE(changed);
        EXPECT_EQ(report.differs, std::vector<GroupId>{GroupId::Pattern(3)});
        for (const GroupOutcome& o : SendAllOutcomes(report)) {
            TransferOutcome expected = TransferOutcome::Verified;
            if (o.group == GroupId::Pattern(3))
                expected = TransferOutcome::Differs;
            else if (o.group == GroupId::Pattern(5))
                expected = TransferOutcome::Done;
            else if (o.group == GroupId::Advanced() && wdisRefused)
                expected = TransferOutcome::Failed;
            EXPECT_EQ(o.outcome, expected) << GroupTitle(o.group) << " " << o.cause;
        }
    }
}

} // namespace
