// The undo history's share of every 150 ms refresh pass on the fullest
// configuration: comparing the tables with the last checkpoint when nothing
// changed (every pass), and recording a step when something did (a copy of
// the tables). Goal: a small part of the 2 ms the grid's redraw may take.
#include <benchmark/benchmark.h>

#include "edit/edit_history.h"
#include "support/test_support.h"

namespace livra {
namespace {

void CheckpointWithoutChange(benchmark::State& state) {
    auto c = test::fullConfiguration();
    EditHistory history;
    history.reset(*c);
    for (auto _ : state) benchmark::DoNotOptimize(history.checkpoint(*c));
}
BENCHMARK(CheckpointWithoutChange)->Unit(benchmark::kMicrosecond);

void CheckpointOfAChangedSignal(benchmark::State& state) {
    auto c = test::fullConfiguration();
    EditHistory history;
    history.reset(*c);
    uint8_t signal = 0;
    for (auto _ : state) {
        // The last signal of the last program: the comparison runs to the end.
        c->TactSignals[ProgramCount - 1][TactCount - 1][DirectionCount - 1] = uint8_t(1 + signal++ % 7);
        benchmark::DoNotOptimize(history.checkpoint(*c));
    }
}
BENCHMARK(CheckpointOfAChangedSignal)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace livra
