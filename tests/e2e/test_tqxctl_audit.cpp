// tqxctl history audit and verify on a history of its own: a week of one controller's
// changes as PDF and CSV, and a record changed behind the history's back.
#include "editors/parameter_listing.h"
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "support/pdf_text.h"
#include "support/tqxctl_run.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace {

using filetest::Slurp;

// A zone of its own (no zone database needed), half an hour off the hour: every time shown
// must have come through the local zone.
const std::string kZone = "TZ=XST-5:30 ";
constexpr int64_t kHour = 3600 * 1000;

struct Recorded {
    int64_t id = 0;
    std::string user, host, note;
    std::vector<ParameterDifference> differences; // from the snapshot before
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The section of the PDF's text about snapshot `id`: from its heading to the next.
std::string Section(const std::string& text, int64_t id) {
    const size_t at = text.find("Snapshot " + std::to_string(id) + " ");
    if (at == std::string::npos)
        return "";
    return text.substr(at, text.find("Snapshot ", at + 1) - at);
}

class History : public ::testing::Test {
protected:
    std::string Record(int64_t ms, int pid, int p, const std::string& user, const std::string& host,
                       int64_t* id) {
        set.pid[static_cast<size_t>(pid - 1)].SetWord(PidGroupRecord::P, static_cast<uint16_t>(p));
        NewSnapshot s;
        s.controller = {"/dev/ttyUSB0", 1, "PXT4TEY1T-00121"};
        s.event = SnapshotEvent::EditorSend;
        s.groups = MaskOf({GroupId::Pid(pid)});
        s.sent = GroupId::Pid(pid);
        s.verified = true;
        s.program = "tqxloader test";
        s.set = set;
        s.takenUtc = UtcText(ms);
        s.user = user;
        s.host = host;
        return store->Record(s, id);
    }
    std::string Ctl(const std::string& args, int* status = nullptr) {
        const TqxctlResult run = Tqxctl("--history " + path + " " + args, kZone);
        if (status)
            *status = run.status;
        return run.out;
    }

