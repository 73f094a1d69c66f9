#pragma once

#include "app/command_handler.h"

class CTQXLOADER961114Doc;

// File > History...: the controllers seen and the snapshots of each.
class HistoryCommands : public CommandHandler {
public:
    explicit HistoryCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool CanRun(Command command) const override;

private:
    CTQXLOADER961114Doc& m_document;
};
