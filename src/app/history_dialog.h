#pragma once

#include "history/history_store.h"
#include "image/parameter_image.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FilePrompts;
class HistoryReader;
class Messages;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QTableWidget;
class QTreeWidget;
class Questions;
class SnapshotPages;

// A snapshot read whole for one of the History window's buttons.
struct ReadSnapshot {
    SnapshotEntry entry;
    ControllerEntry controller; // the one it belongs to now
    ParameterImage set;
    std::string name; // "snapshot 12 of Furnace 3, taken 2026-05-03 11:12:07 CEST"
};

// What the History window's buttons do to the loader and the controller, with the
// snapshots the window has read.
class HistoryActions {
public:
    virtual ~HistoryActions() = default;
    virtual void CompareSnapshots(const ReadSnapshot& older, const ReadSnapshot& newer) = 0;
    virtual void CompareWithLoader(const ReadSnapshot& snapshot) = 0;
    virtual void CompareWithController(const ReadSnapshot& snapshot) = 0;
    // True when the snapshot went into the loader (the window then closes).
    virtual bool Load(const ReadSnapshot& snapshot) = 0;
    virtual void Export(const ReadSnapshot& snapshot) = 0;
    virtual void Report(const ReadSnapshot& snapshot) = 0;
};

// File > History...: at the top the controllers seen, each with its label (editable),
// model code, port, unit and when it was last seen; below, the snapshots of the one
// selected, newest first, and what changed in the snapshot selected since the one before
// it, each parameter from -> to in engineering units. Everything it asks of the history is
// asked on a thread of its own (`HistoryReader`) and shown when it is there: the window
// never waits for the file.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(const std::string& path, HistoryActions& actions, Messages& messages,
                  Questions& questions, FilePrompts& prompts, QWidget* parent = nullptr);
    ~HistoryDialog() override;

    // Selects the controller of that row, and snapshots by number among those listed (for
    // the tests and the screenshots, as a click would).
    void SelectController(int row);
    void SelectSnapshots(const std::vector<int64_t>& ids);
    // Everything asked of the history has been answered and shown.
    bool Settled() const;

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // history_dialog.cpp: the lists
    QWidget* MakeButtons();
    void Opened(const std::string& why, const std::string& readOnly);
    void AskControllers(int64_t select);
    void ShowControllers(const std::vector<ControllerEntry>& controllers, int64_t select);
    void ShowSnapshots();
    void PageShown(bool first);
    const ControllerEntry* Current() const;
    std::vector<int64_t> Selected() const;
    void UpdateButtons();

    // history_dialog_actions.cpp: what the buttons do
    void AskChanges();
    void LabelEdited(int row, int column);
    void SaveNote();
    // Reads the snapshots `ids` whole, then runs `then` with them (the operator is told
    // when one cannot be read).
    void WithSnapshots(const std::vector<int64_t>& ids,
                       std::function<void(const std::vector<ReadSnapshot>&)> then);
    void JoinInto();
    void MoveTo();
    // history_dialog_shared.cpp: what others recorded since, and the plant's history
    void Refresh();
    void AskSharedHistory();
    // history_dialog_chain.cpp: the long tasks
    void EnsureLongReader();
    void VerifyChain();
    void WriteAuditReport();

    std::string m_path;
    HistoryActions& m_actions;
    Messages& m_messages;
    Questions& m_questions;
    FilePrompts& m_prompts;
    bool m_opened = false;
    bool m_writable = false;
    std::vector<ControllerEntry> m_controllers;
    bool m_filling = false;
    // The last selection whose changes were asked; the reader skips those asked before.
    std::atomic<uint64_t> m_changesAsked{0};

    QLabel* m_where = nullptr;
    QTableWidget* m_controllerList = nullptr;
    QTableView* m_snapshotList = nullptr;
    SnapshotPages* m_snapshots = nullptr;
    QSplitter* m_split = nullptr;
    QLabel* m_changesTitle = nullptr;
    QTreeWidget* m_changes = nullptr;
    QLineEdit* m_note = nullptr;
    QPushButton* m_saveNote = nullptr;
    QPushButton* m_compareTwo = nullptr;
    QPushButton* m_join = nullptr;
    QPushButton* m_audit = nullptr;
    QPushButton* m_move = nullptr;
    QPushButton* m_verify = nullptr;
    QLabel* m_status = nullptr;         // the chain's verification, the audit report written
    std::vector<QPushButton*> m_forOne; // the buttons that act on one snapshot

    // Last, so that they go first: no answer runs once the window is being taken down.
    std::unique_ptr<HistoryReader> m_reader;     // the lists, the changes, notes and labels
    std::unique_ptr<HistoryReader> m_longReader; // the chain's verification, the reports
};
