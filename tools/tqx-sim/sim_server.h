#pragma once

#include "sim_options.h"
#include "simulator/controller_memory.h"

#include <csignal>
#include <functional>
#include <vector>

// Serves `memory` over Modbus TCP (several clients at once) or Modbus RTU on a
// pseudo-terminal until `stop` becomes nonzero. Prints the ready line first. `idle` runs
// between requests, at least every 0.2 s and after every signal. Returns the process
// exit code.
using IdleWork = std::function<void()>;
//
// With --units, `memories` holds one controller per unit, and a request goes to the one
// whose STN (block 12, byte 30) is its unit; none answers a request for another unit.
// Without, memories[0] answers every request (RTU: those for --unit).
int ServeTcp(const SimOptions& options, std::vector<ControllerMemory>& memories,
             volatile sig_atomic_t& stop, const IdleWork& idle);
int ServePty(const SimOptions& options, std::vector<ControllerMemory>& memories,
             volatile sig_atomic_t& stop, const IdleWork& idle);
