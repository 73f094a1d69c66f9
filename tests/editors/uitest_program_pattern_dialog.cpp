#include "editors/program_pattern_dialog.h"
#include "simulator/simulated_controller.h"
#include "support/first_lines.h"
#include "support/modal_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// "K 0 to 400 degree C" without decimals: 25 stored units per degree.
struct Fixture {
    Fixture() {
        SetStartValues(image);
        image.systemSetup.PVT = 34;
        for (int n = 1; n <= ParameterImage::kPatterns; ++n) {
            SegmentRecord segment = image.pattern[n - 1].Segment(1);
            segment.SetSV(static_cast<int16_t>(2500 * (n % 4)));
            segment.SetTIME(static_cast<uint16_t>(30 * n));
        }
    }
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
};

template <class W> W* Find(QWidget* dialog, const QString& name) {
    W* widget = dialog->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
}

QString Text(QWidget* dialog, const QString& name) {
    return Find<QLineEdit>(dialog, name)->text();
}

void Type(QWidget* dialog, const QString& name, const QString& text) {
    QWidget* field = Find<QWidget>(dialog, name);
    if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->setEditText(text);
    else
        qobject_cast<QLineEdit*>(field)->setText(text);
}

void Click(QWidget* dialog, const QString& name) {
    Find<QAbstractButton>(dialog, name)->click();
}

TEST(ProgramPatternDialog, HasItsControls) {
    Fixture f;
    ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Program Pattern"));
    for (int s = 1; s <= 20; ++s)
        for (const char* row : {"SV_%1", "TIME_%1", "ON_%1", "OFF_%1"})
            Find<QLineEdit>(&dialog, QString::fromLatin1(row).arg(s));
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(Find<QRadioButton>(&dialog, QStringLiteral("pattern_%1").arg(n))->isChecked(),
                  n == 1);
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(Find<QRadioButton>(&dialog, QStringLiteral("ts_%1").arg(k))->isChecked(), k == 1);
    EXPECT_TRUE(Find<QLineEdit>(&dialog, QStringLiteral("RangeBox"))->isReadOnly());
    EXPECT_EQ(Text(&dialog, QStringLiteral("RangeBox")), QStringLiteral("K 0 to 400 degree C"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("DecimalBox")), QStringLiteral("No decimal position"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("TimeUnitBox")), QStringLiteral("Hour. Minute"));

    auto* link = Find<QComboBox>(&dialog, QStringLiteral("LINK"));
    EXPECT_TRUE(link->isEditable());
    ASSERT_EQ(link->count(), 10);
    EXPECT_EQ(link->itemText(9), QStringLiteral("OFF"));
    EXPECT_EQ(link->currentText(), QStringLiteral("OFF"));
    auto* pvstart = Find<QComboBox>(&dialog, QStringLiteral("PVSTART"));
    EXPECT_TRUE(pvstart->isEditable());
    EXPECT_EQ(pvstart->count(), 2);
    EXPECT_EQ(Text(&dialog, QStringLiteral("CYCL")), QStringLiteral("0"));

    EXPECT_TRUE(Find<QPushButton>(&dialog, QStringLiteral("SEND"))->isDefault());
    // Enter on a focused button presses that button, not SEND.
    for (const char* other : {"RETRIEVE", "OK", "CANCEL", "VIEW", "help_SV", "help_TIME"})
        EXPECT_TRUE(Find<QPushButton>(&dialog, QString::fromLatin1(other))->autoDefault()) << other;

    Click(&dialog, QStringLiteral("help_SV"));
    Click(&dialog, QStringLiteral("help_TIME"));
    EXPECT_EQ(f.messages.Texts(),
              (Texts{"SV:Setting value. See Range box and Decimal position box.",
                     "Time:Setting value. Range:00:00 to 99:59.  See Time unit box. "}));
}

