#pragma once

#include "app/command_handler.h"
#include "app/history_dialog.h"

#include <string>

class CTQXLOADER961114Doc;
struct ParameterImage;

// File > History...: the History window over the history file, and what its buttons do:
// compare a snapshot with another, with the loader or with the controller (the Compare
// window), load it into the loader as a File Read would, export it as a parameter file and
// write its report as PDF.
class HistoryCommands : public CommandHandler, public HistoryActions {
public:
    explicit HistoryCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool CanRun(Command) const override { return true; }

    void CompareSnapshots(int64_t older, int64_t newer) override;
    void CompareWithLoader(int64_t id) override;
    void CompareWithController(int64_t id) override;
    bool Load(int64_t id) override;
    void Export(int64_t id) override;
    void Report(int64_t id) override;

private:
    // The snapshot's set and how it is named ("snapshot 12 of Furnace 3, taken 2026-05-03
    // 09:12:07 UTC"); false after the operator was told why not.
    bool Read(int64_t id, ParameterImage& set, std::string& name, ControllerEntry* of = nullptr,
              SnapshotEntry* snapshot = nullptr);
    void ShowDifferences(const ParameterImage& a, const ParameterImage& b, bool wholeSets,
                         const QString& title, const QString& aName, const QString& bName);

    CTQXLOADER961114Doc& m_document;
    HistoryStore* m_store = nullptr; // while the window is open
    QWidget* m_window = nullptr;
};
