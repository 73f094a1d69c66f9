// What the status bar says an operation did, by the groups it noted.

#include "transfers/command_feedback.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using O = TransferOutcome;

TEST(CommandFeedback, SaysWhatBecameOfEachGroup) {
    const struct {
        const char* name;
        std::function<void(CommandFeedback&)> notes;
        const char* text;
    } cases[] = {
        {"nothing noted", [](auto&) {}, "Compare with controller done"},
        {"one PID group verified", [](auto& f) { f.Sent(GroupId::Pid(3), O::Verified); },
         "PID group 3 sent and verified"},
        {"the advanced group named as its menu item and window",
         [](auto& f) { f.Sent(GroupId::Advanced(), O::Done); },
         "Advanced usage (EXPERT PARAMETER) sent"},
        {"a retrieve that failed", [](auto& f) { f.Retrieved(GroupId::SystemSetup(), false); },
         "Setting up (SYSTEM PARAMETER) RETRIEVE failed"},
        {"nine PID groups, one failed",
         [](auto& f) {
             for (int g = 1; g <= 9; ++g)
                 f.Sent(GroupId::Pid(g), g == 7 ? O::Failed : O::Verified);
         },
         "PID groups 1 to 6, 8, 9 sent and verified; PID group 7 SEND failed"},
        {"a read, then the SEND of the same group",
         [](auto& f) {
             f.Retrieved(GroupId::Pattern(2), true);
             f.Sent(GroupId::Pattern(2), O::Differs);
         },
         "Program pattern 2 sent, but reads back other values"},
        {"groups of several kinds after the title",
         [](auto& f) {
             f.Sent(GroupId::Pattern(5), O::Cancelled);
             f.Sent(GroupId::SystemSetup(), O::Verified);
             f.Sent(GroupId::Pattern(4), O::Cancelled);
         },
         "Compare with controller: Program patterns 4, 5 SEND stopped by the operator; "
         "Setting up (SYSTEM PARAMETER) sent and verified"},
    };
    for (const auto& c : cases) {
        CommandFeedback feedback;
        c.notes(feedback);
        EXPECT_EQ(feedback.Text("Compare with controller"), c.text) << c.name;
    }
}

TEST(CommandFeedback, StampsHoursAndMinutes) {
    EXPECT_EQ(StampedFeedback("PID group 3 sent and verified", "14:02:59"),
              "PID group 3 sent and verified, 14:02");
}

} // namespace
