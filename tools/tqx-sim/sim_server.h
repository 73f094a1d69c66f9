#pragma once

#include "link/controller_memory.h"
#include "sim_options.h"

#include <csignal>
#include <functional>

// Serves `memory` over Modbus TCP (several clients at once) or Modbus RTU on a
// pseudo-terminal until `stop` becomes nonzero. Prints the ready line first. `idle` runs
// between requests, at least every 0.2 s and after every signal. Returns the process
// exit code.
using IdleWork = std::function<void()>;
int ServeTcp(const SimOptions& options, ControllerMemory& memory, volatile sig_atomic_t& stop,
             const IdleWork& idle);
int ServePty(const SimOptions& options, ControllerMemory& memory, volatile sig_atomic_t& stop,
             const IdleWork& idle);
