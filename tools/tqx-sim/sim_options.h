#pragma once

#include <string>
#include <vector>

// One controller of --units: its unit (its STN at start), and its own model code and
// parameter file (empty: those of --model and --load).
struct SimUnit {
    int unit = 1;
    std::string model;
    std::string load;
};

// Command line of tqx-sim.
struct SimOptions {
    std::string tcp;   // HOST:PORT, empty when serving a pty
    std::string pty;   // symbolic link to create for the pty
    std::string model; // model code, empty for the factory default
    std::string load;  // parameter file to start from
    std::string dump;  // file the memory is written to on SIGUSR1 and at exit
    int unit = 1;      // RTU unit address answered
    // --units: several controllers on the line, each answering at the station its STN holds
    std::vector<SimUnit> units;
    int dropEvery = 0; // drop the answer to every Nth request
    int corruptEvery = 0;
    int faultSeed = -1; // from 0: faults at random, at the same rates, from this seed
    int latencyMs = 0;
    int lateEvery = 0; // delay the answer to every Nth request (at random with a seed) by
    int lateMinMs = 0; // a latency drawn evenly from [lateMinMs, lateMaxMs]
    int lateMaxMs = 0;
    int twiceEvery = 0; // send the answer to every Nth request twice, back to back
    int echoEvery = 0;  // send a second copy of every Nth answer (at random with a seed)
    int echoMinMs = 1;  // after a delay drawn from [echoMinMs, echoMaxMs]
    int echoMaxMs = 150;
    int forgetEvery = 0; // acknowledge every Nth write request without storing it
    int baud = 0;        // pace RTU answers at this line rate
    char parity = 'E';   // the line's parity and stop bits, for the pacing; as port 1's
    int stopBits = 1;    // default line, 8E1
    bool wdis = false;   // start write-protected
    bool verbose = false;
    bool version = false; // print the version and exit
    bool help = false;

    // What the line carries for one character: a start bit, 8 data bits, the parity bit
    // if any, and the stop bits (11 at 8E1, 10 at 8N1).
    int BitsPerCharacter() const { return 1 + 8 + (parity == 'N' ? 0 : 1) + stopBits; }
};

// Parses argv; on error returns false with a message in `error`. --help sets `help`.
bool ParseSimOptions(int argc, char** argv, SimOptions& out, std::string& error);

extern const char* const kSimUsage;
