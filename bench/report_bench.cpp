// The printable report of a 13-program configuration: the whole `livra
// report` command as an engineer runs it (process start, offscreen Qt, load,
// layout, drawing, PDF written), and the toolkit-free page plan alone.
#include <benchmark/benchmark.h>

#include "report/report.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

using namespace livra;

namespace {

// Eight directions, thirteen user programs of six tacts, a weekly calendar.
std::unique_ptr<Configuration> thirteenPrograms() {
    auto c = test::newConfiguration();
    for (int d = 0; d < 4; ++d) test::addDirection(*c, d, DirVehicle);
    for (int d = 4; d < 8; ++d) test::addDirection(*c, d, DirPedestrian);
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        test::addTact(*c, p, TactPhase, 30 + p, 10, SignalGreen);
        test::addTact(*c, p, TactIntermediate, 3, 0, SignalFlashingGreen);
        test::addTact(*c, p, TactIntermediate, 3, 0, SignalYellow);
        test::addTact(*c, p, TactPhase, 25, 10, SignalRed);
        test::addTact(*c, p, TactIntermediate, 3, 0, SignalRedYellow);
        test::addTact(*c, p, TactPhase, 15, 5, SignalGreen);
    }
    for (int day = 0; day < DayCount; ++day) {
        test::addAlarm(*c, day, 6, 0, 4 + day);
        test::addAlarm(*c, day, 22, 0, 12);
    }
    return c;
}

}  // namespace

static void BM_ReportCommand13Programs(benchmark::State& state) {
    test::TempDir dir;
    const auto project = dir / "thirteen.ptm";
    test::writeBytes(project, serializeProject(*thirteenPrograms(), {}));
    const std::string out = pathToUtf8(dir / "report.pdf");
    for (auto _ : state) {
        const auto r = test::runLivra({"report", pathToUtf8(project), "--out", out});
        if (r.exitCode != 0) state.SkipWithError(r.err.c_str());
    }
}
BENCHMARK(BM_ReportCommand13Programs)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The fullest project: 63 directions, 13 user programs of 321 tacts, every
// direction's head on the plan, the passport filled in with every name.
std::string fullestProject(const test::TempDir& dir) {
    auto c = test::fullConfiguration();
    Plan plan;
    createSpecialObjects(plan);
    for (int d = 0; d < DirectionCount; ++d) mountObject(plan, *c, d, 20 + (d % 8) * 58, 20 + (d / 8) * 58);
    const Bytes planBytes = serializePlan(plan);
    const auto project = dir / "fullest.ptm";
    test::writeBytes(project, serializeProject(*c, planBytes));
    c->Safety.object.name = "Перекрёсток с 63 направлениями";
    for (int d = 0; d < DirectionCount; ++d) c->Safety.object.directionNames[d] = "направление " + std::to_string(d + 1);
    for (int p = 0; p < ProgramCount; ++p) c->Safety.object.programNames[p] = "программа " + std::to_string(p + 1);
    const std::string side = safetyJson(c->Safety, *c);
    test::writeBytes(dir / "fullest.safety.json", Bytes(side.begin(), side.end()));
    return pathToUtf8(project);
}

static void BM_ReportCommandFullest(benchmark::State& state) {
    test::TempDir dir;
    const std::string project = fullestProject(dir);
    const std::string out = pathToUtf8(dir / "report.pdf");
    for (auto _ : state) {
        const auto r = test::runLivra({"report", project, "--out", out});
        if (r.exitCode != 0) state.SkipWithError(r.err.c_str());
    }
}
BENCHMARK(BM_ReportCommandFullest)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_PlanReport13Programs(benchmark::State& state) {
    auto c = thirteenPrograms();
    for (auto _ : state) {
        auto r = report::planReport(*c, {"thirteen.ptm", "09.12.2026"});
        benchmark::DoNotOptimize(r.pages.size());
    }
}
BENCHMARK(BM_PlanReport13Programs)->Unit(benchmark::kMicrosecond);
