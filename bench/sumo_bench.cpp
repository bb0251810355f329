// Export to SUMO and import from it on the fullest configuration: 13 user
// programs of 321 tacts and 63 directions. The goal is 50 ms each way.
#include <benchmark/benchmark.h>

#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "support/test_support.h"

using namespace livra;

namespace {

// Every program full, every direction a vehicle head, the signals the grid
// offers (red/green in phases, all six in intermediate tacts), so that all
// of it can come back.
std::unique_ptr<Configuration> fullVehicles() {
    auto c = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) c->DirectionKind[d] = DirVehicle;
    static constexpr uint8_t intermediate[] = {1, 2, 3, 6, 4, 5};
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; ++t) {
            const int32_t kind = t % 3 == 2 ? TactIntermediate : TactPhase;
            c->TactTable[p][t] = Tact{kind, kind == TactPhase ? 5 : 0, 5 + (t + p) % 40, 0, 0};
            for (int d = 0; d < DirectionCount; ++d)
                c->TactSignals[p][t][d] = kind == TactPhase ? uint8_t((t + d) % 2 ? 3 : 1) : intermediate[(t + d) % 6];
        }
        recomputeDerivedTactFields(*c, p);
    }
    for (int day = 0; day < DayCount; ++day)
        for (int e = 0; e < AlarmCount; ++e)
            c->Calendar[day][e] = CalendarEntry{uint8_t(e * 2), uint8_t(e), uint8_t(4 + (e % 13))};
    return c;
}

void BM_SumoExportFullest(benchmark::State& state) {
    const auto c = test::fullConfiguration();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string xml = sumoExportXml(buildSumoExport(*c, "J"), "full.ptm");
        bytes = xml.size();
        benchmark::DoNotOptimize(xml.data());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_SumoExportFullest)->Unit(benchmark::kMillisecond);

void BM_SumoImportFullest(benchmark::State& state) {
    const auto source = fullVehicles();
    const std::string xml = sumoExportXml(buildSumoExport(*source, "J"), "full.ptm");
    auto target = test::newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) target->DirectionKind[d] = DirVehicle;
    for (auto _ : state) {
        const auto read = parseSumoXml(xml);
        int tacts = 0;
        for (int p = FirstUserProgram; p < ProgramCount; ++p)
            tacts += importSumoProgram(*target, *read.file, {"J", std::to_string(p + 1), p, true}).tacts;
        if (tacts != 13 * TactCount) state.SkipWithError("not everything came back");
    }
    state.counters["bytes"] = double(xml.size());
}
BENCHMARK(BM_SumoImportFullest)->Unit(benchmark::kMillisecond);

}  // namespace
