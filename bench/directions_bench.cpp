// Deleting and creating a direction on the fullest configuration: a delete
// moves every later row in all 16 programs of 321 tacts; a tram does it three
// times. Goal: well under a frame (16 ms), as the user waits on the click.
#include <benchmark/benchmark.h>

#include "edit/directions_edit.h"
#include "support/test_support.h"

namespace livra {
namespace {

void DeleteTramAtTheTop(benchmark::State& state) {
    auto full = test::fullConfiguration();
    full->DirectionKind[0] = DirTram1;
    full->DirectionKind[1] = DirTram2;
    full->DirectionKind[2] = DirTram3;
    auto c = std::make_unique<Configuration>(*full);
    for (auto _ : state) {
        state.PauseTiming();
        *c = *full;
        state.ResumeTiming();
        benchmark::DoNotOptimize(deleteDirection(*c, 1));
    }
}
BENCHMARK(DeleteTramAtTheTop)->Unit(benchmark::kMicrosecond);

void CreateTramInTheLastRows(benchmark::State& state) {
    auto full = test::fullConfiguration();
    for (int d = 60; d < DirectionCount; ++d) full->DirectionKind[d] = DirEmpty;
    auto c = std::make_unique<Configuration>(*full);
    for (auto _ : state) {
        state.PauseTiming();
        *c = *full;
        state.ResumeTiming();
        benchmark::DoNotOptimize(createDirection(*c, 60, DirTram1));
    }
}
BENCHMARK(CreateTramInTheLastRows)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace livra
