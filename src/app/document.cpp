#include "app/document.h"

#include "app/about_dialog.h"
#include "app/code_symbols_dialog.h"
#include "app/communication_dialog.h"
#include "app/compare_dialog.h"
#include "app/connect_first_notice.h"
#include "app/port_settings_dialog.h"
#include "editors/advanced_dialog.h"
#include "editors/pid_group_dialog.h"
#include "editors/program_pattern_dialog.h"
#include "editors/report_content.h"
#include "editors/report_qtcore.h"
#include "editors/system_setup_dialog.h"
#include "files/file_commands_qt.h"
#include "files/file_path.h"
#include "link/link_failure.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "link/serial_ports_qtcore.h"
#include "link/tqxcomm.h"
#include "transfers/connect_procedure.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/saved_settings_qt.h"

#include <QDateTime>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cstdlib>

namespace {

// Connect's dialog and progress, shown in the main window.
class WindowConnectUi : public ConnectUi {
public:
    WindowConnectUi(QWidget* window, ConnectStatus* status) : m_window(window), m_status(status) {}

    bool ConfirmModelCode(const std::string& code, const std::string& failure) override {
        CodeSymbolsDialog dialog(QString::fromLatin1(code.data(), static_cast<int>(code.size())),
                                 QString::fromStdString(failure), m_window);
        confirmed = dialog.exec() == QDialog::Accepted;
        return confirmed;
    }
    void Progress(int index, int total, const ConnectRead& read) override {
        if (m_status)
            m_status->ShowConnectProgress(
                index, total, QStringLiteral("Reading ") + QString::fromStdString(read.what));
    }
    void Finished() override {
        if (m_status)
            m_status->ClearConnectProgress();
    }

    bool confirmed = false;

private:
    QWidget* m_window;
    ConnectStatus* m_status;
};

// The time a state is stamped with in the summary.
std::string Now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
}

std::string PortOneText() {
    std::string env;
    PortSettings parsed;
    if (Port1FromEnvironment(&env) && !ParsePortSettings(env, parsed))
        return "port 1: " + env + " (malformed setting)";
    return "port 1: " + DescribePortSettings(Port1Settings());
}

QtQuestions g_questionBox;

} // namespace

CTQXLOADER961114Doc::CTQXLOADER961114Doc(ParameterImage& image, Messages& messages,
                                         CursorControl& cursor)
    : m_image(image), m_messages(messages), m_cursor(cursor), m_questions(&g_questionBox) {
    SetStartValues(m_image);
    m_previousListener = SetTransferListener(this);
    ::SetVerifyAfterSend(SavedSettings().VerifyAfterSend());
}

CTQXLOADER961114Doc::~CTQXLOADER961114Doc() {
    SetTransferListener(m_previousListener);
}

void CTQXLOADER961114Doc::GroupRetrieved(int group, bool ok) {
    m_states.Retrieved(m_image, group, ok, Now());
    emit Changed();
}

void CTQXLOADER961114Doc::GroupSent(int group, SendOutcome outcome) {
    m_states.Sent(m_image, group, outcome, Now());
    emit Changed();
}

SummaryHeader CTQXLOADER961114Doc::Header() const {
    SummaryHeader header;
    header.port = PortOneText();
    if (!m_connectedOnce)
        header.port += ", not connected";
    else if (m_lastConnect.failed.empty())
        header.port += ", connected";
    else
        header.port += ", connected; " + std::to_string(m_lastConnect.failed.size()) + " of " +
                       std::to_string(m_lastConnect.reads) + " reads failed";
    header.model = "model code " + m_image.ModelCode();
    header.source = "source: " + m_summarySource;
    return header;
}

bool CTQXLOADER961114Doc::IsChecked(Command command) const {
    return command == Command::VerifyAfterSend && VerifyAfterSend();
}

void CTQXLOADER961114Doc::SetVerifyAfterSend(bool on, bool save) {
    ::SetVerifyAfterSend(on);
    if (save)
        SavedSettings().SetVerifyAfterSend(on);
}

void CTQXLOADER961114Doc::OnVerifyAfterSend() {
    SetVerifyAfterSend(!VerifyAfterSend());
}

bool CTQXLOADER961114Doc::MayClose() {
    m_states.Observe(m_image, Now());
    if (!m_states.HasUnsentEdits())
        return true;
    std::string groups;
    for (int g = 0; g < kSetGroups; ++g)
        if (m_states.At(g).unsent)
            groups += (groups.empty() ? "" : ", ") + GroupTitle(g);
    return m_questions->Ask("These groups hold edits that were neither sent to TQX nor written "
                            "to a file: " +
                            groups + ".\nClose anyway?");
}

void CTQXLOADER961114Doc::SetWindow(QWidget* window, ConnectStatus* status) {
    m_window = window;
    m_status = status;
}

