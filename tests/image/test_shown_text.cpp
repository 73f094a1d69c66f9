// Text from a controller or another person as a terminal may show it.

#include "image/shown_text.h"

#include <gtest/gtest.h>

TEST(ShownText, ControlsAndBrokenBytesAreEscapedTheRestStays) {
    const struct {
        const char* name;
        std::string raw, shown;
    } cases[] = {
        {"plain model code", "PXT9A1Y2T-0D1R", "PXT9A1Y2T-0D1R"},
        {"escape sequence", "\x1b[2JA", "\\x1B[2JA"},
        {"bell, line end, tab, DEL", "a\x07\n\t\x7f", "a\\x07\\x0A\\x09\\x7F"},
        {"NUL inside", std::string("a\0b", 3), "a\\x00b"},
        {"C1 CSI as UTF-8",
         "\xc2\x9b"
         "31m",
         "\\x9B31m"},
        {"C1 CSI as one byte",
         "\x9b"
         "31m",
         "\\x9B31m"},
        {"UTF-8 label", "Ofen \xc3\xa4 \xe2\x82\xac 3", "Ofen \xc3\xa4 \xe2\x82\xac 3"},
        {"overlong slash", "\xc0\xaf", "\\xC0\\xAF"},
        {"cut sequence", "\xe2\x82", "\\xE2\\x82"},
        {"surrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownText(c.raw), c.shown) << c.name;
}
