// Every editor and sub-editor marks a field whose text differs from what the file (or the
// controller) last held, names that value in its tooltip, and drops the mark once the
// text is back.

#include "editors/advanced_dialog.h"
#include "editors/pattern_sub_editors_qt.h"
#include "editors/pid_group_dialog.h"
#include "editors/program_pattern_dialog.h"
#include "editors/system_setup_dialog.h"
#include "image/parameter_catalogue.h"
#include "operator/cursor.h"
#include "transfers/parameter_set.h"
#include "widgets/field_assist_qt.h"

#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The text of an edit field or of an editable drop-down's edit.
QLineEdit* EditOf(QWidget* field) {
    if (auto* combo = qobject_cast<QComboBox*>(field))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(field);
}

TEST(FieldMarks, EveryEditorMarksWhatDiffersFromTheFile) {
    ParameterImage image;
    SetStartValues(image);
    ParameterSet set(image);
    set.FileRead("/data/oven3.slk", "09:12:00");
    RecordingMessages messages;
    NoCursor cursor;
    PatternWorkingState state;
    LoadPattern(image, 1, state);

    using Open = std::function<std::unique_ptr<QWidget>()>;
    const auto editor = [&](auto dialog) -> std::unique_ptr<QWidget> {
        dialog->UseReference(set);
        return dialog;
    };
    const auto sub = [&](auto dialog) -> std::unique_ptr<QWidget> {
        dialog->UseReference(set, image, 1);
        return dialog;
    };
    const struct {
        const char* editor;
        const char* field;
        Open open;
    } cases[] = {
        {"system setup", "PVF",
         [&] { return editor(std::make_unique<SystemSetupDialog>(image, messages, cursor)); }},
        {"advanced", "SV-H",
         [&] { return editor(std::make_unique<AdvancedDialog>(image, messages, cursor)); }},
        {"PID group", "P",
         [&] { return editor(std::make_unique<PidGroupDialog>(image, messages, cursor)); }},
        {"program pattern", "SV_1",
         [&] { return editor(std::make_unique<ProgramPatternDialog>(image, messages, cursor)); }},
        {"alarm values", "ALM1_1",
         [&] { return sub(std::make_unique<AlarmValuesDialog>(state, image, messages)); }},
        {"segment PID", "PIDNO_1",
         [&] { return sub(std::make_unique<SegmentPidDialog>(state, image, messages)); }},
        {"guaranteed soak", "GSORK_1",
         [&] { return sub(std::make_unique<GuaranteedSoakDialog>(state, image, messages)); }},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<QWidget> dialog = c.open();
        auto* field = dialog->findChild<QWidget*>(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.editor;
        QLineEdit* edit = EditOf(field);
        ASSERT_NE(edit, nullptr) << c.editor;
        EXPECT_FALSE(FieldAssist::Marked(field)) << c.editor;
        const QString before = edit->text();
        edit->setText(before == QStringLiteral("1") ? QStringLiteral("2") : QStringLiteral("1"));
        EXPECT_TRUE(FieldAssist::Marked(field)) << c.editor;
        EXPECT_TRUE(field->toolTip().contains(QStringLiteral("file: ") + before + " (oven3.slk)"))
            << c.editor << ": " << field->toolTip().toStdString();
        EXPECT_TRUE(field->accessibleDescription().contains(before)) << c.editor;
        edit->setText(before);
        EXPECT_FALSE(FieldAssist::Marked(field)) << c.editor;
    }
}

} // namespace
