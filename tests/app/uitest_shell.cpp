#include "app/document.h"
#include "app/main_frame.h"
#include "image/parameter_catalogue.h"
#include "link/link_backend.h"
#include "operator/file_prompts.h"
#include "simulator/simulated_controller.h"
#include "support/modal_driver.h"
#include "support/pdf_text.h"
#include "support/settle.h"
#include "tqx_version.h"

#include <QTableWidget>
#include <QTextBrowser>

#include "widgets/word_elided_label_qt.h"
#include <tuple>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct ShellFixture : ::testing::Test {
    ShellFixture() : link(sim) {
        sim.Memory().LoadFactoryContents("PXT4TEY1T-0012");
        frame = std::make_unique<CMainFrame>(document);
    }

    QAction* ActionFor(int id) {
        for (QAction* top : frame->menuBar()->actions())
            for (QAction* item : top->menu()->actions())
                if (item->property("commandId").toInt() == id)
                    return item;
        return nullptr;
    }

    static void Click(QWidget* dialog, const char* button) {
        auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }

    SimulatedController sim;
    ScopedLinkBackend link;
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    CTQXLOADER961114Doc document{image, messages, cursor};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(ShellFixture, MenuBarHasItsMenusItemsIdsAndPromptsInOrder) {
    struct Item {
        const char* menu;
        const char* item;
        int id;
        const char* prompt;
    };
    const Item expected[] = {
        {"File", "Read...", 32780, "Copy file data  on disk or floppy to Loader"},
        {"File", "Write...", 32781, "Copy Loader data to file on disk or floppy"},
        {"File", "Compare with file...", 32786,
         "List the parameters that differ between Loader and a parameter file"},
        {"File", "History...", 32791, "What each controller held, when, and who changed it"},
        {"File", "Print...", 32800, "Print the parameter report"},
        {"File", "Export PDF...", 32801, "Save the parameter report as a PDF file"},
        {"File", "Quit", 32790, "Close TQXLOADER"},
        {"Parameter setting", "Program pattern...", 32772, ""},
        {"Parameter setting", "PID group...", 32773, ""},
        {"Parameter setting", "Setting up...", 32774, ""},
        {"Parameter setting", "Advanced usage...", 32775, ""},
        {"Connect", "Start...", 32771, "Loading data from TQX to Loader"},
        {"Connect", "Retry failed reads", 32782, "Read again what the last Connect could not read"},
        {"Connect", "Send all to controller...", 32788,
         "Send every group of Loader to TQX, keeping what TQX held"},
        {"Connect", "Send edited groups...", 32789,
         "Send the groups edited since they were read, loaded or sent"},
        {"Connect", "Compare with controller...", 32785,
         "List the parameters that differ between Loader and TQX"},
        {"Connect", "Communication...", 32783, "Port 1, link statistics and the last transfers"},
        {"Connect", "Port settings...", 32784,
         "Choose, test and scan the port the controller is on"},
        {"Connect", "Verify after SEND", 32787,
         "Read back what SEND wrote and report any difference"},
        {"Version", "TQXLOADER ver.1.6", 57664, "TQXLOADER version"},
        {"Help", "User guide...", 32792, "How to connect, edit, send and keep a parameter set"},
        {"Help", "Keyboard keys...", 32793, "The keys of the windows and fields"},
        {"Help", "About TQXLOADER...", 32794, "TQXLOADER version"},
    };
    // Separators part the kinds of items; Quit is the File menu's last.
    const std::vector<int> separatedBefore = {32786, 32800, 32790, 32788, 32785, 32784, 32794};
    // Every title and item has an access key of its own within its menu.
    auto plain = [](QAction* a) { return QString(a->text()).remove(QLatin1Char('&')); };
    auto key = [](QAction* a) {
        const int at = a->text().indexOf(QLatin1Char('&'));
        return at < 0 ? QChar() : a->text().at(at + 1).toLower();
    };
    QStringList menus;
    QSet<QChar> titleKeys;
    size_t i = 0;
    for (QAction* top : frame->menuBar()->actions()) {
        menus << plain(top);
        EXPECT_FALSE(key(top).isNull()) << plain(top).toStdString();
        EXPECT_TRUE(!titleKeys.contains(key(top))) << plain(top).toStdString();
        titleKeys << key(top);
        QSet<QChar> itemKeys;
        bool separated = false;
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator()) {
                separated = true;
                continue;
            }
            ASSERT_LT(i, std::size(expected));
            EXPECT_EQ(separated, std::count(separatedBefore.begin(), separatedBefore.end(),
                                            expected[i].id) == 1)
                << expected[i].item;
            separated = false;
            EXPECT_EQ(plain(top), expected[i].menu) << i;
            EXPECT_EQ(plain(item), expected[i].item) << i;
            EXPECT_FALSE(key(item).isNull() || itemKeys.contains(key(item))) << i;
            itemKeys << key(item);
            EXPECT_EQ(item->property("commandId").toInt(), expected[i].id) << i;
            EXPECT_EQ(item->statusTip(), expected[i].prompt) << i;
            ++i;
        }
    }
    EXPECT_EQ(i, std::size(expected));
    EXPECT_EQ(menus, (QStringList{"File", "Parameter setting", "Connect", "Version", "Help"}));
    EXPECT_EQ(frame->windowTitle(), "TQXLOADER");
    auto* idle = frame->findChild<QLabel*>("idle");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->text(), "TQXLOADER");
}

