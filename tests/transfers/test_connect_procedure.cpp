#include "link/link_backend.h"
#include "simulator/simulated_controller.h"
#include "transfers/connect_procedure.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Answers the confirmation as told and remembers what it was shown, and each read's
// progress step.
class ScriptedConnectUi : public ConnectUi, public TransferProgress {
public:
    explicit ScriptedConnectUi(bool confirm) : m_confirm(confirm) {}
    bool ConfirmModelCode(const std::string& code, const std::string& failure) override {
        shownCode = code;
        shownFailure = failure;
        return m_confirm;
    }
    void Step(const std::string&, int index, int total) override {
        progress.push_back(index);
        this->total = total;
    }
    void Finished() override { finished = true; }

    std::string shownCode;
    std::string shownFailure;
    std::vector<int> progress;
    int total = 0;
    bool finished = false;

private:
    bool m_confirm;
};

struct ConnectFixture : ::testing::Test {
    ConnectFixture() : scoped(sim) {
        SetStartValues(image);
        sim.Memory().LoadFactoryContents("PXT4TEY1T-0012");
    }
    uint8_t* Mem(uint32_t address) { return sim.Memory().Data() + address; }

    // Connect with `ui`, its progress shown to `ui` too.
    TransferResult Connect(ParameterImage& onto, ScriptedConnectUi& ui) {
        link.SetProgress(&ui);
        const TransferResult result = RunConnect(link, onto, ui, messages, cursor);
        link.SetProgress(nullptr);
        return result;
    }

    SimulatedController sim;
    ScopedLinkBackend scoped;
    TransferContext link;
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
};

struct ExpectedRead {
    int mode, block, offset, length;
};

// The confirmed Connect, read by read, written out independently of the program's table.
std::vector<ExpectedRead> ExpectedConfirmedReads() {
    std::vector<ExpectedRead> reads = {{1, 40, 0, 14}, {1, 0, 0, 6}, {1, 3, 0, 10}};
    for (int block : {4, 5, 6, 7, 8, 46, 47, 48, 49})
        reads.push_back({1, block, 0, 24});
    reads.insert(reads.end(),
                 {{1, 9, 0, 26}, {1, 10, 0, 17}, {1, 12, 0, 33}, {1, 9, 0, 26}, {1, 13, 0, 12}});
    for (int a = 20; a <= 36; a += 2)
        reads.insert(
            reads.end(),
            {{17, a, 0, 126}, {17, a, 252, 84}, {17, a + 1, 0, 126}, {17, a + 1, 252, 84}});
    reads.insert(reads.end(),
                 {{1, 40, 0, 14}, {1, 41, 0, 18}, {1, 42, 0, 10}, {1, 43, 0, 12}, {1, 44, 0, 12}});
    return reads;
}

TEST_F(ConnectFixture, ConfirmedConnectMakesTheFiftyEightReadsInOrder) {
    ScriptedConnectUi ui(true);
    Connect(image, ui);

    const auto expected = ExpectedConfirmedReads();
    ASSERT_EQ(expected.size(), 58u);
    ASSERT_EQ(sim.Calls().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const LinkCall& call = sim.Calls()[i];
        EXPECT_FALSE(call.write) << "call " << i;
        EXPECT_EQ(call.mode, expected[i].mode) << "call " << i;
        EXPECT_EQ(call.block, expected[i].block) << "call " << i;
        EXPECT_EQ(call.offset, expected[i].offset) << "call " << i;
        EXPECT_EQ(call.length, expected[i].length) << "call " << i;
    }
    EXPECT_EQ(image.connected, 1);
    EXPECT_TRUE(messages.Texts().empty());
    // The progress counts the model code's read too, so its count ends where the
    // result's does: the 57 reads after the confirmation are steps 2 to 58 of 58.
    EXPECT_EQ(ui.total, 58);
    EXPECT_EQ(ui.progress.size(), 57u);
    EXPECT_EQ(ui.progress.front(), 1);
    EXPECT_EQ(ui.progress.back() + 1, ui.total);
    EXPECT_TRUE(ui.finished);
    EXPECT_EQ(cursor.Depth(), 0);
}

