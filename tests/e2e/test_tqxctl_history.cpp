// tqxctl's side of the history against tqx-sim: what backup and restore record, the audit
// trail, the history commands' mistakes and a history it may not write.
#include "files/file_test_support.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using filetest::Slurp;
using filetest::Spit;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
    }
    return lines;
}

bool Has(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

TEST(TqxctlHistory, BackupAndRestoreAreRecordedAndTheAuditTrailNamesTheChange) {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
    filetest::TempFolder folder;
    const std::string history = folder.File("history.sqlite");
    const auto ctl = [&](const std::string& args) {
        return Tqxctl("--history " + history + " --port " + sim.PortSetting() + " " + args);
    };
    const std::string before = folder.File("before.slk"), changed = folder.File("changed.slk");
    ASSERT_EQ(ctl("backup " + before).status, 0);
    ParameterImage set;
    SetStartValues(set);
    RecordingMessages messages;
    ASSERT_TRUE(ReadParameterFileText(Slurp(before), set, messages));
    set.pid[0].SetWord(PidGroupRecord::P, 77);
    Spit(changed, BuildParameterFileText(set));
    const TqxctlResult restore = ctl("restore --keep " + folder.File("kept") + " " + changed);
    ASSERT_EQ(restore.status, 0) << restore.out;

    const std::vector<std::string> list = Lines(ctl("history list").out);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_TRUE(Has(list[1], "tqxctl restore " + changed + "  [all]")) << list[1];
    EXPECT_TRUE(Has(list[2], "kept before tqxctl restore (" + folder.File("kept/"))) << list[2];
    EXPECT_TRUE(Has(list[3], "tqxctl backup " + before + "  [all]")) << list[3];
    // The restore's snapshot is what the controller now holds, the kept copy what the backup
    // read; the audit trail has the edit among the restore's changes.
    const TqxctlResult now = ctl("history diff 3 controller");
    EXPECT_EQ(now.status, 0) << now.out;
    EXPECT_EQ(ctl("history diff 1 2").status, 0);
    const std::string csv = ctl("history changes --csv").out;
    EXPECT_TRUE(Has(csv, ",3,tqxctl restore " + changed + ",pid 1 P,5.0 %,7.7 %,50,77,\r\n"))
        << csv;

    // Each mistake exits 2 and changes nothing.
    const std::string listed = ctl("history list").out, exported = folder.File("99.slk");
    for (const char* args :
         {"history", "history bogus", "history list --controller nothing", "history list x",
          "history show 99", "history show x", "history show 1 pid 10", "history diff 1",
          "history diff 99 1", "history diff 1 none.slk", "history note 99 text", "history note",
          "history label nothing text", "history changes --since yesterday"}) {
        const TqxctlResult run = ctl(args);
        EXPECT_EQ(run.status, 2) << args << "\n" << run.out;
    }
    EXPECT_EQ(ctl("history export 99 " + exported).status, 2);
    EXPECT_FALSE(std::filesystem::exists(exported));
    EXPECT_EQ(ctl("history list").out, listed);
    EXPECT_EQ(Tqxctl("--history " + folder.File("none.sqlite") + " history list").status, 2);

    // Read-only: the backup is written as ever and stderr says the history took nothing.
    ASSERT_EQ(::chmod(history.c_str(), 0444), 0);
    const TqxctlResult again = ctl("backup " + folder.File("again.slk"));
    EXPECT_EQ(again.status, 0) << again.out;
    EXPECT_TRUE(Has(again.out, "tqxctl: History not recorded: " + history + " is read-only"))
        << again.out;
    EXPECT_EQ(Slurp(folder.File("again.slk")), Slurp(changed));
    EXPECT_EQ(Lines(ctl("history list").out).size(), 5u) << "the note and the three";
}

} // namespace
