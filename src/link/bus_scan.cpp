#include "link/bus_scan.h"
#include "image/shown_text.h"
#include "link/serial_ports.h"

#include <algorithm>
#include <utility>

int ScanProbeTimeoutMs(const PortSettings& s) {
    if (s.kind == PortSettings::Kind::Tcp)
        return 300;
    // Request 8 characters, answer 5 + 14, 11 bits each.
    const int frameMs = (27 * 11 * 1000 + s.baud - 1) / std::max(s.baud, 1);
    return 2 * frameMs + 40;
}

const std::vector<int>& CommonScanBauds() {
    static const std::vector<int> bauds = {9600, 19200, 38400};
    return bauds;
}

std::vector<PortSettings> ScanLines(const PortSettings& base, const std::vector<int>& bauds) {
    if (bauds.empty() || base.kind == PortSettings::Kind::Tcp)
        return {base};
    std::vector<PortSettings> lines;
    for (int baud : bauds)
        for (char parity : {'E', 'N'}) {
            PortSettings s = base;
            s.baud = baud;
            s.parity = parity;
            lines.push_back(s);
        }
    return lines;
}

BusScan::BusScan(ScanPort& port, std::vector<PortSettings> lines, int firstUnit, int lastUnit)
    : m_port(port), m_lines(std::move(lines)), m_first(std::clamp(firstUnit, 1, 247)),
      m_last(std::clamp(lastUnit, m_first, 247)) {}

PortSettings BusScan::Current() const {
    const int units = m_last - m_first + 1;
    const int index = std::min(m_done, Total() - 1);
    PortSettings s = m_lines[static_cast<size_t>(index / units)];
    s.unit = m_first + index % units;
    return s;
}

bool BusScan::Step() {
    if (Finished())
        return false;
    const int units = m_last - m_first + 1;
    const int line = m_done / units;
    if (line != m_openLine) {
        if (m_openLine >= 0)
            m_port.Close();
        LinkFailure why;
        if (!m_port.Open(m_lines[static_cast<size_t>(line)], why)) {
            m_error =
                ShortPortText(m_lines[static_cast<size_t>(line)]) + ": " + DescribeLinkFailure(why);
            return false;
        }
        m_openLine = line;
    }
    PortSettings s = Current();
    const ScanProbe probe = m_port.Probe(s.unit, ScanProbeTimeoutMs(s));
    if (probe.answered)
        m_found.push_back({s, probe.modelCode});
    ++m_done;
    if (Finished())
        m_port.Close();
    return !Finished();
}

std::string DescribeScanFound(const ScanFound& f) {
    std::string line = "unit " + std::to_string(f.settings.unit) + "  ";
    if (f.settings.kind == PortSettings::Kind::Rtu)
        line += std::to_string(f.settings.baud) + " 8" + f.settings.parity +
                std::to_string(f.settings.stopBits) + "  ";
    return line + ShownText(f.modelCode);
}

std::string DescribeSerialPort(const SerialPortEntry& p) {
    std::string about;
    for (const std::string& part :
         {p.description, p.manufacturer,
          p.serialNumber.empty() ? std::string() : "serial " + p.serialNumber})
        if (!part.empty())
            about += (about.empty() ? "" : ", ") + part;
    return about.empty() ? p.device : p.device + "  " + about;
}
