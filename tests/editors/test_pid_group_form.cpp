#include "editors/pid_group_form.h"
#include "link/link_backend.h"
#include "support/first_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

using R = PidGroupRecord;

// A controller of 24-byte blocks that records every call and fails chosen ones.
class RecordingBackend : public LinkBackend {
public:
    struct Call {
        int32_t mode, block, offset, length;
    };
    std::map<int32_t, std::array<uint8_t, 24>> blocks;
    std::vector<Call> calls;
    std::vector<int> failing; // call indexes that return 0

    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                 int32_t* status) override {
        if (!Record(mode, block, offset, length, status))
            return 0;
        std::memcpy(buffer, blocks[block].data(), 24);
        return 1;
    }
    int32_t Write(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                  int32_t* status) override {
        if (!Record(mode, block, offset, length, status))
            return 0;
        std::memcpy(blocks[block].data(), buffer, 24);
        return 1;
    }

private:
    bool Record(int32_t mode, int32_t block, int32_t offset, int32_t length, int32_t* status) {
        const int index = static_cast<int>(calls.size());
        calls.push_back({mode, block, offset, length});
        const bool fail = std::find(failing.begin(), failing.end(), index) != failing.end();
        *status = fail ? 1 : 0;
        return !fail;
    }
};

// Valid texts for every field; a case changes one of them.
PidGroupTexts ValidTexts() {
    PidGroupTexts t;
    t["P"] = "3.0";
    t["I"] = "240";
    t["D"] = "60.0";
    t["GAP"] = "0.0";
    t["KnL"] = "0.0";
    t["Ar"] = "1200.0";
    t["MAN"] = "50.0";
    t["MV-H"] = "100.0";
    t["MV-L"] = "0.0";
    t["REV"] = "2.Reverse operation";
    return t;
}

ParameterImage KImage() {
    ParameterImage image;
    image.systemSetup.PVT = 36; // K 0 to 1200 degree C
    image.systemSetup.PVU = 0;
    image.systemSetup.PVD = 1;
    return image;
}

