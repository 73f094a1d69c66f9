#include "editors/system_setup_dialog.h"
#include "link/link_backend.h"
#include "support/first_lines.h"
#include "values/conversions.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

// Holds blocks 12 and 9 and counts the writes.
class TwoBlockController : public LinkBackend {
public:
    std::map<int, std::vector<uint8_t>> blocks{{12, std::vector<uint8_t>(33, 0xEE)},
                                               {9, std::vector<uint8_t>(26, 0xEE)}};
    int writes = 0;
    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t, int32_t block, int32_t, int32_t length, void* buffer,
                 int32_t* status) override {
        std::memcpy(buffer, blocks.at(block).data(), length);
        *status = 0;
        return 1;
    }
    int32_t Write(int32_t, int32_t block, int32_t, int32_t length, const void* buffer,
                  int32_t* status) override {
        ++writes;
        std::memcpy(blocks.at(block).data(), buffer, length);
        *status = 0;
        return 1;
    }
};

ParameterImage KImage() {
    ParameterImage image;
    SetStartValues(image);
    SystemSetupRecord& s = image.systemSetup;
    s.PVT = 36; // K 0 to 1200 degree C
    s.PVF = 1000;
    s.PVB = 0;
    s.CI = 20;
    s.TF = 50;
    s.AO1F = 10000;
    s.STN = 1;
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

TEST(SystemSetupDialog, ControlsAndLists) {
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    EXPECT_EQ(dialog.windowTitle(), "SYSTEM PARAMETER");
    EXPECT_EQ(Find<QComboBox>(dialog, "PVT")->currentText().toStdString(), InputTypeText(36));
    EXPECT_EQ(Find<QComboBox>(dialog, "PVT")->count(), 37);
    auto* a01r = Find<QComboBox>(dialog, "A01R");
    ASSERT_EQ(a01r->count(), 3);
    EXPECT_EQ(a01r->itemText(0), "0-10V");
    EXPECT_EQ(a01r->itemText(2), "1-5V");
    EXPECT_TRUE(a01r->isEditable());
    EXPECT_EQ(Find<QComboBox>(dialog, "STN")->count(), 31);
    EXPECT_EQ(Find<QLineEdit>(dialog, "TF")->text(), "5.0");
    EXPECT_TRUE(Find<QPushButton>(dialog, "SEND")->isDefault());
    Find<QPushButton>(dialog, "help_GS-L")->click();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Guarantee soak lower limit. Range:0 to 50%.of the input "
                                       "range. Unit:Engineering unit"});
}

TEST(SystemSetupDialog, OkStoresTypedValuesAndReportsRefusedOnes) {
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    Type(dialog, "TF", "12.3");
    Type(dialog, "PSET", "105.1");
    Type(dialog, "A01F", "600");
    Find<QComboBox>(dialog, "STN")->setCurrentText("31");
    Find<QPushButton>(dialog, "OK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(image.systemSetup.TF, 123);
    EXPECT_EQ(image.systemSetup.PSET, 0);
    EXPECT_EQ(image.systemSetup.AO1F, 5000);
    EXPECT_EQ(image.systemSetup.STN, 31);
    EXPECT_EQ(FirstLines(messages), std::vector<std::string>{"Parameter PSET is wrong."});
}

TEST(SystemSetupDialog, ScaleGuardRestoresPvfForPt100) {
    ParameterImage image = KImage();
    image.systemSetup.PVT = 0; // Pt100
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    EXPECT_TRUE(messages.Texts().empty()); // filling the fields is not an edit
    Type(dialog, "PVF", "5");
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().front(), "PVF & PVB are not available in case of the PVT");
    EXPECT_EQ(Find<QLineEdit>(dialog, "PVF")->text(), "1000");

    // With a DC input selected, the scale is the user's to set.
    messages.Clear();
    Find<QComboBox>(dialog, "PVT")->setCurrentText(QString::fromStdString(InputTypeText(66)));
    Type(dialog, "PVB", "-50");
    EXPECT_TRUE(messages.Texts().empty());
    Find<QPushButton>(dialog, "OK")->click();
    EXPECT_EQ(image.systemSetup.PVT, 66);
    EXPECT_EQ(image.systemSetup.PVB, -50);
}

TEST(SystemSetupDialog, SendWritesBothBlocksAndShowsTheRecord) {
    TwoBlockController controller;
    ScopedLinkBackend scoped(controller);
    ParameterImage image = KImage();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    Type(dialog, "ENDT", "99:60");
    Find<QPushButton>(dialog, "SEND")->click();
    EXPECT_EQ(FirstLines(messages), std::vector<std::string>{"Parameter ENDT is wrong."});
    EXPECT_EQ(Find<QLineEdit>(dialog, "ENDT")->text(), "00:00");
    EXPECT_EQ(controller.writes, 2);
    EXPECT_EQ(controller.blocks[12][0], 0xEE);
    EXPECT_EQ(controller.blocks[12][1], 36);
}

} // namespace
