// The directions tab and the calendar clicked as a user would: the dialogs
// they open, what "Ок" stores, and pictures of each for a person to look at.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>

#include "edit/directions_edit.h"
#include "support/test_support.h"
#include "ui/calendar/alarm_dialog.h"
#include "ui/canvases.h"
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

QString shotPath(const char* name) {
    QDir().mkpath(LIVRA_SCREENSHOT_DIR);
    return QString(LIVRA_SCREENSHOT_DIR) + "/" + name;
}

class DirectionsTabTest : public ::testing::Test {
protected:
    std::unique_ptr<Configuration> c = livra::test::newConfiguration();
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
        named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    }
    QStringList calendarRows() {
        QStringList rows;
        for (int i = 0; i < AlarmCount; ++i) {
            const QString time = named<QTableWidget>(*w, "calendarList")->item(i, 0)->text();
            if (!time.isEmpty()) rows << time + " " + named<QTableWidget>(*w, "calendarList")->item(i, 1)->text();
        }
        return rows;
    }
    // "Добавить" or "Редактировать" through the menu; the dialog gets the
    // hour, minute and program list index, then "Ок".
    void alarmThroughDialog(ModalScript& script, const QString& item, int row, int hour, int minute, int program,
                            QString* title = nullptr) {
        script.act([=](QWidget* widget) {
            auto* d = qobject_cast<AlarmDialog*>(widget);
            if (!d) return false;
            if (title) *title = d->windowTitle();
            d->hourList()->setCurrentIndex(hour);
            d->minuteList()->setCurrentIndex(minute);
            d->programList()->setCurrentIndex(program - 2);
            QTest::mouseClick(d->okButton(), Qt::LeftButton);
            return true;
        });
        PopupClick menu(item);
        livra::uitest::rightClickCalendar(*w, row);
        EXPECT_TRUE(menu.done());
    }
};

TEST_F(DirectionsTabTest, FirstFreeRowOpensTheDialogAndEachPictureButtonCreatesItsKind) {
    const uint8_t kinds[] = {DirVehicle, DirPedestrian, DirTram1, DirExtraRed, DirExtraYellow, DirExtraGreen, DirTvp1,
                             DirTvp2};
    int row = 0;
    for (uint8_t kind : kinds) {
        SCOPED_TRACE(int(kind));
        ModalScript script;
        QString title;
        QSize size;
        bool tvp1Enabled = true;
        script.act([&](QWidget* widget) {
            auto* d = qobject_cast<DirectionsDialog*>(widget);
            if (!d) return false;
            title = d->windowTitle();
            size = d->size();
            tvp1Enabled = d->kindButton(DirTvp1)->isEnabled() && d->kindLabel(DirTvp1)->isEnabled();
            if (kind == DirTvp2) d->grab().save(shotPath("directions_dialog.png"));
            QTest::mouseClick(d->kindButton(kind), Qt::LeftButton);
            return true;
        });
        c->Modified = 0;
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, directionRow(row));
        ASSERT_TRUE(script.done());
        EXPECT_EQ(title, "Направления");
        EXPECT_EQ(size, QSize(493, 165));
        EXPECT_EQ(tvp1Enabled, kind != DirTvp2) << "ТВП1 exists once at most";
        EXPECT_EQ(c->DirectionKind[row], kind);
        EXPECT_EQ(c->Modified, 1);
        row += kind == DirTram1 ? 3 : 1;
    }
    EXPECT_EQ(c->DirectionKind[4], DirTram3);
    EXPECT_EQ(c->DirectionChannels[0], (DirectionSlots{62, 61, 60, 0, 0, 0, 0}));
    // The fixed programs followed: program 2 (ЖМ) flashes the vehicle's yellow.
    EXPECT_EQ(c->TactSignals[1][0][0], SignalFlashingYellow);
    EXPECT_EQ(c->TactTable[1][0].kind, TactIntermediate);

    // Clicks that open nothing: a used row, a free row after the first free
    // one, the header (an unexpected dialog fails the script).
    {
        ModalScript none;
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, directionRow(0));
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, directionRow(row + 1));
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, QPoint(31, 10));
        EXPECT_EQ(c->DirectionKind[row + 1], DirEmpty);
    }

    w->refreshPass();
    EXPECT_TRUE(w->grab().save(shotPath("directions_tab_every_kind.png")));
    // The picture shows the tram's rows with their ordinal and channels.
    EXPECT_EQ(directionLabel(*c, 4), "5.1");
}

