#pragma once

#include "link/link_failure.h"
#include "link/port_settings.h"

#include <memory>
#include <string>
#include <vector>

// Looking for controllers on one line: every unit of a range, at one or at several line
// settings. A probe is one read of the model code with a short timeout, no retry, and
// leaves no state behind: an absent unit does not silence the probes of the next.

struct ScanProbe {
    bool answered = false;
    std::string modelCode; // the 14 characters of block 40 when answered
    LinkFailure failure;   // why not, when not answered
};

// The line a scan probes through. The Modbus one is MakeModbusScanPort(); tests use fakes.
class ScanPort {
public:
    virtual ~ScanPort() = default;
    // Opens the line at `settings` (the unit is ignored); false with the reason.
    virtual bool Open(const PortSettings& settings, LinkFailure& why) = 0;
    virtual ScanProbe Probe(int unit, int timeoutMs) = 0;
    virtual void Close() = 0;
};

std::unique_ptr<ScanPort> MakeModbusScanPort();

// The probe timeout for a line rate: the request and the model code's answer twice over,
// and 40 ms for the controller to turn round; 300 ms through TCP.
int ScanProbeTimeoutMs(const PortSettings& settings);

// The line settings a scan tries, in order: the base's own when `bauds` is empty, else each
// baud rate with even, then no parity (stop bits as the base). TCP has one line.
std::vector<PortSettings> ScanLines(const PortSettings& base, const std::vector<int>& bauds);
// The rates a scan "at every rate" tries: 9600, 19200, 38400.
const std::vector<int>& CommonScanBauds();

struct ScanFound {
    PortSettings settings; // unit included
    std::string modelCode;
};

// A scan, one probe per Step, so a window can show its progress and stop it.
class BusScan {
public:
    BusScan(ScanPort& port, std::vector<PortSettings> lines, int firstUnit, int lastUnit);

    // Probes the next candidate; false once every candidate was probed (or a line could
    // not be opened: Error() says why). Found() grows as controllers answer.
    bool Step();
    int Done() const { return m_done; }
    int Total() const { return static_cast<int>(m_lines.size()) * (m_last - m_first + 1); }
    bool Finished() const { return m_done >= Total() || !m_error.empty(); }
    const std::vector<ScanFound>& Found() const { return m_found; }
    // The line being probed now (unit: the next one).
    PortSettings Current() const;
    const std::string& Error() const { return m_error; }

private:
    ScanPort& m_port;
    std::vector<PortSettings> m_lines;
    int m_first, m_last;
    int m_done = 0;
    int m_openLine = -1;
    std::vector<ScanFound> m_found;
    std::string m_error;
};

// "unit 3  9600 8E1  PXT9A1Y2T-0D1R"
std::string DescribeScanFound(const ScanFound& found);
