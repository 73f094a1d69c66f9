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

void ReadControllerThenCompare(CTQXLOADER961114Doc& document,
                               std::function<void(const ParameterImage& controller)> compare) {
    auto controller = std::make_shared<ParameterImage>();
    SetStartValues(*controller);
    auto result = std::make_shared<TransferResult>();
    document.Link().BeginOperation();
    Operation operation;
    operation.title = "Compare with controller";
    operation.work = [controller, result](TransferContext& link, Messages&) {
        *result = ReadWholeController(link, *controller);
    };
    operation.after = [&document, controller, result, compare = std::move(compare)] {
        if (result->Ok())
            compare(*controller);
        else
            document.Tell().Show(ConnectFailureText(*result, "Compare with controller") +
                                 "\nNothing was compared; not read: " + GroupList(*result) + ".");
    };
    document.Link().Run(std::move(operation), document.Tell());
}

void CompareCommands::WithController() {
    m_document.Set().Observe(m_document.Now());
    ReadControllerThenCompare(m_document, [this](const ParameterImage& controller) {
        CTQXLOADER961114Doc& d = m_document;
        ListingOptions options; // two whole sets: every field
        options.patternFieldsPerSegment = true;
        const std::vector<GroupId> differing =
            DifferingGroups(DiffParameters(d.Image(), controller, options));
        d.Set().ComparedWithController(differing, d.Now());
        d.ReportDone(differing.empty() ? std::string("Compare with controller: no differences")
                                       : "Compare with controller: " + GroupsPhrase(differing) +
                                             (differing.size() == 1 ? " differs" : " differ"));
        d.NotifyChanged();
        ShowDifferences(controller, options, QStringLiteral("Compare with controller"), "TQX");
    });
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
