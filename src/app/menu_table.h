#pragma once

#include <cctype>
#include <set>
#include <string>
#include <vector>

// The commands of the main window's menu bar, with their command identifiers.
enum class Command {
    FileRead = 32780,
    FileWrite = 32781,
    ProgramPattern = 32772,
    PidGroup = 32773,
    SettingUp = 32774,
    AdvancedUsage = 32775,
    ConnectStart = 32771,
    About = 57664,
    FilePrint = 32800,
    FileExportPdf = 32801,
    RetryFailedReads = 32782,
    Communication = 32783,
    PortSettings = 32784,
    CompareController = 32785,
    CompareFile = 32786,
    VerifyAfterSend = 32787,
    SendAll = 32788,
    SendEdited = 32789,
    FileQuit = 32790,
    History = 32791,
    UserGuide = 32792,
    KeyboardKeys = 32793,
    HelpAbout = 32794,
};

// Which of the shell's handlers carries a command.
enum class Handler { Files, Editors, Connect, Send, Compare, Report, Port, History, About, Help };

struct MenuItem {
    const char* menu;
    const char* item;
    Command command;
    const char* prompt; // status-bar prompt while highlighted; empty for none
    Handler handler;
    bool checkable = false;
    const char* shortcut = nullptr; // "Ctrl+Q"
    bool separatorBefore = false;   // a line above it, between kinds of items
};

// The menu bar, menus and items in their order, each with the handler that carries it.
inline const std::vector<MenuItem>& MenuBarItems() {
    using H = Handler;
    // An item that opens a window to ask or show more ends in "...".
    static const std::vector<MenuItem> items = {
        {"File", "Read...", Command::FileRead, "Copy file data  on disk or floppy to Loader",
         H::Files},
        {"File", "Write...", Command::FileWrite, "Copy Loader data to file on disk or floppy",
         H::Files},
        {"File", "Compare with file...", Command::CompareFile,
         "List the parameters that differ between Loader and a parameter file", H::Compare, false,
         nullptr, true},
        {"File", "History...", Command::History,
         "What each controller held, when, and who changed it", H::History},
        {"File", "Print...", Command::FilePrint, "Print the parameter report", H::Report, false,
         nullptr, true},
        {"File", "Export PDF...", Command::FileExportPdf, "Save the parameter report as a PDF file",
         H::Report},
        {"File", "Quit", Command::FileQuit, "Close TQXLOADER", H::Files, false, "Ctrl+Q", true},
        {"Parameter setting", "Program pattern...", Command::ProgramPattern, "", H::Editors},
        {"Parameter setting", "PID group...", Command::PidGroup, "", H::Editors},
        {"Parameter setting", "Setting up...", Command::SettingUp, "", H::Editors},
        {"Parameter setting", "Advanced usage...", Command::AdvancedUsage, "", H::Editors},
        {"Connect", "Start...", Command::ConnectStart, "Loading data from TQX to Loader",
         H::Connect},
        {"Connect", "Retry failed reads", Command::RetryFailedReads,
         "Read again what the last Connect could not read", H::Connect},
        {"Connect", "Send all to controller...", Command::SendAll,
         "Send every group of Loader to TQX, keeping what TQX held", H::Send, false, nullptr, true},
        {"Connect", "Send edited groups...", Command::SendEdited,
         "Send the groups edited since they were read, loaded or sent", H::Send},
        {"Connect", "Compare with controller...", Command::CompareController,
         "List the parameters that differ between Loader and TQX", H::Compare, false, nullptr,
         true},
        {"Connect", "Communication...", Command::Communication,
         "Port 1, link statistics and the last transfers", H::Port},
        {"Connect", "Port settings...", Command::PortSettings,
         "Choose, test and scan the port the controller is on", H::Port, false, nullptr, true},
        {"Connect", "Verify after SEND", Command::VerifyAfterSend,
         "Read back what SEND wrote and report any difference", H::Port, true},
        {"Version", "TQXLOADER ver.1.6", Command::About, "TQXLOADER version", H::About},
        {"Help", "User guide...", Command::UserGuide,
         "How to connect, edit, send and keep a parameter set", H::Help, false, "F1"},
        {"Help", "Keyboard keys...", Command::KeyboardKeys, "The keys of the windows and fields",
         H::Help},
        {"Help", "About TQXLOADER...", Command::HelpAbout, "TQXLOADER version", H::About, false,
         nullptr, true},
    };
    return items;
}

// The handler of `command`.
inline Handler HandlerOf(Command command) {
    for (const MenuItem& item : MenuBarItems())
        if (item.command == command)
            return item.handler;
    return Handler::About;
}

// `text` with an access key ("&File"): its first letter or digit that no earlier entry of
// the same menu (or of the menu bar, for the titles) has taken; `taken` collects them.
// Unchanged when every character is taken.
inline std::string WithAccessKey(const std::string& text, std::set<char>& taken) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) || !taken.insert(static_cast<char>(std::tolower(c))).second)
            continue;
        return text.substr(0, i) + "&" + text.substr(i);
    }
    return text;
}
