#pragma once
// The run controls of the simulator window as rules: "Пуск", "Пауза",
// "Стоп", "шаг вперед", the two timers and the clock setting kept between
// openings. The window's buttons only call these and show the result.
#include <cstdint>
#include <optional>

#include "plan/plan_objects.h"
#include "sim/simulation.h"

namespace livra {

// Running = "Пуск" pressed; paused = "Пуск" and "Пауза" pressed; stopped =
// neither.
struct RunControls {
    bool runPressed = false;
    bool pausePressed = false;
    bool running() const { return runPressed && !pausePressed; }
    bool paused() const { return runPressed && pausePressed; }
    bool stopped() const { return !runPressed; }
    // The plan may be edited only while nothing runs.
    bool editingAllowed() const { return !running(); }
};

// What the window has to show after an action.
struct RunEffect {
    bool stepped = false;      // the engine moved: show its fields and hand signals to the plan
    bool planReset = false;    // the heads go dark (reset mode)
    bool planBlinked = false;  // blink-mode redraw of the plan
};

// A click on "Пуск": starts a stopped run; a click once it is pressed
// (running or paused) keeps it pressed and plays one extra step at once (the
// clock does not move).
RunEffect pressRun(RunControls& r, Simulation& sim, const Configuration& c);
// A click on "Пауза" toggles the pause of a started run; without one it stays
// released.
void pressPause(RunControls& r);
// "Стоп": both toggles released, the engine reset (calls, delays, tact), the
// clock kept.
RunEffect pressStop(RunControls& r, Simulation& sim, const Configuration& c);
// "шаг вперед": ends the tact on show at once, only in a started run.
RunEffect pressStep(const RunControls& r, Simulation& sim, const Configuration& c);
// Timer 1 (1000 ms) and timer 2 (500 ms): idle unless running.
RunEffect timerSecond(const RunControls& r, Simulation& sim, const Configuration& c);
RunEffect timerBlink(const RunControls& r);

// The two clock pickers' values kept from one opening to the next. `stored`
// is its own flag, so that a stored 00:00:00 is kept like any other time.
struct StoredClockSetting {
    bool stored = false;
    int day = 1, month = 1, year = 1970;
    int hour = 0, minute = 0, second = 0;
};

// "Установить": both parts of the clock from the pickers; a date or time that
// does not exist changes nothing and returns false.
bool applyClockSetting(SimClock& clock, const StoredClockSetting& s);

}  // namespace livra

namespace livra {

// What the simulator keeps while the application runs, from one opening of
// the window to the next: the clock and engine, the pickers, and a plan whose
// file could not be written at closing.
struct SimulatorMemory {
    Simulation sim;
    StoredClockSetting pickers;
    // The plan as it was when its file could not be written, kept together
    // with the file's bytes at that moment (nothing when there was no file):
    // the next opening takes it instead of the file unless the file has been
    // replaced since, e.g. by opening another project.
    bool planUnsaved = false;
    Plan unsavedPlan;
    std::optional<Bytes> fileWhenUnsaved;
};

}  // namespace livra
