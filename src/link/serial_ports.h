#pragma once

#include <string>
#include <vector>

// One serial port of the machine, as the port list shows it.
struct SerialPortEntry {
    std::string device;       // what port 1 opens: /dev/ttyUSB0, /dev/serial/by-id/..., COM3
    std::string description;  // "USB-Serial Controller", empty where unknown
    std::string manufacturer; // empty where unknown
    std::string serialNumber; // empty where unknown
};

// Lists the machine's serial ports; the window's list and tqxctl ports take one, tests
// give a fake.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<SerialPortEntry> Ports() const = 0;
};

// "/dev/ttyUSB0  USB-Serial Controller, Prolific, serial 1234"
std::string DescribeSerialPort(const SerialPortEntry& port);
