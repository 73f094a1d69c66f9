#pragma once

#include "image/image_source.h"
#include "image/parameter_image.h"
#include "link/port_settings.h"
#include "transfers/transfer_context.h"

#include <map>
#include <string>
#include <vector>

// SIGINT and SIGTERM stop the link that is talking now after its current call; a second
// one ends tqxctl at once. `link` is the one to stop from now on.
void InstallInterruptHandler();
void StopOnInterrupt(TransferContext* link);
bool Interrupted();
// A restore wrote WDIS 0 first (true) and has not yet put a WDIS back (false again): a
// Ctrl+C then says that WDIS goes back, and a second one that it was left at 0.
void NoteControllerUnlocked(bool unlocked);

// Port 1 of every command, and the link over it that every command talks through.
void UseTqxctlPort(const PortSettings& settings);
PortSettings TqxctlPort();
TransferContext& TqxctlLink();

// Retry passes over the reads that failed, after each whole-controller read (default 2).
void SetTqxctlRetries(int passes);

// The help of backup, restore, diff, show and report, by command (tqxctl_help.cpp).
const std::map<std::string, std::string>& CommandHelp();

// Prints the help of one command on stdout; false for an unknown command.
bool PrintCommandHelp(const std::string& command);

// The value of the option at args[i], the next argument, which must be there and be no
// option itself (nor empty); `i` moves past it. False after the refusal is printed on
// stderr, naming `placeholder` ("DIR").
bool OptionValue(const std::vector<std::string>& args, size_t& i, const char* placeholder,
                 std::string& value);
// The command asks the controller on port 1 and needs its answer (so unit 0, the
// broadcast address, cannot serve it).
bool NeedsControllerReply(const std::string& command, const std::vector<std::string>& operands);

// Runs one tqxctl command; returns the process exit status.
int RunTqxctlCommand(const std::string& command, const std::vector<std::string>& operands);

// Prints each parameter that differs between `a` and `b` ("name: stored (text) | stored
// (text)") and a count; 0 when none differ, 1 when some do. `wholeSets`: both were read
// whole, so fields a file does not carry are compared too.
int PrintDifferences(const ParameterImage& a, const ParameterImage& b, bool wholeSets);

// Loads a parameter set from a parameter file or from "controller" (the controller on port
// 1, read whole); false after the errors are printed on stderr.
// `from` receives where it came from.
bool LoadParameterSource(const std::string& source, ParameterImage& image,
                         ImageSource* from = nullptr);

// tqxctl report FILE|controller OUT.pdf (tqxctl_report.cpp).
int Report(const std::vector<std::string>& operands);

// Reads the whole controller on `link` into `image` with the retry passes; false after the
// failures are printed on stderr.
bool ReadControllerForBackup(TransferContext& link, ParameterImage& image);

// tqxctl ports, scan and backup --all (tqxctl_bus.cpp).
bool IsBusCommand(const std::string& command, const std::vector<std::string>& operands);
int RunBusCommand(const std::string& command, const std::vector<std::string>& operands);
// The help of ports and scan (backup --all with scan); nullptr for other commands.
const char* BusCommandHelp(const std::string& command);
