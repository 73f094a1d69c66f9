#include "editors/pid_group_dialog.h"
#include "link/link_backend.h"
#include "support/first_lines.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using R = PidGroupRecord;

// Accepts every call and remembers the blocks written.
class WriteRecorder : public LinkBackend {
public:
    std::vector<int32_t> written;
    int32_t Open(int32_t) override { return 1; }
    int32_t Close() override { return 1; }
    int32_t Read(int32_t, int32_t, int32_t, int32_t, void*, int32_t* status) override {
        *status = 1;
        return 0;
    }
    int32_t Write(int32_t, int32_t block, int32_t, int32_t, const void*, int32_t* status) override {
        written.push_back(block);
        *status = 0;
        return 1;
    }
};

struct Fixture {
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    Fixture() {
        image.systemSetup.PVT = 36; // K 0 to 1200 degree C, one decimal
        image.systemSetup.PVD = 1;
        image.pid[0].SetSigned(R::P, 30);
        image.pid[0].SetWord(R::I, 2400);
        image.pid[1].SetSigned(R::P, 77);
    }
    QLineEdit* Edit(QWidget& dialog, const char* name) {
        auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(edit, nullptr) << name;
        return edit;
    }
    void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
};

TEST(PidGroupDialog, OpensOnGroupOneWithTheStoredValues) {
    Fixture f;
    PidGroupDialog dialog(f.image, f.messages, f.cursor);
    EXPECT_EQ(dialog.windowTitle(), "SETTING OF PID GROUP");
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("group_1")->isChecked());
    EXPECT_EQ(f.Edit(dialog, "P")->text(), "3.0");
    EXPECT_EQ(f.Edit(dialog, "I")->text(), "240");
    auto* rev = dialog.findChild<QComboBox*>("REV");
    ASSERT_NE(rev, nullptr);
    EXPECT_TRUE(rev->isEditable());
    EXPECT_EQ(rev->count(), 2);
    EXPECT_EQ(rev->currentText(), "1.Normal operation");
    EXPECT_TRUE(dialog.findChild<QPushButton*>("SEND")->isDefault());
    for (const char* name : {"P", "I", "D", "GAP", "MV-H", "MV-L", "REV", "KnL", "Ar", "MAN"})
        EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("help_") + name), nullptr) << name;
}

TEST(PidGroupDialog, HelpButtonShowsItsText) {
    Fixture f;
    PidGroupDialog dialog(f.image, f.messages, f.cursor);
    f.Click(dialog, "help_D");
    ASSERT_EQ(f.messages.Texts().size(), 1u);
    EXPECT_EQ(f.messages.Texts()[0],
              "Differntial Time 0.0 to 999.9  . Unit:0.1 second. For example:10 sec ->10.0");
}

TEST(PidGroupDialog, SendStoresTheTypedTextsAndWritesAllGroups) {
    Fixture f;
    WriteRecorder backend;
    ScopedLinkBackend install(backend);
    PidGroupDialog dialog(f.image, f.messages, f.cursor);
    f.Edit(dialog, "P")->setText("12.5");
    f.Edit(dialog, "MV-H")->setText("105.1"); // refused, old value kept
    dialog.findChild<QComboBox*>("REV")->setEditText("2.Reverse operation");
    f.Click(dialog, "SEND");
    EXPECT_EQ(f.image.pid[0].Signed(R::P), 125);
    EXPECT_EQ(f.image.pid[0].Signed(R::REV), 1);
    EXPECT_EQ(f.image.pid[0].Signed(R::MV_H), 0);
    EXPECT_EQ(FirstLines(f.messages), std::vector<std::string>{"Parameter MVH is wrong."});
    EXPECT_EQ(f.Edit(dialog, "MV-H")->text(), "0.0");
    EXPECT_EQ(backend.written, (std::vector<int32_t>{4, 5, 6, 7, 8, 46, 47, 48, 49}));
}

TEST(PidGroupDialog, NonIntegerIKeepsThePreviousInteger) {
    // Typed key by key, as a person types: no character is dropped on the way in.
    for (const char* typed : {"", "6.5", "6,5", "12s"}) {
        Fixture f;
        PidGroupDialog dialog(f.image, f.messages, f.cursor);
        QLineEdit* i = f.Edit(dialog, "I");
        i->clear();
        QTest::keyClicks(i, QString::fromLatin1(typed));
        EXPECT_EQ(i->text(), QString::fromLatin1(typed));
        f.Click(dialog, "OK");
        EXPECT_EQ(f.image.pid[0].Word(R::I), 2400) << typed;
        EXPECT_EQ(i->text(), "240") << typed;
        // Refused with the field's message, not passed over or read as another number.
        EXPECT_EQ(f.messages.Texts(),
                  std::vector<std::string>{"Parameter I is wrong.\nI: 0 to 3200"})
            << typed;
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

TEST(PidGroupDialog, RadioButtonsSwitchGroupAndDropUnsavedTexts) {
    Fixture f;
    PidGroupDialog dialog(f.image, f.messages, f.cursor);
    f.Edit(dialog, "P")->setText("99.9");
    f.Click(dialog, "group_2");
    EXPECT_EQ(f.Edit(dialog, "P")->text(), "7.7");
    f.Click(dialog, "group_1");
    EXPECT_EQ(f.Edit(dialog, "P")->text(), "3.0");
    EXPECT_EQ(f.image.pid[0].Signed(R::P), 30);
}

TEST(PidGroupDialog, FailedRetrieveSaysFalse) {
    Fixture f;
    WriteRecorder backend; // reads fail
    ScopedLinkBackend install(backend);
    PidGroupDialog dialog(f.image, f.messages, f.cursor);
    f.Click(dialog, "RETRIEVE");
    EXPECT_EQ(f.messages.Texts(), std::vector<std::string>{"false"});
    EXPECT_EQ(f.Edit(dialog, "P")->text(), "3.0");
    EXPECT_EQ(f.cursor.Depth(), 0);
}

} // namespace
