#include "sim_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

const char* const kSimUsage =
    "usage: tqx-sim (--tcp HOST:PORT | --pty PATH) [--model CODE] [--load FILE] [--wdis 1]\n"
    "               [--unit N | --units LIST] [--drop-every N] [--corrupt-every N] [--latency-ms "
    "N]\n"
    "               [--fault-seed S] [--late-every N --late-ms MIN:MAX] [--twice-every N]\n"
    "               [--echo-every N [--echo-ms MIN:MAX]]\n"
    "               [--forget-writes N] [--baud N [--parity E|N|O] [--stop-bits 1|2]]\n"
    "               [--dump FILE] [--verbose] [--help]\n"
    "       tqx-sim --version\n"
    "  --drop-every N, --corrupt-every N  drop (corrupt) every Nth answer; with\n"
    "               --fault-seed, each answer at random with chance 1 in N\n"
    "  --late-every N --late-ms MIN:MAX  answer every Nth request (with --fault-seed,\n"
    "               one in N at random) after a latency drawn from MIN..MAX ms\n"
    "  --twice-every N  send every Nth answer twice, back to back\n"
    "  --echo-every N --echo-ms MIN:MAX  send a second copy of every Nth answer (with\n"
    "               --fault-seed, one in N at random) MIN..MAX ms after it (default 1:150),\n"
    "               even between a later request and its answer\n"
    "  --baud N     pace answers as a line at N baud carries them: a start bit, 8 data\n"
    "               bits, the parity bit (--parity, default E) and the stop bits\n"
    "               (--stop-bits, default 1) per character, 3.5-character gaps\n"
    "  --forget-writes N  acknowledge every Nth write (1: every write) without storing it\n"
    "  --load FILE  start from a parameter file (written over the factory contents)\n"
    "  --dump FILE  write the 64 KiB memory to FILE on SIGUSR1 and at exit (of the first\n"
    "               controller with --units)\n"
    "  --units LIST several controllers on one line, each with its own memory, as\n"
    "               UNIT[:MODEL[:FILE]],... (e.g. 1,2:PXT9A1Y2N-0D1R,3); each answers only\n"
    "               at the station its STN holds, which starts at its unit\n";

namespace {

bool ToInt(const char* text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > 100000000)
        return false;
    out = static_cast<int>(v);
    return true;
}

// MIN:MAX, MIN not above MAX.
bool ParseRange(const std::string& range, int& min, int& max) {
    const auto colon = range.find(':');
    return colon != std::string::npos && ToInt(range.substr(0, colon).c_str(), min) &&
           ToInt(range.substr(colon + 1).c_str(), max) && min <= max;
}

// UNIT[:MODEL[:FILE]],...
bool ParseUnits(const std::string& list, std::vector<SimUnit>& out) {
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        SimUnit u;
        const size_t c1 = item.find(':');
        if (!ToInt(item.substr(0, c1).c_str(), u.unit) || u.unit < 1 || u.unit > 247)
            return false;
        if (c1 != std::string::npos) {
            const size_t c2 = item.find(':', c1 + 1);
            u.model =
                item.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
            if (c2 != std::string::npos)
                u.load = item.substr(c2 + 1);
        }
        for (const SimUnit& other : out)
            if (other.unit == u.unit)
                return false;
        out.push_back(u);
        start = comma + 1;
    }
    return !out.empty();
}

} // namespace

bool ParseSimOptions(int argc, char** argv, SimOptions& out, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            out.version = true;
            return true; // nothing else matters
        }
        if (arg == "--verbose") {
            out.verbose = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            return true;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + arg;
            return false;
        }
        const char* value = argv[++i];
        int number = 0;
        const bool isNumber = ToInt(value, number);
        if (arg == "--tcp") {
            out.tcp = value;
        } else if (arg == "--pty") {
            out.pty = value;
        } else if (arg == "--model") {
            out.model = value;
        } else if (arg == "--load") {
            out.load = value;
        } else if (arg == "--dump") {
            out.dump = value;
        } else if (isNumber && arg == "--unit") {
            out.unit = number;
        } else if (arg == "--units") {
            if (!ParseUnits(value, out.units)) {
                error = "--units takes UNIT[:MODEL[:FILE]],... with distinct units 1..247";
                return false;
            }
        } else if (isNumber && arg == "--drop-every") {
            out.dropEvery = number;
        } else if (isNumber && arg == "--corrupt-every") {
            out.corruptEvery = number;
        } else if (isNumber && arg == "--fault-seed") {
            out.faultSeed = number;
        } else if (isNumber && arg == "--late-every") {
            out.lateEvery = number;
        } else if (isNumber && arg == "--twice-every") {
            out.twiceEvery = number;
        } else if (isNumber && arg == "--forget-writes") {
            out.forgetEvery = number;
        } else if (isNumber && arg == "--echo-every") {
            out.echoEvery = number;
        } else if (arg == "--late-ms" || arg == "--echo-ms") {
            const bool late = arg == "--late-ms";
            if (!ParseRange(value, late ? out.lateMinMs : out.echoMinMs,
                            late ? out.lateMaxMs : out.echoMaxMs)) {
                error = arg + " takes MIN:MAX in milliseconds";
                return false;
            }
        } else if (isNumber && arg == "--latency-ms") {
            out.latencyMs = number;
        } else if (isNumber && arg == "--baud") {
            out.baud = number;
        } else if (arg == "--parity" && std::strlen(value) == 1 &&
                   std::strchr("ENO", std::toupper(static_cast<unsigned char>(*value)))) {
            out.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(*value)));
        } else if (isNumber && arg == "--stop-bits" && (number == 1 || number == 2)) {
            out.stopBits = number;
        } else if (isNumber && arg == "--wdis") {
            out.wdis = number != 0;
        } else {
            error = "bad option or value: " + arg + " " + value;
            return false;
        }
    }
    if (out.tcp.empty() == out.pty.empty()) {
        error = "give exactly one of --tcp and --pty";
        return false;
    }
    return true;
}
