// The tact grid's full redraw as the 150 ms refresh runs it (the visible
// cells, the direction column and the header, off-screen), and the settling
// of the tables that each edit runs: the marking pass over all 16 × 321 × 63
// cells, the unused slots, the derived tact fields. Worst case: every tact of
// every program used, every direction a call input but for two trams at the
// top (whose labels count the trams before them), so the marking writes
// every cell.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "edit/tact_grid.h"
#include "support/test_support.h"
#include "ui/canvases.h"

using namespace livra;

namespace {

void ensureApp() {
    static int argc = 1;
    static char name[] = "livra_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication a(argc, argv);
}

std::unique_ptr<Configuration> worstGrid() {
    auto c = test::fullConfiguration();
    for (int d = 0; d < DirectionCount; ++d) c->DirectionKind[d] = d % 2 ? DirTvp1 : DirTvp2;
    for (int d = 0; d < 6; ++d) c->DirectionKind[d] = uint8_t(DirTram1 + d % 3);
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t) c->TactTable[p][t].kind = 1 + (t + p) % 4;
    return c;
}

void BM_TactGridFullRedraw(benchmark::State& state) {
    ensureApp();
    auto c = worstGrid();
    QImage canvas = ui::makeTactCanvas();
    int firstTact = 0;
    for (auto _ : state) {
        ui::drawTactGrid(canvas, *c, firstTact, 0);
        ui::drawDirectionColumn(canvas, *c, 0);
        ui::drawTactHeader(canvas, *c, firstTact);
        firstTact = (firstTact + 1) % 300;
        benchmark::DoNotOptimize(canvas.constBits());
    }
}
BENCHMARK(BM_TactGridFullRedraw)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SettleTables(benchmark::State& state) {
    auto c = worstGrid();
    for (auto _ : state) {
        settleTables(*c);
        benchmark::DoNotOptimize(c->TactSignals[15][320][62]);
    }
}
BENCHMARK(BM_SettleTables)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
