// The one recording policy: a SEND's snapshot holds what the controller holds, never an
// edit the operator has not sent; a restore that missed a group keeps the kept set's.

#include "history/recording_policy.h"

#include <gtest/gtest.h>

namespace {

const ControllerIdentity kFurnace{"rtu:/dev/ttyUSB0 9600 8E1", 1, "PXT4TEY1T-0012"};
const ControllerIdentity kOther{"rtu:/dev/ttyUSB1 9600 8E1", 1, ""};

TEST(RecordingPolicy, ASendRecordsTheGroupsSentOverTheLastWholeRead) {
    RecordingPolicy policy;
    ParameterImage read;
    read.pid[0].SetWord(PidGroupRecord::P, 100);
    read.pid[1].SetWord(PidGroupRecord::P, 200);
    policy.WholeRead(kFurnace, SnapshotEvent::Connect, read, kEveryGroup);

    ParameterImage loader = read;
    loader.pid[0].SetWord(PidGroupRecord::P, 111); // sent
    loader.pid[1].SetWord(PidGroupRecord::P, 222); // edited, not sent
    policy.EditorSent(GroupId::Pid(1), true);
    const std::optional<NewSnapshot> s =
        policy.FlushSends(ControllerIdentity{kFurnace.port, 1, ""}, loader);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->set.pid[0].Word(PidGroupRecord::P), 111);
    EXPECT_EQ(s->set.pid[1].Word(PidGroupRecord::P), 200);
    EXPECT_EQ(s->sent, GroupId::Pid(1));
    EXPECT_TRUE(s->verified);
    EXPECT_FALSE(policy.FlushSends(kFurnace, loader)); // one snapshot per SEND

    // Another line: nothing is known of it but what the loader holds.
    const std::optional<NewSnapshot> other =
        policy.Sent(kOther, SnapshotEvent::SendEdited, loader, {GroupId::Pid(2)});
    ASSERT_TRUE(other);
    EXPECT_EQ(other->set.pid[1].Word(PidGroupRecord::P), 222);
    EXPECT_EQ(policy.WithModelCode(ControllerIdentity{kOther.port, 1, ""}).modelCode, "");
}

TEST(RecordingPolicy, ARestoreKeepsWhatItDidNotWriteAsTheKeptSetSaysIt) {
    RecordingPolicy policy;
    ParameterImage own, sent;
    own.pid[2].SetWord(PidGroupRecord::D, 30);
    sent.pid[2].SetWord(PidGroupRecord::D, 99);
    sent.pid[3].SetWord(PidGroupRecord::D, 44);
    policy.KeptBefore(kFurnace, SnapshotEvent::KeptBeforeSendAll, own, "/kept.slk");
    const NewSnapshot s =
        policy.Restored(kFurnace, SnapshotEvent::SendAll, sent, {GroupId::Pid(4)}, "file");
    EXPECT_EQ(s.set.pid[2].Word(PidGroupRecord::D), 30);
    EXPECT_EQ(s.set.pid[3].Word(PidGroupRecord::D), 44);
    EXPECT_EQ(s.groups, MaskOf({GroupId::Pid(4)}));
    // A file written from a set with unsent edits is nobody's controller.
    EXPECT_EQ(policy.FileWritten(sent, true, "/x.slk").controller.port, "");
    EXPECT_EQ(policy.FileWritten(sent, false, "/x.slk").controller.port, kFurnace.port);
}

} // namespace
