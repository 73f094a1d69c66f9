#pragma once

#include "app/command_handler.h"

#include <string>

class CTQXLOADER961114Doc;

// Port 1 and the link: Connect > Port settings..., Communication and Verify after SEND.
class PortCommands : public CommandHandler {
public:
    explicit PortCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool IsChecked(Command command) const override;

private:
    CTQXLOADER961114Doc& m_document;
};

// Port 1 as the summary's header names it: its settings, or the malformed TQXCOMM_PORT1.
std::string PortOneText();
