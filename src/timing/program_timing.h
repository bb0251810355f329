#pragma once
// The timing of one user program from the traffic counts beside the project:
// the critical flow ratio of each stage, Y, the lost time of the program's
// own interphases, the cycle C0 = (1.5·L + 5)/(1 − Y) rounded up and held to
// 25..120 s, the greens split by the ratios and raised to the minimum greens
// and the pedestrians' crossing times, and per direction x and Webster's
// delay. Toolkit-free; the rules are in docs/timing.md.
#include <optional>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "timing/result.h"

namespace livra::timing {

struct PhasePlan {
    int tact = 0;                 // 0-based
    std::vector<int> directions;  // 0-based, green in the phase
    double y = 0;                 // the stage's ratio on its main phase, 0 on the phases that run on with it
    int green = 0;                // the new Т осн
    int minGreen = 0;             // the least green the phase may have
    int tMin = 0;                 // the new Т мин
};

struct DirectionPlan {
    int direction = 0;  // 0-based
    bool pedestrian = false;
    int flow = 0;        // pcu/h
    int saturation = 0;  // pcu/h of green, all lanes
    int green = 0;       // s of green in the cycle
    std::optional<double> x;
    std::optional<double> delay;  // s per vehicle; none when x ≥ 1 or no green
};

struct TimingPlan {
    int program = 0;  // 0-based
    double Y = 0;
    int lostTime = 0;
    int cycle0 = 0;  // C0 rounded up, before the bounds
    int cycle = 0;   // the cycle the program runs: L + the greens
    std::vector<PhasePlan> phases;
    std::vector<DirectionPlan> directions;  // vehicle directions, then pedestrian ones
    std::optional<double> meanDelay;        // flow-weighted; none when a direction is saturated
    std::vector<std::string> notes;         // overload, a bound reached, a green raised
};

// `fixedCycle`: split this cycle instead of computing one.
Result<TimingPlan> computeTiming(const Configuration& c, int program, std::optional<int> fixedCycle = std::nullopt);

// Writes each phase's Т осн and a Т мин no shorter than its minimum green
// (and no longer than the green), and the program's derived fields.
void applyTiming(Configuration& c, const TimingPlan& plan);

// "0,93": a number as the user reads it, with a decimal comma.
std::string decimal(double v, int digits);

}  // namespace livra::timing
