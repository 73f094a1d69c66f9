#include "app/communication_dialog.h"

#include "link/link_backend.h"
#include "link/link_failure.h"
#include "link/link_journal.h"
#include "transfers/transfer_context.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CommunicationDialog::CommunicationDialog(const TransferContext& link, QWidget* parent)
    : QDialog(parent), m_link(link), m_port(new QLabel(this)), m_statistics(new QLabel(this)),
      m_transfers(new QTableWidget(this)) {
    setWindowTitle(QStringLiteral("Communication"));
    setObjectName(QStringLiteral("CommunicationDialog"));
    m_port->setObjectName(QStringLiteral("port"));
    m_statistics->setObjectName(QStringLiteral("statistics"));
    m_statistics->setWordWrap(true);
    m_statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_transfers->setObjectName(QStringLiteral("transfers"));
    m_transfers->setAccessibleName(QStringLiteral("Last transfers"));
    QStringList headers;
    for (const std::string& header : TransferHeaders())
        headers << QString::fromStdString(header);
    m_transfers->setColumnCount(static_cast<int>(headers.size()));
    m_transfers->setHorizontalHeaderLabels(headers);
    m_transfers->verticalHeader()->hide();
    m_transfers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_transfers->horizontalHeader()->setStretchLastSection(true);

    auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    refresh->setAutoDefault(false);
    close->setDefault(true);
    connect(refresh, &QPushButton::clicked, this, &CommunicationDialog::Refresh);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(refresh);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_port);
    layout->addWidget(m_statistics);
    layout->addWidget(m_transfers, 1);
    layout->addLayout(buttons);
    setMinimumSize(700, 480);
    m_transfers->verticalHeader()->setDefaultSectionSize(m_transfers->fontMetrics().height() + 6);
    Refresh();
}

void CommunicationDialog::Refresh() {
    m_port->setText(QStringLiteral("Port 1: ") +
                    QString::fromStdString(m_link.Backend().PortText()));
    const LinkJournal journal = m_link.Journal();
    QString statistics;
    for (const std::string& line :
         LinkStatisticsLines(m_link.Backend().Statistics(), journal.lastError))
        statistics += (statistics.isEmpty() ? QString() : QStringLiteral("\n")) +
                      QString::fromStdString(line);
    m_statistics->setText(statistics);
    // Newest first.
    m_transfers->setRowCount(static_cast<int>(journal.recent.size()));
    int row = 0;
    for (auto it = journal.recent.rbegin(); it != journal.recent.rend(); ++it, ++row) {
        const std::vector<std::string> columns = TransferColumns(*it);
        for (size_t c = 0; c < columns.size(); ++c)
            m_transfers->setItem(row, static_cast<int>(c),
                                 new QTableWidgetItem(QString::fromStdString(columns[c])));
    }
    m_transfers->resizeColumnsToContents();
}
