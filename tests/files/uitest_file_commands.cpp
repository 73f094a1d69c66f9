#include "file_test_support.h"
#include "files/file_commands_qt.h"
#include "files/file_name_dialog.h"
#include "files/parameter_file_writer.h"
#include "support/modal_driver.h"
#include "widgets/saved_settings_qt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using filetest::BusyImage;
using filetest::Slurp;
using filetest::TempFolder;

namespace {

class CountingCursor : public CursorControl {
public:
    void BeginWait() override { ++m_depth, ++m_waits; }
    void EndWait() override { --m_depth; }
    int m_depth = 0;
    int m_waits = 0;
};

// Queues filling in the FILE NAME dialog and pressing `button` on it. The dialog is closed
// even when a check fails, so that the command under test returns.
void Answer(ModalDriver& driver, const QString& name, const QString& drive,
            const char* button = "OK") {
    driver.Then([=](QWidget* widget) {
        auto* dialog = qobject_cast<FileNameDialog*>(widget);
        auto* nameField = widget->findChild<QLineEdit*>(QStringLiteral("FILE_NAME"));
        auto* driveField = widget->findChild<QLineEdit*>(QStringLiteral("DRIVE"));
        auto* press = widget->findChild<QPushButton*>(QString::fromLatin1(button));
        if (!dialog || !nameField || !driveField || !press) {
            ADD_FAILURE() << "not the FILE NAME dialog";
            widget->close();
            return;
        }
        EXPECT_TRUE(nameField->text().isEmpty());
        EXPECT_TRUE(driveField->text().isEmpty());
        nameField->setText(name);
        driveField->setText(drive);
        press->click();
    });
}

// Each command gets a driver of its own: two dialogs made one after the other may share
// an address, which one driver would take for the dialog it has already answered.
template <class Command>
void RunAnswering(const QString& name, const QString& drive, const char* button, Command command) {
    ModalDriver driver;
    Answer(driver, name, drive, button);
    command();
    EXPECT_TRUE(driver.Done());
}

ParameterImage StartImage() {
    ParameterImage image;
    SetStartValues(image);
    return image;
}

} // namespace

TEST(FileNameDialog, Controls) {
    FileNameDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("FILE NAME"));
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("note"));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->text(), QStringLiteral("The File is  SYLC type available for Microsoft EXCEL"));
    EXPECT_TRUE(note->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(note->frameShadow(), QFrame::Sunken);
    bool driveLabel = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        driveLabel |= label->text() == QStringLiteral("DRIVE(A,C..) ");
    EXPECT_TRUE(driveLabel);
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("OK"))->isDefault());
    // Enter on a focused CANCEL cancels.
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("CANCEL"))->autoDefault());
}

// Browse... fills both fields from the picked path; a cancelled pick keeps them.
TEST(FileNameDialog, BrowseFillsTheFields) {
    QString picked = QStringLiteral("/srv/kiln/PARAM 1.SLK");
    struct Picks : FilePrompts {
        explicit Picks(const QString& path) : picked(path) {}
        std::string PickPath(Purpose, const std::string&, const std::string&) override {
            return picked.toStdString();
        }
        const QString& picked;
    } prompts(picked);
    FileNameDialog dialog(nullptr, true, &prompts);
    auto* browse = dialog.findChild<QPushButton*>(QStringLiteral("Browse"));
    ASSERT_TRUE(browse);
    EXPECT_EQ(browse->text(), QStringLiteral("Browse..."));
    EXPECT_EQ(browse->accessibleName(), QStringLiteral("Browse..."));
    dialog.findChild<QLineEdit*>(QStringLiteral("DRIVE"))->setText(QStringLiteral("A"));
    browse->click();
    EXPECT_EQ(dialog.Drive(), QString());
    EXPECT_EQ(dialog.FileName(), picked);
    picked.clear();
    browse->click();
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/srv/kiln/PARAM 1.SLK"));
    EXPECT_FALSE(browse->isDefault());
}

