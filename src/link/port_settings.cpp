#include "link/port_settings.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

bool ParseInt(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    const int value = std::atoi(text.c_str());
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

// Applies one "key=value" option; `serial` says whether line options are allowed.
bool ApplyOption(const std::string& option, bool serial, PortSettings& s) {
    const auto eq = option.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string key = option.substr(0, eq);
    const std::string value = option.substr(eq + 1);
    if (key == "unit")
        return ParseInt(value, 0, 247, s.unit);
    if (key == "timeout")
        return ParseInt(value, 10, 10000, s.timeoutMs);
    if (!serial)
        return false;
    if (key == "baud")
        return ParseInt(value, 50, 4000000, s.baud);
    if (key == "stop")
        return ParseInt(value, 1, 2, s.stopBits);
    if (key == "parity" && value.size() == 1) {
        const char p = value[0] & ~0x20; // upper case
        if (p != 'E' && p != 'N' && p != 'O')
            return false;
        s.parity = p;
        return true;
    }
    return false;
}

} // namespace

PortSettings DefaultPortSettings() {
    PortSettings s;
#ifdef _WIN32
    s.device = "COM1";
#else
    s.device = "/dev/ttyS0";
#endif
    return s;
}

bool ParsePortSettings(const std::string& text, PortSettings& out) {
    std::string problem;
    return ParsePortSettings(text, out, problem);
}

std::string DescribePortSettings(const PortSettings& s) {
    std::string text;
    if (s.kind == PortSettings::Kind::Tcp)
        text = "tcp:" + s.host + ":" + s.service;
    else
        text = "rtu:" + s.device + " " + std::to_string(s.baud) + " 8" + s.parity +
               std::to_string(s.stopBits);
    text += ", unit " + std::to_string(s.unit);
    if (s.timeoutMs != PortSettings{}.timeoutMs)
        text += ", timeout " + std::to_string(s.timeoutMs) + " ms";
    return text;
}

bool ParsePortSettings(const std::string& text, PortSettings& out, std::string& problem) {
    PortSettings s = DefaultPortSettings();
    if (text.empty()) {
        out = s;
        return true;
    }
    const std::vector<std::string> parts = Split(text, ',');
    if (parts.empty() || parts[0].empty()) {
        problem = "no device or tcp:HOST:PORT before the first comma";
        return false;
    }
    const std::string& head = parts[0];
    const bool tcp = head.rfind("tcp:", 0) == 0;
    if (tcp) {
        const std::string rest = head.substr(4);
        const auto colon = rest.rfind(':');
        int port = 0;
        if (colon == std::string::npos || colon == 0 ||
            !ParseInt(rest.substr(colon + 1), 1, 65535, port)) {
            problem = "\"" + head + "\" is not tcp:HOST:PORT with a port from 1 to 65535";
            return false;
        }
        s.kind = PortSettings::Kind::Tcp;
        s.host = rest.substr(0, colon);
        s.service = rest.substr(colon + 1);
    } else {
        s.device = head.rfind("rtu:", 0) == 0 ? head.substr(4) : head;
        if (s.device.empty()) {
            problem = "no device after rtu:";
            return false;
        }
    }
    for (size_t i = 1; i < parts.size(); ++i)
        if (!ApplyOption(parts[i], !tcp, s)) {
            problem = "\"" + parts[i] + "\"";
            return false;
        }
    out = s;
    return true;
}

std::string FormatPortSettings(const PortSettings& s) {
    std::string text;
    if (s.kind == PortSettings::Kind::Tcp)
        text = "tcp:" + s.host + ":" + s.service;
    else
        text = "rtu:" + s.device + ",baud=" + std::to_string(s.baud) + ",parity=" + s.parity +
               ",stop=" + std::to_string(s.stopBits);
    return text + ",unit=" + std::to_string(s.unit) + ",timeout=" + std::to_string(s.timeoutMs);
}

std::string PortLineText(const PortSettings& s) {
    return s.kind == PortSettings::Kind::Tcp ? "tcp:" + s.host + ":" + s.service : s.device;
}

std::string ShortPortText(const PortSettings& s) {
    if (s.kind == PortSettings::Kind::Tcp)
        return "tcp " + s.host + ":" + s.service + " unit " + std::to_string(s.unit);
    return s.device + " " + std::to_string(s.baud) + " 8" + s.parity + std::to_string(s.stopBits) +
           " unit " + std::to_string(s.unit);
}

bool operator==(const PortSettings& a, const PortSettings& b) {
    if (a.kind != b.kind || a.unit != b.unit || a.timeoutMs != b.timeoutMs)
        return false;
    if (a.kind == PortSettings::Kind::Tcp)
        return a.host == b.host && a.service == b.service;
    return a.device == b.device && a.baud == b.baud && a.parity == b.parity &&
           a.stopBits == b.stopBits;
}
