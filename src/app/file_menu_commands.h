#pragma once

#include "app/command_handler.h"

class CTQXLOADER961114Doc;

// File > Read and File > Write: the parameter file into the set and out of it, and where
// it went in the status bar.
class FileMenuCommands : public CommandHandler {
public:
    explicit FileMenuCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;

private:
    void Read();
    void Write();

    CTQXLOADER961114Doc& m_document;
};
