// Read-back after SEND against tqx-sim: a controller that acknowledges writes without
// storing them is caught, naming the block; a sound one is verified.
#include "link/tqxcomm.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_transfers.h"
#include "transfers/pattern_transfers.h"
#include "transfers/transfer_context.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace {

using SendOutcome = TransferOutcome;

struct Outcomes : TransferListener {
    void GroupRetrieved(GroupId, bool) override {}
    void GroupSent(GroupId group, SendOutcome outcome, const std::string&) override {
        sent[group] = outcome;
    }
    std::map<GroupId, SendOutcome> sent;
};

struct Send {
    const char* what;
    GroupId group;
    // Changes one value of the group in `image`, sends it; returns everything reported.
    std::function<std::string(TransferContext& link, ParameterImage& image)> run;
};

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts)
        all += t + "\n";
    return all;
}

const Send kSends[] = {
    {"system setup", GroupId::SystemSetup(),
     [](TransferContext& link, ParameterImage& im) {
         im.systemSetup.TF = static_cast<int16_t>(im.systemSetup.TF + 3); // block 9
         return Joined(SendSystemSetup(link, im.systemSetup).What());
     }},
    {"advanced", GroupId::Advanced(),
     [](TransferContext& link, ParameterImage& im) {
         im.advanced.GAP = static_cast<int16_t>(im.advanced.GAP + 3); // block 13
         return Joined(SendAdvanced(link, im.advanced).What());
     }},
    {"PID group 4", GroupId::Pid(4),
     [](TransferContext& link, ParameterImage& im) {
         ++im.pid[3].bytes[0];
         return Joined(SendPidGroup(link, im, 4).What());
     }},
    {"pattern 3", GroupId::Pattern(3),
     [](TransferContext& link, ParameterImage& im) {
         ++im.pattern[2].bytes[500]; // in block B, 25
         RecordingMessages messages;
         SendPattern(link, im, 3, messages);
         return Joined(messages.Texts());
     }},
};

const char* const kDropped[] = {"block 9 reads back different", "block 13 reads back different",
                                "block 7 reads back different", "block 25 reads back different"};

void RunAll(const char* forget, bool verify,
            const std::function<void(size_t, const std::string&, SendOutcome)>& check) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--forget-writes", forget});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    ASSERT_TRUE(ReadWholeController(link, image).failed.empty());
    Outcomes outcomes;
    link.SetListener(&outcomes);
    link.SetVerify(verify);
    for (size_t i = 0; i < std::size(kSends); ++i) {
        const std::string said = kSends[i].run(link, image);
        check(i, said, outcomes.sent.at(kSends[i].group));
    }
    TQXCloseSerialPort();
}

} // namespace

TEST(SendVerify, ADroppedWriteFailsTheSendNamingTheBlock) {
    RunAll("1", true, [](size_t i, const std::string& said, SendOutcome outcome) {
        EXPECT_EQ(outcome, SendOutcome::Differs) << kSends[i].what;
        EXPECT_NE(said.find(kDropped[i]), std::string::npos) << kSends[i].what << ": " << said;
        // Only the changed block differs: block 12 and the pattern's block A read back equal.
        EXPECT_EQ(said.find("block 12"), std::string::npos) << said;
        EXPECT_EQ(said.find("block 24"), std::string::npos) << said;
    });
}

TEST(SendVerify, ASoundControllerIsVerifiedAndVerifyOffOnlySends) {
    RunAll("0", true, [](size_t i, const std::string& said, SendOutcome outcome) {
        EXPECT_EQ(outcome, SendOutcome::Verified) << kSends[i].what;
        EXPECT_EQ(said, "") << kSends[i].what;
    });
    RunAll("1", false, [](size_t i, const std::string& said, SendOutcome outcome) {
        EXPECT_EQ(outcome, SendOutcome::Done) << kSends[i].what;
        EXPECT_EQ(said, "") << kSends[i].what;
    });
}
