// The history store: sets kept whole and once, the controllers and their snapshots, and
// a file it may not write, one from a newer version and one that is no database.
#include "files/file_test_support.h"
#include "history/history_location.h"
#include "history/snapshot_codec.h"
#include "history/sqlite_history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

using filetest::BusyImage;
using filetest::TempFolder;

namespace {

// BusyImage with the raw copies of blocks 0 and 3 and the model code differing too.
ParameterImage WholeSet(uint32_t seed) {
    ParameterImage set = BusyImage(seed);
    for (size_t i = 0; i < set.rawBlock0.size(); ++i)
        set.rawBlock0[i] = static_cast<uint8_t>(seed * 7 + i);
    for (size_t i = 0; i < set.rawBlock3.size(); ++i)
        set.rawBlock3[i] = static_cast<uint8_t>(seed * 13 + i);
    set.modelCode[3] = static_cast<char>('A' + seed % 26);
    return set;
}

// Decoded over a different set, a field the codec forgot would keep the other's value.
TEST(SnapshotCodec, EveryFieldOfManySetsComesBack) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        const ParameterImage set = WholeSet(seed);
        ParameterImage back = WholeSet(seed + 1000);
        back.connected = 1;
        ASSERT_EQ(DecodeSet(kSetFormat, EncodeSet(set), back), "") << seed;
        EXPECT_EQ(back.connected, 1) << "the flag is the loader's, not the set's";
        back.connected = set.connected;
        EXPECT_TRUE(back == set) << seed;
    }
}

// Format 1 is in histories already written, and an identical set is found there by its
// format 1 bytes: they stay as they were written.
TEST(SnapshotCodec, FormatOneStaysAsWritten) {
    const std::vector<uint8_t> bytes = EncodeSet(WholeSet(9), 1);
    EXPECT_EQ(bytes.size(), 7880u);
    EXPECT_EQ(ContentHash(bytes), 15301826990299538431u) << "the bytes of WholeSet(9) moved";
}

TEST(SnapshotCodec, BytesOfAnotherFormatOrLengthAreRefusedAndChangeNothing) {
    const ParameterImage set = BusyImage(1);
    std::vector<uint8_t> bytes = EncodeSet(set);
    ParameterImage image = BusyImage(2);
    const ParameterImage before = image;
    EXPECT_NE(
        DecodeSet(kSetFormat + 1, bytes, image).find("format " + std::to_string(kSetFormat + 1)),
        std::string::npos);
    bytes.pop_back();
    EXPECT_NE(DecodeSet(kSetFormat, bytes, image), "");
    EXPECT_TRUE(image == before);
}

struct Store : ::testing::Test {
    TempFolder folder;
    std::string path = folder.File("sub/history.sqlite");
    SqliteHistory store;

    void SetUp() override { ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), ""); }

    int64_t Record(const ControllerIdentity& c, SnapshotEvent event, const ParameterImage& set,
                   const std::string& when) {
        NewSnapshot s;
        s.controller = c;
        s.event = event;
        s.groups = kEveryGroup;
        s.set = set;
        s.takenUtc = when;
        int64_t id = 0;
        EXPECT_EQ(store.Record(s, &id), "");
        return id;
    }
    int64_t Count(const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &q, nullptr);
        const int64_t n = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
        sqlite3_finalize(q);
        sqlite3_close(db);
        return n;
    }
};

const ControllerIdentity kOven{"/dev/ttyUSB0", 1, "PXT4TEY1T-00121"};
const ControllerIdentity kKiln{"tcp:10.0.0.5:502", 3, "PXT9A1Y2N-0D1R1"};

TEST_F(Store, SnapshotsOfEachControllerComeNewestFirstWithTheirSets) {
    const ParameterImage a = BusyImage(1), b = BusyImage(2);
    const int64_t first = Record(kOven, SnapshotEvent::Connect, a, "2026-05-01T08:00:00.000Z");
    Record(kKiln, SnapshotEvent::Backup, b, "2026-05-01T09:00:00.000Z");
    const int64_t third = Record(kOven, SnapshotEvent::Connect, b, "2026-05-01T10:00:00.000Z");

    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0].identity.modelCode, kOven.modelCode) << "last seen first";
    EXPECT_EQ(controllers[0].snapshots, 2);
    EXPECT_EQ(controllers[0].lastSeenUtc, "2026-05-01T10:00:00.000Z");

    std::vector<SnapshotEntry> oven;
    ASSERT_EQ(store.Snapshots(controllers[0].id, oven), "");
    ASSERT_EQ(oven.size(), 2u);
    EXPECT_EQ(oven[0].id, third);
    EXPECT_EQ(oven[1].id, first);
    std::optional<SnapshotEntry> before;
    ASSERT_EQ(store.Previous(third, before), "");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->id, first) << "the kiln's snapshot in between is another controller's";
    ASSERT_EQ(store.Previous(first, before), "");
    EXPECT_FALSE(before);

    ParameterImage loaded;
    SetStartValues(loaded);
    ASSERT_EQ(store.LoadSet(first, loaded), "");
    EXPECT_TRUE(loaded == a);
    EXPECT_FALSE(oven[1].user.empty());
    EXPECT_FALSE(oven[1].host.empty());
}

