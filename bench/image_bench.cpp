// Validator and image encoder on the largest configurations.
// Goals: validator under 1 ms, encoder under 10 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "check/validator.h"
#include "image/image.h"
#include "support/test_support.h"

namespace livra {
namespace {

// Passes every rule, so every user program is checked to the end: 63
// vehicles, 13 user programs of 321 tacts. With `yellowOff` every vehicle has
// its yellow output disconnected, which adds the scan of all user programs
// for yellow signals.
std::unique_ptr<Configuration> worstCaseForValidator(bool yellowOff) {
    auto c = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) {
        c->DirectionKind[d] = DirVehicle;
        c->DirectionChannels[d] = {uint8_t(1 + d % 64), uint8_t(yellowOff ? 0 : 2), 3, 0, 0, 0, 0};
    }
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; ++t) {
            c->TactTable[p][t] = Tact{t % 2 ? TactIntermediate : TactPhase, 1, 5};
            for (int d = 0; d < DirectionCount; ++d) c->TactSignals[p][t][d] = (t + d) % 2 ? SignalRed : SignalGreen;
        }
        recomputeDerivedTactFields(*c, p);
    }
    for (int day = 0; day < DayCount; ++day)
        for (int e = 0; e < AlarmCount; ++e)
            c->Calendar[day][e] = CalendarEntry{uint8_t(e), uint8_t(e % 24), uint8_t(4 + e % 13)};
    return c;
}

void runValidator(benchmark::State& state, bool yellowOff) {
    const auto c = worstCaseForValidator(yellowOff);
    VectorErrorList list;
    if (validateConfiguration(*c, list) != 0) {
        state.SkipWithError(("unexpected verdict: " + list.lines.at(0)).c_str());
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(validateConfiguration(*c, list));
        benchmark::ClobberMemory();
    }
}

void BM_ValidateWorstCase(benchmark::State& state) { runValidator(state, true); }
void BM_ValidateAllConnected(benchmark::State& state) { runValidator(state, false); }

void BM_EncodeFullConfiguration(benchmark::State& state) {
    const auto c = test::fullConfiguration();
    for (auto _ : state) {
        auto image = encodeImage(*c);
        benchmark::DoNotOptimize(image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMaxProgramPartSize));
}

void BM_DecodeFullImage(benchmark::State& state) {
    const auto image = encodeImage(*test::fullConfiguration());
    for (auto _ : state) {
        auto c = decodeImage(image);
        if (!c) std::abort();
        benchmark::DoNotOptimize(c.get());
    }
}

BENCHMARK(BM_ValidateWorstCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ValidateAllConnected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeFullConfiguration)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFullImage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace livra
