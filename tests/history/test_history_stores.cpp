// The history behaves alike on the local file and on a server: each case runs against
// SQLite, and against PostgreSQL where a private server can be started.
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/postgres_history.h"
#include "history/set_blocks.h"
#include "history/shared_history.h"
#include "history/sqlite_history.h"
#include "support/private_postgres.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

using filetest::BusyImage;
using filetest::TempFolder;

namespace {

const ControllerIdentity kOven{"/dev/ttyUSB0", 1, "PXT4TEY1T-00121"};

class Stores : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (std::string(GetParam()) == "postgresql") {
            TQX_NEED_POSTGRES();
            where = PrivatePostgres::Shared().NewDatabase();
        } else {
            where = folder.File("history" + std::to_string(++files) + ".sqlite");
        }
        store = Open();
        ASSERT_TRUE(store) << why;
    }
    // Another program's store on the same history.
    std::unique_ptr<SqlHistory> Open() {
        if (std::string(GetParam()) == "postgresql") {
            auto server = std::make_unique<PostgresHistory>();
            why = server->Open(where);
            return why.empty() ? std::move(server) : nullptr;
        }
        auto file = std::make_unique<SqliteHistory>();
        why = file->Open(where, SqliteHistory::Access::Record);
        return why.empty() ? std::move(file) : nullptr;
    }
    int64_t Count(const std::string& sql) {
        SqlRows rows;
        EXPECT_EQ(store->Session().Run(sql, {}, &rows), "");
        return rows.empty() ? -1 : rows[0].Int(0);
    }
    int64_t Record(const ParameterImage& set, const std::string& taken,
                   const ControllerIdentity& controller = kOven) {
        NewSnapshot s;
        s.controller = controller;
        s.set = set;
        s.takenUtc = taken;
        int64_t id = 0;
        EXPECT_EQ(store->Record(s, &id), "");
        return id;
    }

    TempFolder folder;
    int files = 0;
    std::string where, why;
    std::unique_ptr<SqlHistory> store;
};

TEST_P(Stores, SnapshotsComeBackAsRecordedPageByPageAndEachBlockIsKeptOnce) {
    ParameterImage set = BusyImage(5);
    int64_t start = 0;
    ASSERT_TRUE(ParseUtc("2026-05-01T08:00:00.000Z", start));
    for (int i = 0; i < 70; ++i)
        Record(set, UtcText(start + i * 60000));
    const int64_t blocks = Count("SELECT COUNT(*) FROM blocks");
    ParameterImage changed = set;
    changed.pid[2].SetWord(PidGroupRecord::P, 77);
    const int64_t last = Record(changed, "2026-05-02T09:00:00.000Z");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM blocks"), blocks + 1) << "PID group 3's block alone";
    Record(BusyImage(9), "2026-05-02T09:30:00.000Z", {"tcp:10.0.4.17:502", 3, "PXT9"});

    for (int64_t id : {int64_t(1), int64_t(64), int64_t(65), int64_t(70), last}) {
        ParameterImage loaded;
        ASSERT_EQ(store->LoadSet(id, loaded), "") << id;
        EXPECT_TRUE(loaded == (id == last ? changed : set)) << id;
    }
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store->Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 2u);
    SnapshotQuery page;
    page.controllerId = controllers[1].id;
    page.limit = 30;
    std::vector<SnapshotEntry> got;
    ASSERT_EQ(store->Snapshots(page, got), "");
    ASSERT_EQ(got.size(), 30u);
    EXPECT_EQ(got.front().id, last);
    page.beforeId = got.back().id;
    ASSERT_EQ(store->Snapshots(page, got), "");
    EXPECT_EQ(got.front().id, last - 30);
    SnapshotQuery since;
    since.sinceUtc = "2026-05-02T00:00:00.000Z";
    since.oldestFirst = true;
    ASSERT_EQ(store->Snapshots(since, got), "");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id, last);
    EXPECT_EQ(got[0].takenUtc, "2026-05-02T09:00:00.000Z");
    std::optional<SnapshotEntry> before;
    ASSERT_EQ(store->Previous(last, before), "");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->id, last - 1);
}

