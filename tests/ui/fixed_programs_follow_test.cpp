// Programs 1..3 follow every change of directions and channels, whichever tab
// the change was made from: a ЖМ that still flashes a yellow output which was
// disconnected would drive a lamp the engineer took away.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

#include "edit/directions_edit.h"
#include "edit/fixed_programs.h"
#include "pictures/pictures.h"
#include "support/test_support.h"
#include "ui/directions/direction_dialogs.h"
#include "directions_tab_helpers.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::directionRow;
using livra::uitest::ModalScript;
using livra::uitest::PopupClick;
using livra::uitest::slotCell;

namespace {

TEST(FixedProgramsFollow, EveryDirectionOrChannelChangeFromEitherTab) {
    auto c = livra::test::newConfiguration();
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));
    ASSERT_TRUE(createDirection(*c, 4, DirVehicle));
    ASSERT_TRUE(createDirection(*c, 5, DirVehicle));
    ASSERT_TRUE(applyChannel(*c, 5, 1, 3, ControlOff));
    buildFixedPrograms(*c);
    MainWindow w(*c, nullptr);
    w.show();
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    w.refreshPass();
    const auto zhm = [&](int d) { return int(c->TactSignals[1][0][d]); };
    const int FY = SignalFlashingYellow, OFF = SignalOff;
    ASSERT_EQ(zhm(0), FY);
    ASSERT_EQ(zhm(4), FY);
    ASSERT_EQ(zhm(5), FY);
    ModalScript script;
    const auto channelDialog = [&](int listIndex) {
        script.act([listIndex](QWidget* widget) {
            auto* d = qobject_cast<ChannelDialog*>(widget);
            if (!d) return false;
            d->channelList()->setCurrentIndex(listIndex);
            QTest::mouseClick(d->okButton(), Qt::LeftButton);
            return true;
        });
    };
    // Direction column of the tact grid, scrolled by one row, so a row
    // number taken from the directions picture would be off by one.
    const auto gridRow = [&](int d) { return QPoint(10, 33 * (d - named<QScrollBar>(w, "tactDirectionScroll")->value() + 3) + 10); };

    // Directions tab, channel dialog: the yellow output of direction 1 set
    // to "0" (the entry after its own number).
    channelDialog(1);
    QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(0, 1));
    ASSERT_TRUE(script.done());
    ASSERT_EQ(c->DirectionChannels[0][1], 0);
    EXPECT_EQ(zhm(0), OFF) << "channel dialog";
    EXPECT_EQ(zhm(4), FY);

    // Channel count 8, "Да": direction 5 loses its yellow, 6 keeps channel 3.
    script.answer("Да");
    named<QComboBox>(w, "channelCount")->setFocus();
    QTest::keyClick(named<QComboBox>(w, "channelCount"), Qt::Key_Home);
    ASSERT_TRUE(script.done());
    ASSERT_EQ(c->ChannelCount, 8);
    EXPECT_EQ(zhm(4), OFF) << "channel count";
    EXPECT_EQ(zhm(5), FY);

    // Tact grid: DirectionMenu on the tram's middle row deletes the tram.
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    named<QComboBox>(w, "programBox")->setCurrentIndex(1);
    named<QScrollBar>(w, "tactDirectionScroll")->setValue(1);
    c->CurrentDirection = 0;
    {
        PopupClick menu("Удалить направление");
        QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::RightButton, {}, gridRow(2));
        ASSERT_TRUE(menu.done());
    }
    ASSERT_EQ(c->DirectionKind[0], DirVehicle);
    ASSERT_EQ(c->DirectionKind[1], DirVehicle);
    ASSERT_EQ(c->DirectionKind[2], DirVehicle);
    ASSERT_EQ(c->DirectionKind[3], DirEmpty);
    EXPECT_EQ(zhm(1), OFF) << "tram deleted from the tact grid";
    EXPECT_EQ(zhm(2), FY);
    EXPECT_EQ(c->TactSignals[0][0][2], SignalRed);

    // Tact grid: "Сбросить все номера каналов" darkens the last yellow, and
    // the ЖМ grid shown redraws at once.
    const QPoint picture = QPoint(63 + 31, 33 * (2 - 1 + 3) + 16) - QPoint(25, 12);
    const auto& cells = pictures::builtInPictures().signalCell;
    EXPECT_EQ(named<ui::CanvasView>(w, "tactCanvas")->image().pixelColor(picture), cells[FY].pixelColor(6, 4));
    {
        PopupClick menu("Сбросить все номера каналов");
        QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::RightButton, {}, gridRow(1));
        ASSERT_TRUE(menu.done());
    }
    EXPECT_EQ(zhm(2), OFF) << "channels reset from the tact grid";
    EXPECT_EQ(named<ui::CanvasView>(w, "tactCanvas")->image().pixelColor(picture), cells[OFF].pixelColor(6, 4));

    // Tact grid, first free row: the directions dialog adds a vehicle, which
    // gets channels 8, 7, 6 and so flashes yellow in ЖМ.
    script.act([](QWidget* widget) {
        auto* d = qobject_cast<DirectionsDialog*>(widget);
        if (!d) return false;
        QTest::mouseClick(d->kindButton(DirVehicle), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::LeftButton, {}, gridRow(3));
    ASSERT_TRUE(script.done());
    ASSERT_EQ(c->DirectionKind[3], DirVehicle);
    ASSERT_EQ(c->DirectionChannels[3][1], 7);
    EXPECT_EQ(zhm(3), FY) << "direction added from the tact grid";

    // Directions tab: a yellow output given back to direction 1, then the
    // directions tab's menu deletes direction 1 and the new vehicle moves up.
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    channelDialog(1);
    QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(0, 1));
    ASSERT_TRUE(script.done());
    ASSERT_NE(c->DirectionChannels[0][1], 0);
    EXPECT_EQ(zhm(0), FY) << "yellow given back";
    {
        PopupClick menu("Сбросить все номера каналов");
        QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::RightButton, {}, directionRow(0));
        ASSERT_TRUE(menu.done());
    }
    EXPECT_EQ(zhm(0), OFF) << "channels reset from the directions tab";
    EXPECT_EQ(zhm(3), OFF);
    {
        PopupClick menu("Удалить направление");
        QTest::mouseClick(named<ui::CanvasView>(w, "directionsCanvas"), Qt::RightButton, {}, directionRow(0));
        ASSERT_TRUE(menu.done());
    }
    EXPECT_EQ(c->DirectionKind[2], DirVehicle);
    EXPECT_EQ(c->DirectionKind[3], DirEmpty);
    EXPECT_EQ(zhm(3), SignalNotSet) << "the freed row carries nothing";
    EXPECT_EQ(c->TactTable[1][0].kind, TactIntermediate);
}

}  // namespace
