#pragma once

#include "link/port_settings.h"

#include <string>

// Which settings a Modbus transport opens its line at. Port 1 is TQXCOMM_PORT1 when it is
// set, else the settings the program gave (the operator's saved choice), else the default
// port. A transport for one purpose (a Test, a scan, tqxctl's port 1) never reads it. A
// station change moves the unit until settings are given again.
class PortChoice {
public:
    explicit PortChoice(bool ownSettingsOnly) : m_ownSettingsOnly(ownSettingsOnly) {}

    void Give(const PortSettings& settings);
    void MoveUnit(int unit) { m_movedUnit = unit; }

    // The settings chosen now, into `out`; false for a malformed TQXCOMM_PORT1, leaving
    // `out` as it was. Remembers the malformed part for Problem() and Describe().
    bool Take(PortSettings& out);
    // The settings chosen now; the default port for a malformed TQXCOMM_PORT1.
    PortSettings Current() const;
    // The malformed part of TQXCOMM_PORT1 as the last Take found it; empty when it was not.
    const std::string& Problem() const { return m_problem; }
    // Port 1 for messages: the settings `taken` or, without them, those chosen now; a
    // malformed TQXCOMM_PORT1 as it is written.
    std::string Describe(const PortSettings* taken) const;

private:
    bool Resolve(PortSettings& out, std::string& text, std::string& problem) const;

    bool m_ownSettingsOnly = false;
    bool m_given = false;
    PortSettings m_givenSettings;
    int m_movedUnit = 0; // 0 for none
    std::string m_problem;
    std::string m_text; // TQXCOMM_PORT1 as the last Take read it
};
