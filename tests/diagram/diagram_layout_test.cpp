// The diagram and report layouts, checked against rectangles worked out by
// hand from the tact times (not against pictures).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

#include "diagram/diagram_layout.h"
#include "report/report.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::diagram;
using livra::test::addDirection;
using livra::test::addTact;

namespace {

void setSignals(Configuration& c, int program, int tact, std::initializer_list<uint8_t> codes) {
    int d = 0;
    for (uint8_t s : codes) c.TactSignals[program][tact][d++] = s;
}

std::vector<Rect> rectsOfRow(const Band& b, int row) {
    std::vector<Rect> out;
    for (const SegmentBox& s : b.segments)
        if (s.row == row) out.push_back(s.rect);
    return out;
}

}  // namespace

TEST(DiagramLayout, SegmentsStandWhereTheTactTimesPutThem) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    const int p = 3;
    addTact(*c, p, TactPhase, 10, 5);
    addTact(*c, p, TactIntermediate, 3);
    addTact(*c, p, TactPhase, 20, 5);
    addTact(*c, p, TactIntermediate, 4);
    setSignals(*c, p, 0, {SignalGreen, SignalRed});
    setSignals(*c, p, 1, {SignalYellow, SignalRed});
    setSignals(*c, p, 2, {SignalRed, SignalGreen});
    setSignals(*c, p, 3, {SignalRedYellow, SignalFlashingGreen});

    std::string error;
    const auto t = buildTimeline(*c, p, &error);
    ASSERT_TRUE(t) << error;
    EXPECT_EQ(t->cycleSeconds, 37);
    EXPECT_EQ(t->totalSeconds, 37);
    EXPECT_EQ(diagramTitle(*t), "Программа 4 — цикл 37 с");

    // 370 pixels of time for 37 s: 10 px a second, from x = 78.
    Geometry g;
    g.width = 78 + 370 + 12;
    const DiagramLayout d = layoutDiagram(*t, g);
    ASSERT_EQ(d.bands.size(), 1u);
    EXPECT_DOUBLE_EQ(d.pxPerSecond, 10);
    const Band& b = d.bands[0];
    const double rowsTop = 30 + 18 + 18;
    EXPECT_EQ(rectsOfRow(b, 0), (std::vector<Rect>{{78, rowsTop, 100, 22}, {178, rowsTop, 30, 22},
                                                   {208, rowsTop, 200, 22}, {408, rowsTop, 40, 22}}));
    EXPECT_EQ(rectsOfRow(b, 1), (std::vector<Rect>{{78, rowsTop + 22, 100, 22}, {178, rowsTop + 22, 30, 22},
                                                   {208, rowsTop + 22, 200, 22}, {408, rowsTop + 22, 40, 22}}));
    std::vector<int> signalsRow1;
    for (const SegmentBox& s : b.segments)
        if (s.row == 1) signalsRow1.push_back(s.signal);
    EXPECT_EQ(signalsRow1, (std::vector<int>{SignalRed, SignalRed, SignalGreen, SignalFlashingGreen}));

    // Phases on top: phase 1 covers its intermediate tact, phase 2 the last one.
    ASSERT_EQ(b.phases.size(), 2u);
    EXPECT_EQ(b.phases[0].rect, (Rect{78, 30, 130, 18}));
    EXPECT_EQ(b.phases[0].phaseNo, 1);
    EXPECT_EQ(b.phases[1].rect, (Rect{208, 30, 240, 18}));
    EXPECT_EQ(b.phases[1].phaseNo, 2);
    EXPECT_EQ(b.phaseLines, (std::vector<double>{78, 208}));
    ASSERT_EQ(b.tacts.size(), 4u);
    EXPECT_EQ(b.tacts[1].rect, (Rect{178, 48, 30, 18}));
    EXPECT_EQ(b.tacts[1].kind, TactIntermediate);

    // Ticks every 5 s; 35 gives way to the cycle's end at 37.
    std::vector<int> ticks;
    for (const Tick& k : b.ticks) ticks.push_back(k.seconds);
    EXPECT_EQ(ticks, (std::vector<int>{0, 5, 10, 15, 20, 25, 30, 37}));
    EXPECT_DOUBLE_EQ(b.ticks.back().x, 448);
    EXPECT_DOUBLE_EQ(b.axisY, rowsTop + 44);
    // The legend names what is used, nothing else.
    EXPECT_EQ(d.legendItems, (std::vector<int>{SignalRed, SignalYellow, SignalGreen, SignalFlashingGreen,
                                               SignalRedYellow, LegendPhaseStart}));
}

