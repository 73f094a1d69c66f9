#include "app/transfer_progress_dialog.h"

#include "widgets/dialog_support_qt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TransferProgressDialog::TransferProgressDialog(QWidget* parent)
    : QDialog(parent), m_what(new QLabel(this)), m_count(new QLabel(this)),
      m_bar(new QProgressBar(this)), m_elapsed(new QLabel(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("TransferProgress"));
    setWindowTitle(QString::fromLatin1(kMessageCaption));
    setWindowModality(Qt::ApplicationModal);
    m_what->setObjectName(QStringLiteral("what"));
    m_count->setObjectName(QStringLiteral("count"));
    m_elapsed->setObjectName(QStringLiteral("elapsed"));
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    NameControl(m_what, QStringLiteral("Transfer step"));
    NameControl(m_count, QStringLiteral("Transfer count"));
    NameControl(m_elapsed, QStringLiteral("Elapsed time"));
    NameControl(m_bar, QStringLiteral("Transfer progress"));
    NameControl(m_cancel, QStringLiteral("Cancel"));
    m_what->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    m_bar->setTextVisible(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        m_cancel->setText(QStringLiteral("Stopping after the current call..."));
        emit CancelRequested();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(m_count);
    row->addStretch(1);
    row->addWidget(m_elapsed);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_what);
    layout->addWidget(m_bar);
    layout->addLayout(row);
    layout->addLayout(buttons);
    m_tick.setInterval(200);
    connect(&m_tick, &QTimer::timeout, this, &TransferProgressDialog::ShowElapsed);
}

void TransferProgressDialog::Begin(const QString& title) {
    setWindowTitle(title.isEmpty() ? QString::fromLatin1(kMessageCaption) : title);
    m_clock.start();
    m_cancel->setEnabled(true);
    m_cancel->setText(QStringLiteral("Cancel"));
    m_what->clear();
    m_count->clear();
    m_bar->setRange(0, 0);
    ShowElapsed();
    m_tick.start();
}

void TransferProgressDialog::ShowStep(const QString& what, int done, int total) {
    m_what->setText(what);
    if (total > 0) {
        m_count->setText(QStringLiteral("%1 of %2").arg(done + 1).arg(total));
        m_bar->setRange(0, total);
        m_bar->setValue(done);
    }
    ShowElapsed();
}

void TransferProgressDialog::ShowElapsed() {
    m_elapsed->setText(
        QStringLiteral("%1 s").arg(static_cast<double>(m_clock.elapsed()) / 1000.0, 0, 'f', 1));
}

void TransferProgressDialog::closeEvent(QCloseEvent* event) {
    // Never closed under a running transfer: the operator is asked what to do.
    event->ignore();
    emit CloseRequested();
}

void TransferProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_cancel->isEnabled())
            m_cancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
