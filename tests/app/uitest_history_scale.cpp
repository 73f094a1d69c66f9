// File > History... over a long history: the list appears at once and the window's thread
// never stalls while the history is read, however many snapshots it holds.
#include "app/document.h"
#include "app/history_dialog.h"
#include "app/main_frame.h"
#include "history/history_location.h"
#include "history/sqlite_history.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A history of one controller in which every snapshot changed one PID group, one every
// five minutes up to now. TQX_HISTORY_SCALE snapshots, 10,000 by default (2,000 under the
// sanitizers).
void FillHistory(const std::string& path, int count) {
    SqliteHistory store;
    ASSERT_EQ(store.Open(path, SqliteHistory::Access::Record), "");
    store.FlushOnlyAtCheckpoints();
    NewSnapshot s;
    s.controller = {"tcp:10.0.4.17:502", 1, "PXT4TEY1T-00121"};
    s.program = "tqxloader 1.6";
    SetStartValues(s.set);
    int64_t now = 0;
    ASSERT_TRUE(ParseUtc(UtcNow(), now));
    for (int i = 0; i < count; ++i) {
        const int group = i % 9;
        s.set.pid[group].SetWord(PidGroupRecord::P, static_cast<int16_t>(i % 9973));
        s.event = SnapshotEvent::EditorSend;
        s.sent = GroupId::Pid(group + 1);
        s.groups = MaskOf({*s.sent});
        s.takenUtc = UtcText(now - int64_t(count - i) * 300000);
        ASSERT_EQ(store.Record(s), "") << i;
    }
}

TEST(HistoryWindowAtScale, TheListAppearsAtOnceAndTheWindowNeverWaits) {
    const char* scale = std::getenv("TQX_HISTORY_SCALE");
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const int count = scale ? std::atoi(scale) : 2000; // filled several times slower
#else
    const int count = scale ? std::atoi(scale) : 10000;
#endif
    ASSERT_GT(count, 1000);
    // TQX_HISTORY_AT: a history filled before (a file, or a server's connection string).
    QTemporaryDir folder;
    const char* at = std::getenv("TQX_HISTORY_AT");
    const std::string path =
        at ? std::string(at) : folder.filePath(QStringLiteral("history.sqlite")).toStdString();
    if (!at)
        FillHistory(path, count);
    const std::string before = std::getenv("TQX_HISTORY") ? std::getenv("TQX_HISTORY") : "";
    ::setenv("TQX_HISTORY", path.c_str(), 1);

    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    CTQXLOADER961114Doc document(image, messages, cursor);
    CMainFrame frame(document);
    frame.show();
    QApplication::processEvents();

    // From the menu action: the list's first rows, then five pages more as the list is
    // scrolled to its end each time a page comes in; the heartbeat going meanwhile.
    QElapsedTimer clock;
    qint64 appeared = -1, scrolled = -1, largestGap = 0, beat = 0;
    QTimer heartbeat;
    heartbeat.setInterval(20);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        largestGap = std::max(largestGap, clock.elapsed() - beat);
        beat = clock.elapsed();
    });
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* window = qobject_cast<HistoryDialog*>(QApplication::activeModalWidget());
        auto* list = window ? window->findChild<QTableView*>("snapshots") : nullptr;
        const int rows = list ? list->model()->rowCount() : 0;
        if (rows > 0 && appeared < 0)
            appeared = clock.elapsed();
        if (rows > 0 && rows < 6 * 200 && window->Settled())
            list->scrollToBottom();
        if (rows >= 6 * 200 && window->Settled() && scrolled < 0) {
            scrolled = clock.elapsed();
            window->findChild<QPushButton*>("verify")->click();
        }
        // Closed while the whole chain is being checked: the window does not wait for it.
        if (scrolled >= 0 && clock.elapsed() > scrolled + 30) {
            watch.stop();
            window->findChild<QPushButton*>("close")->click();
        }
    });
    clock.start();
    heartbeat.start();
    watch.start();
    document.Run(Command::History);
    largestGap = std::max(largestGap, clock.elapsed() - beat); // and the window taken down
    heartbeat.stop();
    ::setenv("TQX_HISTORY", before.c_str(), 1);

    std::printf("%s: the list appeared %lld ms after the menu action, six pages after "
                "%lld ms; the longest the window's thread went without a heartbeat: %lld ms\n",
                at ? at : (std::to_string(count) + " snapshots").c_str(),
                static_cast<long long>(appeared), static_cast<long long>(scrolled),
                static_cast<long long>(largestGap));
    EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
    // The limits are for a release build; a sanitizer build runs several times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr qint64 slower = 5;
#else
    constexpr qint64 slower = 1;
#endif
    EXPECT_GE(appeared, 0) << "the list never showed a snapshot";
    EXPECT_LT(appeared, slower * 100);
    EXPECT_GE(scrolled, 0) << "scrolling fetched no further page";
    EXPECT_LT(largestGap, slower * 100);
}

} // namespace