TEST_F(DirectionsTabTest, TramButtonIsRefusedWhereThreeRowsDoNotFit) {
    for (int d = 0; d < 61; ++d) livra::test::addDirection(*c, d, DirExtraRed);
    named<QScrollBar>(*w, "directionsScroll")->setValue(55);
    ModalScript script;
    bool tramEnabled = true, vehicleEnabled = false;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<DirectionsDialog*>(widget);
        if (!d) return false;
        tramEnabled = d->kindButton(DirTram1)->isEnabled();
        vehicleEnabled = d->kindButton(DirVehicle)->isEnabled();
        QTest::mouseClick(d->kindButton(DirTram1), Qt::LeftButton);  // disabled: nothing
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, directionRow(61 - 55));
    ASSERT_TRUE(script.done());
    EXPECT_FALSE(tramEnabled);
    EXPECT_TRUE(vehicleEnabled);
    EXPECT_EQ(c->DirectionKind[61], DirEmpty);
    EXPECT_EQ(c->DirectionKind[62], DirEmpty);
}

TEST_F(DirectionsTabTest, SlotClickOpensTheChannelDialogAndOkStoresTheChoice) {
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));  // 62, 61, 60
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));    // 59, 58 shared, 57, 56
    ASSERT_TRUE(createDirection(*c, 4, DirTvp1));     // 55
    c->DirectionControl[4][2] = ControlCurrent;       // as a file may carry it
    w->refreshPass();

    // Vehicle yellow: "нет" and voltage monitoring.
    ModalScript script;
    QString title;
    QStringList entries;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<ChannelDialog*>(widget);
        if (!d) return false;
        title = d->windowTitle();
        for (int i = 0; i < 4; ++i) entries << d->channelList()->itemText(i);
        EXPECT_TRUE(d->offOption()->isChecked());
        EXPECT_TRUE(d->currentOption()->isEnabled());
        d->grab().save(shotPath("channel_dialog.png"));
        d->channelList()->setCurrentIndex(1);
        QTest::mouseClick(d->voltageOption(), Qt::LeftButton);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(0, 1));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, "Напр.№1  Ячейка №2");
    EXPECT_EQ(entries, (QStringList{"61", "нет", "1", "2"}));
    EXPECT_EQ(c->DirectionChannels[0][1], 0);
    EXPECT_EQ(c->DirectionControl[0][1], ControlVoltage);
    // Without a yellow output the fixed ЖМ program leaves the head dark.
    EXPECT_EQ(c->TactSignals[1][0][0], SignalOff);

    // The tram's middle row, shared lamp: monitoring options disabled, the
    // channel goes to all three rows.
    bool monitoring = true;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<ChannelDialog*>(widget);
        if (!d) return false;
        title = d->windowTitle();
        monitoring = d->currentOption()->isEnabled() || d->voltageOption()->isEnabled();
        d->channelList()->setCurrentIndex(d->channelList()->findText("61"));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(2, 6));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, "Напр.№3  Ячейка №7");
    EXPECT_FALSE(monitoring);
    for (int d = 1; d <= 3; ++d) EXPECT_EQ(c->DirectionChannels[d][6], 61) << d;

    // The call input shows and stores mode 0 whatever was stored; "Отмена"
    // changes nothing.
    bool offShown = false;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<ChannelDialog*>(widget);
        if (!d) return false;
        offShown = d->offOption()->isChecked();
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(4, 2));
    ASSERT_TRUE(script.done());
    EXPECT_TRUE(offShown);
    EXPECT_EQ(c->DirectionChannels[4][2], 55);
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<ChannelDialog*>(widget);
        if (!d) return false;
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(4, 2));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->DirectionControl[4][2], ControlOff);

    // A slot the kind does not use and an empty row open nothing.
    ModalScript none;
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(0, 4));
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::LeftButton, {}, slotCell(6, 0));
}

