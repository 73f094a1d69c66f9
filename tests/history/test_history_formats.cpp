// The formats of a kept set: format 2 is the controller's blocks and brings back any set;
// format 1, already in histories, reads as it was written, and such a history opens.
#include "files/file_test_support.h"
#include "history/snapshot_codec.h"
#include "history/sqlite_history.h"
#include "image/controller_blocks.h"
#include "image/parameter_catalogue.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <tuple>

using filetest::TempFolder;

namespace {

const std::string kData = std::string(TQX_TEST_DATA) + "/../history/data/";

ParameterImage RandomSet(std::mt19937& random) {
    ParameterImage set;
    const auto byte = [&] { return static_cast<uint8_t>(random()); };
    for (const ParameterRow& row : SystemSetupRows())
        SetRawValue(set.systemSetup, row, static_cast<uint16_t>(random()));
    for (const ParameterRow& row : AdvancedRows())
        SetRawValue(set.advanced, row, static_cast<uint16_t>(random()));
    for (auto& pid : set.pid)
        std::generate(pid.bytes.begin(), pid.bytes.end(), byte);
    for (auto& pattern : set.pattern)
        std::generate(pattern.bytes.begin(), pattern.bytes.end(), byte);
    std::generate(set.rawBlock0.begin(), set.rawBlock0.end(), byte);
    std::generate(set.rawBlock3.begin(), set.rawBlock3.end(), byte);
    std::generate_n(set.modelCode.begin(), ParameterImage::kModelCodeChars, byte);
    return set;
}

std::vector<uint8_t> Join(const std::vector<SetEntry>& entries) {
    std::vector<uint8_t> bytes;
    for (const SetEntry& e : entries) {
        const uint8_t header[4] = {
            static_cast<uint8_t>(e.block), static_cast<uint8_t>(e.block >> 8),
            static_cast<uint8_t>(e.bytes.size()), static_cast<uint8_t>(e.bytes.size() >> 8)};
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), e.bytes.begin(), e.bytes.end());
    }
    return bytes;
}

// Decoded over another set, a part the codec forgot would keep the other's value.
TEST(SetFormats, RandomSetsComeBackInEitherFormat) {
    std::mt19937 random(20260501);
    for (int round = 0; round < 200; ++round) {
        const ParameterImage set = RandomSet(random);
        for (int format : {1, kSetFormat}) {
            ParameterImage back = RandomSet(random);
            back.connected = 1;
            ASSERT_EQ(DecodeSet(format, EncodeSet(set, format), back), "") << format;
            EXPECT_EQ(back.connected, 1);
            back.connected = set.connected;
            ASSERT_TRUE(back == set) << "format " << format << ", round " << round;
        }
    }
}

const SetEntry* Find(const std::vector<SetEntry>& entries, int block) {
    const auto e = std::find_if(entries.begin(), entries.end(),
                                [&](const SetEntry& s) { return s.block == block; });
    return e == entries.end() ? nullptr : &*e;
}

