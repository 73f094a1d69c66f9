// The history under load: two programs recording into one file at once, and the size and
// speed of a long history of one controller.
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/sqlite_history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using filetest::BusyImage;
using filetest::TempFolder;

namespace {

const ControllerIdentity kOven{"/dev/ttyUSB0", 1, "PXT4TEY1T-00121"};

// As the loader and tqxctl record: the file opened, one snapshot, the file closed.
std::string RecordOnce(const std::string& path, const NewSnapshot& snapshot) {
    std::string why;
    std::unique_ptr<HistoryStore> store = OpenHistoryStore(path, true, why);
    return store ? store->Record(snapshot) : why;
}

// The first column of the first row `sql` gives, as text.
std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string text = "(no answer)";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &q, nullptr) == SQLITE_OK &&
            sqlite3_step(q) == SQLITE_ROW)
            text = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        sqlite3_finalize(q);
    }
    sqlite3_close(db);
    return text;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Two processes start on a history that does not exist yet and record 200 snapshots each,
// of the same controller, half of them sets the other also records: every one is there.
TEST(HistoryLoad, TwoProcessesRecordingAtOnceLoseNothing) {
    TempFolder folder;
    const std::string path = folder.File("history.sqlite");
    constexpr int kEach = 200;
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                NewSnapshot s;
                s.controller = kOven;
                s.event = SnapshotEvent::Connect;
                s.groups = kEveryGroup;
                s.detail = "process " + std::to_string(process);
                s.set = BusyImage(i % 2 ? 1000 + i : 10 * process + i % 20);
                if (const std::string why = RecordOnce(path, s); !why.empty()) {
                    std::fprintf(stderr, "process %d, snapshot %d: %s\n", process, i, why.c_str());
                    ++failures;
                }
            }
            std::_Exit(failures > 100 ? 100 : failures);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failures: " << status;
    }
    for (const char* process : {"process 0", "process 1"})
        EXPECT_EQ(Query(path, std::string("SELECT COUNT(*) FROM snapshots WHERE detail = '") +
                                  process + "'"),
                  std::to_string(kEach))
            << process;
    EXPECT_EQ(Query(path, "PRAGMA integrity_check"), "ok");
    // Each set kept once, however the two raced to add it.
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM (SELECT bytes FROM blocks GROUP BY bytes"
                          " HAVING COUNT(*) > 1)"),
              "0");
    // Both wrote into one chain, each link after the one before.
    SqliteHistory store;
    ASSERT_EQ(store.Open(path, SqliteHistory::Access::Existing), "");
    ChainReport report;
    ASSERT_EQ(store.Verify(report), "");
    EXPECT_TRUE(report.whole) << report.problem;
}

// A long history of one controller in which every snapshot changed one PID group, a
// snapshot every five minutes up to now: the file stays small, and tqxctl lists the newest
// and the changes of the last day quickly, whatever the size. 10,000 snapshots by default;
// TQX_HISTORY_SCALE sets another number.
TEST(HistoryLoad, ALongHistoryOfChangesStaysSmallAndQuick) {
    const char* scale = std::getenv("TQX_HISTORY_SCALE");
    const int count = scale ? std::atoi(scale) : 10000;
    ASSERT_GT(count, 100);
    TempFolder folder;
    const std::string path = folder.File("history.sqlite");
    NewSnapshot s;
    s.controller = kOven;
    ParameterImage set = BusyImage(3);
    int64_t now = 0;
    ASSERT_TRUE(ParseUtc(UtcNow(), now));
    {
        SqliteHistory store;
        ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), "");
        store.FlushOnlyAtCheckpoints();
        for (int i = 0; i < count - 50; ++i) {
            const int group = i % 9;
            set.pid[group].SetWord(PidGroupRecord::P, static_cast<int16_t>(i % 9973));
            s.event = SnapshotEvent::EditorSend;
            s.sent = GroupId::FromIndex(GroupId::Pid(group + 1).Index());
            s.groups = 1u << s.sent->Index();
            s.takenUtc = UtcText(now - int64_t(count - i) * 300000);
            s.set = set;
            ASSERT_EQ(store.Record(s), "") << i;
        }
    }
    s.takenUtc.clear();
    // The last fifty as the loader records each: the file opened and closed around it.
    std::vector<double> record;
    for (int i = 0; i < 50; ++i) {
        s.event = SnapshotEvent::Connect;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(RecordOnce(path, s), "");
        record.push_back(MillisecondsSince(start));
    }
    std::sort(record.begin(), record.end());

    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        bytes += entry.file_size();
    // The quickest of three runs of a tqxctl command, process start to exit.
    const auto quickest = [&](const std::string& arguments) {
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const std::string command = std::string(TQXCTL_PATH) + " --history " + path +
                                        " history " + arguments + " >/dev/null";
            EXPECT_EQ(std::system(command.c_str()), 0) << arguments;
            best = std::min(best, MillisecondsSince(start));
        }
        return best;
    };
    const double list = quickest("list");
    const std::string yesterday = UtcText(now - 86400000).substr(0, 16);
    const double changes = quickest("changes --since '" + yesterday + "'");
    std::printf("%d snapshots: %.2f MB; tqxctl history list %.1f ms, changes --since a day ago"
                " %.1f ms; recording one snapshot %.2f ms (median), %.2f ms (slowest of 50)\n",
                count, static_cast<double>(bytes) / 1e6, list, changes, record[record.size() / 2],
                record.back());
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM snapshots"), std::to_string(count));
    EXPECT_LT(static_cast<double>(bytes), 20e6 * std::max(count, 10000) / 100000);
    // The limits are for a release build; a sanitizer build starts and runs far slower.
#if defined(__SANITIZE_ADDRESS__)
    constexpr double slower = 5.0;
#else
    constexpr double slower = 1.0;
#endif
    EXPECT_LT(list, slower * 100.0);
    EXPECT_LT(changes, slower * 100.0);
    EXPECT_LT(record[record.size() / 2], slower * 20.0);
}

} // namespace
