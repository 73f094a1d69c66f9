#pragma once

#include "app/command_handler.h"
#include "app/history_dialog.h"

#include <string>

class CTQXLOADER961114Doc;
struct ParameterImage;

// File > History...: the History window over the history file, and what its buttons do
// with the snapshots it read:
// compare a snapshot with another, with the loader or with the controller (the Compare
// window), load it into the loader as a File Read would, export it as a parameter file and
// write its report as PDF.
class HistoryCommands : public CommandHandler, public HistoryActions {
public:
    explicit HistoryCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool CanRun(Command) const override { return true; }

    void CompareSnapshots(const ReadSnapshot& older, const ReadSnapshot& newer) override;
    void CompareWithLoader(const ReadSnapshot& snapshot) override;
    void CompareWithController(const ReadSnapshot& snapshot) override;
    bool Load(const ReadSnapshot& snapshot) override;
    void Export(const ReadSnapshot& snapshot) override;
    void Report(const ReadSnapshot& snapshot) override;

private:
    void ShowDifferences(const ParameterImage& a, const ParameterImage& b, bool wholeSets,
                         const QString& title, const QString& aName, const QString& bName);

    CTQXLOADER961114Doc& m_document;
    QWidget* m_window = nullptr; // while the window is open
};
