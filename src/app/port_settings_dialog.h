#pragma once

#include "link/bus_scan.h"
#include "link/port_settings.h"
#include "link/serial_ports.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QFormLayout;
class QGroupBox;
class QSpinBox;
class QTableWidget;
class QTimer;
class SavedSettings;

// "Port settings": what port 1 is. A serial line (a port of this machine's list, line
// settings, Modbus unit, response timeout) or a Modbus TCP gateway. Test reads the model
// code at the settings shown; Scan looks for controllers on the line, one probe at a time,
// and a controller found fills in the settings. OK applies the settings to port 1 at once
// and saves them; while TQXCOMM_PORT1 is set it wins, and the window only shows it.
class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    using ScanPortMaker = std::function<std::unique_ptr<ScanPort>()>;
    // Runs a probe off the user-interface thread while the window goes on (the loader's
    // transfer worker); by default where it is called.
    // Runs `work` off the window's thread and `done` back on it afterwards; by default both
    // at once, in order.
    using Background = std::function<void(std::function<void()> work, std::function<void()> done)>;
    PortSettingsDialog(const PortEnumerator& ports, SavedSettings& saved, QWidget* parent = nullptr,
                       ScanPortMaker makeScanPort = MakeModbusScanPort, Background background = {});
    ~PortSettingsDialog() override;

    PortSettings Settings() const;
    void SetSettings(const PortSettings& settings);
    // Reads the model code at the settings shown; the result line says what came back.
    void Test();
    void StartScan();
    void StopScan();
    bool Scanning() const;
    QString ResultText() const;
    // What the last scan came to, in the Scan box.
    QString ScanResultText() const;

    void accept() override;

private:
    void ScanStep();
    void AfterScanStep();
    void UpdateKind();
    // The operator chose the other kind of line: what was found on the old one is gone.
    void KindChosen();
    // "units 1–31 at 9600 8E1": what a scan tries.
    QString ScanRange() const;

    SavedSettings& m_saved;
    ScanPortMaker m_makeScanPort;
    bool m_fromEnvironment = false;
    QLineEdit* m_environment = nullptr;
    QRadioButton* m_serial = nullptr;
    QRadioButton* m_tcp = nullptr;
    QTableWidget* m_ports = nullptr;
    QComboBox* m_device = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stop = nullptr;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_tcpPort = nullptr;
    QSpinBox* m_unit = nullptr;
    QSpinBox* m_timeout = nullptr;
    QGroupBox* m_line = nullptr;
    QFormLayout* m_lineRows = nullptr;
    QLabel* m_result = nullptr;
    QLabel* m_scanResult = nullptr;
    QSpinBox* m_firstUnit = nullptr;
    QSpinBox* m_lastUnit = nullptr;
    QCheckBox* m_allRates = nullptr;
    QPushButton* m_scan = nullptr;
    QPushButton* m_stopScan = nullptr;
    QProgressBar* m_progress = nullptr;
    QListWidget* m_found = nullptr;
    Background m_background;
    bool m_inStep = false;        // a probe is out on the worker
    bool m_stopAfterStep = false; // Stop was pressed meanwhile
    bool m_quietStop = false;     // the kind changed meanwhile: its results are stale
    // Shared with the probe out on the worker, which may outlive the window.
    std::shared_ptr<ScanPort> m_scanPort;
    std::shared_ptr<BusScan> m_busScan;
    std::vector<ScanFound> m_foundSettings;
};