TEST_F(DirectionsTabTest, MenuDeletesAWholeTramAndResetsChannels) {
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));
    ASSERT_TRUE(createDirection(*c, 4, DirPedestrian));
    c->TactSignals[3][0][4] = SignalGreen;
    w->refreshPass();
    {
        PopupClick menu("Удалить направление");
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::RightButton, {}, directionRow(2));  // the tram's middle row
        ASSERT_TRUE(menu.done());
        EXPECT_EQ(menu.items, (QStringList{"Удалить направление", "Сбросить все номера каналов", "Отмена"}));
    }
    EXPECT_EQ(c->DirectionKind[1], DirPedestrian);
    EXPECT_EQ(c->DirectionKind[2], DirEmpty);
    EXPECT_EQ(c->TactSignals[3][0][1], SignalGreen);
    EXPECT_EQ(c->TactSignals[0][0][1], SignalRed) << "fixed programs follow the directions";
    {
        PopupClick menu("Отмена");
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::RightButton, {}, directionRow(0));
        ASSERT_TRUE(menu.done());
    }
    EXPECT_EQ(c->DirectionChannels[0][0], 62);
    const auto modes = c->DirectionControl;
    {
        PopupClick menu("Сбросить все номера каналов");
        QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::RightButton, {}, directionRow(0));
        ASSERT_TRUE(menu.done());
    }
    for (const auto& row : c->DirectionChannels) EXPECT_EQ(row, DirectionSlots{});
    EXPECT_EQ(c->DirectionControl, modes);
    // A right click on an empty row shows no menu.
    PopupClick none("Отмена");
    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::RightButton, {}, directionRow(5));
    EXPECT_FALSE(none.done());
}

TEST_F(DirectionsTabTest, ChannelCountQuestionYesAndNo) {
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));  // 62, 61, 60
    ASSERT_TRUE(createDirection(*c, 1, DirExtraRed));
    ASSERT_TRUE(applyChannel(*c, 1, 0, 3, ControlCurrent));
    QComboBox* box = named<QComboBox>(*w, "channelCount");
    box->setFocus();
    ModalScript script;
    script.answer("Нет");
    QTest::keyClick(box, Qt::Key_Up);  // 56
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Внимание!");
    EXPECT_EQ(script.boxes[0].text,
              "Номера каналов, имеющие значения выше установленного, будут сброшены в нуль\n"
              "Изменить количество каналов в ДК?\n");
    EXPECT_EQ(script.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(box->currentText(), "64");
    EXPECT_EQ(c->ChannelCount, 64);
    EXPECT_EQ(c->DirectionChannels[0][1], 61);

    script.answer("Да");
    QTest::keyClick(box, Qt::Key_Home);  // 8
    ASSERT_TRUE(script.done());
    EXPECT_EQ(box->currentText(), "8");
    EXPECT_EQ(c->ChannelCount, 8);
    EXPECT_EQ(c->DirectionChannels[0], DirectionSlots{});
    EXPECT_EQ(c->DirectionChannels[1][0], 3);
    EXPECT_EQ(c->TactSignals[1][0][0], SignalOff) << "no yellow output left: ЖМ keeps the head dark";
}

