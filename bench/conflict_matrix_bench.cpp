// The conflict matrix editor at its largest: 63 directions, every pair in
// conflict with an intergreen each way. Opening the dialog (model, headers,
// first paint) and one click on a cell followed by the safety check the
// main window runs after every edit. The full configuration is as bad as a
// project gets: most directions at go in most tacts, so the check finds about
// two million conflicts and intergreens cut short; it words the first 300 and
// counts the rest (goal for the click and the check: well under 50 ms).
#include <benchmark/benchmark.h>

#include <QTableView>

#include "bench_app.h"
#include "check/safety_check.h"
#include "edit/conflict_matrix.h"
#include "support/test_support.h"
#include "ui/safety/conflict_matrix_dialog.h"

using namespace livra;
using namespace livra::ui;

namespace {


std::unique_ptr<Configuration> fullMatrix() {
    auto c = test::fullConfiguration();
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = 0; b < DirectionCount; ++b)
            if (a != b) {
                setConflict(c->Safety, a, b, true);
                setIntergreen(c->Safety, a, b, 5);
            }
    c->Safety.defined = true;
    return c;
}

void BM_OpenMatrixDialog63(benchmark::State& state) {
    bench::benchApplication();
    auto c = fullMatrix();
    for (auto _ : state) {
        ConflictMatrixDialog d(nullptr, *c);
        d.show();
        QImage shot = d.grab().toImage();  // the first paint, every visible cell
        benchmark::DoNotOptimize(shot.bits());
    }
}
BENCHMARK(BM_OpenMatrixDialog63)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ToggleAndCheck63(benchmark::State& state) {
    bench::benchApplication();
    auto c = fullMatrix();
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    QTableView* t = d.table();
    const QModelIndex cell = d.cellOf(40, 41);
    t->scrollTo(cell);
    long findings = 0;
    for (auto _ : state) {
        emit t->clicked(cell);  // what the view sends for a click on the cell
        SafetyReport r = checkSafety(*c, d.result());
        findings = long(r.findings.size()) + r.notWorded;
        benchmark::DoNotOptimize(r.findings.data());
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(BM_ToggleAndCheck63)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

namespace {

// The click alone on the full matrix, without the check.
void BM_Toggle63(benchmark::State& state) {
    bench::benchApplication();
    auto c = fullMatrix();
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    const QModelIndex cell = d.cellOf(40, 41);
    for (auto _ : state) emit d.table()->clicked(cell);
}
BENCHMARK(BM_Toggle63)->Unit(benchmark::kMillisecond);

// A click and the check on a real crossing: the sample's four heads, one
// program with its call group.
void BM_ToggleAndCheckSample(benchmark::State& state) {
    bench::benchApplication();
    auto c = test::sampleConfiguration();
    for (int a = 0; a < 2; ++a)
        for (int b = a + 1; b < 2; ++b) setConflict(c->Safety, a, b, true);
    c->Safety.defined = true;
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    const QModelIndex cell = d.cellOf(0, 1);
    for (auto _ : state) {
        emit d.table()->clicked(cell);
        SafetyReport r = checkSafety(*c, d.result());
        benchmark::DoNotOptimize(r.findings.data());
    }
}
BENCHMARK(BM_ToggleAndCheckSample)->Unit(benchmark::kMillisecond);

}  // namespace