TEST_F(Store, AHundredConnectsToAnUnchangedControllerKeepItsSetOnce) {
    const ParameterImage set = BusyImage(5);
    Record(kOven, SnapshotEvent::Connect, set, UtcNow());
    const int64_t blocks = Count("SELECT COUNT(*) FROM blocks");
    for (int i = 1; i < 100; ++i)
        Record(kOven, SnapshotEvent::Connect, set, UtcNow());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM blocks"), blocks);
    ParameterImage changed = set;
    changed.pid[2].SetWord(PidGroupRecord::P, 77);
    Record(kOven, SnapshotEvent::EditorSend, changed, UtcNow());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM snapshots"), 101);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM blocks"), blocks + 1) << "PID group 3's block alone";
    // Every snapshot reads back as recorded, however far it is from a whole list.
    for (int64_t id : {1, 64, 65, 100}) {
        ParameterImage loaded;
        ASSERT_EQ(store.LoadSet(id, loaded), "") << id;
        EXPECT_TRUE(loaded == set) << id;
    }
}

// A SEND on a port and unit where the model code was not read belongs to the controller
// last seen there; with none seen, to a controller of its own.
TEST_F(Store, AModelCodeNotReadIsTheControllerLastSeenOnThatPortAndUnit) {
    Record(kOven, SnapshotEvent::Connect, BusyImage(1), "2026-05-01T08:00:00.000Z");
    ControllerIdentity unread = kOven;
    unread.modelCode.clear();
    Record(unread, SnapshotEvent::EditorSend, BusyImage(1), "2026-05-01T08:05:00.000Z");
    unread.unit = 2;
    Record(unread, SnapshotEvent::EditorSend, BusyImage(1), "2026-05-01T08:06:00.000Z");
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[1].snapshots, 2);
    EXPECT_EQ(ControllerName(controllers[0]), "unit 2, model code not read");
}

TEST_F(Store, NotesAndLabelsAreKept) {
    const int64_t id = Record(kOven, SnapshotEvent::Connect, BusyImage(1), UtcNow());
    EXPECT_EQ(store.SetNote(id, "after the thermocouple was replaced"), "");
    EXPECT_NE(store.SetNote(id + 1, "x"), "");
    SnapshotEntry s;
    ASSERT_EQ(store.Snapshot(id, s), "");
    EXPECT_EQ(s.note, "after the thermocouple was replaced");
    EXPECT_EQ(s.controllerId, 1);
    ASSERT_EQ(store.SetLabel(s.controllerId, "Furnace 3"), "");
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    EXPECT_EQ(ControllerName(controllers[0]), "Furnace 3");
}

// Read-only by its mode (even to root), written by a newer version, or no database: what
// can be read is, and recording says why it cannot.
TEST_F(Store, AFileItMayNotWriteIsReadButNotWritten) {
    const int64_t id = Record(kOven, SnapshotEvent::Connect, BusyImage(1), UtcNow());
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    SqliteHistory readOnly;
    ASSERT_EQ(readOnly.Open(path, SqliteHistory::Access::Record), "");
    EXPECT_EQ(readOnly.ReadOnlyReason(), path + " is read-only");
    ParameterImage set;
    EXPECT_EQ(readOnly.LoadSet(id, set), "");
    NewSnapshot s;
    EXPECT_EQ(readOnly.Record(s), path + " is read-only");
    EXPECT_EQ(readOnly.SetNote(id, "x"), path + " is read-only");
}

TEST_F(Store, ADatabaseOfANewerVersionOpensReadOnlyWithWhy) {
    Record(kOven, SnapshotEvent::Connect, BusyImage(1), UtcNow());
    Count("PRAGMA user_version = 7");
    SqliteHistory newer;
    ASSERT_EQ(newer.Open(path, SqliteHistory::Access::Record), "");
    EXPECT_NE(newer.ReadOnlyReason().find("newer version (history schema 7)"), std::string::npos)
        << newer.ReadOnlyReason();
    std::vector<ControllerEntry> controllers;
    EXPECT_EQ(newer.Controllers(controllers), "");
    EXPECT_EQ(controllers.size(), 1u);
    EXPECT_EQ(newer.Record(NewSnapshot{}), newer.ReadOnlyReason());
}

TEST(StoreFiles, NoDatabaseOrNoFileIsSaidSo) {
    TempFolder folder;
    const std::string junk = folder.File("junk.sqlite");
    filetest::Spit(junk, std::string(4096, 'x'));
    std::string why;
    EXPECT_EQ(OpenHistoryStore(junk, true, why), nullptr);
    EXPECT_NE(why.find("file is not a database"), std::string::npos) << why;
    EXPECT_EQ(OpenHistoryStore(folder.File("none.sqlite"), false, why), nullptr);
    EXPECT_EQ(why, "there is no history at " + folder.File("none.sqlite") + " yet");
}

TEST(StoreFiles, TheOptionWinsOverTheEnvironmentWhichWinsOverTheDataFolder) {
    ::unsetenv("TQX_HISTORY");
    EXPECT_EQ(HistoryPath("", "/home/u/.local/share/X"), "/home/u/.local/share/X/history.sqlite");
    ::setenv("TQX_HISTORY", "/srv/h.sqlite", 1);
    EXPECT_EQ(HistoryPath("", "/home/u/.local/share/X"), "/srv/h.sqlite");
    EXPECT_EQ(HistoryPath("/tmp/one.sqlite", "/home/u/.local/share/X"), "/tmp/one.sqlite");
    ::unsetenv("TQX_HISTORY");
}

} // namespace
