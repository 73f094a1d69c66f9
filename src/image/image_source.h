#pragma once

#include <string>

// Where the loader's parameter set came from: its start values, a controller (port 1 as
// it was used, the unit, the model code when block 40 could be read, and when), a
// parameter file, or a snapshot of the history; and whether it was edited since. The
// port pane, the summary's header, the report's header and Compare say what this says.
struct ImageSource {
    enum class Kind { StartValues, Controller, File, History };

    Kind kind = Kind::StartValues;
    std::string port;           // a controller: port 1 as used, "rtu:/dev/ttyUSB0 9600 8E1, unit 3"
    int unit = 0;               // a controller: the Modbus unit asked
    bool modelCodeRead = false; // a controller: block 40 was read
    std::string modelCode;      // the fourteen characters read
    std::string when;           // a controller: when it was read, as the caller formats it
    std::string path;           // a file: its path as given; history: what the snapshot was
    bool editedSince = false;
    // History: the snapshot is of a controller read whole (a Connect, a backup, a kept
    // copy), so it holds even what a parameter file does not.
    bool wholeController = false;

    static ImageSource Controller(const std::string& port, int unit, const std::string& when);
    static ImageSource File(const std::string& path);
    // `what`: "snapshot of ...", as Describe says it after "history: ".
    static ImageSource History(const std::string& what);

    bool IsController() const { return kind == Kind::Controller; }
    bool IsFile() const { return kind == Kind::File; }
    // Whether the set holds even what a parameter file does not (GAP, MAX, PP, PI, PD, each
    // segment's PVST, CYCL and LINK): read from a controller, or a snapshot of a whole read.
    bool HoldsUnfiledValues() const { return IsController() || wholeController; }

    // "controller, read at 09:12", "file /data/oven3.slk", "start values"; ", edited since"
    // when it was.
    std::string Describe() const;
};

// The model code as the loader shows it: the fourteen characters read from the
// controller, or "not read". (The Code Symbols dialog shows the code buffer itself.)
std::string ModelCodeText(const ImageSource& source);

// The fourteen characters of block 40 as `code` (the image's 15-character buffer) holds
// them, up to a NUL.
std::string FourteenCharacters(const char* code);
