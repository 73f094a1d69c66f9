#include "editors/advanced_dialog.h"
#include "link/link_backend.h"
#include "support/first_lines.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

// Keeps what was written to each block.
class WriteRecorder : public LinkBackend {
public:
    std::map<int, std::vector<uint8_t>> written;
    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t, int32_t, int32_t, int32_t, void*, int32_t* status) override {
        *status = 1;
        return 0;
    }
    int32_t Write(int32_t, int32_t block, int32_t, int32_t length, const void* buffer,
                  int32_t* status) override {
        const auto* p = static_cast<const uint8_t*>(buffer);
        written[block].assign(p, p + length);
        *status = 0;
        return 1;
    }
};

ParameterImage KImage() {
    ParameterImage image;
    SetStartValues(image);
    image.systemSetup.PVT = 36; // K 0 to 1200 degree C, no decimals
    image.advanced.SV_H = 10000;
    image.advanced.MVLT = 9;
    image.advanced.PP = 77;
    return image;
}

template <class W> W* Find(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void Type(QWidget& dialog, const char* name, const char* text) {
    auto* edit = Find<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

TEST(AdvancedDialog, ListsAndHelp) {
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    EXPECT_EQ(dialog.windowTitle(), "EXPERT PARAMETER");
    auto* dvdv = Find<QComboBox>(dialog, "DVDV");
    ASSERT_EQ(dvdv->count(), 3);
    EXPECT_EQ(dvdv->itemText(0), "");
    EXPECT_EQ(dvdv->itemText(1), "DV differentitation");
    EXPECT_EQ(Find<QLineEdit>(dialog, "SV-H")->text(), "1200");
    EXPECT_TRUE(Find<QPushButton>(dialog, "SEND")->isDefault());
    Find<QPushButton>(dialog, "help_A3HS")->click();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{
                  "Alarm 3 hysteresis width setting. Range:0 to 50%. Unit:Engineering unit"});
}

TEST(AdvancedDialog, OkStoresAndRefuses) {
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    Type(dialog, "SV-H", "1201");
    Type(dialog, "A1HS", "600");
    Type(dialog, "DMV", "105.0");
    Find<QComboBox>(dialog, "DVDV")->setCurrentIndex(0); // the empty entry
    Find<QPushButton>(dialog, "OK")->click();
    EXPECT_EQ(FirstLines(messages),
              (std::vector<std::string>{"Parameter SVH is wrong.", "Parameter DVD is wrong."}));
    EXPECT_EQ(image.advanced.SV_H, 10000);
    EXPECT_EQ(image.advanced.A1HS, 5000);
    EXPECT_EQ(image.advanced.DMV, 10500);
    EXPECT_EQ(image.advanced.DV_D, 0);
}

TEST(AdvancedDialog, SendCarriesTheHiddenFields) {
    WriteRecorder controller;
    ScopedLinkBackend scoped(controller);
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    Find<QComboBox>(dialog, "TDS")->setCurrentText("Write Inhibit");
    Find<QPushButton>(dialog, "SEND")->click();
    EXPECT_TRUE(messages.Texts().empty());
    ASSERT_EQ(controller.written[10].size(), 17u);
    ASSERT_EQ(controller.written[13].size(), 12u);
    EXPECT_EQ(controller.written[10][15], 9); // MVLT
    EXPECT_EQ(controller.written[10][16], 1); // WDIS
    EXPECT_EQ(controller.written[13][6], 77); // PP

    // A RETRIEVE whose reads fail keeps the record and says so once.
    Find<QPushButton>(dialog, "RETRIEVE")->click();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"RETRIEVE failed: read block 10, read block 13."});
    EXPECT_EQ(image.advanced.WDIS, 1);
}

} // namespace
