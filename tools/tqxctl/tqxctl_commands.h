#pragma once

#include <string>
#include <vector>

// Retry passes over the reads that failed, after each whole-controller read (default 2).
void SetTqxctlRetries(int passes);

// Runs one tqxctl command; returns the process exit status.
int RunTqxctlCommand(const std::string& command, const std::vector<std::string>& operands);