TEST(PidGroupForm, StoreStep) {
    const struct {
        const char* name;
        void (*edit)(PidGroupTexts&);
        int word;
        int32_t expected; // the stored word, as signed (I as unsigned)
        std::vector<std::string> messages;
    } cases[] = {
        {"I 3200", [](PidGroupTexts& t) { t["I"] = "3200"; }, R::I, 32000, {}},
        {"I 3201",
         [](PidGroupTexts& t) { t["I"] = "3201"; },
         R::I,
         1111,
         {"Parameter I is wrong."}},
        {"I negative",
         [](PidGroupTexts& t) { t["I"] = "-1"; },
         R::I,
         1111,
         {"Parameter I is wrong."}},
        {"P 999.9", [](PidGroupTexts& t) { t["P"] = "999.9"; }, R::P, 9999, {}},
        {"P no point",
         [](PidGroupTexts& t) { t["P"] = "10"; },
         R::P,
         1111,
         {"Parameter P is wrong."}},
        {"P 1000.0",
         [](PidGroupTexts& t) { t["P"] = "1000.0"; },
         R::P,
         1111,
         {"Parameter P is wrong."}},
        {"D negative",
         [](PidGroupTexts& t) { t["D"] = "-0.1"; },
         R::D,
         1111,
         {"Parameter D is wrong."}},
        {"KnL 327.7", [](PidGroupTexts& t) { t["KnL"] = "327.7"; }, R::KNL, 32767, {}},
        {"KnL 327.8",
         [](PidGroupTexts& t) { t["KnL"] = "327.8"; },
         R::KNL,
         1111,
         {"Parameter KnL is wrong."}},
        {"KnL -199.9", [](PidGroupTexts& t) { t["KnL"] = "-199.9"; }, R::KNL, -19990, {}},
        {"KnL -200.0",
         [](PidGroupTexts& t) { t["KnL"] = "-200.0"; },
         R::KNL,
         1111,
         {"Parameter KnL is wrong."}},
        {"MAN 125.0", [](PidGroupTexts& t) { t["MAN"] = "125.0"; }, R::MAN, 12500, {}},
        {"MAN -25.1",
         [](PidGroupTexts& t) { t["MAN"] = "-25.1"; },
         R::MAN,
         1111,
         {"Parameter MAN is wrong."}},
        {"MV-H 105.1",
         [](PidGroupTexts& t) { t["MV-H"] = "105.1"; },
         R::MV_H,
         1111,
         {"Parameter MVH is wrong."}},
        {"MV-L -5.0", [](PidGroupTexts& t) { t["MV-L"] = "-5.0"; }, R::MV_L, -500, {}},
        {"MV-L -5.1",
         [](PidGroupTexts& t) { t["MV-L"] = "-5.1"; },
         R::MV_L,
         1111,
         {"Parameter MVL is wrong."}},
        // K 0..1200 with one decimal: GAP 0..50 % of the span, Ar 0..100 %.
        {"GAP 600.0", [](PidGroupTexts& t) { t["GAP"] = "600.0"; }, R::GAP, 5000, {}},
        {"GAP 601.0",
         [](PidGroupTexts& t) { t["GAP"] = "601.0"; },
         R::GAP,
         1111,
         {"Parameter GAP is wrong."}},
        {"GAP without decimal",
         [](PidGroupTexts& t) { t["GAP"] = "6"; },
         R::GAP,
         1111,
         {"Input the first decimal position data", "Parameter GAP is wrong."}},
        {"Ar 1200.0", [](PidGroupTexts& t) { t["Ar"] = "1200.0"; }, R::ARW, 10000, {}},
        {"Ar negative",
         [](PidGroupTexts& t) { t["Ar"] = "-1.0"; },
         R::ARW,
         1111,
         {"Parameter ARW is wrong."}},
        {"REV normal", [](PidGroupTexts& t) { t["REV"] = "1.Normal operation"; }, R::REV, 0, {}},
        {"REV other",
         [](PidGroupTexts& t) { t["REV"] = "1"; },
         R::REV,
         1111,
         {"Parameter REV is wrong."}},
    };
    for (const auto& c : cases) {
        ParameterImage image = KImage();
        for (int w = 0; w < PidGroupRecord::kWords; ++w)
            image.pid[2].SetWord(w, 1111);
        RecordingMessages messages;
        PidGroupForm form(image, messages);
        form.SelectGroup(2);
        form.Texts() = ValidTexts();
        c.edit(form.Texts());
        form.Store();
        const int32_t stored =
            c.word == R::I ? image.pid[2].Word(c.word) : image.pid[2].Signed(c.word);
        EXPECT_EQ(stored, c.expected) << c.name;
        EXPECT_EQ(FirstLines(messages), c.messages) << c.name;
        EXPECT_EQ(image.pid[2].Word(R::NO_USE1), 1111) << c.name;
        EXPECT_EQ(image.pid[2].Word(R::NO_USE2), 1111) << c.name;
        EXPECT_EQ(image.pid[1].Word(R::P), 0) << c.name; // other groups untouched
    }
}

TEST(PidGroupForm, MessagesInFieldOrder) {
    ParameterImage image = KImage();
    RecordingMessages messages;
    PidGroupForm form(image, messages);
    form.Open();
    PidGroupTexts& t = form.Texts();
    for (const char* label : {"P", "D", "GAP", "KnL", "Ar", "MAN", "MV-H", "MV-L", "REV"})
        t[label] = "x";
    t["I"] = "5000";
    form.Store();
    const std::vector<std::string> expected = {
        "Parameter P is wrong.",   "Parameter I is wrong.",
        "Parameter D is wrong.",   "Parameter KnL is wrong.",
        "Parameter MAN is wrong.", "Parameter MVH is wrong.",
        "Parameter MVL is wrong.", "Input the first decimal position data",
        "Parameter GAP is wrong.", "Input the first decimal position data",
        "Parameter ARW is wrong.", "Parameter REV is wrong."};
    EXPECT_EQ(FirstLines(messages), expected);
    EXPECT_EQ(image.pid[0], PidGroupRecord{});
}