TEST(SetFormats, FormatTwoIsTheControllersBlocksEachFoundByItsNumber) {
    std::mt19937 random(7);
    const ParameterImage set = RandomSet(random);
    std::vector<SetEntry> entries;
    ASSERT_EQ(SplitSet(EncodeSet(set), entries), "");
    std::vector<int> order = {0, 3, 12, 9, 10, 13, 4, 5, 6, 7, 8, 46, 47, 48, 49};
    for (int b = 20; b <= 37; ++b)
        order.push_back(b);
    order.insert(order.end(), {40, kLoaderEntry});
    ASSERT_EQ(entries.size(), order.size());
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(entries[i].block, order[i]);
        EXPECT_EQ(entries[i].bytes.size(), static_cast<size_t>(blocks::Bytes(order[i])));
    }
    const auto word = [&](int block, size_t at) {
        const std::vector<uint8_t>& b = Find(entries, block)->bytes;
        return static_cast<int16_t>(b[at] | b[at + 1] << 8);
    };
    EXPECT_EQ(word(12, 4), set.systemSetup.PVF);
    EXPECT_EQ(word(9, 24), set.systemSetup.ENDT);
    EXPECT_EQ(Find(entries, 10)->bytes[16], set.advanced.WDIS);
    EXPECT_EQ(word(13, 10), set.advanced.PD);
    EXPECT_EQ(Find(entries, 12)->bytes[0], 0) << "a byte no parameter owns";
    EXPECT_TRUE(std::equal(set.pid[5].bytes.begin(), set.pid[5].bytes.end(),
                           Find(entries, 46)->bytes.begin()));
    EXPECT_TRUE(std::equal(set.pattern[1].bytes.begin() + 420, set.pattern[1].bytes.end(),
                           Find(entries, 23)->bytes.begin()));
    EXPECT_EQ(std::string(Find(entries, 40)->bytes.begin(), Find(entries, 40)->bytes.end()),
              std::string(set.modelCode.data(), 14));
    EXPECT_EQ(Find(entries, kLoaderEntry)->bytes, std::vector<uint8_t>{uint8_t(set.modelCode[14])});

    // The blocks are found by number, not by place; a block twice is no set.
    std::reverse(entries.begin(), entries.end());
    ParameterImage back;
    ASSERT_EQ(DecodeSet(kSetFormat, Join(entries), back), "");
    EXPECT_TRUE(back == set);
    *std::find_if(entries.begin(), entries.end(), [](const SetEntry& e) { return e.block == 6; }) =
        *Find(entries, 5);
    const ParameterImage before = back;
    EXPECT_EQ(DecodeSet(kSetFormat, Join(entries), back), "the set lacks block 6");
    EXPECT_TRUE(back == before);
}

std::vector<uint8_t> PinnedFormatOne() {
    std::istringstream text(filetest::Slurp(kData + "format1_set.hex"));
    std::vector<uint8_t> bytes;
    for (std::string line; std::getline(text, line);)
        for (size_t i = 0; line[0] != '#' && i + 1 < line.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The rule the pinned set was made by (tests/history/data/format1_set.hex).
template <class Tuple> void ExpectMembers(const Tuple& members, int byteFirst, int wordStep) {
    int n = 0;
    const auto expect = [&](auto value) {
        EXPECT_EQ(value, sizeof(value) == 1 ? byteFirst + n : wordStep * (n + 1)) << "member " << n;
        ++n;
    };
    std::apply([&](const auto&... value) { (expect(value), ...); }, members);
}

// Format 1 is read by its own frozen field list, never by the catalogue's rows: the bytes
// an earlier loader wrote read the same whatever rows the catalogue gains.
TEST(SetFormats, APinnedFormatOneSetReadsAsItWasWritten) {
    const std::vector<uint8_t> bytes = PinnedFormatOne();
    ASSERT_EQ(bytes.size(), 7880u);
    ASSERT_EQ(ContentHash(bytes), 11588663649350095763u) << "the fixture itself changed";
    ParameterImage set;
    SetStartValues(set);
    ASSERT_EQ(DecodeSet(1, bytes, set), "");
    ExpectMembers(set.systemSetup.Tie(), 1, -300);
    ExpectMembers(set.advanced.Tie(), 200, 300);
    EXPECT_EQ(set.pid[8].bytes[23], 16 * 8 + 23);
    EXPECT_EQ(set.pattern[8].bytes[839], (7 * 839 + 31 * 8) % 256);
    EXPECT_EQ(set.ModelCode(), "PXT4TEY1T-00121");
    EXPECT_EQ(set.rawBlock0[5], 0xB5);
    EXPECT_EQ(set.rawBlock3[9], 0xC9);
    EXPECT_EQ(EncodeSet(set, 1), bytes) << "an identical set is found by these bytes";
    ParameterImage again;
    ASSERT_EQ(DecodeSet(kSetFormat, EncodeSet(set), again), "");
    EXPECT_TRUE(again == set);
}

int64_t Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &q, nullptr);
    const int64_t n = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
    sqlite3_finalize(q);
    sqlite3_close(db);
    return n;
}

