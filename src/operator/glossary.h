#pragma once

// The words of the loader that need saying once, in the tooltip or help line of the place
// where an operator first meets them.
namespace glossary {

constexpr const char* kTqx =
    "TQX: the family of ramp/soak program temperature controllers this loader reads and "
    "writes; \"TQX\" in a message is the controller on port 1.";
constexpr const char* kStartValues =
    "Start values: the values the loader begins with before anything is read. Nobody chose "
    "them for a controller; Connect > Start... or File > Read... replaces them.";
constexpr const char* kCodeSymbols =
    "Code Symbols: the controller's model code, read from it (input, outputs and options, "
    "fourteen characters). Check that it is the controller you mean before OK reads every "
    "group.";
constexpr const char* kWdis =
    "WDIS: the controller's write inhibit (TDS in EXPERT PARAMETER). While it is 1 the "
    "controller refuses every write but the one that clears it.";

} // namespace glossary
