#pragma once

#include "history/recording_policy.h"
#include "image/image_source.h"
#include "image/parameter_image.h"
#include "link/modbus_transport.h"
#include "link/port_settings.h"
#include "transfers/transfer_context.h"

#include <memory>
#include <string>
#include <vector>

class QGuiApplication;

// What a command works with: port 1 and the link over it, and the options that shape what
// a command does. main makes the one of the process and hands it to the command.
struct TqxctlContext {
    explicit TqxctlContext(const PortSettings& port);
    TqxctlContext(const TqxctlContext&) = delete;
    TqxctlContext& operator=(const TqxctlContext&) = delete;

    PortSettings Port() const { return transport.Settings(); }

    ModbusTransport transport;
    TransferContext link;
    // Retry passes over the reads that failed, after each whole-controller read.
    int retries = 2;
    // --history PATH; empty: TQX_HISTORY, else the history in the loader's data folder.
    std::string history;
    // What each command records there, as the loader records it.
    RecordingPolicy recording;
};

using Operands = std::vector<std::string>;

// One command: its name, the first operand that makes it another command of the same name
// ("backup --all"), its help, what it runs, and whether it needs the controller on port 1
// to answer (unit 0, the broadcast address, cannot serve it).
struct TqxctlCommand {
    enum class Reply { Always, Never, WhenControllerNamed };
    const char* name;
    const char* variant; // nullptr: any operands
    std::string help;
    int (*run)(TqxctlContext& context, const Operands& operands);
    Reply reply;
};

// Every command, a variant before its plain form (tqxctl_table.cpp).
const std::vector<TqxctlCommand>& TqxctlCommands();

// The command `name` with `operands` runs; nullptr for none.
const TqxctlCommand* FindCommand(const std::string& name, const Operands& operands);
// The help of the command `name` in its plain form; nullptr for none.
const std::string* CommandHelp(const std::string& name);

// SIGINT and SIGTERM stop the link that is talking now after its current call; a second
// one ends tqxctl at once. `link` is the one to stop from now on.
void InstallInterruptHandler();
void StopOnInterrupt(TransferContext* link);
bool Interrupted();
// A restore wrote WDIS 0 first (true) and has not yet put a WDIS back (false again): a
// Ctrl+C then says that WDIS goes back, and a second one that it was left at 0.
void NoteControllerUnlocked(bool unlocked);

// The value of the option at args[i], the next argument, which must be there and be no
// option itself (nor empty); `i` moves past it. False after the refusal is printed on
// stderr, naming `placeholder` ("DIR").
bool OptionValue(const std::vector<std::string>& args, size_t& i, const char* placeholder,
                 std::string& value);
// The command asks the controller on port 1 and needs its answer.
bool NeedsControllerReply(const std::string& command, const Operands& operands);

// Runs one tqxctl command; returns the process exit status.
int RunTqxctlCommand(TqxctlContext& context, const std::string& command, const Operands& operands);

// Prints each parameter that differs between `a` and `b` ("name: stored (text) | stored
// (text)") and a count; 0 when none differ, 1 when some do. `wholeSets`: both were read
// whole, so fields a file does not carry are compared too.
int PrintDifferences(const ParameterImage& a, const ParameterImage& b, bool wholeSets);

// Loads a parameter set from a parameter file or from "controller" (the controller on port
// 1, read whole); false after the errors are printed on stderr.
// `from` receives where it came from.
bool LoadParameterSource(TqxctlContext& context, const std::string& source, ParameterImage& image,
                         ImageSource* from = nullptr);

// Reads the whole controller on `link` into `image` with the retry passes; false after the
// failures are printed on stderr.
bool ReadControllerForBackup(const TqxctlContext& context, TransferContext& link,
                             ParameterImage& image);

// The application a PDF is painted under (fonts need one): on Qt's offscreen platform when
// there is no display.
std::unique_ptr<QGuiApplication> StartPainting();

// The commands (tqxctl_commands.cpp, tqxctl_report.cpp, tqxctl_bus.cpp and
// tqxctl_history.cpp).
int RunBackup(TqxctlContext& context, const Operands& operands);
int RunRestore(TqxctlContext& context, const Operands& operands);
int RunDiff(TqxctlContext& context, const Operands& operands);
int RunShow(TqxctlContext& context, const Operands& operands);
int RunReport(TqxctlContext& context, const Operands& operands);
int RunPorts(TqxctlContext& context, const Operands& operands);
int RunScan(TqxctlContext& context, const Operands& operands);
int RunBackupAll(TqxctlContext& context, const Operands& operands);
int RunHistory(TqxctlContext& context, const Operands& operands);