TEST_P(Stores, NotesLabelsJoinsAndMovesAreLinksOfTheChain) {
    const int64_t a = Record(BusyImage(1), "2026-05-01T08:00:00.000Z");
    const int64_t b = Record(BusyImage(2), "2026-05-01T09:00:00.000Z", {"/dev/ttyUSB9", 1, ""});
    const int64_t c = Record(BusyImage(3), "2026-05-01T10:00:00.000Z", {"/dev/ttyUSB9", 2, ""});
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store->Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 3u);
    SnapshotEntry sa, sb, sc;
    ASSERT_EQ(store->Snapshot(a, sa), "");
    ASSERT_EQ(store->Snapshot(b, sb), "");
    ASSERT_EQ(store->Snapshot(c, sc), "");
    ASSERT_EQ(store->SetNote(a, "after the relay was replaced"), "");
    ASSERT_EQ(store->SetLabel(sa.controllerId, "Furnace 3"), "");
    ASSERT_EQ(store->JoinControllers(sb.controllerId, sa.controllerId), "");
    EXPECT_NE(store->JoinControllers(sb.controllerId, sa.controllerId), "") << "joined already";
    EXPECT_NE(store->MoveSnapshot(c, sb.controllerId), "") << "into a joined one";
    ASSERT_EQ(store->MoveSnapshot(c, sa.controllerId), "");

    ASSERT_EQ(store->Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 2u) << "the joined one is not listed";
    std::vector<SnapshotEntry> furnace;
    ASSERT_EQ(store->Snapshots(sa.controllerId, furnace), "");
    EXPECT_EQ(furnace.size(), 3u);
    // A later recording under the joined controller's key goes to the one it joined.
    const int64_t d = Record(BusyImage(2), "2026-05-01T11:00:00.000Z", {"/dev/ttyUSB9", 1, ""});
    SnapshotEntry sd;
    ASSERT_EQ(store->Snapshot(d, sd), "");
    EXPECT_EQ(sd.controllerId, sa.controllerId);

    std::vector<HistoryEvent> events;
    ASSERT_EQ(store->Events(events), "");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2].kind, HistoryEventKind::Join);
    EXPECT_EQ(events[3].otherId, sc.controllerId) << "a move names where it came from";
    ChainReport report;
    ASSERT_EQ(store->Verify(report), "");
    EXPECT_TRUE(report.whole) << report.problem;
    EXPECT_EQ(report.snapshots, 4);
    EXPECT_EQ(report.events, 4);
    EXPECT_EQ(report.lastHash.size(), 64u);
}

// Each way of altering the history behind the store's back, and the snapshot Verify names.
TEST_P(Stores, VerifyNamesTheSnapshotWhoseRecordWasAltered) {
    struct Case {
        const char* what;
        std::string sql; // ?1 is the stored block snapshot 4 brought, one byte changed; ?2 its key
        int64_t named;
    };
    const Case cases[] = {
        {"one byte of a stored block", "UPDATE blocks SET bytes = ?1 WHERE key = ?2", 4},
        {"one timestamp", "UPDATE snapshots SET taken = taken + 1000 WHERE id = 3", 3},
        {"one user", "UPDATE origins SET os_user = 'mallory' WHERE id = 1", 1},
        {"a note set behind the chain", "UPDATE snapshots SET note = 'fine' WHERE id = 5", 5},
        {"a snapshot given to another controller",
         "UPDATE snapshots SET controller_id = (SELECT controller_id FROM snapshots"
         " WHERE id = 2) WHERE id = 3",
         3},
        {"a whole snapshot row deleted", "DELETE FROM snapshots WHERE id = 3", 3},
        {"the last snapshot deleted", "DELETE FROM snapshots WHERE id = 6", 6},
        {"a snapshot inserted",
         "INSERT INTO snapshots SELECT 7, controller_id, recorded_controller_id, taken + 1,"
         " origin_id, what, groups, sent_group, verified, detail, note, content_id, base_id,"
         " depth, blocks, prev_ref, hash, uid, arrival FROM snapshots WHERE id = 6",
         7},
    };
    for (const Case& c : cases) {
        SetUp();
        ParameterImage set = BusyImage(2);
        for (int i = 1; i <= 6; ++i) {
            set.pid[i % 9].SetWord(PidGroupRecord::I, static_cast<int16_t>(100 + i));
            ControllerIdentity controller = kOven;
            controller.unit = i == 2 ? 2 : 1;
            Record(set, "", controller);
            if (i == 4) {
                ASSERT_EQ(store->SetNote(4, "after the relay was replaced"), "");
            }
        }
        ChainReport report;
        ASSERT_EQ(store->Verify(report), "");
        ASSERT_TRUE(report.whole) << report.problem;

        SqlRows rows;
        ASSERT_EQ(store->Session().Run("SELECT blocks FROM snapshots WHERE id = 4", {}, &rows), "");
        BlockRefs refs;
        ASSERT_TRUE(DecodeRefs(rows.at(0).Blob(0), refs));
        ASSERT_EQ(refs.size(), 1u);
        rows.clear();
        ASSERT_EQ(
            store->Session().Run("SELECT bytes FROM blocks WHERE key = ?1", {refs[0].key}, &rows),
            "");
        std::vector<uint8_t> changed = rows.at(0).Blob(0);
        changed.at(4) ^= 0x5A;
        const bool block = c.sql.find("?1") != std::string::npos;
        ASSERT_EQ(store->Session().Run(c.sql, block ? std::vector<SqlValue>{changed, refs[0].key}
                                                    : std::vector<SqlValue>{}),
                  "")
            << c.what;
        // The same store that verified it whole before: nothing it read then may hide it.
        ASSERT_EQ(store->Verify(report), "") << c.what;
        EXPECT_FALSE(report.whole) << c.what;
        EXPECT_EQ(report.firstBadSnapshot, c.named) << c.what << ": " << report.problem;
    }
}