// A history the loader wrote with format 1 sets opens, lists and loads; a set it holds is
// not stored again, and a new one is stored as format 2.
TEST(SetFormats, AHistoryOfFormatOneSetsOpensListsAndKeepsEachSetOnce) {
    TempFolder folder;
    const std::string path = folder.File("history.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string sql = filetest::Slurp(kData + "history_format1.sql");
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    {
        // One it may not write is read through a copy brought up to date in memory.
        ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        SqliteHistory readOnly;
        ASSERT_EQ(readOnly.Open(path, SqliteHistory::Access::Existing), "");
        std::vector<SnapshotEntry> listed;
        ASSERT_EQ(readOnly.Snapshots(0, listed), "");
        EXPECT_EQ(listed.size(), 3u);
        ChainReport report;
        ASSERT_EQ(readOnly.Verify(report), "");
        EXPECT_TRUE(report.whole) << report.problem;
        ASSERT_EQ(chmod(path.c_str(), 0644), 0);
        EXPECT_EQ(Query(path, "PRAGMA user_version"), 1) << "the file is left as it was";
    }
    SqliteHistory store;
    ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), "");
    EXPECT_EQ(store.ReadOnlyReason(), "");
    std::vector<ControllerEntry> controllers;
    ASSERT_EQ(store.Controllers(controllers), "");
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_EQ(ControllerName(controllers[0]), "Furnace 3");
    std::vector<SnapshotEntry> snapshots;
    ASSERT_EQ(store.Snapshots(controllers[0].id, snapshots), "");
    ASSERT_EQ(snapshots.size(), 3u);
    EXPECT_EQ(WhatText(snapshots[0]), "SEND PID group 2, verified");
    EXPECT_EQ(snapshots[1].note, "before the thermocouple was replaced");

    ParameterImage pinned, first, sent;
    ASSERT_EQ(DecodeSet(1, PinnedFormatOne(), pinned), "");
    ASSERT_EQ(store.LoadSet(1, first), "");
    ASSERT_EQ(store.LoadSet(3, sent), "");
    EXPECT_TRUE(first == pinned);
    EXPECT_EQ(sent.pid[1].Word(PidGroupRecord::P), 77);
    sent.pid[1] = pinned.pid[1];
    EXPECT_TRUE(sent == pinned) << "the SEND changed P of PID group 2 alone";

    // New snapshots keep their sets as blocks, each block once: the old whole sets stay.
    NewSnapshot again;
    again.controller = controllers[0].identity;
    again.set = pinned;
    int64_t id = 0;
    ASSERT_EQ(store.Record(again, &id), "");
    const int64_t blocks = Query(path, "SELECT COUNT(*) FROM blocks");
    again.set.advanced.PD = 12;
    ASSERT_EQ(store.Record(again, &id), "");
    ASSERT_EQ(store.Record(again, &id), "");
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM contents"), 2);
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM blocks"), blocks + 1) << "PD's block alone";
    ParameterImage loaded;
    ASSERT_EQ(store.LoadSet(id, loaded), "");
    EXPECT_TRUE(loaded == again.set);
    ASSERT_EQ(store.LoadSet(1, first), "");
    EXPECT_TRUE(first == pinned);

    // The chain starts at the upgrade and vouches for the snapshots as they were then.
    ChainReport report;
    ASSERT_EQ(store.Verify(report), "");
    EXPECT_TRUE(report.whole) << report.problem;
    EXPECT_EQ(report.linkedAtUpgrade, 3);
    EXPECT_NE(report.upgradedUtc, "");
    EXPECT_EQ(report.snapshots, 6);
}

} // namespace