TEST(DiagramLayout, TramRowsAndCallTacts) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirTram1);  // 2..4
    addDirection(*c, 4, DirTram1);  // 5..7
    addDirection(*c, 7, DirTvp1);
    const int p = 4;
    addTact(*c, p, TactPhase, 10, 5, SignalGreen);
    addTact(*c, p, TactTvp1, 5, 0, SignalRed);
    addTact(*c, p, TactPhase, 20, 5, SignalRed);
    // A stale "not set" of the call input in a phase: not polled there.
    c->TactSignals[p][2][7] = SignalNotSet;
    // The controller stops at the first empty tact: tact 5 never runs.
    c->TactTable[p][4] = Tact{TactPhase, 5, 99, 0, 0};

    std::string error;
    const auto t = buildTimeline(*c, p, &error);
    ASSERT_TRUE(t) << error;
    std::vector<std::string> labels;
    for (const Row& r : t->rows) labels.push_back(r.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "2.1", "3.1", "4.1", "5.2", "6.2", "7.2", "8"}));
    EXPECT_EQ(t->rows[5].kind, DirTram2);
    EXPECT_EQ(t->rows[5].tramOrdinal, 2);

    ASSERT_EQ(t->tacts.size(), 3u);
    EXPECT_TRUE(t->tacts[1].call);
    EXPECT_EQ(t->tacts[1].start, 10);
    EXPECT_EQ(t->tacts[2].start, 15);
    EXPECT_EQ(t->tacts[2].phaseNo, 2);
    EXPECT_EQ(t->cycleSeconds, 30);
    EXPECT_EQ(t->totalSeconds, 35);
    EXPECT_EQ(diagramTitle(*t), "Программа 5 — цикл 30 с (с обслуживанием вызовов ТВП 35 с)");
    // The call input row: not polled in the phases, its signal in its call tact.
    EXPECT_EQ(t->tacts[0].signalCodes[7], SignalNotApplicable);
    EXPECT_EQ(t->tacts[1].signalCodes[7], SignalRed);
    EXPECT_EQ(t->tacts[2].signalCodes[7], SignalNotApplicable);

    Geometry g;
    g.width = 78 + 350 + 12;  // 10 px a second
    const DiagramLayout d = layoutDiagram(*t, g);
    const Band& b = d.bands[0];
    int callSegments = 0;
    for (const SegmentBox& s : b.segments)
        if (s.call) {
            ++callSegments;
            EXPECT_EQ(s.tact, 1);
            EXPECT_DOUBLE_EQ(s.rect.x, 178);
            EXPECT_DOUBLE_EQ(s.rect.w, 50);
        }
    EXPECT_EQ(callSegments, 8);  // every row marks the call tact
    ASSERT_EQ(b.tacts.size(), 3u);
    EXPECT_TRUE(b.tacts[1].call);
    // Phase 1 ends where the call tact begins; the call tact belongs to no phase.
    ASSERT_EQ(b.phases.size(), 2u);
    EXPECT_EQ(b.phases[0].rect, (Rect{78, 30, 100, 18}));
    EXPECT_EQ(b.phases[1].rect, (Rect{228, 30, 200, 18}));
    EXPECT_EQ(d.legendItems.back(), LegendCallTact);
}

TEST(DiagramLayout, NothingToDrawIsRefusedWithAMessage) {
    auto c = test::sampleConfiguration();
    std::string error;
    EXPECT_FALSE(buildTimeline(*c, 4, &error));
    EXPECT_EQ(error, "Программа 5 пуста: в ней нет ни одного такта.");
    // A program whose first tact is empty is empty, whatever follows.
    c->TactTable[5][1] = Tact{TactPhase, 5, 10, 0, 0};
    EXPECT_FALSE(buildTimeline(*c, 5, &error));
    EXPECT_EQ(error, "Программа 6 пуста: в ней нет ни одного такта.");
    EXPECT_FALSE(buildTimeline(*c, 16, &error));
    EXPECT_EQ(error, "Нет программы с номером 17 (есть 1..16).");
    EXPECT_FALSE(buildTimeline(*c, -1, &error));

    auto bare = test::newConfiguration();
    addTact(*bare, 3, TactPhase, 10, 5);
    EXPECT_FALSE(buildTimeline(*bare, 3, &error));
    EXPECT_EQ(error, "В конфигурации нет направлений: диаграмме нечего показать.");
    EXPECT_TRUE(buildTimeline(*c, 3, nullptr));
}

TEST(DiagramLayout, AFullProgramWrapsIntoReadableBands) {
    auto c = test::fullConfiguration();  // 321 tacts of 3..42 s, 63 directions
    const int p = 7;
    const auto t = buildTimeline(*c, p, nullptr);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->tacts.size(), 321u);
    const int total = t->totalSeconds;
    EXPECT_GT(total, 321 * 3);
    const Geometry g;
    const DiagramLayout d = layoutDiagram(*t, g);
    ASSERT_GT(d.bands.size(), 1u);
    EXPECT_GE(d.pxPerSecond, g.minPxPerSecond);
    EXPECT_EQ(d.bands.front().fromSecond, 0);
    EXPECT_EQ(d.bands.back().toSecond, total);
    double rowWidth = 0;
    for (std::size_t i = 0; i < d.bands.size(); ++i) {
        const Band& b = d.bands[i];
        if (i > 0) {
            EXPECT_EQ(b.fromSecond, d.bands[i - 1].toSecond);
            EXPECT_GE(b.top, d.bands[i - 1].top + d.bands[i - 1].height);  // no overlap
        }
        EXPECT_LE(b.timeArea.right(), g.width - g.rightPad + 1e-9);
        EXPECT_EQ(b.rowLabels.size(), 63u);
        for (std::size_t k = 1; k < b.ticks.size(); ++k) EXPECT_GE(b.ticks[k].x - b.ticks[k - 1].x, 26 - 1e-9);
        for (const SegmentBox& s : b.segments) {
            EXPECT_GE(s.rect.x, b.timeArea.x - 1e-9);
            EXPECT_LE(s.rect.right(), b.timeArea.right() + 1e-9);
            if (s.row == 0) rowWidth += s.rect.w;
        }
    }
    // Tacts cut at a band's edge lose nothing: row 1 adds up to the whole program.
    EXPECT_NEAR(rowWidth, total * d.pxPerSecond, 1e-6);
    EXPECT_NEAR(d.height, partHeight(d, 0, int(d.bands.size()), true, true), 1e-6);

    // Spread over A4 landscape pages, every band once, in order.
    const auto pages = splitIntoPages(d, 685);
    ASSERT_GT(pages.size(), 1u);
    int next = 0;
    for (const auto& [first, last] : pages) {
        EXPECT_EQ(first, next);
        EXPECT_GT(last, first);
        next = last;
    }
    EXPECT_EQ(next, int(d.bands.size()));
}

TEST(ReportLayout, ThirteenShortProgramsStayWholeOnLandscapePages) {
    auto c = test::newConfiguration();
    for (int d = 0; d < 4; ++d) addDirection(*c, d, DirVehicle);
    for (int d = 4; d < 8; ++d) addDirection(*c, d, DirPedestrian);
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        addTact(*c, p, TactPhase, 40, 10, SignalGreen);
        addTact(*c, p, TactIntermediate, 3, 0, SignalYellow);
        addTact(*c, p, TactPhase, 30 + p, 10, SignalRed);
        addTact(*c, p, TactIntermediate, 3, 0, SignalRedYellow);
    }
    for (int day = 0; day < DayCount; ++day) {
        test::addAlarm(*c, day, 6, 0, 4);
        test::addAlarm(*c, day, 22, 30, 5 + day);
    }
    using namespace livra::report;
    const Report r = planReport(*c, {"перекрёсток.ptm", "09.12.2026"});
    ASSERT_EQ(r.diagrams.size(), 13u);
    // Each short program's diagram stays whole, on a landscape page of its
    // own, with its title and legend.
    int diagramBlocks = 0;
    for (const Page& page : r.pages) {
        PageGeometry g = r.page;
        if (page.landscape) std::swap(g.width, g.height);
        int n = 0;
        for (const Block& b : page.blocks) {
            EXPECT_GE(b.top, g.top);
            EXPECT_LE(b.top + b.height, g.contentBottom() + 1e-9);
            if (b.kind == BlockKind::Diagram) {
                ++n;
                EXPECT_TRUE(page.landscape);
                EXPECT_EQ(b.first, 0);  // short programs stay whole
                EXPECT_EQ(b.last, 1);
                EXPECT_TRUE(b.heading && b.legend);
            }
        }
        EXPECT_LE(n, 1);
        diagramBlocks += n;
    }
    EXPECT_EQ(diagramBlocks, 13);
    // Monday to Saturday differ at 22:30; Sunday stands alone too.
    const auto groups = calendarGroups(*c);
    ASSERT_EQ(groups.size(), 7u);
    EXPECT_EQ(groups[6].days, "Вс");
    EXPECT_EQ(groups[6].alarms, (std::vector<std::pair<std::string, int>>{{"06:00", 3}, {"22:30", 10}}));

    ASSERT_EQ(r.directions.size(), 8u);
    EXPECT_EQ(r.directions[0].kind, "Транспортный");
    // Vehicle slots: red on current, yellow unmonitored, green on voltage.
    EXPECT_EQ(r.directions[0].outputs[0], std::to_string(c->DirectionChannels[0][0]) + " ток");
    EXPECT_EQ(r.directions[0].outputs[1], std::to_string(c->DirectionChannels[0][1]));
    EXPECT_EQ(r.directions[0].outputs[2], std::to_string(c->DirectionChannels[0][2]) + " напр.");
    EXPECT_EQ(r.directions[4].outputs[1], "");
    auto field = [&](const std::string& name) {
        for (const auto& [n, v] : r.fields)
            if (n == name) return v;
        return std::string("(none)");
    };
    EXPECT_EQ(field("Проект"), "перекрёсток.ptm");
    EXPECT_EQ(field("Программ"), "13");
}