// Four programs recording into one server at once, each its own controller and some
// sets the others record too: none is lost and the chain is whole.
TEST(SharedHistory, FourProcessesRecordingAtOnceLoseNone) {
    TQX_NEED_POSTGRES();
    const std::string server = PrivatePostgres::Shared().NewDatabase();
    constexpr int kEach = 200;
    std::vector<pid_t> children;
    for (int process = 0; process < 4; ++process) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            std::string why;
            std::unique_ptr<HistoryStore> store = OpenHistoryStore(server, true, why);
            for (int i = 0; store && i < kEach; ++i) {
                NewSnapshot s;
                s.controller = {"tcp:10.0.4.17:502", 1 + process % 2, "PXT4TEY1T-00121"};
                s.detail = "process " + std::to_string(process);
                s.set = BusyImage(i % 2 ? 1000 + i : 10 * process + i % 20);
                if (const std::string failed = store->Record(s); !failed.empty()) {
                    std::fprintf(stderr, "process %d, snapshot %d: %s\n", process, i,
                                 failed.c_str());
                    ++failures;
                }
            }
            if (!store)
                std::fprintf(stderr, "process %d: %s\n", process, why.c_str());
            std::_Exit(!store ? 99 : failures > 98 ? 98 : failures);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failures: " << status;
    }
    std::string why;
    std::unique_ptr<HistoryStore> store = OpenHistoryStore(server, false, why);
    ASSERT_TRUE(store) << why;
    std::vector<SnapshotEntry> all;
    ASSERT_EQ(store->Snapshots(0, all), "");
    EXPECT_EQ(all.size(), 4u * kEach);
    ChainReport report;
    ASSERT_EQ(store->Verify(report), "");
    EXPECT_TRUE(report.whole) << report.problem;
}

