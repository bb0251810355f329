// The full safety check as "Тест" runs it on every click. Goal: ≤ 20 ms on
// the fullest configuration: 13 user programs × 321 tacts × 63 directions,
// every pair of directions conflicting with an intergreen time, the calendar
// switching between all the programs.
#include <benchmark/benchmark.h>

#include "check/safety_check.h"
#include "support/test_support.h"

namespace livra {
namespace {

// Each direction in turn: red-and-yellow, green, flashing green, yellow,
// all red (5 tacts × 63 = 315), then all red to fill 321 tacts. Sound, so
// the time is the analysis, not the writing of findings.
std::unique_ptr<Configuration> fullestSoundConfiguration(SafetyData& s) {
    auto c = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) c->DirectionKind[d] = DirVehicle;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        int t = 0;
        auto tact = [&](int32_t kind, int tMin, int tMain, int dir, uint8_t signal) {
            c->TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
            c->TactSignals[p][t].fill(SignalRed);
            if (dir >= 0) c->TactSignals[p][t][dir] = signal;
            ++t;
        };
        for (int k = 0; k < DirectionCount; ++k) {
            const int d = (k + p) % DirectionCount;
            tact(TactIntermediate, 0, 2, d, SignalRedYellow);
            tact(TactPhase, 5, 10 + (k % 7), d, SignalGreen);
            tact(TactIntermediate, 0, 3, d, SignalFlashingGreen);
            tact(TactIntermediate, 0, 3, d, SignalYellow);
            tact(TactIntermediate, 0, 1, -1, SignalRed);
        }
        while (t < TactCount) tact(TactIntermediate, 0, 1, -1, SignalRed);
        recomputeDerivedTactFields(*c, p);
    }
    for (int e = 0; e < ProgramCount - FirstUserProgram; ++e)
        test::addAlarm(*c, e % DayCount, 6 + e, 0, FirstUserProgram + 1 + e);
    s.clear();
    s.defined = true;
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = 0; b < DirectionCount; ++b)
            if (a != b) s.conflict[a].set(b), s.intergreen[a][b] = 6;
    return c;
}

void SafetyCheckFullestSound(benchmark::State& state) {
    SafetyData s;
    const auto c = fullestSoundConfiguration(s);
    size_t findings = 0;
    for (auto _ : state) {
        const SafetyReport r = checkSafety(*c, s);
        findings = r.findings.size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(SafetyCheckFullestSound)->Unit(benchmark::kMillisecond);

// The same with faults everywhere: every third change without yellow and
// with 2 s between conflicting directions: 546 findings, of which the first
// 300 are worded and the rest counted.
void SafetyCheckFullestFaulty(benchmark::State& state) {
    SafetyData s;
    const auto c = fullestSoundConfiguration(s);
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 3; t < 315; t += 15) {
            c->TactSignals[p][t] = c->TactSignals[p][t - 1];  // flashing green on, yellow gone
            c->TactTable[p][t + 1].tMain = 0 + 1;
        }
    size_t findings = 0, worded = 0;
    for (auto _ : state) {
        const SafetyReport r = checkSafety(*c, s);
        findings = r.findings.size() + size_t(r.notWorded);
        worded = r.findings.size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = double(findings);
    state.counters["worded"] = double(worded);
}
BENCHMARK(SafetyCheckFullestFaulty)->Unit(benchmark::kMillisecond);

// The same with both call inputs and call tacts in every program: each
// program is played with the four call patterns, and each of the 14 calendar
// switches with 4 × 4 of them. Directions 62 and 63 are the inputs; each
// program serves "ТВП1" and "ТВП2" (all red) in its free tacts.
void SafetyCheckFullestWithCalls(benchmark::State& state) {
    SafetyData s;
    const auto c = fullestSoundConfiguration(s);
    c->DirectionKind[DirectionCount - 2] = DirTvp1;
    c->DirectionKind[DirectionCount - 1] = DirTvp2;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 315; t < TactCount; ++t) {
            c->TactTable[p][t].kind = t % 2 ? TactTvp1 : TactTvp2;
            c->TactTable[p][t].tMain = 2;
        }
        recomputeDerivedTactFields(*c, p);
    }
    for (int a = DirectionCount - 2; a < DirectionCount; ++a)
        for (int b = 0; b < DirectionCount; ++b) s.conflict[a].reset(b), s.conflict[b].reset(a);
    size_t findings = 0;
    for (auto _ : state) {
        const SafetyReport r = checkSafety(*c, s);
        findings = r.findings.size() + size_t(r.notWorded);
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(SafetyCheckFullestWithCalls)->Unit(benchmark::kMillisecond);

// As bad as a project gets, with calls: the test suite's full configuration
// (every signal changing every tact, 13 programs, the calendar switching at
// every entry), 61 pedestrian heads all conflicting with a 5 s intergreen,
// directions 62 and 63 the call inputs, every tenth tact a call tact. About
// 1.9 million findings, 300 worded. Not a goal, a measure of the worst case.
void SafetyCheckPathologicalWithCalls(benchmark::State& state) {
    auto c = test::fullConfiguration();
    c->DirectionKind[DirectionCount - 2] = DirTvp1;
    c->DirectionKind[DirectionCount - 1] = DirTvp2;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; t += 10) c->TactTable[p][t].kind = (t / 10) % 2 ? TactTvp1 : TactTvp2;
        recomputeDerivedTactFields(*c, p);
    }
    SafetyData s;
    s.defined = true;
    for (int a = 0; a < DirectionCount - 2; ++a)
        for (int b = 0; b < DirectionCount - 2; ++b)
            if (a != b) s.conflict[a].set(b), s.intergreen[a][b] = 5;
    long findings = 0;
    for (auto _ : state) {
        const SafetyReport r = checkSafety(*c, s);
        findings = long(r.findings.size()) + r.notWorded;
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(SafetyCheckPathologicalWithCalls)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace livra
