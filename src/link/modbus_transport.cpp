#include "link/modbus_transport.h"

#include "link/block_map.h"
#include "link/link_errors.h"

#include <modbus.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kMaxReadRegisters = 125;
constexpr uint32_t kMaxWriteRegisters = 123;
// After a silent controller, calls fail at once for this many response timeouts (2 s at
// the default 0.5 s), so a Connect with nothing attached does not wait out every read.
constexpr int kSilentPauseTimeouts = 4;
constexpr int kSilentExchanges = 2;

bool IsSilence(int error) {
    return error == ETIMEDOUT || error == EAGAIN;
}

// Modbus errors mean the line itself is fine: the controller answered something.
bool IsModbusError(int error) {
    return error >= MODBUS_ENOBASE && error < MODBUS_ENOBASE + 100;
}

} // namespace

LinkBackend& DefaultLinkBackend() {
    return TheModbusTransport();
}

ModbusTransport& TheModbusTransport() {
    static ModbusTransport transport;
    return transport;
}

ModbusTransport::~ModbusTransport() {
    Disconnect();
}

int32_t ModbusTransport::Open(int32_t port) {
    Disconnect();
    m_configured = false;
    if (port != 1 || !Configure())
        return 0;
    ClearSilence();
    int32_t status = 0;
    return EnsureConnected(status) ? 1 : 0;
}

int32_t ModbusTransport::Close() {
    Disconnect();
    m_configured = false;
    return 1;
}

bool ModbusTransport::Configure() {
    const char* env = std::getenv("TQXCOMM_PORT1");
    m_configured = ParsePortSettings(env ? env : "", m_settings);
    return m_configured;
}

void ModbusTransport::Disconnect() {
    if (m_ctx) {
        modbus_close(m_ctx);
        modbus_free(m_ctx);
    }
    m_ctx = nullptr;
    m_connected = false;
}

bool ModbusTransport::EnsureConnected(int32_t& status) {
    // A transfer without Open still talks to port 1.
    if (!m_configured && !Configure()) {
        status = TQX_ERR_NO_PORT;
        return false;
    }
    if (m_connected)
        return true;
    if (!m_ctx) {
        if (m_settings.kind == PortSettings::Kind::Tcp)
            m_ctx = modbus_new_tcp_pi(m_settings.host.c_str(), m_settings.service.c_str());
        else
            m_ctx = modbus_new_rtu(m_settings.device.c_str(), m_settings.baud, m_settings.parity, 8,
                                   m_settings.stopBits);
        if (!m_ctx) {
            status = TQX_ERR_NO_PORT;
            return false;
        }
        modbus_set_slave(m_ctx, m_settings.unit); // RTU asserts without it
        const int timeoutMs = m_settings.timeoutMs;
        modbus_set_response_timeout(m_ctx, static_cast<uint32_t>(timeoutMs / 1000),
                                    static_cast<uint32_t>(timeoutMs % 1000) * 1000);
        modbus_set_byte_timeout(m_ctx, 0, 200000);
    }
    if (modbus_connect(m_ctx) != 0) {
        // Freed so the next transfer starts afresh (a cable plugged in later works).
        Disconnect();
        status = TQX_ERR_NO_PORT;
        return false;
    }
    modbus_flush(m_ctx);
    m_connected = true;
    return true;
}

bool ModbusTransport::Exchange(bool write, uint32_t first, uint32_t count, uint16_t* regs,
                               int32_t& status) {
    const bool tcp = m_settings.kind == PortSettings::Kind::Tcp;
    // Frame sizes: RTU adds unit + CRC, TCP the 7-byte MBAP header, to each PDU.
    const long overhead = tcp ? 7 : 3;
    const long request = overhead + (write ? 6 + 2 * static_cast<long>(count) : 5);
    const long answer = overhead + (write ? 5 : 2 + 2 * static_cast<long>(count));
    bool answered = false; // something came back, if only a garbled frame
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            m_retriedInCall = true;
        if (!EnsureConnected(status))
            return false;
        ++m_stats.transactions;
        m_stats.wireBytes += request;
        const int rc = write ? modbus_write_registers(m_ctx, static_cast<int>(first),
                                                      static_cast<int>(count), regs)
                             : modbus_read_registers(m_ctx, static_cast<int>(first),
                                                     static_cast<int>(count), regs);
        if (rc == static_cast<int>(count) || (write && rc > 0)) {
            m_stats.wireBytes += answer;
            ClearSilence();
            return true;
        }
        const int error = errno;
        if (IsSilence(error)) {
            status = TQX_ERR_NO_ANSWER;
        } else if (error == EMBXILFUN || error == EMBXILADD || error == EMBXILVAL ||
                   error == EMBXSFAIL) {
            // The controller refused the request itself; asking again changes nothing.
            status = TQX_ERR_EXCEPTION;
            ClearSilence();
            return false;
        } else {
            status = TQX_ERR_BAD_ANSWER;
            answered = answered || IsModbusError(error);
        }
        if (!IsSilence(error) && !IsModbusError(error)) {
            // The connection itself broke (reset, closed device): reconnect before retrying.
            Disconnect();
            continue;
        }
        // A late answer must not be taken for the answer to the retry.
        modbus_flush(m_ctx);
    }
    // A controller counts as gone only after two exchanges in a row stayed silent on every
    // attempt: on a noisy line two lost answers in a row are common, and giving up on a
    // controller that is there would fail every call after it. One that garbled an
    // answer is there, and the next call must still ask it.
    if (answered)
        ClearSilence();
    else if (status == TQX_ERR_NO_ANSWER && ++m_silentExchanges >= kSilentExchanges)
        m_silentUntil =
            Clock::now() + std::chrono::milliseconds(kSilentPauseTimeouts * m_settings.timeoutMs);
    return false;
}

