#include "sim/sim_plan.h"

namespace livra {

void handSignalsToPlan(const SimulationDisplay& display, Plan& plan) {
    for (int i = 0; i < DirectionCount; ++i) {
        const DirectionOutput& d = display.directions[i];
        if (d.handed) setDirectionState(plan, i + 1, d.kind, d.signal);
    }
}

}  // namespace livra
