#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Modbus frames of the two requests the link sends (03 read holding registers, 16 write
// multiple registers) and the checks of their answers, for RTU and TCP.
struct ModbusRequest {
    bool tcp = false;
    bool write = false;
    uint8_t unit = 1;
    uint16_t transaction = 0; // TCP only
    uint16_t first = 0;       // first register
    uint16_t count = 0;
    const uint16_t* values = nullptr; // write: the registers to send
};

uint16_t ModbusCrc16(const uint8_t* data, size_t length);

std::vector<uint8_t> BuildRequestFrame(const ModbusRequest& request);

// The length of the answer frame that begins with data[0 .. have): 0 while more bytes are
// needed to tell, -1 when the beginning cannot start an answer to this request.
long AnswerFrameLength(const ModbusRequest& request, const uint8_t* data, size_t have);

enum class AnswerCheck {
    Ok,
    BadCrc,
    OtherTransaction, // TCP: the answer to an earlier request
    WrongUnit,
    Mismatch,  // function, byte count, echoed address or count do not fit the request
    Exception, // the controller refused: `exception` holds its code
};

// Checks a complete answer frame; for a read, fills `registers` (request.count of them).
AnswerCheck CheckAnswerFrame(const ModbusRequest& request, const uint8_t* frame, size_t length,
                             uint16_t* registers, int& exception);
