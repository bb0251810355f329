// A program designed from its phases, built and then checked, as the
// design dialog does on every click. Goal: ≤ 20 ms for the fullest design:
// 16 phases over 63 vehicle directions (each phase four of them), every
// pair of directions of different phases conflicting with an intergreen.
#include <benchmark/benchmark.h>

#include "check/safety_check.h"
#include "design/phase_design.h"
#include "support/test_support.h"

namespace livra {
namespace {

struct Fullest {
    std::unique_ptr<Configuration> c = test::newConfiguration();
    PhaseDesign design;
    Fullest() {
        for (int d = 0; d < DirectionCount; ++d) c->DirectionKind[size_t(d)] = DirVehicle;
        design.phases.resize(16);
        for (int k = 0; k < 16; ++k) design.phases[size_t(k)].tMin = 5 + k % 3, design.phases[size_t(k)].tMain = 15 + k;
        for (int d = 0; d < DirectionCount; ++d) design.phases[size_t(d % 16)].directions.push_back(d);
        SafetyData& s = c->Safety;
        s.defined = true;
        for (int a = 0; a < DirectionCount; ++a)
            for (int b = 0; b < DirectionCount; ++b)
                if (a % 16 != b % 16) {
                    s.conflict[size_t(a)].set(size_t(b));
                    s.intergreen[size_t(a)][size_t(b)] = int16_t(3 + (a * 7 + b * 3) % 10);
                }
    }
};

void BM_BuildFullestDesign(benchmark::State& state) {
    Fullest f;
    if (!buildProgram(*f.c, f.design).ok()) state.SkipWithError("the design is refused");
    for (auto _ : state) {
        const DesignResult<BuiltProgram> r = buildProgram(*f.c, f.design);
        benchmark::DoNotOptimize(r.value->tacts.size());
    }
}
BENCHMARK(BM_BuildFullestDesign)->Unit(benchmark::kMillisecond);

void BM_BuildAndCheckFullestDesign(benchmark::State& state) {
    Fullest f;
    size_t findings = 0, tacts = 0;
    if (!buildProgram(*f.c, f.design).ok()) state.SkipWithError("the design is refused");
    for (auto _ : state) {
        Configuration& c = *f.c;
        const DesignResult<BuiltProgram> r = applyDesign(c, FirstUserProgram, f.design);
        const SafetyReport report = checkSafety(c, c.Safety);
        findings = report.findings.size() + size_t(report.notWorded);
        tacts = r.value->tacts.size();
    }
    state.counters["findings"] = double(findings);
    state.counters["tacts"] = double(tacts);
}
BENCHMARK(BM_BuildAndCheckFullestDesign)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace livra
