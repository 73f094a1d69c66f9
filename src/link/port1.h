#pragma once

#include "link/link_failure.h"
#include "link/port_settings.h"

#include <string>

// What port 1 is. TQXCOMM_PORT1, when set, wins; otherwise the settings the program was
// given (the operator's saved choice); otherwise the default port. The link reopens
// lazily, at the next call, when they change.
void UsePort1Settings(const PortSettings& settings);
// TQXCOMM_PORT1 is set (and not empty); `text` receives its value.
bool Port1FromEnvironment(std::string* text = nullptr);
// Port 1's settings as the link uses them now (the unit a station change moved it to
// included); the default port when TQXCOMM_PORT1 is malformed.
PortSettings Port1Settings();
// The unit port 1 asks now (0 when the installed backend has none).
int Port1Unit();

// Reads the model code (block 40) once at `settings`, with the link's usual retry;
// false with the reason in `reason` ("no answer within 500 ms").
bool TestPortSettings(const PortSettings& settings, std::string& modelCode, std::string& reason);
