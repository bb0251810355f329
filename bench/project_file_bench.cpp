#include <benchmark/benchmark.h>

#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;

static void BM_SaveFullProject(benchmark::State& state) {
    test::TempDir dir;
    auto c = test::fullConfiguration();
    c->ProgramDir = dir.path().string() + "/";
    const auto path = (dir / "full.ptm").string();
    for (auto _ : state) {
        if (!saveProject(*c, path).ok()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveFullProject)->Unit(benchmark::kMillisecond);

static void BM_LoadFullProject(benchmark::State& state) {
    test::TempDir dir;
    auto c = test::fullConfiguration();
    c->ProgramDir = dir.path().string() + "/";
    const auto path = (dir / "full.ptm").string();
    saveProject(*c, path);
    auto target = std::make_unique<Configuration>();
    target->ProgramDir = c->ProgramDir;
    for (auto _ : state) {
        if (!loadProject(*target, path).ok()) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadFullProject)->Unit(benchmark::kMillisecond);
