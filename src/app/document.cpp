#include "app/document.h"

#include "app/about_dialog.h"
#include "app/code_symbols_dialog.h"
#include "app/communication_dialog.h"
#include "app/connect_first_notice.h"
#include "app/port_settings_dialog.h"
#include "app/serial_ports_qt.h"
#include "editors/advanced_dialog.h"
#include "editors/pid_group_dialog.h"
#include "editors/program_pattern_dialog.h"
#include "editors/report_content.h"
#include "editors/report_qt.h"
#include "editors/system_setup_dialog.h"
#include "files/file_commands_qt.h"
#include "files/file_path.h"
#include "link/port1.h"
#include "transfers/connect_procedure.h"
#include "widgets/saved_settings_qt.h"

#include <QDateTime>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

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

} // namespace

CTQXLOADER961114Doc::CTQXLOADER961114Doc(ParameterImage& image, Messages& messages,
                                         CursorControl& cursor)
    : m_image(image), m_messages(messages), m_cursor(cursor) {
    SetStartValues(m_image);
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
    if (!PassGate())
        return;
    Dialog dialog(m_image, m_messages, m_cursor, m_window);
    dialog.exec();
}

void CTQXLOADER961114Doc::OnFileRead() {
    const std::string path = FileReadCommand(m_image, m_messages, m_cursor, m_window);
    if (path.empty())
        return;
    m_source = path;
    if (m_status)
        m_status->ShowFileDone(QStringLiteral("Read ") + QString::fromStdString(FullPath(path)));
}

void CTQXLOADER961114Doc::OnFileWrite() {
    const std::string path = FileWriteCommand(m_image, m_messages, m_cursor, m_window);
    if (!path.empty() && m_status)
        m_status->ShowFileDone(QStringLiteral("Written to ") +
                               QString::fromStdString(FullPath(path)));
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
        const char* port = std::getenv("TQXCOMM_PORT1");
        m_source = ControllerSource(port ? port : "");
    }
}

void CTQXLOADER961114Doc::OnRetryFailedReads() {
    if (!CanRun(Command::RetryFailedReads))
        return;
    WindowConnectUi ui(m_window, m_status);
    m_lastConnect = RunRetryFailedReads(m_image, m_lastConnect, ui, m_messages, m_cursor);
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
