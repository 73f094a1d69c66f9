// The History window's long tasks: the chain's verification and the audit report, on a
// reader of their own so that the lists go on answering meanwhile.
#include "app/history_dialog.h"

#include "app/history_pickers.h"
#include "app/history_reader.h"
#include "editors/audit_report.h"
#include "editors/audit_report_qtcore.h"
#include "files/whole_file.h"
#include "history/history_location.h"
#include "image/shown_text.h"
#include "operator/file_prompts.h"
#include "operator/messages.h"
#include "widgets/dialog_support_qt.h"

#include <QLabel>
#include <QPushButton>

namespace {

// "Chain whole: 1200 snapshots, 3 events; last hash 9f…", or the first problem, which
// names the snapshot; every line in the tooltip.
void ShowChain(const ChainReport& chain, QLabel* label) {
    QString text;
    if (chain.whole) {
        text = QStringLiteral("Chain whole: %1 snapshots, %2 events; last hash %3")
                   .arg(chain.snapshots)
                   .arg(chain.events)
                   .arg(Q(chain.lastHash));
    } else {
        const size_t more = chain.problems.empty() ? 0 : chain.problems.size() - 1;
        text = QStringLiteral("Chain NOT whole: %1").arg(Q(ShownText(chain.problem)));
        if (more > 0)
            text += QStringLiteral(" (and %1 more)").arg(more);
        text += QStringLiteral("; last hash %1").arg(Q(chain.lastHash));
    }
    QString all;
    for (const std::string& line : ChainLines(chain))
        all += (all.isEmpty() ? QString() : QStringLiteral("\n")) + Q(ShownText(line));
    label->setText(text);
    label->setToolTip(all);
    label->setStyleSheet(chain.whole ? QString() : QStringLiteral("color: #b00000"));
}

} // namespace

void HistoryDialog::VerifyChain() {
    EnsureLongReader();
    m_verify->setEnabled(false);
    m_status->setStyleSheet(QString());
    m_status->setText(QStringLiteral("Checking every link of the chain..."));
    m_longReader->Ask([this](HistoryStore& store) -> HistoryReader::Answer {
        auto chain = std::make_shared<ChainReport>();
        const std::string why = store.Verify(*chain);
        return [this, chain, why] {
            if (why.empty()) {
                ShowChain(*chain, m_status);
                return;
            }
            m_status->setText(QStringLiteral("The chain could not be checked."));
            m_messages.Show("The chain could not be checked: " + why);
        };
    });
}

void HistoryDialog::EnsureLongReader() {
    if (m_longReader)
        return;
    m_longReader = std::make_unique<HistoryReader>(
        m_path,
        [this](const std::string& why, const std::string&) {
            if (why.empty())
                return;
            m_status->setText(QStringLiteral("The history cannot be read: ") + Q(why));
        },
        [this] { UpdateButtons(); });
}

void HistoryDialog::WriteAuditReport() {
    const ControllerEntry* current = Current();
    if (!current)
        return;
    const ControllerEntry controller = *current;
    const QDate today = QDate::currentDate();
    AuditPeriod period{today.addDays(-7), today, true};
    if (!AskAuditPeriod(this, Q(ShownText(ControllerName(controller))), period))
        return;
    std::string path = m_prompts.PickPath(FilePrompts::Purpose::Save, "Audit report",
                                          period.pdf ? "PDF files (*.pdf)" : "CSV files (*.csv)");
    if (path.empty())
        return;
    const QString end = period.pdf ? QStringLiteral(".pdf") : QStringLiteral(".csv");
    if (!Q(path).endsWith(end, Qt::CaseInsensitive))
        path += end.toStdString();
    std::string fromUtc, toUtc;
    const auto day = [](const QDate& date) {
        return date.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    };
    std::string why = CheckWriteTarget(path);
    if (why.empty() &&
        (!LocalToUtc(day(period.from), fromUtc) || !LocalToUtc(day(period.to.addDays(1)), toUtc)))
        why = "the period is no date this computer's clock can name";
    if (!why.empty()) {
        m_messages.Show("The audit report cannot be written to " + path + ": " + why);
        return;
    }
    EnsureLongReader();
    m_audit->setEnabled(false);
    m_status->setStyleSheet(QString());
    m_status->setText(QStringLiteral("Writing the audit report of %1...")
                          .arg(Q(ShownText(ControllerName(controller)))));
    const bool pdf = period.pdf;
    m_longReader->Ask([this, controller, fromUtc, toUtc, path,
                       pdf](HistoryStore& store) -> HistoryReader::Answer {
        auto report = std::make_shared<AuditReport>();
        std::string why = BuildAuditReport(store, controller.id, fromUtc, toUtc, *report);
        report->created = UtcNow();
        if (why.empty() && pdf)
            WriteAuditPdf(*report, path, why);
        else if (why.empty())
            why = WriteWholeFile(path, AuditCsv(*report));
        return [this, report, path, why] {
            if (!why.empty()) {
                m_status->setText(QString());
                m_messages.Show("The audit report could not be written to " + path + ": " + why);
                return;
            }
            m_status->setText(QStringLiteral("Audit report written to %1: %2 snapshots, %3 events")
                                  .arg(Q(path))
                                  .arg(report->changes.size())
                                  .arg(report->events.size()));
            if (report->chainError.empty())
                m_status->setToolTip(Q(ChainLines(report->chain).front()));
        };
    });
}
