#include "shot_loader.h"
#include "shot_registry.h"

#include "app/document.h"
#include "app/main_frame.h"
#include "app/port_settings_dialog.h"
#include "link/port1.h"
#include "operator/cursor.h"
#include "widgets/saved_settings_qt.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QStatusBar>

#include <cstring>

namespace {

class ShotPorts : public PortEnumerator {
public:
    std::vector<SerialPortEntry> Ports() const override {
        return {{"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                 "FT232R USB UART", "FTDI", "A50285BI"},
                {"/dev/ttyS0", "", "", ""},
                {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI"}};
    }
};

// Controllers at units 3, 7 and 12 of the line.
class ShotScanPort : public ScanPort {
public:
    bool Open(const PortSettings&, LinkFailure&) override { return true; }
    ScanProbe Probe(int unit, int) override {
        ScanProbe p;
        p.answered = unit == 3 || unit == 7 || unit == 12;
        p.modelCode = unit == 7 ? "PXR4TEY1X-0099" : "PXT9A1Y2T-0D1R";
        return p;
    }
    void Close() override {}
};

PortSettings UsbPort() {
    PortSettings s;
    ParsePortSettings("rtu:/dev/ttyUSB0,baud=9600,parity=E,unit=3", s);
    return s;
}

} // namespace

TQX_SHOT("port_settings") {
    ::unsetenv("TQXCOMM_PORT1");
    ShotPorts ports;
    SavedSettings saved(QDir(ctx.outputDir).filePath(QStringLiteral("shot_settings.ini")));
    PortSettingsDialog dialog(ports, saved);
    dialog.SetSettings(UsbPort());
    ctx.save(&dialog, QStringLiteral("port_settings"));
}

TQX_SHOT("port_settings_tcp") {
    ::unsetenv("TQXCOMM_PORT1");
    ShotPorts ports;
    SavedSettings saved(QDir(ctx.outputDir).filePath(QStringLiteral("shot_settings.ini")));
    PortSettingsDialog dialog(ports, saved);
    PortSettings tcp;
    ParsePortSettings("tcp:192.168.10.20:502,unit=2", tcp);
    dialog.SetSettings(tcp);
    ctx.save(&dialog, QStringLiteral("port_settings_tcp"));
}

TQX_SHOT("port_settings_scan") {
    ::unsetenv("TQXCOMM_PORT1");
    ShotPorts ports;
    SavedSettings saved(QDir(ctx.outputDir).filePath(QStringLiteral("shot_settings.ini")));
    PortSettingsDialog dialog(ports, saved, nullptr,
                              [] { return std::make_unique<ShotScanPort>(); });
    dialog.SetSettings(UsbPort());
    dialog.show();
    dialog.StartScan();
    auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("scanProgress"));
    while (dialog.Scanning() && progress->value() < 14)
        QApplication::processEvents();
    ctx.save(&dialog, QStringLiteral("port_settings_scan"));
    dialog.StopScan();
}

TQX_SHOT("status_bar_port") {
    ::unsetenv("TQXCOMM_PORT1");
    UsePort1Settings(UsbPort());
    ShotLoader loader;
    ParameterImage& image = loader.image;
    CMainFrame& frame = loader.frame;
    image.connected = 1;
    std::memcpy(image.modelCode.data(), "PXT9A1Y2T-0D1R", 14);
    frame.UpdatePortPane();
    frame.setMinimumSize(760, 200);
    ctx.save(&frame, QStringLiteral("status_bar_port"));
    UsePort1Settings(DefaultPortSettings());
}
