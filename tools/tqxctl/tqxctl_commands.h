#pragma once

#include <string>
#include <vector>

// Runs one tqxctl command; returns the process exit status.
int RunTqxctlCommand(const std::string& command, const std::vector<std::string>& operands);
