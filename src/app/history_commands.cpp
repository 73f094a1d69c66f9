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
#include "transfers/connect_procedure.h"

#include <QDateTime>

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
    // The window opens the history on a thread of its own, and says so when it cannot.
    HistoryDialog dialog(HistoryRecorder::Path(), *this, m_document.Tell(), m_document.Ask(),
                         m_document.Prompts(), m_document.Window());
    m_window = &dialog;
    dialog.exec();
    m_window = nullptr;
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

void HistoryCommands::CompareSnapshots(const ReadSnapshot& older, const ReadSnapshot& newer) {
    ShowDifferences(older.set, newer.set, true, QStringLiteral("Compare snapshots"),
                    Snapshot(older.entry.id), Snapshot(newer.entry.id));
}

void HistoryCommands::CompareWithLoader(const ReadSnapshot& snapshot) {
    CTQXLOADER961114Doc& d = m_document;
    d.Set().Observe(d.Now());
    ShowDifferences(snapshot.set, d.Image(), d.Set().Source().HoldsUnfiledValues(),
                    QStringLiteral("Compare with Loader"), Snapshot(snapshot.entry.id),
                    QStringLiteral("Loader"));
}

void HistoryCommands::CompareWithController(const ReadSnapshot& snapshot) {
    const ParameterImage set = snapshot.set;
    const int64_t id = snapshot.entry.id;
    ReadControllerThenCompare(m_document, [this, set, id](const ParameterImage& controller) {
        ShowDifferences(set, controller, true, QStringLiteral("Compare with controller"),
                        Snapshot(id), QStringLiteral("TQX"));
    });
}

bool HistoryCommands::Load(const ReadSnapshot& snapshot) {
    CTQXLOADER961114Doc& d = m_document;
    if (!d.MayDropUnsentEdits("Load the snapshot over them anyway?"))
        return false;
    // Only a snapshot of a whole read holds what a file does not; any other goes to a
    // controller as its file would.
    const bool whole = OfAWholeRead(snapshot.controller, snapshot.entry);
    ParameterImage set = snapshot.set;
    set.connected = 1; // the editors open on it, as after a File Read
    d.Image() = set;
    d.Set().HistoryLoaded(snapshot.name, snapshot.controller.identity.modelCode, whole, d.Now());
    d.History().Loaded(snapshot.controller.identity);
    if (d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Loaded ") + QString::fromStdString(snapshot.name));
    d.NotifyChanged();
    return true;
}

void HistoryCommands::Export(const ReadSnapshot& snapshot) {
    CTQXLOADER961114Doc& d = m_document;
    const std::string path = d.Prompts().PickPath(FilePrompts::Purpose::Save, "Export snapshot",
                                                  "Parameter files (*.slk)");
    if (path.empty())
        return;
    bool written = false;
    {
        WaitCursor wait(d.Cursor());
        written = WriteParameterFile(snapshot.set, path, d.Tell());
    }
    if (written && d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Written to ") +
                                 QString::fromStdString(FullPath(path)));
}

void HistoryCommands::Report(const ReadSnapshot& snapshot) {
    CTQXLOADER961114Doc& d = m_document;
    std::string path =
        d.Prompts().PickPath(FilePrompts::Purpose::Save, "Report PDF", "PDF files (*.pdf)");
    if (path.empty())
        return;
    if (!QString::fromStdString(path).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += ".pdf";
    const ControllerEntry& controller = snapshot.controller;
    ReportOptions options;
    options.source = ImageSource::History(snapshot.name);
    options.source.modelCode = controller.identity.modelCode;
    options.source.modelCodeRead = !controller.identity.modelCode.empty();
    options.source.wholeController = OfAWholeRead(controller, snapshot.entry);
    options.created =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    std::string error;
    bool written = false;
    {
        WaitCursor wait(d.Cursor());
        written = WriteReportPdf(BuildReport(snapshot.set, options), snapshot.set, path, error);
    }
    if (!written)
        d.Tell().Show("The report could not be written to " + path + ": " + error);
}
