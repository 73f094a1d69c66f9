#pragma once

#include <string>

// The name of a port that stays when a cable moves: a serial device as the system's
// /dev/serial/by-id link that leads to it (an adapter keeps that name on every USB socket),
// else the device its path resolves to; a TCP gateway ("tcp:host:port") as it is.
// TQX_SERIAL_BY_ID names another folder of such links (for tests).
std::string StablePortName(const std::string& port);
