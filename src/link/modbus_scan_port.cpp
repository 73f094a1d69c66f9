// Probes: one read of the model code at one unit, without the exchange's retry and
// without silencing the calls after it; and the bus scan's port over them.

#include "link/block_map.h"
#include "link/bus_scan.h"
#include "link/modbus_transport.h"
#include "link/register_span.h"
#include "link/tqxcomm.h"

#include <memory>

bool ModbusTransport::ProbeModelCode(int unit, int timeoutMs, std::string& modelCode) {
    if (!EnsureConnected())
        return false;
    const int keptTimeout = m_settings.timeoutMs;
    m_settings.timeoutMs = timeoutMs;
    const blockmap::Transfer t = blockmap::Resolve(TQX_MODE_READ_BYTES, 40, 0, 14);
    uint16_t regs[7] = {};
    ModbusRequest request;
    request.tcp = m_settings.kind == PortSettings::Kind::Tcp;
    request.unit = static_cast<uint8_t>(unit);
    request.transaction = ++m_transaction;
    request.first = static_cast<uint16_t>(t.address / 2);
    request.count = 7;
    Clock::time_point sent;
    // A probe of one unit: what another unit answers late is told by its address.
    m_line.Drain("stray");
    const Outcome outcome = AttemptOnce(request, regs, sent);
    if (outcome == Outcome::Garbled || outcome == Outcome::WrongUnit) {
        Clock::time_point late;
        m_line.WaitQuiet(m_settings, late);
    } else if (outcome == Outcome::Lost) {
        m_line.Close();
    }
    m_settings.timeoutMs = keptTimeout;
    if (outcome != Outcome::Ok)
        return false;
    uint8_t code[14];
    BytesFromRegisters(SpanOfBytes(t.address, 14), regs, code);
    modelCode.assign(code, code + sizeof code);
    return true;
}

namespace {

class ModbusScanPort : public ScanPort {
public:
    bool Open(const PortSettings& settings, LinkFailure& why) override {
        m_transport = std::make_unique<ModbusTransport>(true);
        m_transport->UseSettings(settings);
        if (m_transport->OpenLine())
            return true;
        why = m_transport->LastFailure();
        return false;
    }
    ScanProbe Probe(int unit, int timeoutMs) override {
        ScanProbe probe;
        probe.answered = m_transport->ProbeModelCode(unit, timeoutMs, probe.modelCode);
        if (!probe.answered)
            probe.failure = m_transport->LastFailure();
        return probe;
    }
    void Close() override { m_transport.reset(); }

private:
    std::unique_ptr<ModbusTransport> m_transport;
};

} // namespace

std::unique_ptr<ScanPort> MakeModbusScanPort() {
    return std::make_unique<ModbusScanPort>();
}
