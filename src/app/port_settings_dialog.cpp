#include "app/port_settings_dialog.h"

#include "link/port1.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/saved_settings_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kParities[] = {"E", "N", "O"};

QSpinBox* MakeSpin(const QString& name, const QString& accessible, int low, int high,
                   QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(low, high);
    NameControl(spin, accessible);
    return spin;
}

QComboBox* MakeList(const QString& name, const QString& accessible, const QStringList& items,
                    QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    NameControl(combo, accessible);
    return combo;
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    NameControl(button, text.isEmpty() ? name : QString(text).remove(QLatin1Char('&')));
    return button;
}

} // namespace

PortSettingsDialog::PortSettingsDialog(const PortEnumerator& ports, SavedSettings& saved,
                                       QWidget* parent, ScanPortMaker makeScanPort,
                                       Background background)
    : QDialog(parent), m_saved(saved), m_makeScanPort(std::move(makeScanPort)),
      m_background(std::move(background)) {
    if (!m_background)
        m_background = [](std::function<void()> work, std::function<void()> done) {
            work();
            done();
        };
    setWindowTitle(QStringLiteral("Port settings"));
    setObjectName(QStringLiteral("PortSettingsDialog"));
    std::string environment;
    m_fromEnvironment = Port1FromEnvironment(&environment);

    auto* layout = new QVBoxLayout(this);
    if (m_fromEnvironment) {
        auto* note = new QLabel(
            QStringLiteral("TQXCOMM_PORT1 is set and wins over the saved settings:"), this);
        note->setObjectName(QStringLiteral("environmentNote"));
        m_environment = new QLineEdit(Q(environment), this);
        m_environment->setObjectName(QStringLiteral("environment"));
        m_environment->setReadOnly(true);
        NameControl(m_environment, QStringLiteral("TQXCOMM_PORT1"));
        layout->addWidget(note);
        layout->addWidget(m_environment);
    }

    auto* kindRow = new QHBoxLayout;
    m_serial = new QRadioButton(QStringLiteral("Serial line (Modbus RTU)"), this);
    m_serial->setObjectName(QStringLiteral("serial"));
    NameControl(m_serial, m_serial->text());
    m_tcp = new QRadioButton(QStringLiteral("TCP gateway (Modbus TCP)"), this);
    m_tcp->setObjectName(QStringLiteral("tcp"));
    NameControl(m_tcp, m_tcp->text());
    kindRow->addWidget(m_serial);
    kindRow->addWidget(m_tcp);
    kindRow->addStretch(1);
    layout->addLayout(kindRow);

    m_ports = new QTableWidget(this);
    m_ports->setObjectName(QStringLiteral("ports"));
    NameControl(m_ports, QStringLiteral("Serial ports"));
    m_ports->setColumnCount(4);
    m_ports->setHorizontalHeaderLabels({QStringLiteral("Device"), QStringLiteral("Description"),
                                        QStringLiteral("Manufacturer"),
                                        QStringLiteral("Serial number")});
    m_ports->verticalHeader()->hide();
    m_ports->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ports->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ports->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ports->horizontalHeader()->setStretchLastSection(true);
    const std::vector<SerialPortEntry> list = ports.Ports();
    m_ports->setRowCount(static_cast<int>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string cells[] = {list[i].device, list[i].description, list[i].manufacturer,
                                     list[i].serialNumber};
        for (int c = 0; c < 4; ++c)
            m_ports->setItem(static_cast<int>(i), c, new QTableWidgetItem(Q(cells[c])));
    }
    m_ports->resizeColumnsToContents();
    m_ports->verticalHeader()->setDefaultSectionSize(m_ports->fontMetrics().height() + 6);
    m_ports->setMinimumHeight(4 * (m_ports->fontMetrics().height() + 6) + 24);
    m_ports->setMaximumHeight(160);
    setMinimumWidth(760);
    layout->addWidget(m_ports);

    auto* line = m_line = new QGroupBox(QStringLiteral("Line"), this);
    auto* form = m_lineRows = new QFormLayout(line);
    m_device = MakeEditableCombo(QStringLiteral("device"), QStringLiteral("Device"), line);
    for (const SerialPortEntry& p : list)
        m_device->addItem(Q(p.device));
    m_baud = MakeEditableCombo(QStringLiteral("baud"), QStringLiteral("Baud rate"), line);
    for (const char* b : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"})
        m_baud->addItem(QLatin1String(b));
    m_parity =
        MakeList(QStringLiteral("parity"), QStringLiteral("Parity"),
                 {QStringLiteral("Even"), QStringLiteral("None"), QStringLiteral("Odd")}, line);
    m_stop = MakeList(QStringLiteral("stop"), QStringLiteral("Stop bits"),
                      {QStringLiteral("1"), QStringLiteral("2")}, line);
    m_host = new QLineEdit(line);
    m_host->setObjectName(QStringLiteral("host"));
    NameControl(m_host, QStringLiteral("Host"));
    m_tcpPort = MakeSpin(QStringLiteral("tcpPort"), QStringLiteral("TCP port"), 1, 65535, line);
    m_tcpPort->setValue(502); // Modbus TCP's own port
    m_unit = MakeSpin(QStringLiteral("unit"), QStringLiteral("Modbus unit"), 1, 247, line);
    m_timeout = MakeSpin(QStringLiteral("timeout"), QStringLiteral("Response timeout, ms"), 10,
                         10000, line);
    m_timeout->setSuffix(QStringLiteral(" ms"));
    form->addRow(QStringLiteral("Device"), m_device);
    form->addRow(QStringLiteral("Baud rate"), m_baud);
    form->addRow(QStringLiteral("Parity"), m_parity);
    form->addRow(QStringLiteral("Stop bits"), m_stop);
    form->addRow(QStringLiteral("Host"), m_host);
    form->addRow(QStringLiteral("TCP port"), m_tcpPort);
    form->addRow(QStringLiteral("Modbus unit"), m_unit);
    form->addRow(QStringLiteral("Response timeout"), m_timeout);
    layout->addWidget(line);

    auto* testRow = new QHBoxLayout;
    auto* test = MakeButton(QStringLiteral("Test"), QStringLiteral("Test"), this);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testRow->addWidget(test);
    testRow->addWidget(m_result, 1);
    layout->addLayout(testRow);

    auto* scanBox = new QGroupBox(QStringLiteral("Scan"), this);
    auto* scanLayout = new QVBoxLayout(scanBox);
    auto* scanRow = new QHBoxLayout;
    m_firstUnit =
        MakeSpin(QStringLiteral("firstUnit"), QStringLiteral("First unit"), 1, 247, scanBox);
    m_lastUnit = MakeSpin(QStringLiteral("lastUnit"), QStringLiteral("Last unit"), 1, 247, scanBox);
    m_firstUnit->setValue(1);
    m_lastUnit->setValue(31);
    m_allRates =
        new QCheckBox(QStringLiteral("at 9600, 19200 and 38400 baud, even and no parity"), scanBox);
    m_allRates->setObjectName(QStringLiteral("allRates"));
    NameControl(m_allRates, m_allRates->text());
    m_scan = MakeButton(QStringLiteral("Scan"), QStringLiteral("Scan"), scanBox);
    m_stopScan = MakeButton(QStringLiteral("Stop"), QStringLiteral("Stop"), scanBox);
    m_stopScan->setEnabled(false);
    scanRow->addWidget(new QLabel(QStringLiteral("Units"), scanBox));
    scanRow->addWidget(m_firstUnit);
    scanRow->addWidget(new QLabel(QStringLiteral("to"), scanBox));
    scanRow->addWidget(m_lastUnit);
    scanRow->addWidget(m_allRates, 1);
    scanRow->addWidget(m_scan);
    scanRow->addWidget(m_stopScan);
    m_progress = new QProgressBar(scanBox);
    m_progress->setObjectName(QStringLiteral("scanProgress"));
    NameControl(m_progress, QStringLiteral("Scan progress"));
    // The count is in the line under it; text drawn over the filled part is hard to read.
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 31);
    m_progress->setValue(0);
    m_found = new QListWidget(scanBox);
    m_found->setObjectName(QStringLiteral("found"));
    NameControl(m_found, QStringLiteral("Controllers found"));
    m_found->setMaximumHeight(110);
    m_scanResult = new QLabel(scanBox);
    m_scanResult->setObjectName(QStringLiteral("scanResult"));
    m_scanResult->setWordWrap(true);
    m_scanResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    scanLayout->addLayout(scanRow);
    scanLayout->addWidget(m_progress);
    scanLayout->addWidget(m_scanResult);
    scanLayout->addWidget(m_found);
    layout->addWidget(scanBox);

    const OkCancelRow row = MakeOkCancelRow(this);
    connect(row.ok, &QPushButton::clicked, this, &QDialog::accept);
    row.ok->setDefault(true);
    layout->addLayout(row.row);

    connect(m_serial, &QRadioButton::toggled, this, [this] { UpdateKind(); });
    connect(m_serial, &QRadioButton::clicked, this, &PortSettingsDialog::KindChosen);
    connect(m_tcp, &QRadioButton::clicked, this, &PortSettingsDialog::KindChosen);
    connect(m_ports, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = m_ports->currentRow();
        if (r >= 0 && m_ports->item(r, 0))
            m_device->setEditText(m_ports->item(r, 0)->text());
    });
    connect(test, &QPushButton::clicked, this, &PortSettingsDialog::Test);
    connect(m_scan, &QPushButton::clicked, this, &PortSettingsDialog::StartScan);
    connect(m_stopScan, &QPushButton::clicked, this, &PortSettingsDialog::StopScan);
    connect(m_found, &QListWidget::currentRowChanged, this, [this](int r) {
        if (r >= 0 && r < static_cast<int>(m_foundSettings.size()))
            SetSettings(m_foundSettings[static_cast<size_t>(r)].settings);
    });

    SetSettings(Port1Settings());
    if (m_fromEnvironment) {
        // The variable's value alone: nothing here can change port 1.
        for (QWidget* w :
             std::initializer_list<QWidget*>{m_serial, m_tcp, m_ports, m_device, m_baud, m_parity,
                                             m_stop, m_host, m_tcpPort, m_unit, m_timeout})
            w->setEnabled(false);
        for (QWidget* w : std::initializer_list<QWidget*>{m_serial, m_tcp, m_ports, m_line})
            w->hide();
    }
}