TEST_F(ConnectFixture, ConfirmedConnectFillsTheImageFromTheControllersBlocks) {
    ScriptedConnectUi ui(true);
    Connect(image, ui);

    EXPECT_EQ(ui.shownCode, "PXT4TEY1T-00121"); // 14 bytes read, the 15th keeps its "1"
    EXPECT_TRUE(HasTimeSignalOption(image));
    EXPECT_EQ(0, std::memcmp(image.rawBlock0.data(), Mem(0x0000), 6));
    EXPECT_EQ(0, std::memcmp(image.rawBlock3.data(), Mem(0x0300), 10));
    const int pidBlocks[9] = {4, 5, 6, 7, 8, 46, 47, 48, 49};
    for (int g = 0; g < 9; ++g)
        EXPECT_EQ(0, std::memcmp(image.pid[g].bytes.data(), Mem(0x100 * pidBlocks[g]), 24))
            << "PID group " << g + 1;
    for (int n = 0; n < 9; ++n)
        EXPECT_EQ(0, std::memcmp(image.pattern[n].bytes.data(), Mem(0xC000 + 840 * n), 840))
            << "pattern " << n + 1;
    // A few fields through the block layouts, addressed by hand.
    EXPECT_EQ(image.systemSetup.PVT, *Mem(0x0C01));
    EXPECT_EQ(image.systemSetup.PVF, static_cast<int16_t>(Mem(0x0C04)[0] | Mem(0x0C04)[1] << 8));
    EXPECT_EQ(image.systemSetup.STN, *Mem(0x0C1E));
    EXPECT_EQ(image.systemSetup.ENDT, static_cast<int16_t>(Mem(0x0918)[0] | Mem(0x0918)[1] << 8));
    EXPECT_EQ(image.systemSetup.EV_T4, *Mem(0x0917));
    EXPECT_EQ(image.advanced.WDIS, *Mem(0x0A10));
    EXPECT_EQ(image.advanced.PD, static_cast<int16_t>(Mem(0x0D0A)[0] | Mem(0x0D0A)[1] << 8));
}

TEST_F(ConnectFixture, CancelledConnectReadsOnlyTheModelCode) {
    ParameterImage before = image;
    ScriptedConnectUi ui(false);
    Connect(image, ui);

    ASSERT_EQ(sim.Calls().size(), 1u);
    EXPECT_EQ(sim.Calls()[0].block, 40);
    EXPECT_EQ(image.ModelCode(), "PXT4TEY1T-00121");
    // Nothing but the model code changed.
    before.modelCode = image.modelCode;
    EXPECT_EQ(image.systemSetup, before.systemSetup);
    EXPECT_EQ(image.advanced, before.advanced);
    EXPECT_EQ(image.pid, before.pid);
    EXPECT_EQ(image.pattern, before.pattern);
    EXPECT_EQ(image.connected, 0);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ConnectFixture, CancelKeepsAnEarlierConnectionFlag) {
    image.connected = 1;
    ScriptedConnectUi ui(false);
    Connect(image, ui);
    EXPECT_EQ(image.connected, 1);
}

TEST_F(ConnectFixture, NinthByteDecidesTheTimeSignalOption) {
    const struct {
        const char* code;
        bool option;
    } cases[] = {{"ABCDEFGHTJKLMN", true}, {"ABCDEFGHXJKLMN", false}, {"TTTTTTTT TTTTT", false}};
    for (const auto& c : cases) {
        std::memcpy(Mem(0x2800), c.code, 14);
        ScriptedConnectUi ui(false);
        Connect(image, ui);
        EXPECT_EQ(HasTimeSignalOption(image), c.option) << c.code;
    }
}

