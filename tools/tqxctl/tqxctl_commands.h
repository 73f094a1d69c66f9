#pragma once

#include "image/parameter_image.h"

#include <string>
#include <vector>

// Retry passes over the reads that failed, after each whole-controller read (default 2).
void SetTqxctlRetries(int passes);
// Port 1's setting as the command line or TQXCOMM_PORT1 wrote it, for the report's
// header; empty for the default port.
void SetTqxctlPortSetting(const std::string& setting);
const std::string& TqxctlPortSetting();

// Prints the help of one command on stdout; false for an unknown command.
bool PrintCommandHelp(const std::string& command);

// Runs one tqxctl command; returns the process exit status.
int RunTqxctlCommand(const std::string& command, const std::vector<std::string>& operands);

// Loads a parameter set from a parameter file or from "controller" (the controller on port
// 1, read whole); false after the errors are printed on stderr.
bool LoadParameterSource(const std::string& source, ParameterImage& image);

// tqxctl report FILE|controller OUT.pdf (tqxctl_report.cpp).
int Report(const std::vector<std::string>& operands);

// Reads the whole controller on port 1 into `image` with the retry passes; false after the
// failures are printed on stderr.
bool ReadControllerForBackup(ParameterImage& image);

// tqxctl ports, scan and backup --all (tqxctl_bus.cpp).
bool IsBusCommand(const std::string& command, const std::vector<std::string>& operands);
int RunBusCommand(const std::string& command, const std::vector<std::string>& operands);
// The help of ports and scan (backup --all with scan); nullptr for other commands.
const char* BusCommandHelp(const std::string& command);