PortSettingsDialog::~PortSettingsDialog() = default;

void PortSettingsDialog::UpdateKind() {
    const bool serial = m_serial->isChecked();
    // Only the rows of the kind of line chosen.
    m_ports->setVisible(serial && !m_fromEnvironment);
    for (QWidget* w : std::initializer_list<QWidget*>{m_device, m_baud, m_parity, m_stop})
        m_lineRows->setRowVisible(w, serial);
    for (QWidget* w : std::initializer_list<QWidget*>{m_host, m_tcpPort})
        m_lineRows->setRowVisible(w, !serial);
    m_host->setEnabled(!serial && !m_fromEnvironment);
    m_tcpPort->setEnabled(!serial && !m_fromEnvironment);
    m_allRates->setVisible(serial);
}

void PortSettingsDialog::KindChosen() {
    StopScan();
    m_quietStop = m_stopAfterStep; // a probe still out ends without a word
    m_found->clear();
    m_foundSettings.clear();
    m_scanResult->clear();
    m_result->clear();
    m_progress->setValue(0);
}

PortSettings PortSettingsDialog::Settings() const {
    PortSettings s = DefaultPortSettings();
    if (m_tcp->isChecked()) {
        s.kind = PortSettings::Kind::Tcp;
        s.host = m_host->text().trimmed().toStdString();
        s.service = std::to_string(m_tcpPort->value());
    } else {
        s.device = m_device->currentText().trimmed().toStdString();
        bool ok = false;
        const int baud = m_baud->currentText().toInt(&ok);
        if (ok && baud >= 50 && baud <= 4000000)
            s.baud = baud;
        s.parity = kParities[std::max(0, m_parity->currentIndex())][0];
        s.stopBits = m_stop->currentIndex() + 1;
    }
    s.unit = m_unit->value();
    s.timeoutMs = m_timeout->value();
    return s;
}

