// Every row of every group through the one store/show step the editors share: what a row
// shows for a value it accepts reads back to a value that shows the same, without a
// message; a text no row takes is refused with the row's message and changes nothing.

#include "editors/form_fields.h"
#include "values/conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

const GroupId::Kind kKinds[] = {GroupId::Kind::SystemSetup, GroupId::Kind::Advanced,
                                GroupId::Kind::PidGroup, GroupId::Kind::Pattern};

TEST(RowFields, EveryRowShowsAndStoresWhatItAccepts) {
    std::mt19937 random(7);
    SystemSetupRecord setup{};
    setup.PVT = static_cast<uint8_t>(InputTypeCodeAt(3));
    setup.PVD = 1;
    const InputRange range = SelectInputRange(setup);
    std::set<Encoding> seen;
    for (GroupId::Kind kind : kKinds)
        for (const ParameterRow& row : RowsOf(kind)) {
            seen.insert(row.encoding);
            for (int i = 0; i < 40; ++i)
                for (bool mv : {false, true}) {
                    // A range value's limit shows rounded to the display's step, and that
                    // text may read back a step beyond the limit: limits are tried for the
                    // others alone.
                    const bool edges =
                        !IsRangeValue(row) && row.encoding != Encoding::AnalogueScale;
                    // Range values also within the input's span (0..10000).
                    const int32_t lo = edges ? row.lo : std::max(row.lo, -10000) + 100;
                    const int32_t hi = edges ? row.hi : std::min(row.hi, 10000) - 100;
                    int32_t v = std::uniform_int_distribution<int32_t>(lo, hi)(random);
                    if (edges && i < 2)
                        v = i == 0 ? row.lo : row.hi;
                    const auto value = static_cast<uint16_t>(v);
                    UnshownValues unshown;
                    const std::string text = ShowField(row, value, range, unshown, {}, mv);
                    // From another value, so that the text is read rather than kept.
                    uint16_t stored = static_cast<uint16_t>(value ^ 0x5A);
                    RecordingMessages messages;
                    StoreField(row, text, stored, range, UnshownValues(), messages, mv);
                    const std::string where = std::string(row.mnemonic) + " " + std::to_string(v);
                    EXPECT_TRUE(messages.Texts().empty()) << where << ": " << messages.Texts()[0];
                    UnshownValues again;
                    EXPECT_EQ(ShowField(row, stored, range, again, {}, mv), text) << where;
                }
        }
    // Every encoding is met by some row, so none is left to a default.
    EXPECT_EQ(seen.size(), static_cast<size_t>(Encoding::Link) + 1);
}

TEST(RowFields, ARefusedTextKeepsTheValueAndSaysWhy) {
    const InputRange range = SelectInputRange(SystemSetupRecord{});
    for (GroupId::Kind kind : kKinds)
        for (const ParameterRow& row : RowsOf(kind)) {
            uint16_t value = static_cast<uint16_t>(row.lo);
            RecordingMessages messages;
            EXPECT_FALSE(
                StoreField(row, "1x!", value, range, UnshownValues(), messages, row.output > 0))
                << row.mnemonic;
            EXPECT_EQ(value, static_cast<uint16_t>(row.lo)) << row.mnemonic;
            if (row.message) {
                ASSERT_FALSE(messages.Texts().empty()) << row.mnemonic;
                EXPECT_EQ(messages.Texts().back().rfind(
                              row.output > 0 && row.mvMessage ? row.mvMessage : row.message, 0),
                          0u)
                    << messages.Texts().back();
            }
        }
}

} // namespace

namespace {

// What a field takes, beside it and in its tooltip: in the input range and the units in
// force (a K thermocouple, 0 to 1200 degree C or 32 to 2192 degree F).
TEST(RowFields, RangesInEngineeringUnits) {
    const struct {
        GroupId::Kind kind;
        const char* field;
        uint8_t pvu;
        const char* shown;
    } cases[] = {
        {GroupId::Kind::Advanced, "A1HS", 0, "0 to 600 \u00B0C"},
        {GroupId::Kind::Advanced, "A1HS", 1, "0 to 1080 \u00B0F"},
        {GroupId::Kind::Advanced, "SV-H", 1, "32 to 2192 \u00B0F"},
        {GroupId::Kind::Advanced, "DMV", 0, "0.0 to 105.0 %"},
        {GroupId::Kind::SystemSetup, "CI", 0, "1 to 120 s"},
        {GroupId::Kind::SystemSetup, "ENDT", 0, "00:00 to 99:59"},
        {GroupId::Kind::Pattern, "PIDNO", 0, "1 to 9"},
        {GroupId::Kind::SystemSetup, "PVT", 0, ""}, // the drop-down lists them
        {GroupId::Kind::Advanced, "TDS", 0, ""},
    };
    for (const auto& c : cases) {
        SystemSetupRecord setup{};
        setup.PVT = 36; // K 0 to 1200 degree C
        setup.PVU = c.pvu;
        const ParameterRow* row = FindRow(c.kind, c.field);
        ASSERT_NE(row, nullptr) << c.field;
        EXPECT_EQ(FieldRangeText(*row, setup), c.shown) << c.field << " PVU " << int(c.pvu);
    }
}

} // namespace