TEST_F(ConnectFixture, AFailedReadChangesNothingAndIsReportedOnce) {
    // Fail the read of PID group 2 (block 5) and the first half of pattern 4 (block 26).
    sim.FailCalls([](const LinkCall& call, int) {
        return call.block == 5 || (call.block == 26 && call.offset == 0);
    });
    image.pid[1].SetWord(0, 1234);
    image.pattern[3].bytes[7] = 0x5A;
    ScriptedConnectUi ui(true);
    Connect(image, ui);

    EXPECT_EQ(image.pid[1].Word(0), 1234);
    EXPECT_EQ(image.pattern[3].bytes[7], 0x5A);
    EXPECT_EQ(0, std::memcmp(image.pid[2].bytes.data(), Mem(0x0600), 24));
    EXPECT_EQ(0, std::memcmp(&image.pattern[3].bytes[252], Mem(0xC000 + 3 * 840 + 252), 168));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "Connect: 2 of 58 reads failed (PID group 2, program pattern 4 "
                                   "part 1). Those values were not changed.\n"
                                   "Port 1 (simulated controller): no answer within 500 ms.\n"
                                   "Connect > Retry failed reads repeats them.");
}

TEST_F(ConnectFixture, FailedSystemSetupBlockKeepsItsFieldsOnly) {
    sim.FailCalls([](const LinkCall& call, int) { return call.block == 12; });
    image.systemSetup.PVT = 99;  // held in block 12
    image.systemSetup.TF = 4321; // held in block 9
    ScriptedConnectUi ui(true);
    Connect(image, ui);
    EXPECT_EQ(image.systemSetup.PVT, 99);
    EXPECT_EQ(image.systemSetup.TF, static_cast<int16_t>(Mem(0x0904)[0] | Mem(0x0904)[1] << 8));
}

TEST_F(ConnectFixture, NothingAttachedStillConnectsAndSaysSo) {
    sim.FailCalls([](const LinkCall&, int) { return true; });
    ParameterImage before = image;
    ScriptedConnectUi ui(true);
    Connect(image, ui);
    EXPECT_EQ(ui.shownCode, std::string(15, '1'));
    EXPECT_EQ(ui.shownFailure, "Port 1 (simulated controller): no answer within 500 ms.");
    EXPECT_EQ(image.connected, 1);
    EXPECT_EQ(image.pattern, before.pattern);
    EXPECT_EQ(image.systemSetup, before.systemSetup);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "Connect: 58 of 58 reads failed; the loader keeps its previous "
                                   "values.\nPort 1 (simulated controller): no answer within 500 "
                                   "ms.\nConnect > Retry failed reads repeats them.");
}

// Retry passes over a line that fails calls at random: each pass repeats only what failed,
// and the image ends equal to a clean Connect's, the model code included.
TEST_F(ConnectFixture, RetryPassesCompleteALossyConnect) {
    ParameterImage clean = image;
    {
        ScriptedConnectUi ui(true);
        Connect(clean, ui);
    }
    for (unsigned seed = 1; seed <= 20; ++seed) {
        unsigned state = seed;
        sim.FailCalls([&state](const LinkCall&, int) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % 3 == 0;
        });
        ParameterImage lossy;
        SetStartValues(lossy);
        ScriptedConnectUi ui(true);
        TransferResult report = Connect(lossy, ui);
        for (int pass = 0; pass < 30 && !report.failed.empty(); ++pass) {
            sim.ClearCalls();
            const TransferResult again = RetryFailedReads(link, lossy, report);
            ASSERT_EQ(sim.Calls().size(), report.failedReads.size()) << "seed " << seed;
            report = again;
        }
        sim.FailNone();
        ASSERT_TRUE(report.failed.empty()) << "seed " << seed;
        EXPECT_EQ(lossy.ModelCode(), clean.ModelCode()) << "seed " << seed;
        EXPECT_EQ(lossy.pid, clean.pid) << "seed " << seed;
        EXPECT_EQ(lossy.pattern, clean.pattern) << "seed " << seed;
        EXPECT_EQ(lossy.systemSetup, clean.systemSetup) << "seed " << seed;
        EXPECT_EQ(lossy.advanced, clean.advanced) << "seed " << seed;
    }
}

} // namespace
