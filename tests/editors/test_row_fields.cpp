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
