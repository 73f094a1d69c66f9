#pragma once

#include "history/history_store.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class Messages;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableWidget;
class QTreeWidget;

// What the History window's buttons do to the loader and the controller.
class HistoryActions {
public:
    virtual ~HistoryActions() = default;
    // `older` and `newer` are snapshot numbers.
    virtual void CompareSnapshots(int64_t older, int64_t newer) = 0;
    virtual void CompareWithLoader(int64_t id) = 0;
    virtual void CompareWithController(int64_t id) = 0;
    // True when the snapshot went into the loader (the window then closes).
    virtual bool Load(int64_t id) = 0;
    virtual void Export(int64_t id) = 0;
    virtual void Report(int64_t id) = 0;
};

// File > History...: on the left the controllers seen, each with its label (editable),
// model code, port, unit and when it was last seen; on the right the snapshots of the one
// selected, newest first, and what changed in the snapshot selected since the one before
// it, each parameter from -> to in engineering units.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(HistoryStore& store, HistoryActions& actions, Messages& messages,
                  const QString& path, QWidget* parent = nullptr);

    // Selects the controller of that row, and snapshots by number (for the tests and the
    // screenshots, as a click would).
    void SelectController(int row);
    void SelectSnapshots(const std::vector<int64_t>& ids);

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowControllers();
    void ShowSnapshots();
    void ShowChanges();
    void LabelEdited(int row, int column);
    void SaveNote();
    std::vector<int64_t> Selected() const;
    void UpdateButtons();

    HistoryStore& m_store;
    HistoryActions& m_actions;
    Messages& m_messages;
    std::vector<ControllerEntry> m_controllers;
    std::vector<SnapshotEntry> m_snapshots;
    bool m_filling = false;
    int m_controllersWidth = 0; // every column of the controllers in view

    QSplitter* m_split = nullptr;
    QTableWidget* m_controllerList = nullptr;
    QTreeWidget* m_snapshotList = nullptr;
    QLabel* m_changesTitle = nullptr;
    QTreeWidget* m_changes = nullptr;
    QLineEdit* m_note = nullptr;
    QPushButton* m_saveNote = nullptr;
    QPushButton* m_compareTwo = nullptr;
    std::vector<QPushButton*> m_forOne; // the buttons that act on one snapshot
};
