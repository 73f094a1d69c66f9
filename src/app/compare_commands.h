#pragma once

#include "app/command_handler.h"

#include <QString>

#include <functional>
#include <string>

class CTQXLOADER961114Doc;
struct ListingOptions;
struct ParameterImage;

// Reads what the controller holds, whole, as one operation; then `compare` gets it on the
// window's thread. A part not read (failed, or stopped by the operator) would show as a
// difference that is not there, or its group as equal: the operator is told what was not
// read instead, and nothing is compared.
void ReadControllerThenCompare(CTQXLOADER961114Doc& document,
                               std::function<void(const ParameterImage& controller)> compare);

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