TEST_F(ShellFixture, EditorsShowTheConnectFirstNoticeUntilConnected) {
    const struct {
        int id;
        const char* title;
    } editors[] = {{32772, "Program Pattern"},
                   {32773, "SETTING OF PID GROUP"},
                   {32774, "SYSTEM PARAMETER"},
                   {32775, "EXPERT PARAMETER"}};
    for (const auto& editor : editors) {
        image.connected = 0;
        QStringList seen;
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            seen << modal->objectName();
            auto* text = modal->findChild<QLabel*>("text");
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->text(), "First click Connect, please");
            EXPECT_TRUE(modal->windowFlags() & Qt::FramelessWindowHint);
            Click(modal, "OK");
        });
        ActionFor(editor.id)->trigger();
        Settle(document);
        EXPECT_EQ(seen, QStringList{"ConnectFirstNotice"}) << editor.title;
        EXPECT_TRUE(messages.Texts().empty());

        image.connected = 1;
        QString title;
        ModalDriver open;
        open.Then([&](QWidget* modal) {
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        });
        ActionFor(editor.id)->trigger();
        Settle(document);
        EXPECT_EQ(title, editor.title);
    }
}

TEST_F(ShellFixture, ViewOpensPortOneAndClosesTheLinkWhenDestroyed) {
    EXPECT_EQ(sim.Opens(), 1);
    EXPECT_EQ(sim.LastOpenPort(), 1);
    EXPECT_EQ(sim.Closes(), 0);
    EXPECT_EQ(image.connected, 0);
    frame.reset();
    EXPECT_EQ(sim.Closes(), 1);
}

TEST_F(ShellFixture, ConnectThroughTheMenuIgnoresEditsOfTheCode) {
    ModalDriver driver;
    QString shown;
    driver.Then([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "CONNECT");
        auto* code = modal->findChild<QLineEdit*>("code");
        ASSERT_NE(code, nullptr);
        shown = code->text();
        code->setText("EDITED-BY-HAND");
        Click(modal, "OK");
    });
    ActionFor(32771)->trigger();
    Settle(document);
    EXPECT_EQ(shown, "PXT4TEY1T-00121");
    EXPECT_EQ(image.ModelCode(), "PXT4TEY1T-00121");
    EXPECT_EQ(image.connected, 1);
    EXPECT_EQ(sim.Calls().size(), 58u);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_TRUE(document.Set().Source().IsController());
}

// The report of a file edited after it was read: its header names the file and the edit;
// a page for each pattern in use and one line each on the summary page for the others.
TEST_F(ShellFixture, ExportPdfWritesTheReportOrSaysWhyNot) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kiln.slk"));
    for (int n = 4; n <= ParameterImage::kPatterns; ++n)
        image.pattern[static_cast<size_t>(n - 1)].Segment(1).SetTIME(kTimeNotUsed);
    for (int id : {32781, 32780}) { // File Write, File Read
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            modal->findChild<QLineEdit*>("FILE_NAME")->setText(file);
            Click(modal, "OK");
        });
        ActionFor(id)->trigger();
        Settle(document);
    }
    image.pid[1].SetWord(PidGroupRecord::P, static_cast<uint16_t>(image.pid[1].Word(0) + 1));
    document.Set().Observe(document.Now());

    // File > Export PDF... adds the suffix a name was picked without.
    const std::string path = dir.filePath(QStringLiteral("r")).toStdString();
    AnsweringFilePrompts picked(path);
    document.SetFilePrompts(&picked);
    ActionFor(32801)->trigger();
    Settle(document);
    EXPECT_EQ(picked.Asked(), "Export PDF");
    EXPECT_TRUE(messages.Texts().empty());
    const std::string text = PdfText(path + ".pdf");
    EXPECT_NE(text.find("loader memory: file " + file.toStdString() + ", edited since"),
              std::string::npos)
        << text.substr(0, 300);
    EXPECT_NE(text.find("Page 7 of 7"), std::string::npos); // 3 + the summary + patterns 1-3
    EXPECT_EQ(text.find("PROGRAM PATTERN 4"), std::string::npos);
    EXPECT_NE(text.find("none (no page)"), std::string::npos);
    AnsweringFilePrompts nowhere("/nonexistent/r.pdf");
    document.SetFilePrompts(&nowhere);
    ActionFor(32801)->trigger();
    Settle(document);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(
        messages.Texts()[0].rfind("The report could not be written to /nonexistent/r.pdf: ", 0),
        0u);
}