void CTQXLOADER961114Doc::Run(Command command) {
    switch (command) {
    case Command::FileRead:
        return OnFileRead();
    case Command::FileWrite:
        return OnFileWrite();
    case Command::ProgramPattern:
        return OnProgramPattern();
    case Command::PidGroup:
        return OnPidGroup();
    case Command::SettingUp:
        return OnSettingUp();
    case Command::AdvancedUsage:
        return OnAdvancedUsage();
    case Command::ConnectStart:
        return OnConnectStart();
    case Command::About:
        return OnAbout();
    case Command::FilePrint:
        return OnFilePrint();
    case Command::FileExportPdf:
        return OnFileExportPdf();
    case Command::RetryFailedReads:
        return OnRetryFailedReads();
    case Command::Communication:
        return OnCommunication();
    case Command::PortSettings:
        return OnPortSettings();
    case Command::CompareController:
        return OnCompareController();
    case Command::CompareFile:
        return OnCompareFile();
    case Command::VerifyAfterSend:
        return OnVerifyAfterSend();
    }
}

bool CTQXLOADER961114Doc::CanRun(Command command) const {
    return command != Command::RetryFailedReads || !m_lastConnect.failedReads.empty();
}

bool CTQXLOADER961114Doc::PassGate() {
    if (m_image.connected == 1)
        return true;
    ConnectFirstNotice notice(m_window);
    notice.exec();
    return false;
}

template <class Dialog> void CTQXLOADER961114Doc::RunEditor() {
    RunEditor<Dialog>([](Dialog&) {});
}

template <class Dialog, class Setup> void CTQXLOADER961114Doc::RunEditor(const Setup& setup) {
    if (!PassGate())
        return;
    Dialog dialog(m_image, m_messages, m_cursor, m_window);
    setup(dialog);
    dialog.exec();
    // The store steps of OK (and of a SEND) leave their edits in the image.
    m_states.Observe(m_image, Now());
    emit Changed();
}

void CTQXLOADER961114Doc::OpenGroup(int group) {
    if (group == kSystemSetupGroup)
        return OnSettingUp();
    if (group == kAdvancedGroup)
        return OnAdvancedUsage();
    if (group >= PidGroupIndex(1) && group <= PidGroupIndex(ParameterImage::kPidGroups))
        return RunEditor<PidGroupDialog>(
            [group](PidGroupDialog& d) { d.ShowGroup(group - PidGroupIndex(1)); });
    if (group >= PatternGroupIndex(1) && group <= PatternGroupIndex(ParameterImage::kPatterns))
        return RunEditor<ProgramPatternDialog>(
            [group](ProgramPatternDialog& d) { d.ShowPattern(group - PatternGroupIndex(1) + 1); });
}

void CTQXLOADER961114Doc::OnFileRead() {
    m_states.Observe(m_image, Now());
    const std::string path = FileReadCommand(m_image, m_messages, m_cursor, m_window);
    if (path.empty())
        return;
    m_source = path;
    if (m_status)
        m_status->ShowFileDone(QStringLiteral("Read ") + QString::fromStdString(FullPath(path)));
    m_summarySource = "file " + path;
    m_states.FileRead(m_image, Now());
    emit Changed();
}

void CTQXLOADER961114Doc::OnFileWrite() {
    m_states.Observe(m_image, Now());
    const std::string path = FileWriteCommand(m_image, m_messages, m_cursor, m_window);
    if (path.empty())
        return;
    if (m_status)
        m_status->ShowFileDone(QStringLiteral("Written to ") +
                               QString::fromStdString(FullPath(path)));
    m_states.FileWritten(m_image, Now());
    emit Changed();
}

void CTQXLOADER961114Doc::ShowDifferences(const ParameterImage& other,
                                          const ListingOptions& options, const QString& title,
                                          const std::string& otherName) {
    const std::vector<ParameterDifference> differences = DiffParameters(m_image, other, options);
    CompareDialog dialog(title, differences, QString::fromStdString(otherName), m_window);
    dialog.exec();
}

void CTQXLOADER961114Doc::OnCompareController() {
    if (!PassGate())
        return;
    m_states.Observe(m_image, Now());
    ParameterImage controller;
    SetStartValues(controller);
    ReadReport report;
    {
        WaitCursor wait(m_cursor);
        BeginLinkCommand();
        WindowConnectUi ui(m_window, m_status);
        report =
            ReadWholeController(controller, [&ui](int index, int total, const ConnectRead& read) {
                ui.Progress(index, total, read);
            });
        ui.Finished();
    }
    if (!report.failed.empty()) {
        // A part that could not be read would show as a difference that is not there.
        m_messages.Show(ConnectFailureText(report, "Compare with controller"));
        return;
    }
    ListingOptions options; // two whole sets: every field
    options.patternFieldsPerSegment = true;
    std::vector<int> differing;
    for (const ParameterDifference& d : DiffParameters(m_image, controller, options)) {
        const int g = GroupOfListing(d.a.group);
        if (g >= 0 && std::find(differing.begin(), differing.end(), g) == differing.end())
            differing.push_back(g);
    }
    m_states.ComparedWithController(differing, Now());
    emit Changed();
    ShowDifferences(controller, options, QStringLiteral("Compare with controller"), "TQX");
}

