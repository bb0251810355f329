// Pictures of every tab of a filled-in window, for a person to look at
// (written into the build folder, not kept in the sources).
#include <gtest/gtest.h>

#include <QDir>
#include <QTabWidget>

#include "app/controller_commands.h"
#include "support/test_support.h"
#include "ui/main_window.h"

using namespace livra;
using namespace livra::ui;

namespace {

// A small crossroad: two vehicle and two pedestrian directions, a call
// input, phases with intermediate tacts and a call tact, weekday alarms.
std::unique_ptr<Configuration> crossroad() {
    auto c = livra::test::newConfiguration();
    livra::test::addDirection(*c, 0, DirVehicle);
    livra::test::addDirection(*c, 1, DirVehicle);
    livra::test::addDirection(*c, 2, DirPedestrian);
    livra::test::addDirection(*c, 3, DirPedestrian);
    livra::test::addDirection(*c, 4, DirTram1);
    livra::test::addDirection(*c, 7, DirTvp1);
    const uint8_t R = SignalRed, Y = SignalYellow, G = SignalGreen, FG = SignalFlashingGreen, RY = SignalRedYellow;
    struct Row { int32_t kind, tMin, tMain; uint8_t s[7]; };
    const Row rows[] = {
        {TactPhase, 10, 25, {G, R, R, G, R, 0, 0}},  {TactIntermediate, 0, 3, {FG, RY, R, FG, R, 0, 0}},
        {TactIntermediate, 0, 3, {Y, RY, R, R, R, 0, 0}}, {TactPhase, 8, 20, {R, G, G, R, G, 0, 0}},
        {TactIntermediate, 0, 3, {R, FG, FG, R, SignalOff, 0, 0}}, {TactIntermediate, 0, 3, {RY, Y, R, R, R, 0, 0}},
        {TactTvp1, 0, 12, {R, R, G, G, R, 0, 0}},    {TactTvp1, 0, 4, {R, R, FG, FG, R, 0, 0}},
    };
    int t = 0;
    for (const Row& r : rows) {
        c->TactTable[3][t] = Tact{r.kind, r.tMin, r.tMain, 0, 0};
        for (int d = 0; d < 7; ++d) c->TactSignals[3][t][d] = r.s[d];
        c->TactSignals[3][t][7] = r.kind == TactTvp1 ? SignalGreen : SignalNotApplicable;
        ++t;
    }
    for (int day = 0; day < 5; ++day) {
        livra::test::addAlarm(*c, day, 6, 0, 4);
        livra::test::addAlarm(*c, day, 22, 30, 2);
    }
    livra::test::addAlarm(*c, 5, 8, 0, 4);
    c->Tvp1Delay = "5";
    return c;
}

TEST(Screenshots, EveryTab) {
    const QString out = LIVRA_SCREENSHOT_DIR;
    ASSERT_TRUE(QDir().mkpath(out));
    auto c = crossroad();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.setTitle("Конфигуратор ДК 'Ливра'  -  crossroad.ptm");
    LinkTabState& s = w.linkState();
    s.computerTime = "Вт. 08.12.2026  21:05:03";
    s.controllerTime = "Вт. 08.12.2026  21:04:58";
    s.journal = {
        {"08.12.2026  20:58:11", "", "", "Установлена новая конфигурация"},
        {"08.12.2026  20:58:02", "", "", "Нормальный запуск ДК"},
        {"07.12.2026  06:12:40", "12", "3", "Нет нагрузки"},
        {"??.??.????  ??:??:??", "", "", "Часы не отвечают"},
        {"01.12.2026  14:03:27", "Плата №", "2", "Плата силовых ключей не отвечает"},
    };
    w.showLinkState();
    w.runValidator();
    w.show();
    const char* names[] = {"tab1_directions.png", "tab2_programs.png", "tab3_link.png"};
    for (int tab = 0; tab < 3; ++tab) {
        w.tabs()->setCurrentIndex(tab);
        w.refreshPass();
        const QImage shot = w.grab().toImage();
        EXPECT_EQ(shot.size(), QSize(980, 640));
        EXPECT_TRUE(shot.save(out + "/" + names[tab])) << names[tab];
    }
    w.dialogs().exchangeBegin();
    w.dialogs().exchangeProgress(24600, 61440);
    EXPECT_TRUE(w.dialogs().exchangeWindow()->grab().save(out + "/exchange.png"));
    w.dialogs().exchangeEnd();
    w.showAbout();
    QWidget* about = w.findChild<QDialog*>("aboutBox");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->grab().save(out + "/about.png"));
    about->close();
}

}  // namespace
