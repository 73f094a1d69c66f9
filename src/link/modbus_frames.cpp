#include "link/modbus_frames.h"

namespace {

constexpr uint8_t kRead = 0x03;
constexpr uint8_t kWrite = 0x10;

uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void PutBe16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

uint8_t Function(const ModbusRequest& r) {
    return r.write ? kWrite : kRead;
}

// Bytes before the function code: the unit on RTU, the MBAP header on TCP.
size_t Header(const ModbusRequest& r) {
    return r.tcp ? 7 : 1;
}

} // namespace

uint16_t ModbusCrc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

std::vector<uint8_t> BuildRequestFrame(const ModbusRequest& r) {
    std::vector<uint8_t> pdu{Function(r)};
    PutBe16(pdu, r.first);
    PutBe16(pdu, r.count);
    if (r.write) {
        pdu.push_back(static_cast<uint8_t>(2 * r.count));
        for (uint16_t i = 0; i < r.count; ++i)
            PutBe16(pdu, r.values[i]);
    }
    std::vector<uint8_t> frame;
    if (r.tcp) {
        PutBe16(frame, r.transaction);
        PutBe16(frame, 0);
        PutBe16(frame, static_cast<uint16_t>(pdu.size() + 1));
        frame.push_back(r.unit);
        frame.insert(frame.end(), pdu.begin(), pdu.end());
        return frame;
    }
    frame.push_back(r.unit);
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    const uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

long AnswerFrameLength(const ModbusRequest& r, const uint8_t* data, size_t have) {
    if (r.tcp) {
        if (have < 6)
            return 0;
        const long follow = Be16(data + 4);
        return follow < 2 || follow > 254 ? -1 : 6 + follow;
    }
    if (have < 2)
        return 0;
    const uint8_t function = data[1];
    if (function & 0x80)
        return 5;
    if (function == kWrite)
        return 8;
    if (function != kRead)
        return -1;
    if (have < 3)
        return 0;
    return 5 + data[2];
}

AnswerCheck CheckAnswerFrame(const ModbusRequest& r, const uint8_t* frame, size_t length,
                             uint16_t* registers, int& exception) {
    if (r.tcp) {
        if (Be16(frame) != r.transaction)
            return AnswerCheck::OtherTransaction;
    } else {
        if (length < 4 || ModbusCrc16(frame, length - 2) !=
                              static_cast<uint16_t>(frame[length - 2] | (frame[length - 1] << 8)))
            return AnswerCheck::BadCrc;
        length -= 2;
    }
    const size_t header = Header(r);
    if (length < header + 2)
        return AnswerCheck::Mismatch;
    if (frame[header - 1] != r.unit)
        return AnswerCheck::WrongUnit;
    const uint8_t* pdu = frame + header;
    const size_t pduLength = length - header;
    if (pdu[0] == (Function(r) | 0x80)) {
        exception = pdu[1];
        return AnswerCheck::Exception;
    }
    if (pdu[0] != Function(r))
        return AnswerCheck::Mismatch;
    if (r.write) {
        if (pduLength != 5 || Be16(pdu + 1) != r.first || Be16(pdu + 3) != r.count)
            return AnswerCheck::Mismatch;
        return AnswerCheck::Ok;
    }
    if (pdu[1] != 2 * r.count || pduLength != 2 + 2u * r.count)
        return AnswerCheck::Mismatch;
    for (uint16_t i = 0; i < r.count; ++i)
        registers[i] = Be16(pdu + 2 + 2 * i);
    return AnswerCheck::Ok;
}
