#pragma once

#include "app/command_handler.h"

class CTQXLOADER961114Doc;

// Connect > Start and Connect > Retry failed reads: the controller read into the set, its
// progress in the status bar, and what could not be read kept for the retry.
class ConnectCommands : public CommandHandler {
public:
    explicit ConnectCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool CanRun(Command command) const override;

private:
    void Start();
    void Retry();

    CTQXLOADER961114Doc& m_document;
};
