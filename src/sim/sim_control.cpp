#include "sim/sim_control.h"

namespace livra {

RunEffect pressRun(RunControls& r, Simulation& sim, const Configuration& c) {
    if (!r.runPressed) {
        // Starting: the timers drive the run from here.
        r.runPressed = true;
        return {};
    }
    // "Пуск" is already down (running or paused): a click cannot release it,
    // it plays one step at once.
    simulationStep(sim, c, StepTick);
    return RunEffect{true, false, false};
}

void pressPause(RunControls& r) {
    if (!r.runPressed) {
        r.pausePressed = false;
        return;
    }
    r.pausePressed = !r.pausePressed;
}

RunEffect pressStop(RunControls& r, Simulation& sim, const Configuration& c) {
    r = RunControls{};
    resetSimulation(sim, c);
    return RunEffect{true, true, false};
}

RunEffect pressStep(const RunControls& r, Simulation& sim, const Configuration& c) {
    if (r.stopped()) return {};
    simulationStep(sim, c, StepSkip);
    return RunEffect{true, false, true};
}

RunEffect timerSecond(const RunControls& r, Simulation& sim, const Configuration& c) {
    if (!r.running()) return {};
    simulationSecond(sim, c);
    return RunEffect{true, false, false};
}

RunEffect timerBlink(const RunControls& r) {
    if (!r.running()) return {};
    return RunEffect{false, false, true};
}

bool applyClockSetting(SimClock& clock, const StoredClockSetting& s) {
    SimClock set = clock;
    if (!setClockDate(set, s.day, s.month, s.year) || !setClockTime(set, s.hour, s.minute, s.second)) return false;
    clock = set;
    return true;
}

}  // namespace livra
