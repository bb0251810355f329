// The main window grows: the tables and the journal take the room, the
// controls beside them move with their edges, and at the form's own size
// every control stands where it always stood.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <map>
#include <QTest>

#include "support/test_support.h"
#include "tact_grid_helpers.h"
#include "window_parts.h"

using namespace livra;
using namespace livra::ui;

namespace {

// Every named control's place, by object name.
std::map<QString, QRect> places(QWidget& w) {
    std::map<QString, QRect> out;
    for (QWidget* child : w.findChildren<QWidget*>())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            out[child->objectName()] = QRect(child->mapTo(&w, QPoint(0, 0)), child->size());
    return out;
}

TEST(WindowGrowth, TablesAndJournalGrowAndTheSmallestSizeIsTheFormItself) {
    auto c = livra::test::sampleConfiguration();
    MainWindow w(*c, nullptr);
    w.show();
    w.configurationReplaced();
    QTabWidget* tabs = named<QTabWidget>(w, "tabs");
    for (int i = 0; i < tabs->count(); ++i) tabs->setCurrentIndex(i);  // every page laid out
    tabs->setCurrentIndex(MainWindow::TabPrograms);
    const auto small = places(w);
    ASSERT_EQ(small.at("tactCanvas").size(), QSize(825, 395));
    const QImage smallShot = w.grab().toImage();

    w.resize(1600, 1000);
    QCoreApplication::processEvents();
    auto* grid = named<CanvasView>(w, "tactCanvas");
    EXPECT_EQ(grid->size(), QSize(825 + 620, 395 + 360));
    EXPECT_EQ(grid->image().size(), grid->size());
    EXPECT_EQ(named<QScrollBar>(w, "tactScroll")->pageStep(), (825 + 620) / 63 - 1);   // 22 tacts in view
    EXPECT_EQ(named<QScrollBar>(w, "tactDirectionScroll")->pageStep(), (395 + 360) / 33 - 3);
    EXPECT_EQ(named<CanvasView>(w, "directionsCanvas")->height(), 395 + 360);
    // The calendar takes the width, its names column with it; its buttons
    // keep to its right edge.
    auto* calendar = named<QTableWidget>(w, "calendarList");
    EXPECT_EQ(calendar->width(), small.at("calendarList").width() + 620);
    EXPECT_EQ(calendar->columnWidth(2), 170 + 620);
    EXPECT_EQ(places(w).at("copyToDaysButton"), small.at("copyToDaysButton").translated(620, 360));
    EXPECT_EQ(named<QTreeWidget>(w, "journalList")->size(), QSize(435 + 620, 355 + 360));
    // The error list keeps its height under the tabs; "Тест" stays at its right.
    EXPECT_EQ(named<QListWidget>(w, "errorList")->geometry(), QRect(15, 520 + 360, 900 + 620, 85));
    EXPECT_EQ(named<QPushButton>(w, "testButton")->geometry(), QRect(925 + 620, 520 + 360, 45, 20));
    EXPECT_EQ(named<QComboBox>(w, "programBox")->geometry().x(), 870 + 620);
    EXPECT_TRUE(w.grab().save(livra::uitest::screenshotPath("main_window_1600x1000.png")));

    // Back to the form's size: every control where it was, the picture too.
    w.resize(980, 640);
    QCoreApplication::processEvents();
    EXPECT_EQ(places(w), small);
    EXPECT_EQ(w.grab().toImage(), smallShot);
}

}  // namespace
