// tqxctl against what could turn it against its user: a controller whose model code holds
// escape sequences, paths that would make it wait or spill files, labels of any size or
// shaped as spreadsheet formulas, a damaged snapshot, and options where values belong.

#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/set_blocks.h"
#include "support/sim_process.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

using filetest::TempFolder;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A byte a terminal would act on: a C0 control other than the line end, DEL, or a C1
// control as one byte.
bool HoldsRawControl(const std::string& out) {
    for (unsigned char c : out)
        if ((c < 0x20 && c != '\n') || c == 0x7F || c == 0x9B)
            return true;
    return false;
}

double SecondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

TEST(TqxctlHostile, AModelCodeWithEscapeSequencesReachesTheTerminalEscaped) {
    TempFolder folder;
    // Clears the screen, sets the window title, rings the bell, and a C1 CSI: 14 bytes.
    const std::string model = "\x1b[2J\x1b]0;X\x07\x9b"
                              "ABC";
    ASSERT_EQ(model.size(), 14u);
    SimProcess sim({"--pty", folder.File("m.pty"), "--model", model});
    ASSERT_TRUE(sim.Ready());
    const std::string ctl = "--history " + folder.File("h.sqlite") +
                            " --port rtu:" + sim.Address() + ",parity=N,timeout=100 ";
    for (const std::string& command :
         {"backup " + folder.File("b.slk"), std::string("show controller system"),
          std::string("scan --units 1"), "backup --all " + folder.File("all") + " --units 1",
          std::string("history list")}) {
        const TqxctlResult r = Tqxctl(ctl + command);
        EXPECT_EQ(r.status, 0) << command << "\n" << r.out;
        EXPECT_FALSE(HoldsRawControl(r.out)) << command << "\n" << r.out;
        EXPECT_TRUE(Has(r.out, "\\x1B[2J\\x1B]0;X\\x07\\x9BABC")) << command << "\n" << r.out;
    }
}

TEST(TqxctlHostile, BackupAllOverSeveralLineSettingsWritesAFilePerControllerFound) {
    TempFolder folder;
    SimProcess sim({"--pty", folder.File("b.pty"), "--units", "1,2:PXR4TEY1X-0099"});
    ASSERT_TRUE(sim.Ready());
    // A pseudo-terminal answers at every rate: each controller is found at four settings.
    const TqxctlResult r = Tqxctl("--history " + folder.File("h.sqlite") +
                                  " --port rtu:" + sim.Address() + ",timeout=100 backup --all " +
                                  folder.File("all") + " --units 1-2 --bauds 9600,19200");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(NamesIn(folder.File("all")).size(), 8u) << r.out;
    EXPECT_TRUE(Has(r.out, "\n8 of 8 controllers backed up")) << r.out;
    EXPECT_TRUE(NamesIn(folder.File("all")).count("unit-02-PXR4TEY1X-0099-19200-8N1.slk"));
}

TEST(TqxctlHostile, PathsThatWouldWaitOrSpillAreRefusedAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string command, kind;
    } cases[] = {
        {"--trace " + fifo + " show controller", "FIFO"},
        {"TQXCOMM_TRACE=" + fifo + " " TQXCTL_PATH " show controller", "FIFO"},
        {"--trace " + folder.File("") + " show controller", "folder"},
        {"--history " + fifo + " history list", "FIFO"},
        {"--history /dev/null history list", "device"},
    };
    const std::set<std::string> devBefore = NamesIn("/dev");
    for (const auto& c : cases) {
        TqxctlResult r;
        const bool shell = c.command.rfind("TQXCOMM", 0) == 0;
        const double seconds =
            SecondsOf([&] { r = shell ? RunShell(c.command) : Tqxctl(c.command); });
        EXPECT_LT(seconds, 1.0) << c.command;
        EXPECT_EQ(r.status, 2) << c.command << "\n" << r.out;
        EXPECT_TRUE(Has(r.out, c.kind)) << c.command << "\n" << r.out;
    }
    // Recording into /dev/null (as root, where SQLite could make files in /dev) is refused
    // too, and the backup still done.
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.Ready());
    const TqxctlResult backup = Tqxctl("--history /dev/null --port " + sim.PortSetting() +
                                       " backup " + folder.File("b.slk"));
    EXPECT_EQ(backup.status, 0) << backup.out;
    EXPECT_TRUE(Has(backup.out, "History not recorded: /dev/null is a device")) << backup.out;
    EXPECT_EQ(NamesIn("/dev"), devBefore);
    // A file size limit: the message of a full disk, the old file kept.
    filetest::Spit(folder.File("b.slk"), "old");
    const TqxctlResult limited =
        RunShell("ulimit -f 1; " TQXCTL_PATH " --history /dev/null --port " + sim.PortSetting() +
                 " backup " + folder.File("b.slk"));
    EXPECT_EQ(limited.status, 2) << limited.out;
    EXPECT_TRUE(Has(limited.out, "the file size limit is reached")) << limited.out;
    EXPECT_EQ(filetest::Slurp(folder.File("b.slk")), "old");
}

