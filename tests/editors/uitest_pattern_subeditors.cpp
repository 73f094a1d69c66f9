#include "editors/pattern_graph_dialog.h"
#include "editors/pattern_graph_widget.h"
#include "editors/pattern_sub_editors_qt.h"
#include "support/modal_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kGaveUp = 99; // result of a dialog that Enter failed to close

struct Fixture {
    Fixture() {
        SetStartValues(image);
        image.systemSetup.PVT = 34; // K 0 to 400 degree C
        for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
            state.segmentBytes.At(s, SegmentByteTable::PIDNO) = 1;
            state.segmentBytes.At(s, SegmentByteTable::GSORK) = 1;
            state.segmentBytes.At(s, SegmentByteTable::GSTYP) = 2;
            for (int k = 1; k <= 4; ++k)
                state.workingCopy.Segment(s).SetAlarm(k, 2500);
        }
    }
    ParameterImage image;
    PatternWorkingState state;
    RecordingMessages messages;
};

void SetText(QWidget* dialog, const QString& name, const QString& text) {
    QWidget* field = dialog->findChild<QWidget*>(name);
    ASSERT_NE(field, nullptr) << name.toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->setEditText(text);
    else
        qobject_cast<QLineEdit*>(field)->setText(text);
}

QWidget* EditorOf(QWidget* dialog, const QString& name) {
    QWidget* field = dialog->findChild<QWidget*>(name);
    if (auto* combo = qobject_cast<QComboBox*>(field))
        return combo->lineEdit();
    return field;
}

void Click(QWidget* dialog, const char* button) {
    auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

using MakeDialog = std::function<std::unique_ptr<QDialog>(Fixture&)>;

struct EnterCase {
    const char* name;
    MakeDialog make;
    QString edited; // the field that is changed and then gets Enter
    QString text;
};

class EnterKey : public ::testing::TestWithParam<EnterCase> {};

TEST_P(EnterKey, ClosesLikeCancelAndStoresNothing) {
    Fixture f;
    const PatternWorkingState before = f.state;
    std::unique_ptr<QDialog> dialog = GetParam().make(f);
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        SetText(modal, GetParam().edited, GetParam().text);
        QWidget* editor = EditorOf(modal, GetParam().edited);
        modal->activateWindow();
        editor->setFocus();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : editor;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &press);
    });
    QTimer::singleShot(5000, dialog.get(), [&] { dialog->done(kGaveUp); });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_TRUE(f.messages.Texts().empty());
    EXPECT_EQ(f.state.workingCopy, before.workingCopy);
    EXPECT_EQ(f.state.segmentBytes.rows, before.segmentBytes.rows);
}

template <typename D> MakeDialog Maker() {
    return [](Fixture& f) { return std::make_unique<D>(f.state, f.image, f.messages); };
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, EnterKey,
    ::testing::Values(EnterCase{"SegmentPid", Maker<SegmentPidDialog>(), QStringLiteral("PIDNO_4"),
                                QStringLiteral("7")},
                      EnterCase{"AlarmValues", Maker<AlarmValuesDialog>(),
                                QStringLiteral("ALM3_12"), QStringLiteral("250")},
                      EnterCase{"GuaranteedSoakOnOff", Maker<GuaranteedSoakDialog>(),
                                QStringLiteral("GSORK_15"), QStringLiteral("NO")},
                      EnterCase{"GuaranteedSoakType", Maker<GuaranteedSoakDialog>(),
                                QStringLiteral("GSTYP_2"), QStringLiteral("Down")}),
    [](const auto& info) { return std::string(info.param.name); });

// F1 in a sub-editor's field tells what the field takes, in the input range in force.
TEST(SubEditors, F1TellsWhatAFieldTakes) {
    const struct {
        MakeDialog make;
        const char* field;
        const char* told;
    } cases[] = {{Maker<SegmentPidDialog>(), "PIDNO_4", "PIDNO: 1 to 9"},
                 {Maker<AlarmValuesDialog>(), "ALM3_12", "ALARM3: 0 to 400 \u00B0C"},
                 {Maker<GuaranteedSoakDialog>(), "GSTYP_2", "GSTYP: U&D, Down or Up"}};
    for (const auto& c : cases) {
        Fixture f;
        std::unique_ptr<QDialog> dialog = c.make(f);
        QTest::keyClick(EditorOf(dialog.get(), QString::fromLatin1(c.field)), Qt::Key_F1);
        ASSERT_EQ(f.messages.Texts().size(), 1u) << c.field;
        EXPECT_NE(f.messages.Texts()[0].find(c.told), std::string::npos) << f.messages.Texts()[0];
    }
}