    filetest::TempFolder folder;
    std::string path = folder.File("history.sqlite");
    std::unique_ptr<HistoryStore> store;
    ParameterImage set;
    void SetUp() override {
        std::string why;
        store = OpenHistoryStore(path, true, why);
        ASSERT_TRUE(store) << why;
        SetStartValues(set);
    }
};

// A week of SENDs by three users from two hosts, some with notes, some changing nothing;
// one before the week (the first in it is compared with it) and one after.
TEST_F(History, AnAuditOfAWeekShowsEveryChangeBeforeAndAfterWithWhoWhereAndWhy) {
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const int64_t start = now - 7 * 24 * kHour;
    int64_t id = 0;
    ASSERT_EQ(Record(start - 24 * kHour, 1, 50, "early", "nowhere", &id), "");
    std::vector<Recorded> expected;
    std::vector<int64_t> unchanged;
    ParameterImage before = set;
    for (int k = 0; k < 27; ++k) {
        Recorded r;
        r.user = std::vector<std::string>{"anna", "boris", "chen"}[k % 3];
        r.host = k % 2 ? "bench-b" : "bench-a";
        // Every fifth sends what the controller held: no change, listed only with a note.
        const int p = k % 5 == 4 ? before.pid[static_cast<size_t>((k - 1) % 9)].Word(0) : 60 + k;
        const int pid = k % 5 == 4 ? (k - 1) % 9 + 1 : k % 9 + 1;
        ASSERT_EQ(Record(start + k * 6 * kHour, pid, p, r.user, r.host, &r.id), "");
        if (k % 4 == 1) {
            r.note = "retuned after \"survey\", batch " + std::to_string(k);
            ASSERT_EQ(store->SetNote(r.id, r.note), "");
        }
        r.differences = DiffParameters(before, set);
        before = set;
        if (r.differences.empty() && r.note.empty())
            unchanged.push_back(r.id);
        else
            expected.push_back(r);
    }
    ASSERT_EQ(store->SetLabel(1, "Furnace 3"), "");
    int64_t after = 0;
    ASSERT_EQ(Record(now + 48 * kHour, 2, 999, "late", "later", &after), "");
    ASSERT_FALSE(unchanged.empty());

    // The week in the local zone, a date alone ending with its day.
    const auto localDate = [](int64_t ms) { return UtcText(ms + 11 * kHour / 2).substr(0, 10); };
    const std::string period = "--controller 'Furnace 3' --from " + localDate(start - kHour) +
                               " --to " + localDate(now) + " ";
    int status = -1;
    const std::string pdf = folder.File("audit.pdf"), csvPath = folder.File("audit.csv");
    ASSERT_EQ((Ctl("history audit " + period + pdf, &status), status), 0) << Ctl("history list");
    ASSERT_EQ((Ctl("history audit " + period + csvPath, &status), status), 0);
    const std::string text = PdfText(pdf), csv = Slurp(csvPath);

    ASSERT_TRUE(Has(text, "model code PXT4TEY1T-00121")) << text;
    EXPECT_TRUE(Has(text, "/dev/ttyUSB0")) << text;
    EXPECT_TRUE(Has(text, "last hash")) << text;
    EXPECT_TRUE(Has(text, "page 1 of ")) << text;
    EXPECT_TRUE(Has(text, "label of controller #1 set to \"Furnace 3\"")) << text;
    for (const Recorded& r : expected) {
        const std::string section = Section(text, r.id);
        ASSERT_FALSE(section.empty()) << "snapshot " << r.id << " missing:\n" << text;
        EXPECT_TRUE(Has(section, " XST ")) << section;
        EXPECT_TRUE(Has(section, r.user + "@" + r.host)) << section;
        EXPECT_TRUE(Has(section, r.note)) << section;
        if (!r.note.empty()) {
            EXPECT_TRUE(Has(text, "note of snapshot " + std::to_string(r.id) + " set to"));
        }
        // The CSV: one row per parameter, ISO 8601 with the offset, the note quoted.
        const std::string quoted = r.note.empty() ? "" : "\"retuned after \"\"survey\"\", batch";
        for (const ParameterDifference& d : r.differences) {
            EXPECT_TRUE(Has(section, d.a.text + " (" + std::to_string(d.a.stored) + ")"))
                << d.a.Name() << "\n"
                << section;
            EXPECT_TRUE(Has(section, d.b.text + " (" + std::to_string(d.b.stored) + ")"))
                << d.b.Name() << "\n"
                << section;
            const std::string row = "," + std::to_string(r.id) + "," + r.user + "," + r.host +
                                    ",\"SEND PID group " + std::to_string(d.a.group.number()) +
                                    ", verified\"," + d.a.Name() + "," + d.a.text + "," + d.b.text +
                                    "," + std::to_string(d.a.stored) + "," +
                                    std::to_string(d.b.stored) + "," + quoted;
            EXPECT_TRUE(Has(csv, row)) << row << "\n" << csv;
        }
    }
    for (int64_t id : unchanged)
        EXPECT_TRUE(Section(text, id).empty()) << "snapshot " << id << " changed nothing";
    EXPECT_TRUE(Section(text, after).empty() && !Has(csv, "later")) << "after the period";
    EXPECT_TRUE(Has(csv, "+05:30,")) << csv;
    EXPECT_EQ(csv.find('\n'), csv.find("\r\n") + 1) << "CRLF line ends";
}

// The block keys of the stored sets.
std::set<int64_t> BlockKeys(const std::string& path) {
    std::set<int64_t> keys;
    sqlite3* db = nullptr;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT key FROM blocks", -1, &q, nullptr) == SQLITE_OK)
        while (sqlite3_step(q) == SQLITE_ROW)
            keys.insert(sqlite3_column_int64(q, 0));
    sqlite3_finalize(q);
    sqlite3_close(db);
    return keys;
}

// A record changed behind the history's back, each in a copy of a whole history: one byte
// of a stored set, of a snapshot's list of blocks, a time, a user, a whole row removed.
// verify exits 1 and names the snapshot.
TEST_F(History, VerifyNamesTheSnapshotWhoseRecordWasChanged) {
    std::set<int64_t> before, blockOf4;
    for (int k = 0; k < 6; ++k) {
        if (k == 3)
            before = BlockKeys(path);
        ASSERT_EQ(Record(1780000000000 + k * kHour, k % 9 + 1, 100 + k, k == 5 ? "boris" : "anna",
                         "bench", nullptr),
                  "");
        if (k == 3)
            for (int64_t key : BlockKeys(path))
                if (!before.count(key))
                    blockOf4.insert(key);
    }
    ASSERT_EQ(blockOf4.size(), 1u) << "snapshot 4 stores its one changed block";
    store.reset();
    int status = -1;
    const std::string whole = Ctl("history verify", &status);
    EXPECT_EQ(status, 0) << whole;
    EXPECT_TRUE(Has(whole, "chain whole: 6 snapshots")) << whole;

    // Either one byte flipped through the blob interface, or a statement.
    const struct {
        const char* table;
        const char* column;
        int64_t row;
        const char* sql;
        int64_t named;
    } cases[] = {
        {"blocks", "bytes", *blockOf4.begin(), nullptr, 4},
        {"snapshots", "blocks", 5, nullptr, 5},
        {nullptr, nullptr, 0, "UPDATE snapshots SET taken = taken + 1 WHERE id = 3", 3},
        {nullptr, nullptr, 0, "UPDATE origins SET os_user = 'borit' WHERE os_user = 'boris'", 6},
        {nullptr, nullptr, 0, "DELETE FROM snapshots WHERE id = 2", 2},
    };
    const std::string original = Slurp(path);
    for (const auto& c : cases) {
        const std::string what = c.sql ? c.sql : std::string(c.table) + "." + c.column;
        filetest::Spit(path, original);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        if (c.sql) {
            ASSERT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK) << what;
        } else {
            sqlite3_blob* blob = nullptr;
            ASSERT_EQ(sqlite3_blob_open(db, "main", c.table, c.column, c.row, 1, &blob), SQLITE_OK)
                << what << ": " << sqlite3_errmsg(db);
            char byte = 0;
            ASSERT_EQ(sqlite3_blob_read(blob, &byte, 1, 0), SQLITE_OK);
            byte ^= 1;
            ASSERT_EQ(sqlite3_blob_write(blob, &byte, 1, 0), SQLITE_OK);
            sqlite3_blob_close(blob);
        }
        sqlite3_close(db);
        const std::string out = Ctl("history verify", &status);
        EXPECT_EQ(status, 1) << what << "\n" << out;
        EXPECT_TRUE(Has(out, "the first bad snapshot is " + std::to_string(c.named)))
            << what << "\n"
            << out;
    }
}

} // namespace
