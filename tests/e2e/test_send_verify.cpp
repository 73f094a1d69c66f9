// Read-back after SEND against tqx-sim: a controller that acknowledges writes without
// storing them is caught, naming the block; a sound one is verified.
#include "link/tqxcomm.h"
#include "support/sim_process.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_transfers.h"
#include "transfers/pattern_transfers.h"
#include "transfers/transfer_notes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace {

struct Outcomes : TransferListener {
    void GroupRetrieved(int, bool) override {}
    void GroupSent(int group, SendOutcome outcome) override { sent[group] = outcome; }
    std::map<int, SendOutcome> sent;
};

struct Send {
    const char* what;
    int group;
    // Changes one value of the group in `image`, sends it; returns everything reported.
    std::function<std::string(ParameterImage& image)> run;
};

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts)
        all += t + "\n";
    return all;
}

const Send kSends[] = {
    {"system setup", kSystemSetupGroup,
     [](ParameterImage& im) {
         im.systemSetup.TF = static_cast<int16_t>(im.systemSetup.TF + 3); // block 9
         return Joined(SendSystemSetupBlocks(im.systemSetup));
     }},
    {"advanced", kAdvancedGroup,
     [](ParameterImage& im) {
         im.advanced.GAP = static_cast<int16_t>(im.advanced.GAP + 3); // block 13
         return Joined(SendAdvancedBlocks(im.advanced));
     }},
    {"PID group 4", PidGroupIndex(4),
     [](ParameterImage& im) {
         ++im.pid[3].bytes[0];
         std::vector<std::string> readBack;
         SendPidGroupBlock(im, 4, readBack);
         return Joined(readBack);
     }},
    {"pattern 3", PatternGroupIndex(3),
     [](ParameterImage& im) {
         ++im.pattern[2].bytes[500]; // in block B, 25
         RecordingMessages messages;
         SendPattern(im, 3, messages);
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
    ParameterImage image;
    SetStartValues(image);
    ASSERT_TRUE(ReadWholeController(image).failed.empty());
    Outcomes outcomes;
    TransferListener* previous = SetTransferListener(&outcomes);
    SetVerifyAfterSend(verify);
    for (size_t i = 0; i < std::size(kSends); ++i) {
        const std::string said = kSends[i].run(image);
        check(i, said, outcomes.sent.at(kSends[i].group));
    }
    SetVerifyAfterSend(false);
    SetTransferListener(previous);
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
        EXPECT_EQ(outcome, SendOutcome::Sent) << kSends[i].what;
        EXPECT_EQ(said, "") << kSends[i].what;
    });
}
