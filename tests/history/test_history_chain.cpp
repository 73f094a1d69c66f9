// The history's chain: one timeline per controller whatever its port is called, and a
// record changed, removed or inserted behind the store's back is named by Verify.
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/set_blocks.h"
#include "history/sha256.h"
#include "history/sqlite_history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using filetest::BusyImage;
using filetest::TempFolder;

namespace {

TEST(Sha256, KnownAnswers) {
    EXPECT_EQ(HexOf(Sha256().Add(std::string("abc")).Finish()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(
        HexOf(Sha256()
                  .Add(std::string("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))
                  .Finish()),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"); // two blocks
    EXPECT_EQ(HexOf(Sha256().Finish()),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

int RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

// A controller reached first by its device's own name and then by the by-id link to the
// same device (a pseudo-terminal here) keeps one entry, and its label.
TEST(Chain, AControllerKeepsOneEntryWhicheverNameItsPortIsReachedBy) {
    TempFolder folder;
    const int pty = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(pty, 0);
    ASSERT_EQ(grantpt(pty), 0);
    ASSERT_EQ(unlockpt(pty), 0);
    const std::string device = ptsname(pty);
    const std::string byId = folder.File("by-id");
    std::filesystem::create_directory(byId);
    const std::string link = byId + "/usb-Adapter_RS485_A1B2C3-if00-port0";
    std::filesystem::create_symlink(device, link);
    setenv("TQX_SERIAL_BY_ID", byId.c_str(), 1);

    SqliteHistory store;
    ASSERT_EQ(store.Open(folder.File("history.sqlite"), SqliteHistory::Access::Record), "");
    NewSnapshot s;
    s.controller = {device, 1, "PXT4TEY1T-00121"};
    s.set = BusyImage(1);
    ASSERT_EQ(store.Record(s), "");
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 1u);
    ASSERT_EQ(store.SetLabel(controllers[0].id, "Furnace 3"), "");
    s.controller.port = link;
    ASSERT_EQ(store.Record(s), "");
    s.controller.port = "tcp:10.0.4.17:502";
    ASSERT_EQ(store.Record(s), "");
    ASSERT_EQ(store.Controllers(controllers), "");
    unsetenv("TQX_SERIAL_BY_ID");
    close(pty);

    ASSERT_EQ(controllers.size(), 2u) << "the gateway is another way to another controller";
    const ControllerEntry& serial = controllers[1];
    EXPECT_EQ(serial.label, "Furnace 3");
    EXPECT_EQ(serial.snapshots, 2);
    EXPECT_EQ(serial.portKey, link);
    EXPECT_EQ(serial.identity.port, link) << "the port as last used";
}

// Each way of altering the file behind the store's back, and the snapshot Verify names.
TEST(Chain, VerifyNamesTheSnapshotWhoseRecordWasAltered) {
    struct Case {
        const char* what;
        std::string sql; // "%KEY%" is the key of a block snapshot 4 brought
        int64_t named;
    };
    const Case cases[] = {
        {"one byte of a stored block",
         "UPDATE blocks SET bytes = substr(bytes, 1, 4) || x'A5' || substr(bytes, 6)"
         " WHERE key = %KEY%",
         4},
        {"one timestamp", "UPDATE snapshots SET taken = taken + 1000 WHERE id = 3", 3},
        {"one user", "UPDATE origins SET os_user = 'mallory' WHERE id = 1", 1},
        {"a note set behind the chain", "UPDATE snapshots SET note = 'fine' WHERE id = 5", 5},
        {"a snapshot given to another controller",
         "UPDATE snapshots SET controller_id = 2 WHERE id = 3", 3},
        {"a whole snapshot row deleted", "DELETE FROM snapshots WHERE id = 3", 3},
        {"the last snapshot deleted", "DELETE FROM snapshots WHERE id = 6", 6},
        {"a snapshot inserted",
         "INSERT INTO snapshots SELECT 7, controller_id, recorded_controller_id, taken + 1,"
         " origin_id, what, groups, sent_group, verified, detail, note, content_id, base_id,"
         " depth, blocks, prev_ref, hash FROM snapshots WHERE id = 6",
         7},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string path = folder.File("history.sqlite");
        int64_t key = 0;
        {
            SqliteHistory store;
            ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), "");
            ParameterImage set = BusyImage(2);
            NewSnapshot s;
            s.controller = {"/dev/ttyUSB0", 1, "PXT4TEY1T-00121"};
            for (int i = 1; i <= 6; ++i) {
                set.pid[i % 9].SetWord(PidGroupRecord::I, static_cast<int16_t>(100 + i));
                s.set = set;
                s.controller.unit = i == 2 ? 2 : 1;
                ASSERT_EQ(store.Record(s), "");
                if (i == 4) {
                    ASSERT_EQ(store.SetNote(4, "after the relay was replaced"), "");
                }
            }
            ChainReport report;
            ASSERT_EQ(store.Verify(report), "");
            ASSERT_TRUE(report.whole) << report.problem;
            EXPECT_EQ(report.snapshots, 6);
            EXPECT_EQ(report.events, 1);
        }
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, "SELECT blocks FROM snapshots WHERE id = 4", -1, &q, nullptr);
        ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(q, 0));
        BlockRefs refs;
        ASSERT_TRUE(DecodeRefs({p, p + sqlite3_column_bytes(q, 0)}, refs));
        ASSERT_EQ(refs.size(), 1u);
        key = refs[0].key;
        sqlite3_finalize(q);
        sqlite3_close(db);

        std::string sql = c.sql;
        if (const size_t at = sql.find("%KEY%"); at != std::string::npos)
            sql.replace(at, 5, std::to_string(key));
        ASSERT_EQ(RunSql(path, sql), SQLITE_OK) << c.what;
        SqliteHistory store;
        ASSERT_EQ(store.Open(path, SqliteHistory::Access::Existing), "");
        ChainReport report;
        ASSERT_EQ(store.Verify(report), "") << c.what;
        EXPECT_FALSE(report.whole) << c.what;
        EXPECT_EQ(report.firstBadSnapshot, c.named) << c.what << ": " << report.problem;
    }
}

} // namespace
