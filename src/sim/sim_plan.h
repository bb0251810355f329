#pragma once
// Where the engine meets the plan: the simulator window copies what the
// engine handed to each direction onto the plan's heads after every step.
#include "plan/plan_objects.h"
#include "sim/simulation.h"

namespace livra {

// setDirectionState for every direction that has been handed a signal.
void handSignalsToPlan(const SimulationDisplay& display, Plan& plan);

}  // namespace livra
