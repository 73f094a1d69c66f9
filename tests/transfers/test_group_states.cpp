#include "transfers/connect_procedure.h"
#include "transfers/group_states.h"
#include "transfers/parameter_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using SendOutcome = TransferOutcome;
using ReadReport = TransferResult;

constexpr GroupId kPid3 = GroupId::Pid(3);
constexpr GroupId kPattern2 = GroupId::Pattern(2);
constexpr GroupId kSystemSetupGroup = GroupId::SystemSetup();
constexpr GroupId kAdvancedGroup = GroupId::Advanced();

void Edit(ParameterImage& image, GroupId group) {
    const auto i = static_cast<size_t>(group.number() - 1);
    if (group == kSystemSetupGroup)
        ++image.systemSetup.PVF;
    else if (group == kAdvancedGroup)
        ++image.advanced.DMV;
    else if (group.kind() == GroupId::Kind::PidGroup)
        ++image.pid[i].bytes[5];
    else
        ++image.pattern[i].bytes[100];
}

ReadReport FailedPatternTwo() {
    ReadReport report;
    const std::vector<ConnectRead>& sequence = ConnectReadSequence();
    for (int i = 0; i < static_cast<int>(sequence.size()); ++i)
        if (sequence[static_cast<size_t>(i)].block == 23) {
            report.failedReads.push_back(i);
            report.failed.push_back({23, "pattern 2"});
        }
    return report;
}

using Steps = std::function<void(GroupStates&, ParameterImage&)>;

struct Case {
    const char* name;
    Steps steps;
    GroupId group;
    GroupState state;
    bool unsent; // of `group`; HasUnsentEdits() must agree, no other group is edited
};

} // namespace

// Each case starts after a clean Connect and runs what an operator would.
TEST(GroupStates, FollowEveryWayAGroupChanges) {
    const auto connected = [](GroupStates& s, ParameterImage& im) {
        s.Connected(im, ReadReport{}, false, "t0");
    };
    const Case cases[] = {
        {"Connect reads every group", [](GroupStates&, ParameterImage&) {}, kPid3,
         GroupState::ReadFromController, false},
        {"an OK that changed nothing is no edit",
         [](GroupStates& s, ParameterImage& im) { s.Observe(im, "t1"); }, kPid3,
         GroupState::ReadFromController, false},
        {"an OK that changed the record is an edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Observe(im, "t1");
         },
         kPid3, GroupState::Edited, true},
        {"SEND with verify",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Sent(im, kPid3, SendOutcome::Verified, "t1");
         },
         kPid3, GroupState::SentVerified, false},
        {"SEND without verify",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPattern2);
             s.Observe(im, "t1");
             s.Sent(im, kPattern2, SendOutcome::Done, "t2");
         },
         kPattern2, GroupState::Sent, false},
        {"a failed SEND keeps the edit of its own store step unsent",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPattern2);
             s.Sent(im, kPattern2, SendOutcome::Failed, "t1");
         },
         kPattern2, GroupState::SendFailed, true},
        {"a SEND the controller silently dropped keeps the edit unsent",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kSystemSetupGroup);
             s.Sent(im, kSystemSetupGroup, SendOutcome::Differs, "t1");
         },
         kSystemSetupGroup, GroupState::DiffersFromController, true},
        {"a failed SEND of an untouched group leaves nothing unsent",
         [](GroupStates& s, ParameterImage& im) { s.Sent(im, kPid3, SendOutcome::Failed, "t1"); },
         kPid3, GroupState::SendFailed, false},
        {"RETRIEVE replaces an edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kAdvancedGroup);
             s.Observe(im, "t1");
             Edit(im, kAdvancedGroup); // the controller's values arrive
             s.Retrieved(im, kAdvancedGroup, true, "t2");
         },
         kAdvancedGroup, GroupState::ReadFromController, false},
        {"a failed RETRIEVE keeps the edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kAdvancedGroup);
             s.Observe(im, "t1");
             Edit(im, kAdvancedGroup); // a part arrived before the failure
             s.Retrieved(im, kAdvancedGroup, false, "t2");
             s.Observe(im, "t3");
         },
         kAdvancedGroup, GroupState::Edited, true},
        {"what a RETRIEVE brings is never an edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Retrieved(im, kPid3, true, "t1");
             s.Observe(im, "t2");
         },
         kPid3, GroupState::ReadFromController, false},
        {"File Write saves the edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.FileWritten(im, "t1"); // the store step of an OK just before counts too
         },
         kPid3, GroupState::SavedToFile, false},
        {"File Read replaces an edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Observe(im, "t1");
             Edit(im, kPid3);
             s.FileRead(im, "t2");
             s.Observe(im, "t3");
         },
         kPid3, GroupState::LoadedFromFile, false},
        {"a second Connect replaces an edit",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Observe(im, "t1");
             Edit(im, kPid3);
             s.Connected(im, ReadReport{}, false, "t2");
         },
         kPid3, GroupState::ReadFromController, false},
        {"a Connect that could not read a pattern",
         [](GroupStates& s, ParameterImage& im) {
             s.Connected(im, FailedPatternTwo(), false, "t1");
         },
         kPattern2, GroupState::ReadFailed, false},
        {"the retry reads it",
         [](GroupStates& s, ParameterImage& im) {
             s.Connected(im, FailedPatternTwo(), false, "t1");
             Edit(im, kPid3); // not read again by the retry: stays an edit
             s.Observe(im, "t2");
             Edit(im, kPattern2);
             s.Connected(im, ReadReport{}, true, "t3");
             EXPECT_EQ(s.At(kPid3).state, GroupState::Edited);
             Edit(im, kPid3);
             s.Retrieved(im, kPid3, true, "t4");
         },
         kPattern2, GroupState::ReadFromController, false},
        {"Compare marks the groups that differ",
         [](GroupStates& s, ParameterImage& im) {
             Edit(im, kPid3);
             s.Observe(im, "t1");
             s.ComparedWithController({kPid3}, "t2");
             EXPECT_EQ(s.At(kPattern2).state, GroupState::MatchesController);
         },
         kPid3, GroupState::DiffersFromController, true},
    };
    for (const Case& c : cases) {
        ParameterImage image;
        SetStartValues(image);
        GroupStates states;
        connected(states, image);
        c.steps(states, image);
        EXPECT_EQ(states.At(c.group).state, c.state) << c.name;
        EXPECT_EQ(states.At(c.group).unsent, c.unsent) << c.name;
        EXPECT_EQ(states.HasUnsentEdits(), c.unsent) << c.name;
        EXPECT_FALSE(states.At(c.group).when.empty()) << c.name;
    }
}

