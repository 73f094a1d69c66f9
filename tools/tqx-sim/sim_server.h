#pragma once

#include "link/controller_memory.h"
#include "sim_options.h"

#include <csignal>

// Serves `memory` over Modbus TCP (several clients at once) or Modbus RTU on a
// pseudo-terminal until `stop` becomes nonzero. Prints the ready line first. Returns the
// process exit code.
int ServeTcp(const SimOptions& options, ControllerMemory& memory, volatile sig_atomic_t& stop);
int ServePty(const SimOptions& options, ControllerMemory& memory, volatile sig_atomic_t& stop);