// A role that may only read lists, loads and verifies; a recording says the server refused.
TEST(SharedHistory, ARoleThatMayOnlyReadListsButIsRefusedARecording) {
    TQX_NEED_POSTGRES();
    PrivatePostgres& server = PrivatePostgres::Shared();
    const std::string owner = server.NewDatabase();
    std::string why;
    {
        std::unique_ptr<HistoryStore> store = OpenHistoryStore(owner, true, why);
        ASSERT_TRUE(store) << why;
        NewSnapshot s;
        s.controller = kOven;
        s.set = BusyImage(4);
        ASSERT_EQ(store->Record(s), "");
    }
    const std::string database =
        owner.substr(owner.find("dbname=") + 7,
                     owner.find(' ', owner.find("dbname=")) - owner.find("dbname=") - 7);
    server.Psql(database, "DROP ROLE IF EXISTS reader");
    ASSERT_TRUE(server.Psql(database, "CREATE ROLE reader LOGIN"));
    ASSERT_TRUE(server.Psql(database, "GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader"));
    std::unique_ptr<HistoryStore> reader =
        OpenHistoryStore(server.Conninfo(database, "reader"), true, why);
    ASSERT_TRUE(reader) << why;
    std::vector<SnapshotEntry> listed;
    ASSERT_EQ(reader->Snapshots(0, listed), "");
    EXPECT_EQ(listed.size(), 1u);
    ParameterImage set;
    EXPECT_EQ(reader->LoadSet(listed[0].id, set), "");
    ChainReport report;
    ASSERT_EQ(reader->Verify(report), "");
    EXPECT_TRUE(report.whole);
    NewSnapshot s;
    s.controller = kOven;
    s.set = BusyImage(5);
    const std::string refused = reader->Record(s);
    EXPECT_NE(refused.find("the server refused"), std::string::npos) << refused;
    EXPECT_NE(refused.find("permission denied"), std::string::npos) << refused;
    EXPECT_NE(reader->SetNote(listed[0].id, "mine"), "");
    // And audits, from tqxctl.
    TempFolder folder;
    const TqxctlResult audit =
        Tqxctl("--history '" + server.Conninfo(database, "reader") +
               "' history audit --controller 1 --from 2000-01-01 --to 2100-01-01 " +
               folder.File("audit.csv"));
    EXPECT_EQ(audit.status, 0) << audit.out;
}

// The server stopped: recordings are kept locally and say so; started again: the next
// recording sends what waits first, and pushing again sends nothing.
TEST(SharedHistory, WhileTheServerIsOutOfReachSnapshotsWaitLocallyAndAreSentOnce) {
    TQX_NEED_POSTGRES();
    PrivatePostgres& server = PrivatePostgres::Shared();
    const std::string where = server.NewDatabase();
    TempFolder folder;
    const std::string local = folder.File("local.sqlite");
    const auto record = [&](int seed, std::string& notice) {
        SharedHistory store;
        std::string why = store.Open(where, local, true);
        NewSnapshot s;
        s.controller = kOven;
        s.set = BusyImage(static_cast<uint32_t>(seed));
        if (why.empty())
            why = store.Record(s);
        notice = store.Notice();
        return why;
    };
    std::string notice;
    ASSERT_EQ(record(1, notice), "");
    EXPECT_EQ(notice, "");
    ASSERT_TRUE(server.Stop());
    for (int seed : {2, 3, 4}) {
        ASSERT_EQ(record(seed, notice), "") << "a recording goes through all the same";
        EXPECT_NE(notice.find("History kept locally"), std::string::npos) << notice;
    }
    EXPECT_NE(notice.find("3 snapshots wait"), std::string::npos) << notice;
    ASSERT_TRUE(server.Start());
    ASSERT_EQ(record(5, notice), "");
    EXPECT_NE(notice.find("3 snapshots kept while"), std::string::npos) << notice;

    SharedHistory store;
    ASSERT_EQ(store.Open(where, local, true), "");
    int sent = 0, there = 0;
    ASSERT_EQ(store.Push(sent, there), "");
    EXPECT_EQ(sent + there, 0) << "nothing waits any more";
    // A snapshot the server took but the local file did not forget is not stored again.
    {
        SqliteHistory file;
        ASSERT_EQ(file.Open(local, SqliteHistory::Access::Existing), "");
        std::vector<SnapshotEntry> kept;
        ASSERT_EQ(file.Snapshots(0, kept), "");
        ASSERT_EQ(kept.size(), 3u);
        ASSERT_EQ(file.MarkWaiting(kept[0].id, kept[0].uid, ServerName(where)), "");
    }
    ASSERT_EQ(store.Push(sent, there), "");
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(there, 1);

    std::vector<SnapshotEntry> shared;
    ASSERT_EQ(store.Snapshots(0, shared), "");
    ASSERT_EQ(shared.size(), 5u);
    EXPECT_EQ(shared[0].takenUtc > shared[1].takenUtc, true) << "5 is the newest";
    ChainReport report;
    ASSERT_EQ(store.Verify(report), "");
    EXPECT_TRUE(report.whole) << report.problem;
    EXPECT_EQ(report.arrivals.size(), 3u) << "each says where it joined the chain";
}

INSTANTIATE_TEST_SUITE_P(History, Stores, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