TEST(TqxctlHostile, TheHistoryKeepsToSaneSizesSafeCellsAndListsPastADamagedSnapshot) {
    TempFolder folder;
    const std::string path = folder.File("h.sqlite");
    {
        std::string why;
        auto store = OpenHistoryStore(path, true, why);
        ASSERT_TRUE(store) << why;
        NewSnapshot s;
        s.controller = {"rtu:/dev/ttyUSB0 9600 8E1", 1, "PXT9A1Y2T-0D1R"};
        s.event = SnapshotEvent::Backup;
        s.groups = kEveryGroup;
        SetStartValues(s.set);
        for (uint16_t p : {10, 20, 30}) {
            s.set.pid[0].SetWord(PidGroupRecord::P, p);
            s.set.systemSetup.PVF = static_cast<int16_t>(p == 30 ? -5 : 0);
            ASSERT_EQ(store->Record(s), "");
        }
        EXPECT_TRUE(Has(store->SetLabel(1, std::string(10 << 20, 'x')), "at most 1000"));
        EXPECT_TRUE(Has(store->SetNote(1, std::string(1001, 'n')), "at most 1000"));
        ASSERT_EQ(store->SetLabel(1, "=HYPERLINK(\"http://x\",\"Furnace\")"), "");
    }
    const std::string ctl = "--history " + path + " history ";
    const TqxctlResult big = Tqxctl(ctl + "label '#1' " + std::string(1001, 'y'));
    EXPECT_EQ(big.status, 2) << big.out;
    EXPECT_TRUE(Has(big.out, "at most 1000 characters")) << big.out;

    const TqxctlResult csv = Tqxctl(ctl + "changes --csv");
    EXPECT_EQ(csv.status, 0) << csv.out;
    // Quoted as RFC 4180 says, and shown by a spreadsheet as text, not run as a formula.
    EXPECT_TRUE(Has(csv.out, ",\"'=HYPERLINK(\"\"http://x\"\",\"\"Furnace\"\")\",2,")) << csv.out;
    EXPECT_FALSE(Has(csv.out, ",=")) << csv.out;
    // A negative value stays a number.
    EXPECT_TRUE(Has(csv.out, ",-5")) << csv.out;
    EXPECT_FALSE(Has(csv.out, "'-5")) << csv.out;

    // The block snapshot 2 brought (P 2.0) damaged; snapshot 3 holds another.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "SELECT blocks FROM snapshots WHERE id = 2", -1, &q, nullptr);
    ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
    const auto* listed = static_cast<const uint8_t*>(sqlite3_column_blob(q, 0));
    BlockRefs refs;
    ASSERT_TRUE(DecodeRefs({listed, listed + sqlite3_column_bytes(q, 0)}, refs));
    sqlite3_finalize(q);
    ASSERT_EQ(refs.size(), 1u);
    const std::string damage =
        "UPDATE blocks SET bytes = x'0102' WHERE key = " + std::to_string(refs[0].key);
    ASSERT_EQ(sqlite3_exec(db, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const TqxctlResult changes = Tqxctl(ctl + "changes");
    EXPECT_EQ(changes.status, 2) << changes.out;
    EXPECT_TRUE(Has(changes.out, "snapshot 2  ")) << changes.out;
    EXPECT_TRUE(Has(changes.out, "DAMAGED")) << changes.out;
    // The one after it is compared with the one before it.
    EXPECT_TRUE(Has(changes.out, "snapshot 3  ")) << changes.out;
    EXPECT_TRUE(Has(changes.out, "pid 1 P: 1.0 % -> 3.0 %")) << changes.out;
}

TEST(TqxctlHostile, EveryOptionTakesItsValueExplicitly) {
    const struct {
        const char* args;
        const char* said;
    } cases[] = {
        {"restore --keep --unlock set.slk", "--keep needs a DIR, and '--unlock' is an option"},
        {"--port '' backup x.slk", "--port needs a SETTING, not an empty text"},
        {"--port= backup x.slk", "--port needs a SETTING, not an empty text"},
        {"--port rtu:/dev/null,unit=0 backup x.slk", "unit 0 is the broadcast address"},
        {"--history --trace t history list", "--history needs a PATH, and '--trace' is an option"},
        {"history changes --since --csv", "--since needs a DATE"},
        {"scan --units --bauds 9600", "--units needs a value"},
        {"restore --unlcok set.slk", "restore has no option '--unlcok'"},
    };
    for (const auto& c : cases) {
        const TqxctlResult r = Tqxctl(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_TRUE(Has(r.out, c.said)) << c.args << "\n" << r.out;
    }
}