TEST(PidGroupForm, ShowStep) {
    ParameterImage image = KImage();
    PidGroupRecord& r = image.pid[4];
    r.SetWord(R::I, 15);
    r.SetSigned(R::P, 30);
    r.SetSigned(R::KNL, 32767);
    r.SetSigned(R::MV_L, -500);
    r.SetSigned(R::GAP, 5000);
    r.SetSigned(R::REV, 7);
    RecordingMessages messages;
    PidGroupForm form(image, messages);
    form.SelectGroup(4);
    EXPECT_EQ(form.Texts()["I"], "1");
    EXPECT_EQ(form.Texts()["P"], "3.0");
    EXPECT_EQ(form.Texts()["KnL"], "327.7");
    EXPECT_EQ(form.Texts()["MV-L"], "-5.0");
    EXPECT_EQ(form.Texts()["GAP"], "600.0");
    EXPECT_EQ(form.Texts()["Ar"], "0.0");
    EXPECT_EQ(form.Texts()["REV"], "2.Reverse operation");
    r.SetWord(R::I, 65535); // taken as unsigned
    form.Show();
    EXPECT_EQ(form.Texts()["I"], "6553");
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(PidGroupForm, SwitchingGroupsDropsUnsavedTexts) {
    ParameterImage image = KImage();
    image.pid[0].SetSigned(R::P, 55);
    RecordingMessages messages;
    PidGroupForm form(image, messages);
    form.Open();
    form.Texts()["P"] = "99.9";
    form.SelectGroup(1);
    form.SelectGroup(0);
    EXPECT_EQ(form.Texts()["P"], "5.5");
    EXPECT_EQ(image.pid[0].Signed(R::P), 55);
}

TEST(PidGroupForm, RetrieveReadsTheGroupsBlock) {
    const struct {
        int group;
        int32_t block;
    } cases[] = {{0, 4}, {4, 8}, {5, 46}, {8, 49}};
    for (const auto& c : cases) {
        ParameterImage image = KImage();
        RecordingBackend backend;
        backend.blocks[c.block][0] = 123; // P 12.3
        ScopedLinkBackend install(backend);
        RecordingMessages messages;
        NoCursor cursor;
        PidGroupForm form(image, messages);
        form.SelectGroup(c.group);
        form.Retrieve(cursor);
        ASSERT_EQ(backend.calls.size(), 1u);
        EXPECT_EQ(backend.calls[0].mode, 17);
        EXPECT_EQ(backend.calls[0].block, c.block);
        EXPECT_EQ(backend.calls[0].offset, 0);
        EXPECT_EQ(backend.calls[0].length, 12);
        EXPECT_EQ(image.pid[c.group].Signed(R::P), 123);
        EXPECT_EQ(form.Texts()["P"], "12.3");
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(cursor.Depth(), 0);
    }
}

TEST(PidGroupForm, FailedRetrieveSaysFalseAndKeepsTheRecord) {
    ParameterImage image = KImage();
    image.pid[2].SetSigned(R::P, 77);
    RecordingBackend backend;
    backend.blocks[6][0] = 1;
    backend.failing = {0};
    ScopedLinkBackend install(backend);
    RecordingMessages messages;
    NoCursor cursor;
    PidGroupForm form(image, messages);
    form.SelectGroup(2);
    form.Texts()["P"] = "1.0"; // not stored: RETRIEVE shows the record again
    form.Retrieve(cursor);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"false"});
    EXPECT_EQ(image.pid[2].Signed(R::P), 77);
    EXPECT_EQ(form.Texts()["P"], "7.7");
}

TEST(PidGroupForm, SendStoresThenWritesAllNineInOrder) {
    ParameterImage image = KImage();
    image.pid[7].SetSigned(R::P, 88);
    RecordingBackend backend;
    backend.failing = {1, 5}; // blocks 5 and 46
    ScopedLinkBackend install(backend);
    RecordingMessages messages;
    NoCursor cursor;
    PidGroupForm form(image, messages);
    form.SelectGroup(2);
    form.Texts() = ValidTexts();
    form.Texts()["P"] = "12.0";
    form.Send(cursor);
    const int32_t order[] = {4, 5, 6, 7, 8, 46, 47, 48, 49};
    ASSERT_EQ(backend.calls.size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(backend.calls[i].block, order[i]);
        EXPECT_EQ(backend.calls[i].mode, 18);
        EXPECT_EQ(backend.calls[i].length, 12);
    }
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"false", "false"}));
    EXPECT_EQ(image.pid[2].Signed(R::P), 120);
    EXPECT_EQ(backend.blocks[6][0], 120);
    EXPECT_EQ(backend.blocks[48][0], 88); // a group stored earlier is sent too
    EXPECT_EQ(form.Texts()["P"], "12.0");
    EXPECT_EQ(form.Texts()["REV"], "2.Reverse operation");
    EXPECT_EQ(cursor.Depth(), 0);
}

} // namespace
