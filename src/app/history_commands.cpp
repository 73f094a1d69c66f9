#include "app/history_commands.h"

#include "app/compare_commands.h"
#include "app/compare_dialog.h"
#include "app/document.h"
#include "app/history_recorder.h"
#include "editors/parameter_listing.h"
#include "editors/report_content.h"
#include "editors/report_qtcore.h"
#include "files/file_path.h"
#include "files/parameter_file_writer.h"
#include "history/history_location.h"
#include "transfers/connect_procedure.h"

#include <QDateTime>

#include <memory>

namespace {

QString Snapshot(int64_t id) {
    return QStringLiteral("snapshot %1").arg(id);
}

// A snapshot of a controller read whole (a Connect, a backup, a kept copy) holds even what
// a parameter file does not.
bool OfAWholeRead(const ControllerEntry& controller, const SnapshotEntry& entry) {
    using E = SnapshotEvent;
    return !controller.identity.port.empty() && entry.event &&
           (*entry.event == E::Connect || *entry.event == E::Retry || *entry.event == E::Backup ||
            *entry.event == E::BackupAll || *entry.event == E::KeptBeforeSendAll ||
            *entry.event == E::KeptBeforeRestore);
}

} // namespace

void HistoryCommands::Run(Command) {
    const std::string path = HistoryRecorder::Path();
    std::string why;
    std::unique_ptr<HistoryStore> store = OpenHistoryStore(path, false, why);
    if (!store) {
        m_document.Tell().Show("The history cannot be shown: " + why);
        return;
    }
    HistoryDialog dialog(*store, *this, m_document.Tell(), QString::fromStdString(path),
                         m_document.Window());
    m_store = store.get();
    m_window = &dialog;
    dialog.exec();
    m_store = nullptr;
    m_window = nullptr;
}

bool HistoryCommands::Read(int64_t id, ParameterImage& set, std::string& name, ControllerEntry* of,
                           SnapshotEntry* snapshot) {
    SnapshotEntry entry;
    std::vector<ControllerEntry> controllers;
    SetStartValues(set);
    std::string why = m_store->Snapshot(id, entry);
    if (why.empty())
        why = m_store->LoadSet(id, set);
    if (why.empty())
        why = m_store->Controllers(controllers);
    if (!why.empty()) {
        m_document.Tell().Show("Snapshot " + std::to_string(id) + " cannot be read: " + why);
        return false;
    }
    ControllerEntry controller;
    for (const ControllerEntry& c : controllers)
        if (c.id == entry.controllerId)
            controller = c;
    name = "snapshot " + std::to_string(id) + " of " + ControllerName(controller) + ", taken " +
           ShortTime(entry.takenUtc) + " UTC";
    if (of)
        *of = controller;
    if (snapshot)
        *snapshot = entry;
    return true;
}

void HistoryCommands::ShowDifferences(const ParameterImage& a, const ParameterImage& b,
                                      bool wholeSets, const QString& title, const QString& aName,
                                      const QString& bName) {
    // A set from a file holds neither GAP, MAX, PP, PI, PD nor each segment's PVST, CYCL
    // and LINK; two whole sets are compared in every field.
    ListingOptions options;
    options.unfiledAdvanced = wholeSets;
    options.patternFieldsPerSegment = wholeSets;
    CompareDialog dialog(title, DiffParameters(a, b, options), aName, bName, m_window);
    dialog.exec();
}

void HistoryCommands::CompareSnapshots(int64_t older, int64_t newer) {
    ParameterImage a, b;
    std::string aName, bName;
    if (Read(older, a, aName) && Read(newer, b, bName))
        ShowDifferences(a, b, true, QStringLiteral("Compare snapshots"), Snapshot(older),
                        Snapshot(newer));
}

void HistoryCommands::CompareWithLoader(int64_t id) {
    CTQXLOADER961114Doc& d = m_document;
    ParameterImage set;
    std::string name;
    if (!Read(id, set, name))
        return;
    d.Set().Observe(d.Now());
    ShowDifferences(set, d.Image(), d.Set().Source().HoldsUnfiledValues(),
                    QStringLiteral("Compare with Loader"), Snapshot(id), QStringLiteral("Loader"));
}

void HistoryCommands::CompareWithController(int64_t id) {
    ParameterImage set;
    std::string name;
    if (!Read(id, set, name))
        return;
    ReadControllerThenCompare(m_document, [this, set, id](const ParameterImage& controller) {
        ShowDifferences(set, controller, true, QStringLiteral("Compare with controller"),
                        Snapshot(id), QStringLiteral("TQX"));
    });
}

bool HistoryCommands::Load(int64_t id) {
    CTQXLOADER961114Doc& d = m_document;
    ParameterImage set;
    std::string name;
    ControllerEntry controller;
    SnapshotEntry entry;
    if (!Read(id, set, name, &controller, &entry) ||
        !d.MayDropUnsentEdits("Load the snapshot over them anyway?"))
        return false;
    // Only a snapshot of a whole read holds what a file does not; any other goes to a
    // controller as its file would.
    const bool whole = OfAWholeRead(controller, entry);
    set.connected = 1; // the editors open on it, as after a File Read
    d.Image() = set;
    d.Set().HistoryLoaded(name, controller.identity.modelCode, whole, d.Now());
    d.History().Loaded(controller.identity);
    if (d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Loaded ") + QString::fromStdString(name));
    d.NotifyChanged();
    return true;
}

void HistoryCommands::Export(int64_t id) {
    CTQXLOADER961114Doc& d = m_document;
    ParameterImage set;
    std::string name;
    if (!Read(id, set, name))
        return;
    const std::string path = d.Prompts().PickPath(FilePrompts::Purpose::Save, "Export snapshot",
                                                  "Parameter files (*.slk)");
    if (path.empty())
        return;
    bool written = false;
    {
        WaitCursor wait(d.Cursor());
        written = WriteParameterFile(set, path, d.Tell());
    }
    if (written && d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Written to ") +
                                 QString::fromStdString(FullPath(path)));
}

void HistoryCommands::Report(int64_t id) {
    CTQXLOADER961114Doc& d = m_document;
    ParameterImage set;
    std::string name;
    ControllerEntry controller;
    SnapshotEntry entry;
    if (!Read(id, set, name, &controller, &entry))
        return;
    std::string path =
        d.Prompts().PickPath(FilePrompts::Purpose::Save, "Report PDF", "PDF files (*.pdf)");
    if (path.empty())
        return;
    if (!QString::fromStdString(path).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += ".pdf";
    ReportOptions options;
    options.source = ImageSource::History(name);
    options.source.modelCode = controller.identity.modelCode;
    options.source.modelCodeRead = !controller.identity.modelCode.empty();
    options.source.wholeController = OfAWholeRead(controller, entry);
    options.created =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    std::string error;
    bool written = false;
    {
        WaitCursor wait(d.Cursor());
        written = WriteReportPdf(BuildReport(set, options), set, path, error);
    }
    if (!written)
        d.Tell().Show("The report could not be written to " + path + ": " + error);
}
