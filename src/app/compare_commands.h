#pragma once

#include "app/command_handler.h"

#include <QString>

#include <string>

class CTQXLOADER961114Doc;
struct ListingOptions;
struct ParameterImage;

// Connect > Compare with controller and File > Compare with file: every parameter that
// differs from the loader's set, in the Compare window.
class CompareCommands : public CommandHandler {
public:
    explicit CompareCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;

private:
    void WithController();
    void WithFile();
    void ShowDifferences(const ParameterImage& other, const ListingOptions& options,
                         const QString& title, const std::string& otherName);

    CTQXLOADER961114Doc& m_document;
};
