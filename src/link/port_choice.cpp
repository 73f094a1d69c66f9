#include "link/port_choice.h"

#include <cstdlib>

void PortChoice::Give(const PortSettings& settings) {
    m_given = true;
    m_givenSettings = settings;
    m_movedUnit = 0;
}

bool PortChoice::Resolve(PortSettings& out, std::string& text, std::string& problem) const {
    const char* env = m_ownSettingsOnly ? nullptr : std::getenv("TQXCOMM_PORT1");
    text = env ? env : "";
    bool ok = true;
    if (!text.empty())
        ok = ParsePortSettings(text, out, problem);
    else
        out = m_given ? m_givenSettings : DefaultPortSettings();
    if (ok && m_movedUnit > 0)
        out.unit = m_movedUnit;
    return ok;
}

bool PortChoice::Take(PortSettings& out) {
    m_problem.clear();
    std::string problem;
    const bool ok = Resolve(out, m_text, problem);
    if (!ok)
        m_problem = problem.empty() ? m_text : problem;
    return ok;
}

PortSettings PortChoice::Current() const {
    PortSettings s;
    std::string text, problem;
    if (!Resolve(s, text, problem))
        return DefaultPortSettings();
    return s;
}

std::string PortChoice::Describe(const PortSettings* taken) const {
    if (!m_problem.empty())
        return "TQXCOMM_PORT1=\"" + m_text + "\"";
    if (taken)
        return DescribePortSettings(*taken);
    PortSettings s;
    std::string text, problem;
    if (!Resolve(s, text, problem))
        return "TQXCOMM_PORT1=\"" + text + "\"";
    return DescribePortSettings(s);
}
