#pragma once

#include "link/serial_ports.h"

// The machine's serial ports from Qt Serial Port; on Linux each port that has a stable
// name under /dev/serial/by-id is listed by that name as well, first.
class SystemPortEnumerator : public PortEnumerator {
public:
    std::vector<SerialPortEntry> Ports() const override;
};