bool ModbusTransport::ReadRegisters(uint32_t first, uint32_t count, uint16_t* out,
                                    int32_t& status) {
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = std::min(kMaxReadRegisters, count - done);
        if (!Exchange(false, first + done, piece, out + done, status))
            return false;
        done += piece;
    }
    return true;
}

bool ModbusTransport::WriteRegisters(uint32_t first, uint32_t count, const uint16_t* in,
                                     int32_t& status) {
    std::vector<uint16_t> copy(in, in + count);
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = std::min(kMaxWriteRegisters, count - done);
        if (!Exchange(true, first + done, piece, copy.data() + done, status))
            return false;
        done += piece;
    }
    return true;
}

int32_t ModbusTransport::Read(int32_t mode, int32_t block, int32_t offset, int32_t length,
                              void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    if (!t.ok || t.write || !buffer) {
        *status = TQX_ERR_REFUSED;
        return 0;
    }
    if (Clock::now() < m_silentUntil)
        return CallFailed(TQX_ERR_NO_ANSWER, status);
    const uint32_t first = t.address / 2;
    const uint32_t count = (t.address + t.bytes + 1) / 2 - first;
    std::vector<uint16_t> regs(count);
    int32_t code = TQX_OK;
    m_retriedInCall = false;
    if (!ReadRegisters(first, count, regs.data(), code))
        return CallFailed(code, status);
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < t.bytes; ++i) {
        const uint32_t a = t.address + i;
        const uint16_t r = regs[a / 2 - first];
        out[i] = static_cast<uint8_t>(a % 2 == 0 ? r & 0xFF : r >> 8);
    }
    return CallDone(t.bytes, status);
}

int32_t ModbusTransport::Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                               const void* buffer, int32_t* status) {
    const blockmap::Transfer t = blockmap::Resolve(mode, block, offset, length);
    if (!t.ok || !t.write || !buffer) {
        *status = TQX_ERR_REFUSED;
        return 0;
    }
    if (Clock::now() < m_silentUntil)
        return CallFailed(TQX_ERR_NO_ANSWER, status);
    const uint32_t first = t.address / 2;
    const uint32_t last = (t.address + t.bytes - 1) / 2;
    const uint32_t count = last - first + 1;
    std::vector<uint16_t> regs(count);
    int32_t code = TQX_OK;
    m_retriedInCall = false;
    // Registers only partly inside the range are read first, so their other byte keeps
    // the controller's value.
    if (t.address % 2 != 0 && !ReadRegisters(first, 1, &regs[0], code))
        return CallFailed(code, status);
    if ((t.address + t.bytes) % 2 != 0 && !(last == first && t.address % 2 != 0) &&
        !ReadRegisters(last, 1, &regs[count - 1], code))
        return CallFailed(code, status);
    const auto* in = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < t.bytes; ++i) {
        const uint32_t a = t.address + i;
        uint16_t& r = regs[a / 2 - first];
        r = a % 2 == 0 ? static_cast<uint16_t>((r & 0xFF00) | in[i])
                       : static_cast<uint16_t>((r & 0x00FF) | (in[i] << 8));
    }
    if (!WriteRegisters(first, count, regs.data(), code))
        return CallFailed(code, status);
    return CallDone(t.bytes, status);
}

void ModbusTransport::ClearSilence() {
    m_silentExchanges = 0;
    m_silentUntil = Clock::time_point{};
}

int32_t ModbusTransport::CallDone(uint32_t bytes, int32_t* status) {
    ++m_stats.calls;
    m_stats.payloadBytes += bytes;
    if (m_retriedInCall)
        ++m_stats.retriedCalls;
    *status = TQX_OK;
    return 1;
}

int32_t ModbusTransport::CallFailed(int32_t code, int32_t* status) {
    ++m_stats.calls;
    ++m_stats.failedCalls;
    *status = code;
    return 0;
}
