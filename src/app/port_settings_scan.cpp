#include "app/port_settings_dialog.h"

#include "link/port1.h"
#include "widgets/dialog_support_qt.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

// Port settings' Scan: one probe at a time on the transfer worker, what answers listed in
// the Scan box.

QString PortSettingsDialog::ScanRange() const {
    const PortSettings s = Settings();
    QString at;
    if (s.kind == PortSettings::Kind::Tcp)
        at = QStringLiteral("%1:%2").arg(Q(s.host), Q(s.service));
    else if (m_allRates->isChecked())
        at = QStringLiteral("9600, 19200 and 38400 baud, even and no parity");
    else
        at =
            QStringLiteral("%1 8%2%3").arg(s.baud).arg(QChar::fromLatin1(s.parity)).arg(s.stopBits);
    return QStringLiteral("units %1%2%3 at %4")
        .arg(m_firstUnit->value())
        .arg(QChar(0x2013))
        .arg(m_lastUnit->value())
        .arg(at);
}

QString PortSettingsDialog::ScanResultText() const {
    return m_scanResult->text();
}

bool PortSettingsDialog::Scanning() const {
    return m_busScan != nullptr;
}

void PortSettingsDialog::StartScan() {
    if (Scanning())
        return;
    m_found->clear();
    m_foundSettings.clear();
    m_scanPort = m_makeScanPort();
    const std::vector<int> bauds = m_allRates->isChecked() ? CommonScanBauds() : std::vector<int>{};
    m_busScan = std::make_shared<BusScan>(*m_scanPort, ScanLines(Settings(), bauds),
                                          m_firstUnit->value(), m_lastUnit->value());
    m_progress->setRange(0, m_busScan->Total());
    m_progress->setValue(0);
    m_scan->setEnabled(false);
    m_stopScan->setEnabled(true);
    m_scanResult->setText(QStringLiteral("Scanning %1 ...").arg(ScanRange()));
    ScanStep();
}

void PortSettingsDialog::ScanStep() {
    if (!m_busScan || m_inStep)
        return;
    m_scanResult->setText(QStringLiteral("Scanning %1  (%2 of %3)")
                              .arg(Q(ShortPortText(m_busScan->Current())))
                              .arg(m_busScan->Done() + 1)
                              .arg(m_progress->maximum()));
    m_inStep = true;
    // The probe holds the scan and its port: they live until it is back, even when the
    // window has closed meanwhile.
    const QPointer<PortSettingsDialog> self(this);
    m_background(
        [scan = m_busScan, port = m_scanPort] {
            if (port)
                scan->Step();
        },
        [self] {
            if (self)
                self->AfterScanStep();
        });
}

void PortSettingsDialog::AfterScanStep() {
    m_inStep = false;
    if (m_stopAfterStep || !m_busScan)
        return StopScan();
    for (size_t i = m_foundSettings.size(); i < m_busScan->Found().size(); ++i) {
        m_foundSettings.push_back(m_busScan->Found()[i]);
        m_found->addItem(Q(DescribeScanFound(m_busScan->Found()[i])));
    }
    m_progress->setValue(m_busScan->Done());
    if (m_busScan->Finished())
        return StopScan();
    QTimer::singleShot(0, this, &PortSettingsDialog::ScanStep); // the next probe
}

void PortSettingsDialog::StopScan() {
    if (m_inStep) {
        m_stopAfterStep = true; // the probe out on the worker finishes first
        return;
    }
    m_stopAfterStep = false;
    if (m_busScan && !m_quietStop) {
        const std::string error = m_busScan->Error();
        const size_t found = m_busScan->Found().size();
        // A scan stopped partway says how far it got, never that the whole range was tried.
        const QString range = m_busScan->Finished()
                                  ? ScanRange()
                                  : QStringLiteral("%1 (stopped after %2 of %3 probes)")
                                        .arg(ScanRange())
                                        .arg(m_busScan->Done())
                                        .arg(m_progress->maximum());
        if (!error.empty())
            m_scanResult->setText(Q(error));
        else if (found == 0)
            m_scanResult->setText(QStringLiteral("No controller answered on ") + range);
        else if (m_fromEnvironment)
            m_scanResult->setText(QStringLiteral("%1 controller(s) answered on %2; TQXCOMM_PORT1 "
                                                 "decides what port 1 uses")
                                      .arg(found)
                                      .arg(range));
        else
            m_scanResult->setText(
                QStringLiteral("%1 controller(s) answered on %2; choose one to use its settings")
                    .arg(found)
                    .arg(range));
    }
    m_quietStop = false;
    m_busScan.reset();
    m_scanPort.reset();
    m_scan->setEnabled(true);
    m_stopScan->setEnabled(false);
}
