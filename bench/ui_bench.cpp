// The desktop program: one refresh pass of each tab with the busiest
// configuration, drawn off-screen and shown; and the start-up to the shown
// window of the real program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>

#include "bench_app.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/simulator/simulator_window.h"

using namespace livra;
using namespace livra::ui;

namespace {

// Every direction used, trams (whose labels count the trams before them)
// spread over the table, every slot connected.
std::unique_ptr<Configuration> busiestDirections() {
    auto c = test::fullConfiguration();
    for (int d = 0; d + 2 < DirectionCount; d += 3) {
        c->DirectionKind[d] = DirTram1;
        c->DirectionKind[d + 1] = DirTram2;
        c->DirectionKind[d + 2] = DirTram3;
    }
    for (int d = 0; d < DirectionCount; ++d)
        for (int s = 0; s < SlotCount; ++s) {
            c->DirectionChannels[d][s] = uint8_t(1 + (d + s) % 64);
            c->DirectionControl[d][s] = uint8_t((d + s) % 3);
        }
    return c;
}

void refreshTab(benchmark::State& state, int tab, int firstDirection) {
    bench::benchApplication();
    auto c = busiestDirections();
    MainWindow w(*c, nullptr);
    LinkTabState& link = w.linkState();
    for (int r = 0; r < 200; ++r)
        link.journal.push_back({"08.12.2026  20:58:11", "12", "3", "Плата силовых ключей не отвечает"});
    w.show();
    w.findChild<QTabWidget*>("tabs")->setCurrentIndex(tab);
    w.findChild<QScrollBar*>("directionsScroll")->setValue(firstDirection);
    w.findChild<QScrollBar*>("tactDirectionScroll")->setValue(firstDirection);
    const char* shownName = tab == MainWindow::TabDirections ? "directionsCanvas"
                            : tab == MainWindow::TabPrograms  ? "tactCanvas"
                                                              : "journalList";
    QWidget* shown = w.findChild<QWidget*>(shownName);
    for (auto _ : state) {
        if (tab == MainWindow::TabLink) w.showLinkState();  // the tab's only redraw: fields and list
        else w.refreshPass();
        shown->repaint();
    }
}

void BM_RefreshDirectionsTab(benchmark::State& s) { refreshTab(s, MainWindow::TabDirections, 50); }
void BM_RefreshProgramsTab(benchmark::State& s) { refreshTab(s, MainWindow::TabPrograms, 50); }
void BM_RefreshLinkTab(benchmark::State& s) { refreshTab(s, MainWindow::TabLink, 0); }
BENCHMARK(BM_RefreshDirectionsTab)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshProgramsTab)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshLinkTab)->Unit(benchmark::kMicrosecond);

// Process start to the shown window and back: the program prints when its
// window is up and quits.
void BM_StartUpToShownWindow(benchmark::State& state) {
    test::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> env = {
        {"QT_QPA_PLATFORM", "offscreen"},
        {"LIVRA_WORKDIR", dir.path().string()},
        {"LIVRA_INSTANCE_NAME", "livra-bench-" + std::to_string(::getpid())}};
    for (auto _ : state) {
        auto r = test::runProgram(LIVRA_CONFIGURATOR_PATH, {"--quit-after-show"}, env);
        if (r.exitCode != 0 || r.out.find("shown after") == std::string::npos) state.SkipWithError("did not start");
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// One second of a running simulator window: timer 1 (clock, engine step,
// signals handed to the plan, pictures chosen) and a full redraw of the plan
// surface: the plan picture and 128 objects (64 heads with their labels),
// half of them rotated and scaled. Each blink redraw costs one more redraw.
// The painter may spread large fills over worker threads, so the CPU time
// counted is the whole process's.
void BM_SimulatorSecond(benchmark::State& state) {
    bench::benchApplication();
    test::TempDir dir;
    auto c = test::fullConfiguration();
    c->ProgramDir = dir.path().string() + "/";
    SimulatorMemory memory;
    SimulatorWindow w(*c, memory);
    Plan& plan = w.plan();
    for (int i = 0; i < 64; ++i) {
        const int32_t head = mountObject(plan, *c, i % 60, 20 + (i % 8) * 55, 20 + (i / 8) * 55);
        if (i % 2) {
            rotateObject(plan, head, 45 * (1 + i % 7));
            scaleObject(plan, head, i % 4 == 1 ? 200 : 50);
        }
    }
    if (plan.planObjects.size() != 130) state.SkipWithError("not 128 objects");
    QImage picture(500, 500, QImage::Format_RGB32);
    picture.fill(qRgb(90, 140, 80));
    w.planSurface().setPlanPicture(picture);
    w.show();
    w.runButton()->click();
    QImage frame(500, 500, QImage::Format_ARGB32_Premultiplied);
    auto redraw = [&] {
        QPainter p(&frame);
        w.planSurface().render(p);
    };
    for (auto _ : state) {
        w.simulationSecond();
        redraw();
    }
}
BENCHMARK(BM_SimulatorSecond)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace
