#pragma once

#include "app/command_handler.h"

#include <string>

class CTQXLOADER961114Doc;
struct ReportContent;

// File > Print... and File > Export PDF...: the parameter report of the set, its header
// saying where the set came from.
class ReportCommands : public CommandHandler {
public:
    explicit ReportCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;

private:
    // Writes the report to `path`; a failure is shown as a message.
    void ExportPdf(const std::string& path);
    ReportContent Report() const;
    void Print();

    CTQXLOADER961114Doc& m_document;
};