TEST(SegmentPidDialog, ShowsListsAndStoresOnOk) {
    Fixture f;
    f.state.segmentBytes.At(20, SegmentByteTable::PIDNO) = 9;
    SegmentPidDialog dialog(f.state, f.image, f.messages);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setting of PID group"));
    auto* last = dialog.findChild<QComboBox*>(QStringLiteral("PIDNO_20"));
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->isEditable());
    EXPECT_EQ(last->count(), 9);
    EXPECT_EQ(last->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(last->currentText(), QStringLiteral("9"));

    dialog.show();
    SetText(&dialog, QStringLiteral("PIDNO_2"), QStringLiteral("3"));
    SetText(&dialog, QStringLiteral("PIDNO_5"), QStringLiteral("01"));
    Click(&dialog, "OK");
    EXPECT_TRUE(dialog.isVisible()); // stays open at the wrong field
    EXPECT_EQ(f.messages.Texts(), std::vector<std::string>{"PIDNO_seg5 is wrong"});
    EXPECT_EQ(f.state.segmentBytes.At(2, SegmentByteTable::PIDNO), 3);

    SetText(&dialog, QStringLiteral("PIDNO_5"), QStringLiteral("6"));
    Click(&dialog, "OK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(f.state.segmentBytes.At(5, SegmentByteTable::PIDNO), 6);
    EXPECT_EQ(f.state.segmentBytes.At(20, SegmentByteTable::PIDNO), 9);
}

TEST(GuaranteedSoakDialog, StoresOnOk) {
    Fixture f;
    f.state.segmentBytes.At(7, SegmentByteTable::GSTYP) = 5;
    GuaranteedSoakDialog dialog(f.state, f.image, f.messages);
    auto* type = dialog.findChild<QComboBox*>(QStringLiteral("GSTYP_7"));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->currentText(), QStringLiteral("NG"));
    EXPECT_EQ(type->itemText(1), QStringLiteral("U&D"));
    dialog.show();
    SetText(&dialog, QStringLiteral("GSORK_11"), QStringLiteral("NO"));
    Click(&dialog, "OK");
    EXPECT_EQ(f.messages.Texts(), std::vector<std::string>{"GSTYPE_seg7 is wrong"});
    EXPECT_TRUE(dialog.isVisible());
    SetText(&dialog, QStringLiteral("GSTYP_7"), QStringLiteral("U&D"));
    Click(&dialog, "OK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.state.segmentBytes.At(11, SegmentByteTable::GSORK), 0);
    EXPECT_EQ(f.state.segmentBytes.At(7, SegmentByteTable::GSTYP), 0);
}

TEST(AlarmValuesDialog, StoresOnOkAndCancelKeepsTheCopy) {
    Fixture f;
    {
        AlarmValuesDialog dialog(f.state, f.image, f.messages);
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("ALM4_20"));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), QStringLiteral("100"));
        dialog.show();
        SetText(&dialog, QStringLiteral("ALM4_20"), QStringLiteral("----"));
        Click(&dialog, "CANCEL");
        EXPECT_EQ(f.state.workingCopy.Segment(20).Alarm(4), 2500);
    }
    AlarmValuesDialog dialog(f.state, f.image, f.messages);
    dialog.show();
    SetText(&dialog, QStringLiteral("ALM4_20"), QStringLiteral("----"));
    SetText(&dialog, QStringLiteral("ALM1_1"), QStringLiteral("200"));
    Click(&dialog, "OK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.state.workingCopy.Segment(20).Alarm(4), -32768);
    EXPECT_EQ(f.state.workingCopy.Segment(1).Alarm(1), 5000);
}

void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(200, 60);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

TEST(PatternGraphDialog, LeftClickDrawsRightClickCloses) {
    Fixture f;
    f.state.workingCopy.Segment(1).SetTIME(60);
    f.state.workingCopy.Segment(1).SetTsOn(1, 15);
    f.state.workingCopy.Segment(1).SetTsOff(1, 45);
    PatternGraphDialog dialog(f.state, f.image, f.messages);
    EXPECT_EQ(dialog.windowTitle(),
              QStringLiteral("Display      START:Click anywhere     QUIT:Right Click anywhere"));
    dialog.show();
    EXPECT_TRUE(dialog.Graph()->Lines().empty()); // nothing until the click
    // A click on the frame reaches the window too.
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, dialog.Graph()->geometry().center());
    EXPECT_EQ(dialog.Graph()->Lines(), DrawPatternGraph(f.state.workingCopy, false));
    EXPECT_EQ(dialog.Graph()->Lines().size(), 28u + 20u + 5u);
    EXPECT_TRUE(dialog.isVisible());
    SendMouse(&dialog, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(PatternGraphDialog, RightClickClosesWithoutDrawingAndDoubleClickDrawsThenCloses) {
    Fixture f;
    {
        PatternGraphDialog dialog(f.state, f.image, f.messages);
        dialog.show();
        SendMouse(&dialog, QEvent::MouseButtonPress, Qt::RightButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(dialog.Graph()->Lines().empty());
    }
    PatternGraphDialog dialog(f.state, f.image, f.messages);
    dialog.show();
    SendMouse(&dialog, QEvent::MouseButtonPress, Qt::LeftButton);
    SendMouse(&dialog, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_FALSE(dialog.Graph()->Lines().empty());
    EXPECT_TRUE(dialog.isVisible());
    SendMouse(&dialog, QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(PatternGraphDialog, RowsFiveAndSixFollowTheModelCode) {
    Fixture f;
    for (int k = 5; k <= 6; ++k) {
        f.state.workingCopy.Segment(1).SetTIME(60);
        f.state.workingCopy.Segment(1).SetTsOn(k, 15);
        f.state.workingCopy.Segment(1).SetTsOff(k, 45);
    }
    const char code[] = "PXT4TEY1T-00121"; // ninth character "T": the option
    std::copy(code, code + 15, f.image.modelCode.begin());
    PatternGraphDialog dialog(f.state, f.image, f.messages);
    dialog.show();
    SendMouse(&dialog, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(dialog.Graph()->Lines().size(), 28u + 20u + 10u);
}

} // namespace