TEST(FileCommands, WriteThenReadThroughTheDialog) {
    TempFolder folder;
    const QString drive = QString::fromStdString(folder.Path().string());
    ParameterImage written = BusyImage();
    RecordingMessages messages;
    CountingCursor cursor;

    RunAnswering(QStringLiteral("PARAM1.SLK"), drive, "OK",
                 [&] { FileWriteCommand(written, messages, cursor, nullptr); });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(Slurp(folder.File("PARAM1.SLK")), BuildParameterFileText(written));
    EXPECT_EQ(cursor.m_waits, 1);
    EXPECT_EQ(cursor.m_depth, 0);
    EXPECT_EQ(written.connected, 0); // writing leaves the image alone

    ParameterImage image = StartImage();
    RunAnswering(QStringLiteral("\\PARAM1.SLK"), drive, "OK",
                 [&] { FileReadCommand(image, messages, cursor, nullptr); });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(image.connected, 1);
    EXPECT_EQ(image.systemSetup, written.systemSetup);
    EXPECT_EQ(image.pid, written.pid);
    EXPECT_EQ(cursor.m_waits, 2);
    EXPECT_EQ(cursor.m_depth, 0);
}

TEST(FileCommands, CancelOrAnEmptyNameDoNothing) {
    TempFolder folder;
    const QString drive = QString::fromStdString(folder.Path().string());
    const struct {
        const char* name;
        const char* button;
    } cases[] = {{"PARAM1.SLK", "CANCEL"}, {"", "OK"}};
    for (const auto& c : cases) {
        ParameterImage image = StartImage();
        RecordingMessages messages;
        CountingCursor cursor;
        const QString name = QString::fromLatin1(c.name);
        RunAnswering(name, drive, c.button,
                     [&] { FileWriteCommand(image, messages, cursor, nullptr); });
        RunAnswering(name, drive, c.button,
                     [&] { FileReadCommand(image, messages, cursor, nullptr); });
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(cursor.m_waits, 0);
        EXPECT_EQ(image.connected, 0);
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    }
}

TEST(FileCommands, FailuresAreShownAfterTheCursorIsBack) {
    TempFolder folder;
    const QString drive = QString::fromStdString(folder.File("missing"));
    ParameterImage image = StartImage();
    CountingCursor cursor;
    // Records the cursor depth at the time each message is shown.
    struct DepthMessages : Messages {
        CountingCursor& cursor;
        std::vector<std::pair<std::string, int>> shown;
        explicit DepthMessages(CountingCursor& c) : cursor(c) {}
        void Show(const std::string& text) override { shown.emplace_back(text, cursor.m_depth); }
    } messages(cursor);

    RunAnswering(QStringLiteral("P.SLK"), drive, "OK",
                 [&] { FileWriteCommand(image, messages, cursor, nullptr); });
    RunAnswering(QStringLiteral("P.SLK"), drive, "OK",
                 [&] { FileReadCommand(image, messages, cursor, nullptr); });
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& [text, depth] : messages.shown) {
        EXPECT_NE(text.find(folder.File("missing/P.SLK")), std::string::npos) << text;
        EXPECT_EQ(depth, 0);
    }
    EXPECT_EQ(image.connected, 0);
}

// File Write puts a name without a folder into the folder the dialog shows, and adds
// ".slk" to a name without an extension; File Read finds it again by the same name.
TEST(FileCommands, WriteGoesIntoTheFolderShownWithItsExtension) {
    TempFolder folder;
    SavedSettings saved;
    const QString before = saved.LastFolder();
    saved.SetLastFolder(QString::fromStdString(folder.Path().string()));
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {{"furnace3", "furnace3.slk"}, {"furnace3.txt", "furnace3.txt"}};
    for (const auto& c : cases) {
        const ParameterImage written = BusyImage();
        ParameterImage copy = written;
        RecordingMessages messages;
        CountingCursor cursor;
        QString shown;
        for (bool write : {true, false}) {
            ModalDriver driver;
            driver.Then([&](QWidget* widget) {
                shown = widget->findChild<QLabel*>(QStringLiteral("folder"))->text();
                widget->findChild<QLineEdit*>(QStringLiteral("FILE_NAME"))
                    ->setText(QString::fromLatin1(c.typed));
                widget->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
            ParameterImage read = StartImage();
            if (write)
                FileWriteCommand(copy, messages, cursor, nullptr);
            else
                FileReadCommand(read, messages, cursor, nullptr);
            EXPECT_TRUE(driver.Done()) << c.typed;
            EXPECT_EQ(shown.toStdString(), folder.Path().string()) << c.typed;
            if (!write) {
                EXPECT_EQ(read.pid, written.pid) << c.typed;
            }
        }
        EXPECT_TRUE(messages.Texts().empty()) << c.typed;
        EXPECT_EQ(Slurp(folder.File(c.written)), BuildParameterFileText(written)) << c.typed;
    }
    saved.SetLastFolder(before);
}
