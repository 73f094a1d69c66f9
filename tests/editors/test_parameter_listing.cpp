#include "editors/parameter_listing.h"

#include <gtest/gtest.h>

namespace {

ParameterImage KInput() {
    ParameterImage image;
    SetStartValues(image);
    image.systemSetup.PVT = 36; // K 0 to 1200 degree C
    image.systemSetup.PVD = 1;
    return image;
}

const ParameterEntry* Find(const std::vector<ParameterEntry>& entries, const std::string& name) {
    for (const ParameterEntry& e : entries)
        if (e.Name() == name)
            return &e;
    return nullptr;
}

TEST(ParameterListing, ShowsStoredValuesAsTheEditorsDo) {
    ParameterImage image = KInput();
    image.pattern[2].Segment(5).SetSV(5000);
    image.pattern[2].Segment(5).SetTIME(90);
    image.pattern[2].Segment(6).SetTIME(0x8000);
    image.pid[1].SetSigned(PidGroupRecord::KNL, 32767);
    image.pid[1].SetWord(PidGroupRecord::I, 15);
    image.advanced.SV_H = 10000;
    image.pattern[0].Segment(1).SetByte(seg::LINK, 3);
    const auto entries = ListParameters(image);

    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"pattern 3 segment 5 SV", "600.0"},
        {"pattern 3 segment 5 TIME", "01:30"},
        {"pattern 3 segment 6 TIME", "----"},
        {"pattern 1 segment 1 SV", "----"},
        {"pid 2 KNL (KnL)", "327.7 %"},
        {"pid 2 I", "1 s"},
        {"advanced SV-H", "1200.0"},
        {"pattern 1 segment 1 LINK", "3"},
        {"system PVT", "K         0   to 1200 degree C,  32 to 2192 degree F"},
        {"system EV-T1 (AL1T)", "No alarm"},
    };
    for (const auto& c : cases) {
        const ParameterEntry* e = Find(entries, c.name);
        ASSERT_NE(e, nullptr) << c.name;
        EXPECT_EQ(e->text, c.text) << c.name;
    }
    // A pattern's PVST, CYCL and LINK are listed once, from segment 1.
    EXPECT_EQ(Find(entries, "pattern 1 segment 2 LINK"), nullptr);
    EXPECT_NE(Find(entries, "advanced GAP"), nullptr);
    EXPECT_EQ(Find(ListParameters(image, {false, false}), "advanced GAP"), nullptr);
}

TEST(ParameterListing, DiffNamesExactlyTheChangedParameters) {
    const ParameterImage a = KInput();
    ParameterImage b = a;
    b.systemSetup.CI = 30;
    b.pid[8].SetSigned(PidGroupRecord::P, 25);
    b.pattern[8].Segment(20).SetAlarm(4, 100);
    const auto differences = DiffParameters(a, b);
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(differences[0].a.Name(), "system CI");
    EXPECT_EQ(differences[0].b.stored, 30);
    EXPECT_EQ(differences[1].a.Name(), "pid 9 P");
    EXPECT_EQ(differences[1].b.text, "2.5 %");
    EXPECT_EQ(differences[2].a.Name(), "pattern 9 segment 20 ALM4 (ALARM4)");
    EXPECT_TRUE(DiffParameters(a, a).empty());
}

} // namespace
