#pragma once
// The single gate before simulation and writing to the controller.
#include "model/configuration.h"
#include "model/error_list.h"
#include "model/texts.h"

namespace livra {

// Checks user programs 4..16 in order, stopping at the first with an error;
// leaves exactly one line in the list. Returns 1 when an error was found.
int validateConfiguration(const Configuration& c, ErrorList& list);

// One user program (index 3..15): clears the list, adds its verdict line.
int validateProgram(const Configuration& c, int program, ErrorList& list);

}  // namespace livra