TEST(ProgramPatternDialog, TypedEditsSurviveOnlyUntilAnotherPatternIsChosen) {
    Fixture f;
    ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
    dialog.show();
    EXPECT_EQ(Text(&dialog, QStringLiteral("SV_1")), QStringLiteral("100"));
    Type(&dialog, QStringLiteral("SV_1"), QStringLiteral("321"));
    Click(&dialog, QStringLiteral("pattern_2"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("SV_1")), QStringLiteral("200"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("TIME_1")), QStringLiteral("01:00"));
    Click(&dialog, QStringLiteral("pattern_1"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("SV_1")), QStringLiteral("100"));

    Type(&dialog, QStringLiteral("SV_20"), QStringLiteral("350"));
    Type(&dialog, QStringLiteral("TIME_20"), QStringLiteral("1:30"));
    Type(&dialog, QStringLiteral("ON_3"), QStringLiteral("0:10"));
    Type(&dialog, QStringLiteral("CYCL"), QStringLiteral("4"));
    Type(&dialog, QStringLiteral("LINK"), QStringLiteral("7"));
    Click(&dialog, QStringLiteral("OK"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(f.messages.Texts().empty());
    const SegmentRecord s20 = f.image.pattern[0].Segment(20);
    EXPECT_EQ(s20.SV(), 8750);
    EXPECT_EQ(s20.TIME(), 90);
    EXPECT_EQ(s20.Byte(seg::CYCL), 4);
    EXPECT_EQ(s20.Byte(seg::LINK), 7);
    EXPECT_EQ(f.image.pattern[0].Segment(3).TsOn(1), 10);
    EXPECT_EQ(f.image.pattern[0].Segment(1).SV(), 2500);
}

TEST(ProgramPatternDialog, TimeSignalFiveWithoutTheOptionKeepsTheSelection) {
    Fixture f;
    f.image.pattern[0].Segment(1).SetTsOn(2, 75);
    ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
    dialog.show();
    Click(&dialog, QStringLiteral("ts_2"));
    EXPECT_EQ(Text(&dialog, QStringLiteral("ON_1")), QStringLiteral("01:15"));
    Click(&dialog, QStringLiteral("ts_5"));
    EXPECT_EQ(f.messages.Texts(), Texts{"TQX has no option."});
    EXPECT_TRUE(Find<QRadioButton>(&dialog, QStringLiteral("ts_2"))->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(&dialog, QStringLiteral("ts_5"))->isChecked());
    EXPECT_EQ(Text(&dialog, QStringLiteral("ON_1")), QStringLiteral("01:15"));
    EXPECT_EQ(dialog.Form().SelectedTimeSignal(), 2);
}

TEST(ProgramPatternDialog, EnterInAFieldSendsAndTheDialogStaysOpen) {
    Fixture f;
    SimulatedController controller;
    ScopedLinkBackend backend(controller);
    ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
    dialog.show();
    Click(&dialog, QStringLiteral("pattern_3"));
    Type(&dialog, QStringLiteral("SV_5"), QStringLiteral("200"));
    Type(&dialog, QStringLiteral("TIME_6"), QStringLiteral("99:75"));
    auto* field = Find<QLineEdit>(&dialog, QStringLiteral("SV_5"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(FirstLines(f.messages), Texts{"Parameter TM is wrong."});
    EXPECT_EQ(Text(&dialog, QStringLiteral("TIME_6")), QStringLiteral("00:00")); // kept value
    ASSERT_EQ(controller.Calls().size(), 7u);
    EXPECT_EQ(controller.Calls()[0].block, 25);
    EXPECT_EQ(f.image.pattern[2].Segment(5).SV(), 5000);
    EXPECT_EQ(controller.Memory().Data()[0xC690 + 4 * 42], f.image.pattern[2].bytes[4 * 42]);
}

TEST(ProgramPatternDialog, RetrieveShowsTheController) {
    Fixture f;
    SimulatedController controller;
    ScopedLinkBackend backend(controller);
    le::PutI16(controller.Memory().Data() + 0xC000 + 840 * 8 + 42 * 19, 7500);
    ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
    dialog.show();
    Click(&dialog, QStringLiteral("pattern_9"));
    Click(&dialog, QStringLiteral("RETRIEVE"));
    EXPECT_TRUE(f.messages.Texts().empty());
    EXPECT_EQ(Text(&dialog, QStringLiteral("SV_20")), QStringLiteral("300"));
    EXPECT_EQ(f.image.pattern[8].Segment(20).SV(), 7500);
    EXPECT_EQ(controller.Calls().size(), 4u);
}

// A sub-editor's change travels with the working state: OK stores it, CANCEL drops it.
TEST(ProgramPatternDialog, SubEditorChangesReachTheImageOnlyThroughOk) {
    for (bool ok : {false, true}) {
        Fixture f;
        ProgramPatternDialog dialog(f.image, f.messages, f.cursor);
        ModalDriver driver;
        driver.Then([](QWidget* pid) {
            EXPECT_EQ(pid->windowTitle(), QStringLiteral("Setting of PID group"));
            for (int s = 1; s <= 20; ++s)
                Type(pid, QStringLiteral("PIDNO_%1").arg(s), QStringLiteral("4"));
            Click(pid, QStringLiteral("OK"));
        });
        driver.Then([ok](QWidget* pattern) { Click(pattern, ok ? "OK" : "CANCEL"); });
        QTimer::singleShot(0, &dialog, [&] { Click(&dialog, "SETTING_OF_PID_GROUP"); });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(99); });
        EXPECT_EQ(dialog.exec(), ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(f.image.pattern[0].Segment(17).Byte(seg::PIDNO), ok ? 4 : 0) << ok;
    }
}

} // namespace