TEST(ReportLayout, LongTablesAndProgramsContinueOnTheNextPage) {
    using namespace livra::report;
    auto c = test::fullConfiguration();  // 63 directions, 16 programs of 321 tacts
    const Report r = planReport(*c, {"", "09.12.2026"});
    EXPECT_EQ(r.objectName, "без имени");
    ASSERT_EQ(r.diagrams.size(), 13u);
    // Every direction row and every band of every diagram is placed exactly
    // once, in order; a table's header and a diagram's title stand where it begins.
    int directionsSection = -1;
    for (int i = 0; i < int(r.sections.size()); ++i)
        if (r.sections[i].title == livra::kReportDirectionsTitle) directionsSection = i;
    ASSERT_GE(directionsSection, 0);
    int nextRow = 0;
    std::vector<int> nextBand(r.diagrams.size(), 0);
    for (const Page& page : r.pages) {
        PageGeometry g = r.page;
        if (page.landscape) std::swap(g.width, g.height);
        for (const Block& b : page.blocks) {
            EXPECT_LE(b.top + b.height, g.contentBottom() + 1e-9);
            if (b.kind == BlockKind::TableRows && b.section == directionsSection) {
                EXPECT_EQ(b.first, nextRow);
                nextRow = b.last;
            } else if (b.kind == BlockKind::Diagram) {
                const int d = r.sections[b.section].diagram;
                EXPECT_EQ(b.first, nextBand[d]);
                EXPECT_EQ(b.heading, b.first == 0);
                EXPECT_EQ(b.legend, b.last == int(r.diagrams[d].bands.size()));
                nextBand[d] = b.last;
            }
        }
    }
    EXPECT_EQ(nextRow, 63);
    for (std::size_t i = 0; i < r.diagrams.size(); ++i) EXPECT_EQ(nextBand[i], int(r.diagrams[i].bands.size()));
}

// The outlines against a model of unit edges: cells on a grid of whole
// units, in rows of different splits, some of no width and some repeated.
// Every unit edge of a cell is on exactly one line, no line runs past the
// cells, and no two lines on one position touch (they would be one).
TEST(DiagramLayout, CellOutlinesDrawEveryEdgeOnceAndNothingElse) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<Rect> cells;
        std::set<std::tuple<int, int, int>> edges;  // (vertical?, position, unit start)
        const int rows = 1 + int(random() % 6);
        for (int r = 0; r < rows; ++r) {
            int x = int(random() % 3);
            while (x < 30) {
                const int w = int(random() % 5);  // 0: a mark, no outline
                cells.push_back({double(x), double(r * 2), double(w), 2});
                if (random() % 4 == 0) cells.push_back(cells.back());
                for (int u = 0; w > 0 && u < 2; ++u) {
                    edges.insert({1, x, r * 2 + u});
                    edges.insert({1, x + w, r * 2 + u});
                }
                for (int u = 0; u < w; ++u) {
                    edges.insert({0, r * 2, x + u});
                    edges.insert({0, r * 2 + 2, x + u});
                }
                x += w + int(random() % 2);  // sometimes a gap
            }
        }
        std::set<std::tuple<int, int, int>> drawn;
        std::map<std::pair<int, int>, std::vector<std::pair<double, double>>> byPosition;
        for (const Line& l : cellOutlines(cells)) {
            const bool vertical = l.x1 == l.x2;
            ASSERT_TRUE(vertical || l.y1 == l.y2);
            const int at = int(vertical ? l.x1 : l.y1);
            const double a = vertical ? l.y1 : l.x1, b = vertical ? l.y2 : l.x2;
            for (int u = int(a); u < int(b); ++u) EXPECT_TRUE(drawn.insert({vertical, at, u}).second) << "twice";
            byPosition[{vertical, at}].push_back({a, b});
        }
        EXPECT_EQ(drawn, edges) << "round " << round;
        for (auto& [position, runs] : byPosition) {
            std::sort(runs.begin(), runs.end());
            for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_LT(runs[i - 1].second, runs[i].first);
        }
    }
}