void CTQXLOADER961114Doc::OnCompareFile() {
    if (!PassGate())
        return;
    ParameterImage file;
    SetStartValues(file);
    const std::string path = FileReadCommand(file, m_messages, m_cursor, m_window);
    if (path.empty())
        return;
    // A file holds neither the advanced GAP, MAX, PP, PI, PD nor PVST, CYCL and LINK of
    // segments 2 to 20.
    ListingOptions options;
    options.unfiledAdvanced = false;
    ShowDifferences(file, options, QStringLiteral("Compare with file"), path);
}

void CTQXLOADER961114Doc::OnProgramPattern() {
    RunEditor<ProgramPatternDialog>();
}

void CTQXLOADER961114Doc::OnPidGroup() {
    RunEditor<PidGroupDialog>();
}

void CTQXLOADER961114Doc::OnSettingUp() {
    RunEditor<SystemSetupDialog>();
    SaveMovedUnit();
}

void CTQXLOADER961114Doc::SaveMovedUnit() {
    if (Port1FromEnvironment())
        return;
    SavedSettings saved;
    PortSettings kept = DefaultPortSettings();
    if (!saved.Port1().empty() && !ParsePortSettings(saved.Port1(), kept))
        return;
    const int unit = Port1Unit();
    if (unit <= 0 || unit == kept.unit)
        return;
    kept.unit = unit;
    saved.SetPort1(FormatPortSettings(kept));
}

void CTQXLOADER961114Doc::OnPortSettings() {
    SystemPortEnumerator ports;
    SavedSettings saved;
    PortSettingsDialog dialog(ports, saved, m_window);
    dialog.exec();
}

std::string CTQXLOADER961114Doc::PortPaneText() const {
    const bool fromFile = !m_source.empty() && m_source.rfind("controller", 0) != 0;
    const std::string code = m_image.ModelCode().substr(0, 14);
    return Port1PaneText(Port1Settings(), m_image.connected == 1, code,
                         fromFile ? m_source : std::string());
}

void CTQXLOADER961114Doc::OnAdvancedUsage() {
    RunEditor<AdvancedDialog>();
}

void CTQXLOADER961114Doc::OnConnectStart() {
    WindowConnectUi ui(m_window, m_status);
    m_lastConnect = RunConnect(m_image, ui, m_messages, m_cursor);
    if (ui.confirmed) {
        m_source = ControllerSource(FormatPortSettings(Port1Settings()));
        const std::string when = Now();
        m_summarySource = "controller, read at " + when.substr(0, 5);
        m_connectedOnce = true;
        m_states.Connected(m_image, m_lastConnect, false, when);
    }
    emit Changed(); // the model code, also after a cancelled Connect
}

void CTQXLOADER961114Doc::OnRetryFailedReads() {
    if (!CanRun(Command::RetryFailedReads))
        return;
    WindowConnectUi ui(m_window, m_status);
    m_lastConnect = RunRetryFailedReads(m_image, m_lastConnect, ui, m_messages, m_cursor);
    m_states.Connected(m_image, m_lastConnect, true, Now());
    emit Changed();
}

void CTQXLOADER961114Doc::OnCommunication() {
    CommunicationDialog dialog(m_window);
    dialog.exec();
}

void CTQXLOADER961114Doc::OnAbout() {
    CAboutDlg about(m_window);
    about.exec();
}

ReportContent CTQXLOADER961114Doc::Report() const {
    ReportOptions options;
    options.source = m_source;
    options.fromController = m_source.rfind("controller", 0) == 0;
    options.created =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    return BuildReport(m_image, options);
}

bool CTQXLOADER961114Doc::ExportReportPdf(const std::string& path) {
    std::string error;
    bool written = false;
    {
        WaitCursor wait(m_cursor);
        written = WriteReportPdf(Report(), m_image, path, error);
    }
    if (!written)
        m_messages.Show("The report could not be written to " + path + ": " + error);
    return written;
}

void CTQXLOADER961114Doc::OnFileExportPdf() {
    if (!PassGate())
        return;
    QString path = QFileDialog::getSaveFileName(m_window, QStringLiteral("Export PDF"), QString(),
                                                QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    ExportReportPdf(path.toStdString());
}

void CTQXLOADER961114Doc::OnFilePrint() {
    if (!PassGate())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool printed = false;
    {
        WaitCursor wait(m_cursor);
        printed = PaintReport(Report(), m_image, printer);
    }
    if (!printed)
        m_messages.Show("The report could not be printed");
}
