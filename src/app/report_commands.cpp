#include "app/report_commands.h"

#include "app/document.h"
#include "app/editor_commands.h"
#include "editors/report_content.h"
#include "editors/report_qtcore.h"

#include <QDateTime>
#include <QPrintDialog>
#include <QPrinter>

void ReportCommands::Run(Command command) {
    if (!PassConnectGate(m_document))
        return;
    if (command == Command::FilePrint)
        return Print();
    std::string path = m_document.Prompts().PickPath(FilePrompts::Purpose::Save, "Export PDF",
                                                     "PDF files (*.pdf)");
    if (path.empty())
        return;
    const std::string suffix = ".pdf";
    if (path.size() < suffix.size() ||
        !QString::fromStdString(path).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += suffix;
    ExportPdf(path);
}

ReportContent ReportCommands::Report() const {
    ReportOptions options;
    options.source = m_document.Set().Source();
    options.created =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    return BuildReport(m_document.Image(), options);
}

void ReportCommands::ExportPdf(const std::string& path) {
    std::string error;
    bool written = false;
    {
        WaitCursor wait(m_document.Cursor());
        written = WriteReportPdf(Report(), m_document.Image(), path, error);
    }
    if (!written)
        m_document.Tell().Show("The report could not be written to " + path + ": " + error);
}

void ReportCommands::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, m_document.Window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool printed = false;
    {
        WaitCursor wait(m_document.Cursor());
        printed = PaintReport(Report(), m_document.Image(), printer);
    }
    if (!printed)
        m_document.Tell().Show("The report could not be printed");
}