TEST_F(DirectionsTabTest, CalendarMenuAddsEditsAndDeletesThroughTheDialog) {
    ModalScript script;
    QString title;
    QStringList programs;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<AlarmDialog*>(widget);
        if (!d) return false;
        title = d->windowTitle();
        for (int i = 0; i < d->programList()->count(); ++i) programs << d->programList()->itemText(i);
        EXPECT_EQ(d->hourList()->count(), 24);
        EXPECT_EQ(d->minuteList()->count(), 60);
        EXPECT_EQ(d->hourList()->currentText(), "0");
        d->hourList()->setCurrentIndex(8);
        d->programList()->setCurrentIndex(3);
        d->grab().save(shotPath("alarm_dialog_add.png"));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    {
        PopupClick menu("Добавить");
        livra::uitest::rightClickCalendar(*w, 0);
        ASSERT_TRUE(menu.done());
        EXPECT_EQ(menu.items, (QStringList{"Добавить", "Редактировать", "Удалить", "Отмена"}));
    }
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, "Добавить будильник");
    EXPECT_EQ(programs.size(), 15);
    EXPECT_EQ(programs.mid(0, 3), (QStringList{"2 (ЖМ)", "3 (ОС)", "4"}));
    EXPECT_EQ(programs.last(), "16");
    EXPECT_EQ(calendarRows(), QStringList{"08:00 05"});

    alarmThroughDialog(script, "Добавить", 5, 6, 30, 4);
    alarmThroughDialog(script, "Добавить", 5, 22, 0, 2);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(calendarRows(), (QStringList{"06:30 04", "08:00 05", "22:00 02(ЖМ)"}));

    // The same time again: the error, the dialog stays for a correction.
    bool stillOpen = false;
    livra::uitest::SeenBox seen;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<AlarmDialog*>(widget);
        if (!d) return false;
        d->hourList()->setCurrentIndex(8);
        // The box opens inside the click; it is answered from its own loop.
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen = {box->windowTitle(), box->text(), box->icon(), {}};
            box->accept();
        });
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        stillOpen = d->isVisible();
        d->minuteList()->setCurrentIndex(45);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    {
        PopupClick menu("Добавить");
        livra::uitest::rightClickCalendar(*w, 0);
    }
    ASSERT_TRUE(script.done());
    EXPECT_EQ(seen.title, "Ошибка!");
    EXPECT_EQ(seen.text, "Задано несколько, одинаковых, временных интервалов");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(calendarRows(), (QStringList{"06:30 04", "08:00 05", "08:45 02(ЖМ)", "22:00 02(ЖМ)"}));

    // Edit 08:00 to program 2: preselected, stored, shown as 02(ЖМ).
    QString hour, program;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<AlarmDialog*>(widget);
        if (!d) return false;
        title = d->windowTitle();
        hour = d->hourList()->currentText();
        program = d->programList()->currentText();
        d->grab().save(shotPath("alarm_dialog_edit.png"));
        d->programList()->setCurrentIndex(0);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    {
        PopupClick menu("Редактировать");
        livra::uitest::rightClickCalendar(*w, 1);
    }
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, "Редактировать будильник");
    EXPECT_EQ(hour, "8");
    EXPECT_EQ(program, "5");
    EXPECT_EQ(calendarRows(), (QStringList{"06:30 04", "08:00 02(ЖМ)", "08:45 02(ЖМ)", "22:00 02(ЖМ)"}));
    EXPECT_TRUE(w->grab().save(shotPath("calendar_monday.png")));

    // Editing an empty row opens nothing; deleting the first moves the rest up.
    {
        PopupClick menu("Редактировать");
        livra::uitest::rightClickCalendar(*w, 10);
    }
    {
        PopupClick menu("Удалить");
        livra::uitest::rightClickCalendar(*w, 0);
    }
    EXPECT_EQ(calendarRows(), (QStringList{"08:00 02(ЖМ)", "08:45 02(ЖМ)", "22:00 02(ЖМ)"}));
    EXPECT_EQ(c->Calendar[0][0], (CalendarEntry{0, 8, 2}));
}

TEST_F(DirectionsTabTest, CalendarFullDayAndEntriesTheListsCannotShow) {
    for (int h = 0; h < AlarmCount; ++h) livra::test::addAlarm(*c, 1, h, 0, 4);
    c->Calendar[2][0] = CalendarEntry{0, 24, 4};  // hour 24, from a file
    QTest::mouseClick(named<QTabBar>(*w, "dayTabs"), Qt::LeftButton, {}, named<QTabBar>(*w, "dayTabs")->tabRect(1).center());

    ModalScript script;
    bool dialogGone = false;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<AlarmDialog*>(widget);
        if (!d) return false;
        d->hourList()->setCurrentIndex(12);
        d->minuteList()->setCurrentIndex(30);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    script.act([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box) return false;
        dialogGone = true;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<AlarmDialog*>(top) && top->isVisible()) dialogGone = false;
        script.boxes.push_back({box->windowTitle(), box->text(), box->icon(), {}});
        box->accept();
        return true;
    });
    const auto tuesday = c->Calendar[1];
    {
        PopupClick menu("Добавить");
        livra::uitest::rightClickCalendar(*w, 3);
    }
    ASSERT_TRUE(script.done());
    expectBox(script.boxes, "Внимание!", "Список переполнен.\nНет места для новой записи.", QMessageBox::NoIcon);
    EXPECT_TRUE(dialogGone);
    EXPECT_EQ(c->Calendar[1], tuesday);

    // Wednesday's odd entry: no edit dialog, but it can be deleted.
    QTest::mouseClick(named<QTabBar>(*w, "dayTabs"), Qt::LeftButton, {}, named<QTabBar>(*w, "dayTabs")->tabRect(2).center());
    EXPECT_EQ(calendarRows(), QStringList{"24:00 04"});
    {
        PopupClick menu("Редактировать");
        livra::uitest::rightClickCalendar(*w, 0);
    }
    EXPECT_EQ(c->Calendar[2][0], (CalendarEntry{0, 24, 4}));
    {
        PopupClick menu("Удалить");
        livra::uitest::rightClickCalendar(*w, 0);
    }
    EXPECT_TRUE(c->Calendar[2][0].empty());
}

}  // namespace
