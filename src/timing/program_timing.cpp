#include "timing/program_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "model/texts.h"
#include "timing/program_phases.h"
#include "timing/webster.h"

namespace livra::timing {
namespace {

bool carriesVehicles(uint8_t kind) { return isNormalDirection(kind) && kind != DirPedestrian; }

// The least green of a direction: the rule's minimum, and for walkers the
// time to cross at their speed.
int directionMinGreen(const Configuration& c, int d, const ProgramTraffic& traffic) {
    const SafetyRules& rules = c.Safety.rules;
    if (c.DirectionKind[d] != DirPedestrian) return rules.minGreenVehicle;
    int least = rules.minGreenPedestrian;
    const auto it = traffic.directions.find(d);
    if (it != traffic.directions.end() && it->second.crossingLength > 0)
        least = std::max(least, int(std::ceil(it->second.crossingLength / it->second.walkingSpeed - 1e-9)));
    return least;
}

// Shares of `total` by `weights`, none below its minimum: a share that falls
// short is fixed at its minimum and the rest split again among the others.
std::vector<int> splitWithMinimums(int total, const std::vector<double>& weights, const std::vector<int>& mins) {
    const size_t n = weights.size();
    std::vector<bool> fixed(n, false);
    std::vector<int> shares(n, 0);
    for (;;) {
        int free = total;
        std::vector<double> w(n, 0);
        for (size_t i = 0; i < n; ++i) {
            if (fixed[i] || weights[i] <= 0) {
                fixed[i] = true;
                shares[i] = mins[i];
                free -= mins[i];
            } else {
                w[i] = weights[i];
            }
        }
        const std::vector<int> split = splitKeepingSum(std::max(free, 0), w);
        bool again = false;
        for (size_t i = 0; i < n; ++i)
            if (!fixed[i]) {
                shares[i] = split[i];
                if (split[i] < mins[i]) fixed[i] = again = true;
            }
        if (!again) return shares;
    }
}

}  // namespace

std::string decimal(double v, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    std::string s = buf;
    for (char& ch : s)
        if (ch == '.') ch = ',';
    return s;
}

Result<TimingPlan> computeTiming(const Configuration& c, int program, std::optional<int> fixedCycle) {
    const ProgramPhases ph = readProgramPhases(c, program);
    if (ph.phases.empty()) return Result<TimingPlan>::failure(kTimingNoPhasesText);
    const ProgramTraffic& traffic = c.Safety.traffic.programs[program];
    auto ratio = [&](int d) {
        const auto it = traffic.directions.find(d);
        if (it == traffic.directions.end() || !carriesVehicles(c.DirectionKind[d])) return 0.0;
        return double(it->second.flow) / it->second.saturation();
    };

    TimingPlan plan;
    plan.program = program;
    plan.lostTime = ph.lostTime;
    plan.phases.resize(ph.phases.size());
    for (size_t i = 0; i < ph.phases.size(); ++i) {
        PhasePlan& p = plan.phases[i];
        p.tact = ph.phases[i].tact;
        p.directions = ph.phases[i].greens;
        p.minGreen = 1;
        for (int d : p.directions) p.minGreen = std::max(p.minGreen, directionMinGreen(c, d, traffic));
    }

    // A stage's ratio is the largest of the directions green anywhere in it;
    // a direction green in several stages counts in full in each.
    std::vector<double> stageY(ph.stages.size(), 0);
    std::vector<int> stageMin(ph.stages.size(), 0);
    for (size_t s = 0; s < ph.stages.size(); ++s) {
        const ProgramStage& st = ph.stages[s];
        stageMin[s] = st.runOn;
        for (int p : st.phases) {
            for (int d : ph.phases[p].greens) stageY[s] = std::max(stageY[s], ratio(d));
            // The phases that run on with the main one keep their time.
            stageMin[s] += p == st.main ? plan.phases[p].minGreen : std::max(ph.phases[p].tMain, plan.phases[p].minGreen);
        }
        plan.phases[st.main].y = stageY[s];
    }
    for (double y : stageY) plan.Y += y;
    if (plan.Y <= 0) return Result<TimingPlan>::failure(kTimingNoFlowsText);
    // Sums of ratios land a hair off their decimal value (0.6 + 0.3).
    constexpr double kEps = 1e-9;
    if (plan.Y >= 1 - kEps) return Result<TimingPlan>::failure(kTimingSaturatedText + decimal(plan.Y, 2) + " ≥ 1");
    if (plan.Y >= kOverloadY - kEps) plan.notes.push_back(kTimingOverloadText + decimal(plan.Y, 2));

    plan.cycle0 = int(std::ceil(optimumCycle(ph.lostTime, plan.Y) - kEps));
    int cycle = 0;
    if (fixedCycle) {
        cycle = *fixedCycle;
        if (cycle <= ph.lostTime)
            return Result<TimingPlan>::failure(kTimingCycleTooShortText + std::to_string(cycle) + " с ≤ " +
                                               std::to_string(ph.lostTime) + " с");
    } else {
        cycle = std::clamp(plan.cycle0, kMinCycle, kMaxCycle);
        if (plan.cycle0 > kMaxCycle) plan.notes.push_back(kTimingUpperBoundText + std::to_string(plan.cycle0) + " с)");
        if (plan.cycle0 < kMinCycle) plan.notes.push_back(kTimingLowerBoundText + std::to_string(plan.cycle0) + " с)");
    }
    const int greenTotal = cycle - ph.lostTime;
    std::vector<int> stageGreen;
    if (fixedCycle) {
        // The cycle stays; only when the minimums do not fit does it grow.
        stageGreen = splitWithMinimums(greenTotal, stageY, stageMin);
    } else {
        // The split by the ratios, each raised to its minimum (and the cycle with it).
        stageGreen = splitKeepingSum(greenTotal, stageY);
        for (size_t s = 0; s < stageGreen.size(); ++s) stageGreen[s] = std::max(stageGreen[s], stageMin[s]);
    }
    for (size_t s = 0; s < ph.stages.size(); ++s) {
        const ProgramStage& st = ph.stages[s];
        int rest = stageGreen[s] - st.runOn;
        for (int p : st.phases)
            if (p != st.main) {
                plan.phases[p].green = std::max(ph.phases[p].tMain, plan.phases[p].minGreen);
                rest -= plan.phases[p].green;
            }
        plan.phases[st.main].green = rest;
    }
    plan.cycle = ph.lostTime;
    for (const ProgramStage& st : ph.stages) plan.cycle += st.runOn;
    for (PhasePlan& p : plan.phases) {
        plan.cycle += p.green;
        p.tMin = std::clamp(c.TactTable[program][p.tact].tMin, p.minGreen, p.green);
    }
    // Say where the minimum decided rather than the ratios.
    {
        std::vector<int> unraised = fixedCycle ? std::vector<int>{} : splitKeepingSum(greenTotal, stageY);
        for (size_t s = 0; s < ph.stages.size(); ++s) {
            const bool raised = fixedCycle ? stageGreen[s] == stageMin[s] && stageY[s] > 0 &&
                                                 greenTotal * stageY[s] / plan.Y < stageMin[s]
                                           : unraised[s] < stageMin[s];
            if (raised) {
                const PhasePlan& p = plan.phases[ph.stages[s].main];
                plan.notes.push_back(kTimingRaisedText + std::to_string(p.tact + 1) + " (" + std::to_string(p.green) +
                                     " с)");
            }
        }
    }

    // Per direction: its green in the cycle, x and the delay.
    std::map<int, int> green = ph.runOnGreen;
    for (const PhasePlan& p : plan.phases)
        for (int d : p.directions) green[d] += p.green;
    std::vector<DirectionPlan> pedestrians;
    double weighted = 0, flows = 0;
    bool saturated = false;
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        if (!isNormalDirection(kind)) continue;
        const auto it = traffic.directions.find(d);
        if (it == traffic.directions.end() && !green.count(d)) continue;
        DirectionPlan dp;
        dp.direction = d;
        dp.pedestrian = kind == DirPedestrian;
        dp.green = green.count(d) ? green[d] : 0;
        if (dp.pedestrian) {
            pedestrians.push_back(dp);
            continue;
        }
        const DirectionTraffic t = it != traffic.directions.end() ? it->second : DirectionTraffic{};
        dp.flow = t.flow;
        dp.saturation = t.saturation();
        dp.x = saturationDegree(dp.flow, dp.saturation, plan.cycle, dp.green);
        dp.delay = websterDelay(dp.flow, dp.saturation, plan.cycle, dp.green);
        if (dp.flow > 0) {
            if (!dp.green) plan.notes.push_back(kTimingNoGreenText + std::to_string(d + 1));
            if (!dp.delay) saturated = true;
            else weighted += dp.flow * *dp.delay, flows += dp.flow;
        }
        plan.directions.push_back(dp);
    }
    plan.directions.insert(plan.directions.end(), pedestrians.begin(), pedestrians.end());
    if (!saturated && flows > 0) plan.meanDelay = weighted / flows;
    return plan;
}

void applyTiming(Configuration& c, const TimingPlan& plan) {
    for (const PhasePlan& p : plan.phases) {
        Tact& t = c.TactTable[plan.program][p.tact];
        t.tMain = p.green;
        t.tMin = p.tMin;
    }
    recomputeDerivedTactFields(c, plan.program);
}

}  // namespace livra::timing
