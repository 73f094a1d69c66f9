// Which line the Modbus transport opens: port 1's settings as they are chosen now (see
// port_choice.h), opening and closing the line, and the trace file.

#include "link/modbus_transport.h"

#include <cstdlib>

namespace {

std::string g_tracePath; // SetTracePath's, over TQXCOMM_TRACE

} // namespace

void ModbusTransport::SetTracePath(const std::string& path) {
    g_tracePath = path;
}

int32_t ModbusTransport::Open(int32_t port) {
    m_line.Close();
    m_configured = false;
    m_openFailed = false;
    m_failure = LinkFailure{};
    ClearSilence();
    if (port != 1) {
        m_failure.cause = LinkCause::CannotOpen;
        m_failure.detail = "only port 1 exists";
        return 0;
    }
    return EnsureConnected() ? 1 : 0;
}

int32_t ModbusTransport::Close() {
    m_line.Close();
    m_configured = false;
    return 1;
}

std::string ModbusTransport::PortText() const {
    return m_port.Describe(m_configured ? &m_settings : nullptr);
}

PortSettings ModbusTransport::Settings() const {
    return m_configured ? m_settings : m_port.Current();
}

void ModbusTransport::UseSettings(const PortSettings& settings) {
    PortSettings line = settings, before = Settings();
    line.unit = before.unit;
    line.timeoutMs = before.timeoutMs;
    if (line != before)
        m_lastAnsweredUnit = 0; // another line
    m_port.Give(settings);
    m_line.Close();
    m_configured = false;
    m_openFailed = false;
    m_failure = LinkFailure{};
    ClearSilence();
}

void ModbusTransport::MoveUnit(int unit) {
    m_port.MoveUnit(unit);
    if (m_configured)
        m_settings.unit = unit;
    ClearSilence();
}

bool ModbusTransport::Configure() {
    m_configured = m_port.Take(m_settings);
    const char* trace = std::getenv("TQXCOMM_TRACE");
    m_line.TraceTo(!g_tracePath.empty() ? g_tracePath : trace ? trace : "");
    return m_configured;
}

bool ModbusTransport::EnsureConnected() {
    if (m_line.IsOpen())
        return true;
    if (m_openFailed)
        return false; // m_failure still says why
    m_openFailed = !Connect();
    return !m_openFailed;
}

bool ModbusTransport::Connect() {
    // A transfer without Open still talks to port 1.
    if (!m_configured && !Configure()) {
        Fail(LinkCause::BadSetting, 0, m_port.Problem());
        return false;
    }
    LinkFailure why;
    if (!m_line.Open(m_settings, why)) {
        Fail(why.cause, why.systemError, why.detail);
        return false;
    }
    if (m_line.Tracing())
        m_line.Trace(("open " + DescribePortSettings(m_settings)).c_str());
    m_line.Drain("stray");
    // What was learnt of the answers belongs to the line as it was.
    m_recentAnswers.clear();
    m_turnarounds.clear();
    return true;
}
