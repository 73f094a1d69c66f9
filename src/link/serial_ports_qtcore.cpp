#include "link/serial_ports_qtcore.h"

#include <QSerialPortInfo>

#include <filesystem>
#include <map>
#include <system_error>

std::vector<SerialPortEntry> SystemPortEnumerator::Ports() const {
    std::vector<SerialPortEntry> ports;
    std::map<std::string, SerialPortEntry> byDevice;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry e;
        e.device = info.systemLocation().toStdString();
        e.description = info.description().toStdString();
        e.manufacturer = info.manufacturer().toStdString();
        e.serialNumber = info.serialNumber().toStdString();
        byDevice[e.device] = e;
    }
#ifndef _WIN32
    // Stable names: the same adapter keeps its by-id name whatever ttyUSB number it gets.
    std::error_code error;
    const std::filesystem::path byId("/dev/serial/by-id");
    for (const auto& link : std::filesystem::directory_iterator(byId, error)) {
        std::error_code e2;
        const std::string target = std::filesystem::canonical(link.path(), e2).string();
        SerialPortEntry e;
        const auto known = byDevice.find(target);
        if (known != byDevice.end())
            e = known->second;
        e.device = link.path().string();
        if (e.description.empty())
            e.description = "-> " + target;
        ports.push_back(e);
    }
#endif
    for (const auto& [device, entry] : byDevice)
        ports.push_back(entry);
    return ports;
}
