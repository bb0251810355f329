#pragma once
// The formulas of the fixed-time calculation (Webster, Road Research
// Technical Paper 39, 1958), in the form the Russian design practice uses.
// Times in seconds, flows in pcu per hour.
#include <optional>
#include <vector>

namespace livra::timing {

// Bounds of a cycle: below 25 s the phases get too short to clear a queue,
// above 120 s drivers and walkers stop waiting for their green; see
// docs/timing.md for the source.
inline constexpr int kMinCycle = 25;
inline constexpr int kMaxCycle = 120;
// Y from which the result is said to be near saturation.
inline constexpr double kOverloadY = 0.9;

// (1.5·L + 5)/(1 − Y); needs Y < 1.
double optimumCycle(double lostTime, double Y);

// x = q·C/(s·g); nothing when the direction gets no green.
std::optional<double> saturationDegree(double flow, double saturation, double cycle, double green);

// The first term alone, C(1−λ)²/(2(1−y)) with y = q/s: the delay of
// evenly spaced arrivals.
double uniformDelay(double flow, double saturation, double cycle, double green);

// Webster's three-term delay per vehicle, s:
//   C(1−λ)²/(2(1−λx)) + x²/(2q(1−x)) − 0.65·(C/q²)^(1/3)·x^(2+5λ)
// with λ = g/C and q in vehicles per second. Nothing when x ≥ 1 (the queue
// grows without end) or there is no green; with no flow the first term.
std::optional<double> websterDelay(double flow, double saturation, double cycle, double green);

// Splits `total` whole seconds in proportion to `weights` (all ≥ 0, at
// least one > 0): each share rounded down, the seconds left go to the
// largest remainders (earlier first on ties), so the shares sum to `total`.
std::vector<int> splitKeepingSum(int total, const std::vector<double>& weights);

}  // namespace livra::timing