// Every group has its own record: an edit of one marks that one alone.
TEST(GroupStates, AnEditMarksItsOwnGroupOnly) {
    for (GroupId g : AllGroups()) {
        ParameterImage image;
        SetStartValues(image);
        GroupStates states;
        states.FileRead(image, "t0");
        Edit(image, g);
        states.Observe(image, "t1");
        for (GroupId other : AllGroups())
            EXPECT_EQ(states.At(other).unsent, other == g)
                << GroupTitle(g) << " " << GroupTitle(other);
        EXPECT_EQ(GroupOfCommandName(GroupCommandName(g)), g);
        EXPECT_EQ(GroupId::FromIndex(g.Index()), g);
    }
}

// The port pane and the header say where the set came from, and never show a model code
// that was not read.
TEST(ParameterSet, PaneAndHeaderFollowTheSource) {
    ParameterImage image;
    SetStartValues(image);
    ParameterSet set(image);
    const std::string usb = "/dev/ttyUSB0 9600 8E1 unit 3";
    EXPECT_EQ(PortPaneText(set, usb), usb + " - not connected");
    TransferResult codeFailed;
    codeFailed.failedReads = {kModelCodeRead};
    codeFailed.Fail(40, "model code (block 40)", "");
    set.Connected(codeFailed, ImageSource::Controller("rtu:/dev/ttyUSB0", 3, "09:12"), "09:12:00");
    EXPECT_EQ(PortPaneText(set, usb), usb + " - connected, model code not read");
    EXPECT_EQ(HeaderOf(set, "x").model, "model code not read");
    std::copy_n("PXT9A1Y2T-0D1R", 14, image.modelCode.data());
    set.Retried(TransferResult{}, "09:13:00");
    EXPECT_EQ(PortPaneText(set, usb), usb + " - connected to model code PXT9A1Y2T-0D1R");
    EXPECT_EQ(HeaderOf(set, "x").source, "source: controller, read at 09:12");
    set.FileRead("C:\\TEST", "09:14:00");
    EXPECT_EQ(PortPaneText(set, usb), usb + " - loaded from file C:\\TEST");
    ++image.pid[0].bytes[0];
    set.Observe("09:15:00");
    EXPECT_EQ(HeaderOf(set, "x").source, "source: file C:\\TEST, edited since");
    EXPECT_EQ(HeaderOf(set, "x").model, "model code not read");
}
