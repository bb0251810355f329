// A whole crossroad set up from `livra new` through the window's dialogs and
// menus only (directions, channels, the tact grid, the calendar), saved, and
// passed by `livra check`.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>

#include "model/project_file.h"
#include "support/test_support.h"
#include "ui/calendar/alarm_dialog.h"
#include "ui/directions/direction_dialogs.h"
#include "directions_tab_helpers.h"
#include "tact_grid_helpers.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::directionRow;
using livra::uitest::ModalScript;
using livra::uitest::PopupClick;
using livra::uitest::slotCell;

namespace {

TEST(CrossroadSetup, FromNewProjectThroughTheDialogsToACleanCheck) {
    TempDir dir;
    const std::string blank = pathToUtf8(dir / "blank.ptm");
    const std::string saved = pathToUtf8(dir / "crossroad.ptm");
    ASSERT_EQ(livra::test::runLivra({"new", "--out", blank}).exitCode, 0);

    Configuration c;
    c.ProgramDir = pathToUtf8(dir.path()) + "/";
    MainWindow w(c, nullptr);
    w.show();
    ModalScript script;
    script.chooseFile(QString::fromStdString(blank));
    w.menuAction(MenuOpen)->trigger();
    ASSERT_TRUE(script.done());
    ASSERT_EQ(c.ProjectFileName, blank);

    // Directions: two vehicles, two pedestrians, a tram, the call input.
    const uint8_t kinds[] = {DirVehicle, DirVehicle, DirPedestrian, DirPedestrian, DirTram1, DirTvp1};
    int row = 0;
    for (uint8_t kind : kinds) {
        script.act([kind](QWidget* widget) {
            auto* d = qobject_cast<DirectionsDialog*>(widget);
            if (!d) return false;
            QTest::mouseClick(d->kindButton(kind), Qt::LeftButton);
            return true;
        });
        QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::LeftButton, {}, directionRow(row));
        ASSERT_TRUE(script.done()) << int(kind);
        row += kind == DirTram1 ? 3 : 1;
    }
    ASSERT_EQ(row, 8);
    // The second pedestrian's green output monitored by current.
    script.act([](QWidget* widget) {
        auto* d = qobject_cast<ChannelDialog*>(widget);
        if (!d) return false;
        QTest::mouseClick(d->currentOption(), Qt::LeftButton);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(3, 2));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c.DirectionControl[3][2], ControlCurrent);
    named<QLineEdit>(w, "tvp1Delay")->selectAll();
    QTest::keyClicks(named<QLineEdit>(w, "tvp1Delay"), "5");

    // Program 4 through the tact grid: the first tact from its header, each
    // next one inserted after the last by TactMenu, then every cell through
    // the signal choice. Rows: vehicles 0, 1; pedestrians 2, 3; tram 4..6;
    // the call input 7, which shows nothing outside call tacts.
    const uint8_t R = SignalRed, Y = SignalYellow, G = SignalGreen, RY = SignalRedYellow, FG = SignalFlashingGreen;
    struct TactRow { int kindIndex; const char* tMin; const char* tMain; std::array<uint8_t, 7> heads; };
    const TactRow tacts[] = {
        {0, "7", "20", {G, R, R, G, G, G, G}},
        {1, "", "3", {Y, RY, R, FG, R, R, R}},
        {0, "7", "15", {R, G, G, R, R, R, R}},
        {1, "", "3", {RY, Y, FG, R, R, R, R}},
    };
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    named<QComboBox>(w, "programBox")->setCurrentIndex(3);
    w.refreshPass();
    ASSERT_EQ(c.CurrentProgram, 3);
    for (int t = 0; t < 4; ++t) {
        if (t > 0) {
            PopupClick menu("Вставить после");
            QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::RightButton, {}, livra::uitest::tactHeader(w, t - 1));
            ASSERT_TRUE(menu.done()) << t;
        }
        livra::uitest::setTactThroughDialog(w, script, t, tacts[t].kindIndex, tacts[t].tMin, tacts[t].tMain);
        ASSERT_TRUE(script.done()) << t;
        for (int d = 0; d < 7; ++d) {
            livra::uitest::setSignalThroughDialog(w, script, t, d, tacts[t].heads[d]);
            ASSERT_TRUE(script.done()) << t << " " << d;
        }
    }
    w.refreshPass();
    EXPECT_TRUE(w.grab().save(livra::uitest::screenshotPath("crossroad_program4.png")));
    const Tact expected[] = {{TactPhase, 7, 20}, {TactIntermediate, 0, 3}, {TactPhase, 7, 15}, {TactIntermediate, 0, 3}};
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(c.TactTable[3][t].kind, expected[t].kind) << t;
        EXPECT_EQ(c.TactTable[3][t].tMin, expected[t].tMin) << t;
        EXPECT_EQ(c.TactTable[3][t].tMain, expected[t].tMain) << t;
        for (int d = 0; d < 7; ++d) EXPECT_EQ(c.TactSignals[3][t][d], tacts[t].heads[d]) << t << " " << d;
        EXPECT_EQ(c.TactSignals[3][t][7], SignalNotApplicable) << t;
    }
    EXPECT_EQ(c.TactTable[3][4].kind, TactEmpty);

    // Monday: program 4 from 06:00, flashing yellow from 22:00; copied onto
    // Tuesday to Friday.
    for (const auto& alarm : {std::pair{6, 4}, std::pair{22, 2}}) {
        const int hour = alarm.first, program = alarm.second;
        script.act([hour, program](QWidget* widget) {
            auto* d = qobject_cast<AlarmDialog*>(widget);
            if (!d) return false;
            d->hourList()->setCurrentIndex(hour);
            d->programList()->setCurrentIndex(program - 2);
            QTest::mouseClick(d->okButton(), Qt::LeftButton);
            return true;
        });
        PopupClick menu("Добавить");
        livra::uitest::rightClickCalendar(w, 0);
        ASSERT_TRUE(script.done());
    }
    auto* copyOk = w.findChild<QPushButton*>("copyDayOk");
    ASSERT_NE(copyOk, nullptr);
    for (int day = 1; day <= 4; ++day) {
        QTest::mouseClick(named<QTabBar>(w, "dayTabs"), Qt::LeftButton, {}, named<QTabBar>(w, "dayTabs")->tabRect(day).center());
        ASSERT_EQ(named<QComboBox>(w, "copyDayBox")->currentText(), "Пн");
        QTest::mouseClick(copyOk, Qt::LeftButton);
        EXPECT_EQ(named<QTableWidget>(w, "calendarList")->item(1, 1)->text(), "02(ЖМ)") << day;
    }

    w.runValidator();
    // The verdict first; the safety check's lines follow it (this crossing
    // has no conflict matrix yet).
    ASSERT_GE(named<QListWidget>(w, "errorList")->count(), 2);
    EXPECT_EQ(named<QListWidget>(w, "errorList")->item(0)->text(), "Ошибок не обнаружено");
    EXPECT_EQ(named<QListWidget>(w, "errorList")->item(1)->text(),
              "Матрица конфликтов не задана: проверены только последовательности сигналов");
    script.chooseFile(QString::fromStdString(saved));
    w.menuAction(MenuSaveAs)->trigger();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c.Modified, 0);

    const auto check = livra::test::runLivra({"check", saved});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("Ошибок не обнаружено"), std::string::npos) << check.out << check.err;

    // What the file holds is what was set up.
    auto parsed = parseProject(livra::test::readBytes(dir / "crossroad.ptm"));
    ASSERT_TRUE(parsed);
    const Configuration& back = *parsed->config;
    EXPECT_EQ(back.DirectionKind, c.DirectionKind);
    EXPECT_EQ(back.DirectionChannels[4][6], back.DirectionChannels[6][6]);
    EXPECT_EQ(back.DirectionChannels[7][2], 48);  // after the heads' 62..49
    EXPECT_EQ(back.Tvp1Delay, "5");
    for (int day = 0; day < 5; ++day) EXPECT_EQ(back.Calendar[day][0], (CalendarEntry{0, 6, 4})) << day;
    EXPECT_TRUE(back.Calendar[5][0].empty());
    EXPECT_EQ(back.TactTable[1][0].kind, TactIntermediate) << "the fixed programs were generated";
}

}  // namespace
