#pragma once

#include "simulator/controller_memory.h"

#include <cstdint>
#include <string>
#include <vector>

// Answers one Modbus request PDU (function code first) from controller memory: function 03
// reads, 06 and 16 write (refused with an exception where the controller refuses),
// anything else is an illegal function. `summary` describes the request for --verbose.
std::vector<uint8_t> AnswerRequest(ControllerMemory& memory, const uint8_t* pdu, int length,
                                   std::string& summary);