void PortSettingsDialog::SetSettings(const PortSettings& s) {
    const bool tcp = s.kind == PortSettings::Kind::Tcp;
    m_tcp->setChecked(tcp);
    m_serial->setChecked(!tcp);
    if (!tcp) {
        m_device->setEditText(Q(s.device));
        m_baud->setEditText(QString::number(s.baud));
        m_parity->setCurrentIndex(s.parity == 'N' ? 1 : s.parity == 'O' ? 2 : 0);
        m_stop->setCurrentIndex(s.stopBits == 2 ? 1 : 0);
    } else {
        m_host->setText(Q(s.host));
        m_tcpPort->setValue(std::atoi(s.service.c_str()));
    }
    m_unit->setValue(s.unit);
    m_timeout->setValue(s.timeoutMs);
    UpdateKind();
}

void PortSettingsDialog::Test() {
    if (m_inStep)
        return;
    const PortSettings s = Settings();
    m_result->setText(QStringLiteral("Testing %1 ...").arg(Q(ShortPortText(s))));
    struct Outcome {
        std::string code, reason;
        bool ok = false;
    };
    auto outcome = std::make_shared<Outcome>();
    m_inStep = true;
    const QPointer<PortSettingsDialog> self(this);
    m_background(
        [s, outcome] { outcome->ok = TestPortSettings(s, outcome->code, outcome->reason); },
        [self, s, outcome] {
            if (!self)
                return; // closed meanwhile
            self->m_inStep = false;
            self->m_result->setText(
                outcome->ok
                    ? QStringLiteral("%1: model code %2").arg(Q(ShortPortText(s)), Q(outcome->code))
                    : QStringLiteral("%1: %2").arg(Q(ShortPortText(s)), Q(outcome->reason)));
        });
}

QString PortSettingsDialog::ResultText() const {
    return m_result->text();
}

void PortSettingsDialog::accept() {
    StopScan();
    if (!m_fromEnvironment) {
        const PortSettings s = Settings();
        if ((s.kind == PortSettings::Kind::Rtu && s.device.empty()) ||
            (s.kind == PortSettings::Kind::Tcp && s.host.empty())) {
            m_result->setText(s.kind == PortSettings::Kind::Rtu ? QStringLiteral("Choose a device")
                                                                : QStringLiteral("Give a host"));
            return;
        }
        UsePort1Settings(s);
        m_saved.SetPort1(FormatPortSettings(s));
    }
    QDialog::accept();
}
