// Painting only reads: the pictures of any tables, settled or not, leave
// the tables as they were, and the refresh records no undo step of its own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "support/test_support.h"
#include "ui/canvases.h"
#include "window_parts.h"

using namespace livra;
using namespace livra::ui;

namespace {

// What a file may carry that the editors never leave: a stray channel, a
// call input's signal in a phase, stale derived fields.
std::unique_ptr<Configuration> unsettled() {
    auto c = test::sampleConfiguration();
    test::addDirection(*c, 2, DirTvp1);
    c->DirectionChannels[0][5] = 40;
    c->TactSignals[3][0][2] = SignalGreen;
    c->TactTable[3][1].tEnd = 999;
    c->TactTable[3][1].phaseNo = 7;
    return c;
}

TEST(Painting, TheDrawingsLeaveTheTablesAsTheyWere) {
    auto c = unsettled();
    const Configuration before = *c;
    QImage grid = makeTactCanvas(), directions = makeDirectionsCanvas();
    for (int first : {0, 1, 60}) {
        drawTactGrid(grid, *c, first, first);
        drawDirectionColumn(grid, *c, first);
        drawTactHeader(grid, *c, first);
        drawDirectionsPicture(directions, *c, first);
    }
    EXPECT_TRUE(c->sameTables(before));
    EXPECT_EQ(c->DirectionChannels[0][5], 40);
    EXPECT_EQ(c->TactTable[3][1].tEnd, 999);
    // The stray channel is not shown: its slot is drawn not applicable.
    drawDirectionsPicture(directions, *c, 0);
    const QColor pink(255, 198, 197);
    EXPECT_EQ(directions.pixelColor(63 + 33 * 5 + 16, 33 + 16), pink);
}

TEST(Painting, TheWindowSettlesWhatItTakesInAndPaintingRecordsNoUndoStep) {
    auto c = unsettled();
    MainWindow w(*c, nullptr);
    w.show();
    EXPECT_EQ(c->DirectionChannels[0][5], 0);
    EXPECT_EQ(c->TactSignals[3][0][2], SignalNotApplicable);
    EXPECT_NE(c->TactTable[3][1].tEnd, 999);
    const Configuration settled = *c;
    for (int tab : {MainWindow::TabPrograms, MainWindow::TabDirections, MainWindow::TabLink}) {
        named<QTabWidget>(w, "tabs")->setCurrentIndex(tab);
        w.refreshPass();
        w.refreshPass();
    }
    EXPECT_TRUE(c->sameTables(settled));
    EXPECT_FALSE(w.menuAction(MenuUndo)->isEnabled());
}

}  // namespace
