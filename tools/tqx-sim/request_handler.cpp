#include "request_handler.h"

#include <cstdio>

namespace {

constexpr uint8_t kIllegalFunction = 0x01;
constexpr uint8_t kIllegalAddress = 0x02;
constexpr uint8_t kIllegalValue = 0x03;
constexpr uint8_t kDeviceFailure = 0x04; // write refused: WDIS or a read-only block

uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

std::vector<uint8_t> Exception(uint8_t function, uint8_t code) {
    return {static_cast<uint8_t>(function | 0x80), code};
}

std::string Describe(const char* what, unsigned address, unsigned count, const char* result) {
    char text[120];
    std::snprintf(text, sizeof text, "%s register 0x%04X count %u: %s", what, address, count,
                  result);
    return text;
}

} // namespace

std::vector<uint8_t> AnswerRequest(ControllerMemory& memory, const uint8_t* pdu, int length,
                                   std::string& summary) {
    if (length < 1) {
        summary = "empty request";
        return {};
    }
    const uint8_t function = pdu[0];
    if ((function == 0x03 || function == 0x06) && length >= 5) {
        const unsigned address = Be16(pdu + 1);
        const unsigned value = Be16(pdu + 3);
        if (function == 0x03) {
            if (value < 1 || value > 125) {
                summary = Describe("read", address, value, "illegal count");
                return Exception(function, kIllegalValue);
            }
            if (address + value > 0x8000) {
                summary = Describe("read", address, value, "illegal address");
                return Exception(function, kIllegalAddress);
            }
            std::vector<uint8_t> answer{function, static_cast<uint8_t>(2 * value)};
            const uint8_t* bytes = memory.Data() + 2 * address;
            for (unsigned r = 0; r < value; ++r) {
                answer.push_back(bytes[2 * r + 1]); // Modbus sends the high byte first
                answer.push_back(bytes[2 * r]);
            }
            summary = Describe("read", address, value, "ok");
            return answer;
        }
        const uint8_t bytes[2] = {static_cast<uint8_t>(value & 0xFF),
                                  static_cast<uint8_t>(value >> 8)};
        if (!memory.Write(2 * address, bytes, 2)) {
            summary = Describe("write", address, 1, "refused");
            return Exception(function, kDeviceFailure);
        }
        summary = Describe("write", address, 1, "ok");
        return std::vector<uint8_t>(pdu, pdu + 5);
    }
    if (function == 0x10 && length >= 6) {
        const unsigned address = Be16(pdu + 1);
        const unsigned count = Be16(pdu + 3);
        const unsigned byteCount = pdu[5];
        if (count < 1 || count > 123 || byteCount != 2 * count ||
            length < 6 + static_cast<int>(byteCount)) {
            summary = Describe("write", address, count, "illegal count");
            return Exception(function, kIllegalValue);
        }
        if (address + count > 0x8000) {
            summary = Describe("write", address, count, "illegal address");
            return Exception(function, kIllegalAddress);
        }
        std::vector<uint8_t> bytes(2 * count);
        for (unsigned r = 0; r < count; ++r) {
            bytes[2 * r] = pdu[6 + 2 * r + 1];
            bytes[2 * r + 1] = pdu[6 + 2 * r];
        }
        if (!memory.Write(2 * address, bytes.data(), 2 * count)) {
            summary = Describe("write", address, count, "refused");
            return Exception(function, kDeviceFailure);
        }
        summary = Describe("write", address, count, "ok");
        return std::vector<uint8_t>(pdu, pdu + 5);
    }
    char text[60];
    std::snprintf(text, sizeof text, "function 0x%02X: illegal function", function);
    summary = text;
    return Exception(function, kIllegalFunction);
}