// Help shows the guide that is installed with the loader, and the keys.
TEST_F(ShellFixture, HelpShowsTheUserGuideAndTheKeys) {
    for (const auto& [id, child, text] :
         {std::tuple{32792, "guide", "Code Symbols"}, std::tuple{32793, "keys", "Ctrl+Q"}}) {
        QString shown;
        ModalDriver driver;
        driver.Then([&, child = child](QWidget* modal) {
            if (auto* guide = modal->findChild<QTextBrowser*>(QString::fromLatin1(child)))
                shown = guide->toPlainText();
            if (auto* keys = modal->findChild<QTableWidget*>(QString::fromLatin1(child)))
                for (int r = 0; r < keys->rowCount(); ++r)
                    shown += keys->item(r, 0)->text() + QLatin1Char('\n');
            Click(modal, "Close");
        });
        ActionFor(id)->trigger();
        EXPECT_TRUE(driver.Done()) << id;
        EXPECT_TRUE(shown.contains(QString::fromLatin1(text))) << id;
    }
    EXPECT_TRUE(messages.Texts().empty());
}

// After File Write and File Read the status bar says where the file is, in full.
TEST_F(ShellFixture, FileCommandsSayTheFullPathInTheStatusBar) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("P1.SLK"));
    for (const auto& [id, said] : {std::pair{32781, "Written to "}, std::pair{32780, "Read "}}) {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            modal->findChild<QLineEdit*>("FILE_NAME")->setText(path);
            Click(modal, "OK");
        });
        ActionFor(id)->trigger();
        Settle(document);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(frame->statusBar()->currentMessage(), QString::fromLatin1(said) + path);
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ShellFixture, CancelledConnectLeavesTheGateClosed) {
    ModalDriver driver;
    driver.Then([&](QWidget* modal) { Click(modal, "CANCEL"); });
    ActionFor(32771)->trigger();
    Settle(document);
    EXPECT_EQ(image.connected, 0);
    EXPECT_EQ(sim.Calls().size(), 1u);
}

// Block 40 fails: the dialog says the code could not be read instead of showing the start
// value; the failed reads can then be repeated from the Connect menu, and only then.
TEST_F(ShellFixture, RetryFailedReadsRepeatsWhatConnectCouldNotRead) {
    EXPECT_FALSE(document.CanRun(Command::RetryFailedReads));
    bool failOnce = true;
    sim.FailCalls([&](const LinkCall& call, int) { return failOnce && call.block == 40; });
    ModalDriver driver;
    QString shown;
    QString said;
    driver.Then([&](QWidget* modal) {
        shown = modal->findChild<QLineEdit*>("code")->text();
        auto* failure = modal->findChild<QLabel*>("codeFailure");
        said = failure ? failure->text() : QString();
        Click(modal, "OK");
    });
    ActionFor(32771)->trigger();
    Settle(document);
    EXPECT_EQ(shown, "");
    EXPECT_EQ(said, "The model code could not be read.\nPort 1 (simulated controller): no answer "
                    "within 500 ms.");
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("Connect > Retry failed reads"), std::string::npos);
    ASSERT_TRUE(document.CanRun(Command::RetryFailedReads));

    failOnce = false;
    sim.ClearCalls();
    ActionFor(32782)->trigger();
    Settle(document);
    ASSERT_EQ(sim.Calls().size(), 2u); // block 40 in the model code read and at the end
    EXPECT_EQ(image.ModelCode(), "PXT4TEY1T-00121");
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_FALSE(document.CanRun(Command::RetryFailedReads));
}

// A status text that does not fit is cut after a whole word, never inside one.
TEST(StatusTexts, AreCutAfterAWholeWord) {
    const QFontMetrics metrics(QApplication::font());
    const QString text = QStringLiteral("connected to model code PXT9A1Y2T-0D1R  (21 of 57)");
    const QString ellipsis = QStringLiteral(" \u2026");
    for (int width = 0; width < metrics.horizontalAdvance(text) + 20; width += 3) {
        const QString shown = ElideAtWord(text, metrics, width);
        if (shown == text) {
            EXPECT_LE(metrics.horizontalAdvance(text), width);
            continue;
        }
        if (shown == QStringLiteral("\u2026"))
            continue;
        ASSERT_TRUE(shown.endsWith(ellipsis)) << width << " " << shown.toStdString();
        const QString words = shown.chopped(ellipsis.size());
        EXPECT_TRUE(text.startsWith(words + QLatin1Char(' '))) << shown.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
    }
}

TEST_F(ShellFixture, AboutBoxShowsTheVersion) {
    ModalDriver driver;
    QString version;
    QStringList lines;
    driver.Then([&](QWidget* modal) {
        auto* label = modal->findChild<QLabel*>("version");
        ASSERT_NE(label, nullptr);
        version = label->text();
        for (QLabel* line : modal->findChildren<QLabel*>())
            lines << line->text();
        Click(modal, "OK");
    });
    ActionFor(57664)->trigger();
    Settle(document);
    EXPECT_EQ(version, "TQXLOADER ver.1.6");
    // The build's version comes on a line of its own, after the box's own two.
    EXPECT_EQ(lines, QStringList({"TQXLOADER ver.1.6",
                                  "Parameter loader for TQX program controllers, by the "
                                  "tqxloader team",
                                  "tqxloader " TQX_VERSION}));
}

} // namespace
