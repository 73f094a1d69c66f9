#include "app/compare_commands.h"

#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/editor_commands.h"
#include "editors/parameter_listing.h"
#include "files/file_commands_qt.h"
#include "transfers/connect_procedure.h"

void CompareCommands::Run(Command command) {
    if (!PassConnectGate(m_document))
        return;
    if (command == Command::CompareController)
        WithController();
    else if (command == Command::CompareFile)
        WithFile();
}

void CompareCommands::ShowDifferences(const ParameterImage& other, const ListingOptions& options,
                                      const QString& title, const std::string& otherName) {
    const std::vector<ParameterDifference> differences =
        DiffParameters(m_document.Image(), other, options);
    CompareDialog dialog(title, differences, QString::fromStdString(otherName),
                         m_document.Window());
    dialog.exec();
}

void CompareCommands::WithController() {
    CTQXLOADER961114Doc& d = m_document;
    d.Set().Observe(d.Now());
    ParameterImage controller;
    SetStartValues(controller);
    TransferResult result;
    {
        WaitCursor wait(d.Cursor());
        d.Link().BeginOperation();
        result = ReadWholeController(d.Link(), controller);
    }
    if (!result.failed.empty()) {
        // A part that could not be read would show as a difference that is not there.
        d.Tell().Show(ConnectFailureText(result, "Compare with controller"));
        return;
    }
    ListingOptions options; // two whole sets: every field
    options.patternFieldsPerSegment = true;
    d.Set().ComparedWithController(DifferingGroups(DiffParameters(d.Image(), controller, options)),
                                   d.Now());
    d.NotifyChanged();
    ShowDifferences(controller, options, QStringLiteral("Compare with controller"), "TQX");
}

void CompareCommands::WithFile() {
    CTQXLOADER961114Doc& d = m_document;
    ParameterImage file;
    SetStartValues(file);
    const std::string path = FileReadCommand(file, d.Tell(), d.Cursor(), d.Window(), &d.Prompts());
    if (path.empty())
        return;
    // A file holds neither the advanced GAP, MAX, PP, PI, PD nor PVST, CYCL and LINK of
    // segments 2 to 20.
    ListingOptions options;
    options.unfiledAdvanced = false;
    ShowDifferences(file, options, QStringLiteral("Compare with file"), path);
}
