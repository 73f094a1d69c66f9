#pragma once

#include <string>

// What port 1 designates, parsed from the TQXCOMM_PORT1 setting:
//   rtu:DEVICE[,baud=9600][,parity=E|N|O][,stop=1|2][,unit=1][,timeout=500]   or a device path
//   tcp:HOST:PORT[,unit=1][,timeout=500]
// timeout is the response timeout in milliseconds.
// Empty means the default: the first serial port at 9600 baud 8E1, unit 1.
struct PortSettings {
    enum class Kind { Rtu, Tcp };
    Kind kind = Kind::Rtu;
    std::string device; // RTU device path
    int baud = 9600;
    char parity = 'E';
    int stopBits = 1;
    std::string host;    // TCP host name or address
    std::string service; // TCP port number as text
    int unit = 1;
    int timeoutMs = 500;
};

// Parses a setting; returns false (and leaves `out` as it was) for a malformed one.
bool ParsePortSettings(const std::string& text, PortSettings& out);
// The same, saying in `problem` which part is malformed ("baud=fast").
bool ParsePortSettings(const std::string& text, PortSettings& out, std::string& problem);

// The settings as a person reads them: "rtu:/dev/ttyS0 9600 8E1, unit 1",
// "tcp:gateway:502, unit 1"; the response timeout only when it is not the default.
std::string DescribePortSettings(const PortSettings& settings);

// The default port: /dev/ttyS0 (COM1 on Windows) at 9600 8E1, unit 1.
PortSettings DefaultPortSettings();

// The setting text that ParsePortSettings reads back as `settings`, every option spelled
// out: "rtu:/dev/ttyUSB0,baud=9600,parity=E,stop=1,unit=3,timeout=500".
std::string FormatPortSettings(const PortSettings& settings);

// The line a controller is on, without its unit or speed: "/dev/ttyUSB0",
// "tcp:gateway:502". The history knows a controller by this, its unit and its model code.
std::string PortLineText(const PortSettings& settings);

// Port 1 in a status bar: "/dev/ttyUSB0 9600 8E1 unit 3", "tcp gateway:502 unit 1".
std::string ShortPortText(const PortSettings& settings);

bool operator==(const PortSettings& a, const PortSettings& b);
inline bool operator!=(const PortSettings& a, const PortSettings& b) {
    return !(a == b);
}
