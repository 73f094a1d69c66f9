#include "simulator/simulated_controller.h"

#include "link/block_map.h"
#include "link/link_errors.h"

int32_t SimulatedController::Open(int32_t port) {
    ++m_opens;
    m_lastOpenPort = port;
    return 1;
}

int32_t SimulatedController::Close() {
    ++m_closes;
    return 1;
}

int32_t SimulatedController::Read(int32_t mode, int32_t block, int32_t offset, int32_t length,
                                  void* buffer, int32_t* status) {
    return Transfer(mode, block, offset, length, false, buffer, nullptr, status);
}

int32_t SimulatedController::Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                                   const void* buffer, int32_t* status) {
    return Transfer(mode, block, offset, length, true, nullptr, buffer, status);
}

int32_t SimulatedController::Transfer(int32_t mode, int32_t block, int32_t offset, int32_t length,
                                      bool write, void* readBuffer, const void* writeBuffer,
                                      int32_t* status) {
    m_calls.push_back({mode, block, offset, length, write, false});
    LinkCall& call = m_calls.back();
    const int index = static_cast<int>(m_calls.size()) - 1;
    int32_t ignored = 0;
    int32_t& result = status ? *status : ignored;

    const blockmap::Transfer range = blockmap::Resolve(mode, block, offset, length);
    if (!range.ok || range.write != write || (write ? !writeBuffer : !readBuffer)) {
        result = TQX_ERR_REFUSED;
        m_failure = LinkFailure{};
        m_failure.cause = LinkCause::BadRequest;
        return 0;
    }
    if (m_fail && m_fail(call, index)) {
        result = TQX_ERR_NO_ANSWER;
        m_failure = LinkFailure{};
        m_failure.cause = LinkCause::NoAnswer;
        m_failure.timeoutMs = 500;
        return 0;
    }
    if (write) {
        if (!m_memory.Write(range.address, static_cast<const uint8_t*>(writeBuffer), range.bytes)) {
            result = TQX_ERR_EXCEPTION;
            m_failure = LinkFailure{};
            m_failure.cause = LinkCause::Exception;
            m_failure.write = true;
            m_failure.exception = 4;
            return 0;
        }
    } else {
        m_memory.Read(range.address, static_cast<uint8_t*>(readBuffer), range.bytes);
    }
    m_calls[static_cast<size_t>(index)].ok = true;
    result = TQX_OK;
    return 1;
}
