#include <benchmark/benchmark.h>

#include "plan/plan_objects.h"
#include "sim/sim_plan.h"
#include "sim/simulation.h"
#include "support/test_support.h"

using namespace livra;

namespace {

// Every direction in use (with trams and both call inputs), all 13 user
// programs of 60 short tacts with call groups, a calendar switching every
// hour: a tact loads almost every second and hands 63 signals over.
std::unique_ptr<Configuration> busyConfiguration() {
    auto c = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) c->DirectionKind[d] = d % 2 ? DirPedestrian : DirVehicle;
    for (int d = 10; d < 40; d += 6) {
        c->DirectionKind[d] = DirTram1;
        c->DirectionKind[d + 1] = DirTram2;
        c->DirectionKind[d + 2] = DirTram3;
    }
    c->DirectionKind[61] = DirTvp1;
    c->DirectionKind[62] = DirTvp2;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 0; t < 60; ++t) {
            int32_t kind = t % 4 == 3 ? TactIntermediate : TactPhase;
            if (t == 20) kind = TactTvp1;
            if (t == 40) kind = TactTvp2;
            c->TactTable[p][t] = Tact{kind, 1, 1 + (t + p) % 3, 0, 0};
            for (int d = 0; d < DirectionCount; ++d) c->TactSignals[p][t][d] = uint8_t(1 + (t + d) % 7);
        }
        recomputeDerivedTactFields(*c, p);
    }
    for (int day = 0; day < DayCount; ++day)
        for (int h = 0; h < AlarmCount; ++h) c->Calendar[day][h] = CalendarEntry{0, uint8_t(h), uint8_t(4 + (h % 13))};
    c->Tvp1Delay = "30";
    c->Tvp2Delay = "45";
    return c;
}

}  // namespace

// One simulated day, as the window's timer runs it, with both call buttons
// pressed every 20 s and the signals copied onto a plan of 63 heads.
static void BM_SimulateOneDay(benchmark::State& state) {
    auto c = busyConfiguration();
    Plan plan;
    createSpecialObjects(plan);
    for (int d = 0; d < DirectionCount; ++d) mountObject(plan, *c, d, 10 * d, 10 * d);
    uint64_t loads = 0;
    for (auto _ : state) {
        Simulation sim;
        setClockDate(sim.clock, 7, 12, 2026);
        resetSimulation(sim, *c);
        for (int s = 0; s < 86400; ++s) {
            if (s % 20 == 0) {
                callTvp1(sim, *c);
                callTvp2(sim, *c);
            }
            const uint32_t before = sim.display.handOvers;
            simulationSecond(sim, *c);
            if (sim.display.handOvers != before) handSignalsToPlan(sim.display, plan);
        }
        loads += sim.display.handOvers;
        benchmark::DoNotOptimize(plan.planObjects.data());
    }
    state.counters["tacts/day"] = double(loads) / double(state.iterations());
}
BENCHMARK(BM_SimulateOneDay)->Unit(benchmark::kMillisecond);

// The engine alone.
static void BM_SimulateOneDayEngineOnly(benchmark::State& state) {
    auto c = busyConfiguration();
    for (auto _ : state) {
        Simulation sim;
        setClockDate(sim.clock, 7, 12, 2026);
        resetSimulation(sim, *c);
        for (int s = 0; s < 86400; ++s) {
            if (s % 20 == 0) callTvp1(sim, *c);
            simulationSecond(sim, *c);
        }
        benchmark::DoNotOptimize(sim.display.directions.data());
    }
}
BENCHMARK(BM_SimulateOneDayEngineOnly)->Unit(benchmark::kMillisecond);
