#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <filesystem>

#include "livra_version.h"
#include "model/project_file.h"
#include "pictures/pictures.h"
#include "support/test_support.h"
#include "ui/canvases.h"
#include "window_parts.h"
#include "ui/session.h"
#include "ui/single_instance.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Configuration> c = std::make_unique<Configuration>();
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        c->ProgramDir = pathToUtf8(dir.path()) + "/";
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
    }
    QString at(const std::string& name) { return QString::fromStdString(pathToUtf8(dir / name)); }
    template <class T>
    T* child(const char* name) {
        T* found = w->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton* buttonText(const QString& text) {
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    QRect tabRect(QWidget* widget) { return widget->geometry(); }
};

TEST_F(MainWindowTest, TitleSizeAndFrame) {
    EXPECT_EQ(w->windowTitle(), "Конфигуратор ДК 'Ливра'");
    EXPECT_EQ(w->size(), QSize(980, 640));
    // The form's size is the smallest; the window grows and maximises.
    EXPECT_EQ(w->minimumSize(), QSize(980, 640));
    EXPECT_GT(w->maximumSize().width(), 4000);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(w->font().family(), "Arial");
}

TEST_F(MainWindowTest, MenusCarryTheirIdentifiers) {
    auto* bar = child<QMenuBar>("menuBar");
    QStringList titles;
    QList<QPair<QString, int>> items;
    for (QAction* top : bar->actions()) {
        titles << top->text();
        for (QAction* a : top->menu()->actions()) items.append({a->isSeparator() ? "-" : a->text(), a->data().toInt()});
    }
    EXPECT_EQ(titles, (QStringList{"Файл", "Правка", "Инструменты", "Помощь"}));
    const QList<QPair<QString, int>> expected = {
        {"Создать", 10}, {"Открыть", 11}, {"Сохранить", 12}, {"Сохранить как", 13}, {"-", 0},
        {"Импорт из JSON…", 40}, {"Экспорт в JSON…", 41}, {"Упаковать проект…", 50}, {"-", 0}, {"Выход", 14},
        {"Отменить", 22}, {"Повторить", 23},
        {"Имитатор", 18}, {"Сервис", 19}, {"Матрица конфликтов…", 30}, {"Программа по фазам…", 31},
        {"Расчёт режима по интенсивностям…", 44}, {"-", 0}, {"Диаграмма программы", 20}, {"Паспорт объекта…", 42},
        {"Отчёт (PDF)…", 21}, {"Таблицы в CSV…", 43},
        {"-", 0}, {"Экспорт в SUMO…", 24}, {"Импорт из SUMO…", 25}, {"Оценка в SUMO…", 45},
        {"Справка", 15}, {"Сайт", 16}, {"О программе", 17}};
    EXPECT_EQ(items, expected);
    for (int id = 10; id <= 25; ++id) ASSERT_NE(w->menuAction(id), nullptr) << id;
    for (int id : {MenuJsonImport, MenuJsonExport, MenuTiming, MenuSumoEvaluate, MenuPack}) ASSERT_NE(w->menuAction(id), nullptr) << id;

    auto popup = [&](PopupKind k) {
        QList<QPair<QString, int>> r;
        for (QAction* a : w->editors().popups().menu(k)->actions()) r.append({a->text(), a->data().toInt()});
        return r;
    };
    EXPECT_EQ(popup(PopupDirections),
              (QList<QPair<QString, int>>{{"Удалить направление", 1}, {"Сбросить все номера каналов", 3}, {"Отмена", 2}}));
    EXPECT_EQ(popup(PopupTacts), (QList<QPair<QString, int>>{{"Вставить до", 1}, {"Вставить после", 2}, {"Удалить", 3},
                                                             {"Удалить все", 5}, {"Отмена", 4}}));
    EXPECT_EQ(popup(PopupCalendar),
              (QList<QPair<QString, int>>{{"Добавить", 1}, {"Редактировать", 2}, {"Удалить", 3}, {"Отмена", 4}}));
}

TEST_F(MainWindowTest, TabsAndTheirControls) {
    QTabWidget* tabs = named<QTabWidget>(*w, "tabs");
    EXPECT_EQ(tabs->geometry(), QRect(5, 25, 970, 470));
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "Направления,каналы,календарь");
    EXPECT_EQ(tabs->tabText(1), "Программы,фазы,такты");
    EXPECT_EQ(tabs->tabText(2), "Связь с ДК");

    // Directions, channels, calendar.
    EXPECT_EQ(named<ui::CanvasView>(*w, "directionsCanvas")->geometry(), QRect(5, 15, 294, 395));
    EXPECT_EQ(named<QScrollBar>(*w, "directionsScroll")->geometry(), QRect(305, 15, 20, 400));
    EXPECT_EQ(named<QScrollBar>(*w, "directionsScroll")->maximum(), 62);
    EXPECT_EQ(named<QComboBox>(*w, "channelCount")->geometry(), QRect(340, 30, 45, 20));
    EXPECT_EQ(named<QComboBox>(*w, "channelCount")->currentText(), "64");
    EXPECT_EQ(named<QComboBox>(*w, "channelCount")->count(), 8);
    EXPECT_EQ(named<QComboBox>(*w, "channelCount")->itemText(0), "8");
    EXPECT_EQ(named<QLineEdit>(*w, "tvp1Delay")->text(), "0");
    EXPECT_EQ(named<QLineEdit>(*w, "tvp1Delay")->geometry(), QRect(340, 95, 45, 20));
    EXPECT_EQ(named<QLineEdit>(*w, "tvp2Delay")->geometry(), QRect(340, 140, 45, 20));
    EXPECT_EQ(named<QTabBar>(*w, "dayTabs")->geometry(), QRect(460, 25, 300, 30));
    QStringList days;
    for (int i = 0; i < named<QTabBar>(*w, "dayTabs")->count(); ++i) days << named<QTabBar>(*w, "dayTabs")->tabText(i);
    EXPECT_EQ(days, (QStringList{"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"}));
    QTableWidget* cal = named<QTableWidget>(*w, "calendarList");
    EXPECT_EQ(cal->geometry(), QRect(460, 55, 300, 350));
    EXPECT_EQ(cal->rowCount(), 24);
    EXPECT_EQ(cal->horizontalHeaderItem(0)->text(), "ЧЧ:ММ");
    EXPECT_EQ(cal->horizontalHeaderItem(1)->text(), "Прог.№");
    EXPECT_EQ(cal->columnWidth(0), 55);
    EXPECT_EQ(named<QComboBox>(*w, "copyDayBox")->geometry(), QRect(800, 345, 45, 20));
    EXPECT_EQ(named<QComboBox>(*w, "copyDayBox")->currentText(), "Пн");

    // Programs, phases, tacts.
    EXPECT_EQ(named<ui::CanvasView>(*w, "tactCanvas")->geometry(), QRect(5, 15, 825, 395));
    EXPECT_EQ(named<QScrollBar>(*w, "tactScroll")->geometry(), QRect(0, 415, 830, 25));
    EXPECT_EQ(named<QScrollBar>(*w, "tactScroll")->maximum(), 320);
    EXPECT_EQ(named<QScrollBar>(*w, "tactDirectionScroll")->geometry(), QRect(835, 10, 20, 400));
    QComboBox* programs = named<QComboBox>(*w, "programBox");
    EXPECT_EQ(programs->geometry(), QRect(870, 25, 65, 20));
    ASSERT_EQ(programs->count(), 16);
    EXPECT_EQ(programs->itemText(0), "1 (КК)");
    EXPECT_EQ(programs->itemText(1), "2 (ЖМ)");
    EXPECT_EQ(programs->itemText(2), "3 (ОС)");
    EXPECT_EQ(programs->itemText(15), "16");
    EXPECT_EQ(programs->currentText(), "4");
    EXPECT_EQ(named<QComboBox>(*w, "copyProgramBox")->count(), 13);
    EXPECT_EQ(named<QComboBox>(*w, "copyProgramBox")->currentText(), "4");

    // Link tab.
    struct Expect { const char* text; QRect rect; };
    const Expect buttons[] = {
        {"Записать в ДК", {40, 65, 85, 20}},       {"Читать из ДК", {40, 90, 85, 20}},
        {"Читать журнал", {40, 115, 85, 20}},      {"Инф.о ДК", {35, 170, 85, 20}},
        {"Загрузчик", {35, 195, 85, 20}},          {"Читать время и дату", {20, 378, 130, 20}},
        {"Синхр.часы", {20, 405, 130, 20}},        {"Сохранить в файл", {495, 405, 130, 20}},
    };
    for (const Expect& e : buttons) {
        QPushButton* b = buttonText(e.text);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->geometry(), e.rect) << e.text;
        EXPECT_EQ(b->parentWidget(), tabs->widget(2)) << e.text;
    }
    QTreeWidget* journal = named<QTreeWidget>(*w, "journalList");
    EXPECT_EQ(journal->geometry(), QRect(185, 45, 435, 355));
    ASSERT_EQ(journal->columnCount(), 4);
    const QStringList headers{"Время,дата", "Канал", "Направление", "Событие"};
    const int widths[] = {120, 60, 80, 400};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(journal->headerItem()->text(i), headers[i]);
        EXPECT_EQ(journal->columnWidth(i), widths[i]);
    }
    EXPECT_EQ(named<QLineEdit>(*w, "computerTime")->geometry(), QRect(20, 310, 130, 20));
    EXPECT_EQ(named<QLineEdit>(*w, "controllerTime")->geometry(), QRect(20, 350, 130, 20));
    QStringList frames;
    for (QGroupBox* g : tabs->widget(2)->findChildren<QGroupBox*>()) frames << g->title();
    frames.sort();
    EXPECT_EQ(frames, (QStringList{"Журнал", "Конфигурация ДК", "Микропрограмма ДК", "Работа с RTC"}));

    // A frame's title sits on its top line, as on a classic group box, so the
    // controls placed 15 to 20 pixels under a frame's top keep clear of it.
    for (QGroupBox* g : w->findChildren<QGroupBox*>()) {
        if (g->title().isEmpty()) continue;
        const QImage img = g->grab().toImage();
        const int x = img.width() - 3;
        int line = 0;
        while (line < img.height() && img.pixelColor(x, line) == img.pixelColor(x, 0)) ++line;
        EXPECT_LE(line, 10) << g->title().toStdString();
    }

    // Error list and "Тест".
    EXPECT_EQ(named<QListWidget>(*w, "errorList")->geometry(), QRect(15, 520, 900, 85));
    EXPECT_EQ(named<QListWidget>(*w, "errorList")->palette().color(QPalette::Base), QColor(246, 239, 140));
    EXPECT_EQ(child<QPushButton>("testButton")->geometry(), QRect(925, 520, 45, 20));
    EXPECT_EQ(child<QPushButton>("testButton")->text(), "Тест");
}

TEST_F(MainWindowTest, TestButtonLeavesExactlyOneLine) {
    auto* test = child<QPushButton>("testButton");
    QTest::mouseClick(test, Qt::LeftButton);
    QTest::mouseClick(test, Qt::LeftButton);
    ASSERT_EQ(named<QListWidget>(*w, "errorList")->count(), 1);
    EXPECT_EQ(named<QListWidget>(*w, "errorList")->item(0)->text(), "Установите направление");
}

TEST_F(MainWindowTest, SimulatorIsRefusedOnAnError) {
    bool opened = false;
    QObject::connect(w.get(), &MainWindow::simulatorRequested, [&] { opened = true; });
    ModalScript script;
    script.answer("Ок");
    w->menuAction(MenuSimulator)->trigger();
    ASSERT_TRUE(script.done());
    expectBox(script.boxes, "Внимание",
              "Моделирование невозможно.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.",
              QMessageBox::Warning);
    EXPECT_FALSE(opened);
    EXPECT_EQ(named<QListWidget>(*w, "errorList")->count(), 1);

    // A valid configuration passes the gate without a box.
    auto valid = livra::test::sampleConfiguration();
    c->TactTable = valid->TactTable;
    c->TactSignals = valid->TactSignals;
    c->DirectionKind = valid->DirectionKind;
    c->DirectionChannels = valid->DirectionChannels;
    c->Calendar = valid->Calendar;
    w->menuAction(MenuSimulator)->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(named<QListWidget>(*w, "errorList")->item(0)->text(), "Ошибок не обнаружено");
}

TEST_F(MainWindowTest, FileMenuAsksItsQuestions) {
    c->Modified = 1;
    livra::test::addDirection(*c, 0, DirVehicle);
    {
        // "Создать" answered "Нет" keeps everything.
        ModalScript script;
        script.answer("Нет");
        w->menuAction(MenuNew)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.boxes[0].title, "Создать");
        EXPECT_EQ(script.boxes[0].buttons, (QStringList{"Да", "Нет"}));
        EXPECT_EQ(c->DirectionKind[0], DirVehicle);
    }
    {
        // "Открыть" answered "Нет" shows no file dialog.
        ModalScript script;
        script.answer("Нет");
        w->menuAction(MenuOpen)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.boxes[0].title, "Чтение файла");
        EXPECT_TRUE(script.dialogTitles.isEmpty());
        EXPECT_EQ(c->Modified, 1);
    }
    {
        // "Сохранить" of a new project: the dialog, then plan.ptm.
        ModalScript script;
        script.chooseFile(at("plan"));
        w->menuAction(MenuSave)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.dialogTitles, QStringList{"Сохранить"});
        EXPECT_TRUE(std::filesystem::exists(dir / "plan.ptm"));
        EXPECT_EQ(w->windowTitle(), "Конфигуратор ДК 'Ливра'  -  plan.ptm");
        EXPECT_EQ(c->Modified, 0);
    }
    {
        // "Сохранить как" onto the same file asks before replacing it.
        ModalScript script;
        script.chooseFile(at("plan.ptm"));
        script.answer("Да");
        w->menuAction(MenuSaveAs)->trigger();
        ASSERT_TRUE(script.done());
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_EQ(script.boxes[0].title, "Подтвердить сохранение");
        EXPECT_EQ(script.boxes[0].text, "plan.ptm уже существует.\nЗаменить?");
    }
    {
        // "Экспорт в JSON…" writes the project as text, beside it by default.
        ModalScript script;
        script.chooseFile(at("plan.json"));
        w->menuAction(MenuJsonExport)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_TRUE(script.boxes.empty());
        EXPECT_TRUE(std::filesystem::exists(dir / "plan.json"));
        EXPECT_EQ(c->Modified, 0);
    }
    {
        // "Создать" on a saved project asks nothing and empties the tables.
        ModalScript script;
        w->menuAction(MenuNew)->trigger();
        EXPECT_EQ(c->DirectionKind[0], 0);
        EXPECT_EQ(w->windowTitle(), "Конфигуратор ДК 'Ливра'  -  ");
        EXPECT_EQ(c->Modified, 1);
    }
    {
        // "Импорт из JSON…" asks as Open does and brings the tables back unsaved.
        ModalScript script;
        script.answer("Да");
        script.chooseFile(at("plan.json"));
        w->menuAction(MenuJsonImport)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.boxes[0].title, "Импорт из JSON");
        EXPECT_EQ(c->DirectionKind[0], DirVehicle);
        EXPECT_EQ(c->Modified, 1);
    }
    {
        // "Открыть" answered "Да" loads the chosen project.
        ModalScript script;
        script.answer("Да");
        script.chooseFile(at("plan.ptm"));
        w->menuAction(MenuOpen)->trigger();
        ASSERT_TRUE(script.done());
        EXPECT_EQ(script.dialogTitles, QStringList{"Открыть"});
        EXPECT_EQ(c->DirectionKind[0], DirVehicle);
        EXPECT_EQ(c->Modified, 0);
    }
}

// The tact grid scrolled far into one project must not hide the next one's
// tacts: New, Open and a read show the grid from its first tact and direction.
TEST_F(MainWindowTest, AReplacedConfigurationIsShownFromItsFirstTact) {
    auto sample = livra::test::sampleConfiguration();
    livra::test::writeBytes(dir / "sample.ptm", serializeProject(*sample, {}));
    auto* scroll = named<QScrollBar>(*w, "tactScroll");
    auto* rows = child<QScrollBar>("tactDirectionScroll");
    scroll->setValue(40);
    rows->setValue(5);
    {
        ModalScript script;
        script.chooseFile(at("sample.ptm"));
        w->menuAction(MenuOpen)->trigger();
        ASSERT_TRUE(script.done());
    }
    EXPECT_EQ(c->TactTable[3][0].kind, TactPhase);
    EXPECT_EQ(scroll->value(), 0);
    EXPECT_EQ(rows->value(), 0);

    scroll->setValue(12);
    rows->setValue(3);
    {
        ModalScript script;
        w->menuAction(MenuNew)->trigger();
    }
    EXPECT_EQ(scroll->value(), 0);
    EXPECT_EQ(rows->value(), 0);
}

TEST_F(MainWindowTest, ExitWithCancelKeepsTheChanges) {
    c->Modified = 1;
    ModalScript script;
    script.answer("Отмена");
    w->menuAction(MenuExit)->trigger();
    ASSERT_TRUE(script.done());
    expectBox(script.boxes, "Выход", "файл не был сохранен. Сохранить его сейчас?", QMessageBox::Question,
              (QStringList{"Да", "Нет", "Отмена"}));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(c->Modified, 1);

    script.answer("Нет");
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->refreshRunning());
}

TEST_F(MainWindowTest, ExitWithYesQuitsOnlyAfterTheSave) {
    w->startRefresh();
    c->Modified = 1;
    ModalScript script;
    // "Да", then the save dialog cancelled: the program stays with its changes.
    script.answer("Да");
    script.chooseFile("");
    w->menuAction(MenuExit)->trigger();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.dialogTitles, QStringList{"Сохранить"});
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->refreshRunning());
    EXPECT_EQ(c->Modified, 1);

    // "Да" and a name: saved as name.ptm, then the window closes.
    script.answer("Да");
    script.chooseFile(at("last"));
    w->close();
    ASSERT_TRUE(script.done());
    EXPECT_TRUE(std::filesystem::exists(dir / "last.ptm"));
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->refreshRunning());
}

TEST_F(MainWindowTest, RefreshWritesDerivedFieldsAndDrawsTheHeader) {
    // Фаза, Фаза, ТВП1, ТВП1, Фаза: blue edges after tacts 1, 2 and 4.
    const int32_t kinds[] = {TactPhase, TactPhase, TactTvp1, TactTvp1, TactPhase};
    for (int t = 0; t < 5; ++t) c->TactTable[3][t] = Tact{kinds[t], 2, 10 + t, 0, 0};
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    // Tables changed under the window, as a load changes them.
    w->configurationReplaced();
    EXPECT_EQ(c->TactTable[3][4].phaseNo, 3);
    EXPECT_EQ(c->TactTable[3][1].tEnd, 21);
    EXPECT_EQ(c->TactTable[3][4].tEnd, 35);
    const QImage& img = named<ui::CanvasView>(*w, "tactCanvas")->image();
    const QColor blue(0, 0, 255), teal(32, 178, 170);
    auto edge = [&](int n) { return img.pixelColor(63 * (n + 2) - 1, 200); };
    EXPECT_EQ(edge(0), blue);
    EXPECT_EQ(edge(1), blue);
    EXPECT_EQ(edge(2), teal);
    EXPECT_EQ(edge(3), blue);
    EXPECT_EQ(edge(4), teal);

    // At the last scroll position only the first column shows a tact.
    c->TactTable[3][320] = Tact{TactPhase, 1, 1, 0, 0};
    named<QScrollBar>(*w, "tactScroll")->setValue(320);
    w->refreshPass();
    const QImage& end = named<ui::CanvasView>(*w, "tactCanvas")->image();
    auto hasText = [&](int x0, int y0) {
        for (int x = x0 + 2; x < x0 + 60; ++x)
            for (int y = y0 + 1; y < y0 + 18; ++y)
                if (end.pixelColor(x, y) != QColor(63, 236, 205)) return true;
        return false;
    };
    EXPECT_TRUE(hasText(63, 0));
    EXPECT_FALSE(hasText(126, 0));
    EXPECT_EQ(end.pixelColor(126 + 30, 200), QColor(153, 153, 153));  // outside the table
}

TEST_F(MainWindowTest, RefreshClearsUnusedSlotsAndLabelsTrams) {
    livra::test::addDirection(*c, 0, DirVehicle);
    livra::test::addDirection(*c, 1, DirTram1);
    livra::test::addDirection(*c, 4, DirPedestrian);
    livra::test::addDirection(*c, 5, DirTram1);
    c->DirectionChannels[0][4] = 40;  // not a vehicle's slot
    c->DirectionChannels[4][1] = 41;  // pedestrians have no yellow
    const uint8_t red = c->DirectionChannels[0][0];
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    w->configurationReplaced();
    EXPECT_EQ(c->DirectionChannels[0][4], 0);
    EXPECT_EQ(c->DirectionChannels[4][1], 0);
    EXPECT_EQ(c->DirectionChannels[0][0], red);
    EXPECT_EQ(directionLabel(*c, 0), "1");
    EXPECT_EQ(directionLabel(*c, 2), "3.1");
    EXPECT_EQ(directionLabel(*c, 5), "6.2");
    EXPECT_EQ(directionLabel(*c, 7), "8.2");
    // The picture is shown: the not-applicable slot 4 of row 1 is pink.
    EXPECT_EQ(named<ui::CanvasView>(*w, "directionsCanvas")->image().pixelColor(63 + 33 * 4 + 2, 33 + 2), QColor(255, 198, 197));
}

TEST_F(MainWindowTest, DelayFieldsAndChannelCount) {
    QTest::keyClicks(named<QLineEdit>(*w, "tvp1Delay"), "30x0");
    EXPECT_EQ(c->Tvp1Delay, "0300");
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(named<QLineEdit>(*w, "tvp1Delay")->palette().color(QPalette::Base), QColor(243, 1, 26));
    named<QLineEdit>(*w, "tvp1Delay")->clear();
    QTest::keyClicks(named<QLineEdit>(*w, "tvp1Delay"), "255");
    EXPECT_EQ(named<QLineEdit>(*w, "tvp1Delay")->palette().color(QPalette::Base), QColor(Qt::white));

    ModalScript script;
    script.answer("Нет");
    QComboBox* box = named<QComboBox>(*w, "channelCount");
    emit box->activated(1);  // "16"
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Внимание!");
    EXPECT_EQ(box->currentText(), "64");
    EXPECT_EQ(c->ChannelCount, 64);
    script.answer("Да");
    box->setCurrentIndex(0);
    emit box->activated(0);
    EXPECT_EQ(c->ChannelCount, 8);

    // A loaded project's count outside the list is still shown.
    c->ChannelCount = 20;
    w->configurationReplaced();
    EXPECT_EQ(box->currentText(), "20");
    EXPECT_EQ(box->itemText(2), "20");
}

TEST_F(MainWindowTest, CopyBoxesCopyIntoUserProgramsAndDays) {
    auto sample = livra::test::sampleConfiguration();
    c->TactTable = sample->TactTable;
    c->TactSignals = sample->TactSignals;
    c->Calendar = sample->Calendar;
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    // Program 2 (ЖМ) selected: "Ok" does nothing, not even mark a change.
    named<QComboBox>(*w, "programBox")->setCurrentIndex(1);
    EXPECT_EQ(c->CurrentProgram, 1);
    QTest::mouseClick(child<QPushButton>("copyProgramOk"), Qt::LeftButton);
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(c->TactTable[1][0].kind, TactEmpty);
    // Program 6 gets a copy of program 4.
    named<QComboBox>(*w, "programBox")->setCurrentIndex(5);
    QTest::mouseClick(child<QPushButton>("copyProgramOk"), Qt::LeftButton);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(c->TactTable[5], c->TactTable[3]);
    EXPECT_EQ(c->TactSignals[5], c->TactSignals[3]);

    // Monday's alarms onto Sunday.
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    named<QTabBar>(*w, "dayTabs")->setCurrentIndex(6);
    QTest::mouseClick(child<QPushButton>("copyDayOk"), Qt::LeftButton);
    EXPECT_EQ(c->Calendar[6], c->Calendar[0]);
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 0)->text(), "00:00");
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 1)->text(), "04");
}

TEST_F(MainWindowTest, UndoAndRedoTakeBackTheEditsAndShowWhereTheyHappened) {
    auto sample = livra::test::sampleConfiguration();
    c->TactTable = sample->TactTable;
    c->TactSignals = sample->TactSignals;
    c->Calendar = sample->Calendar;
    c->Calendar[6].fill(CalendarEntry{});
    c->Calendar[6][0] = CalendarEntry{0, 8, 5};  // Sunday: 08:00 program 5 only
    w->configurationReplaced();  // as "Открыть" does
    const Configuration opened = *c;
    QAction* undo = w->menuAction(MenuUndo);
    QAction* redo = w->menuAction(MenuRedo);
    w->refreshPass();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    // Program 6 gets a copy of program 4, then Monday goes onto Sunday.
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    named<QComboBox>(*w, "programBox")->setCurrentIndex(5);
    QTest::mouseClick(child<QPushButton>("copyProgramOk"), Qt::LeftButton);
    w->refreshPass();
    EXPECT_TRUE(undo->isEnabled());
    const Configuration copied = *c;
    named<QComboBox>(*w, "programBox")->setCurrentIndex(8);
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    named<QTabBar>(*w, "dayTabs")->setCurrentIndex(6);
    QTest::mouseClick(child<QPushButton>("copyDayOk"), Qt::LeftButton);
    w->refreshPass();
    ASSERT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 0)->text(), "00:00");

    undo->trigger();  // the day copy: Sunday as it was, on screen too
    EXPECT_TRUE(c->sameTables(copied));
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 0)->text(), "08:00");
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 1)->text(), "05");
    EXPECT_EQ(c->CurrentProgram, 8);
    undo->trigger();  // the program copy: program 6 empty again, and shown
    EXPECT_TRUE(c->sameTables(opened));
    EXPECT_EQ(c->CurrentProgram, 5);
    EXPECT_EQ(named<QComboBox>(*w, "programBox")->currentIndex(), 5);
    // Back on the tables as opened: the history knows they are the saved ones.
    EXPECT_EQ(c->Modified, 0);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());

    redo->trigger();
    EXPECT_TRUE(c->sameTables(copied));
    EXPECT_EQ(c->TactTable[5], c->TactTable[3]);

    // Another project: nothing before it can be undone.
    w->configurationReplaced();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
}

TEST_F(MainWindowTest, ServiceAsksForThePasswordAndIgnoresAWrongOne) {
    ModalScript script;
    QString title, label;
    bool hidden = false;
    script.act([&](QWidget* widget) {
        auto* input = qobject_cast<QInputDialog*>(widget);
        if (!input) return false;
        title = input->windowTitle();
        label = input->labelText();
        hidden = input->textEchoMode() == QLineEdit::Password;
        input->setTextValue("1234");
        input->accept();
        return true;
    });
    w->menuAction(MenuService)->trigger();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, "Сервис");
    EXPECT_EQ(label, "Пароль");
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(MainWindowTest, CanvasClicksAndPopupItemsReachTheEditors) {
    QList<QPair<QPoint, int>> tactClicks, dirClicks;
    QList<QPair<int, int>> chosen;
    QObject::connect(named<ProgramsTab>(*w, "programsTab"), &ProgramsTab::canvasClicked,
                     [&](QPoint p, Qt::MouseButton b) { tactClicks.append({p, int(b)}); });
    QObject::connect(named<DirectionsTab>(*w, "directionsTab"), &DirectionsTab::canvasClicked,
                     [&](QPoint p, Qt::MouseButton b) { dirClicks.append({p, int(b)}); });
    QObject::connect(&w->editors().popups(), &PopupMenus::chosen, [&](int ctx, int id) { chosen.append({ctx, id}); });

    QTest::mouseClick(named<ui::CanvasView>(*w, "directionsCanvas"), Qt::RightButton, {}, QPoint(10, 40));
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    QTest::mouseClick(named<ui::CanvasView>(*w, "tactCanvas"), Qt::LeftButton, {}, QPoint(70, 120));
    ASSERT_EQ(dirClicks.size(), 1);
    EXPECT_EQ(dirClicks[0], (QPair<QPoint, int>{QPoint(10, 40), int(Qt::RightButton)}));
    ASSERT_EQ(tactClicks.size(), 1);
    EXPECT_EQ(tactClicks[0], (QPair<QPoint, int>{QPoint(70, 120), int(Qt::LeftButton)}));

    // Right click on the calendar list: its pop-up, third item "Удалить".
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < 3; ++i) QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit named<QTableWidget>(*w, "calendarList")->customContextMenuRequested(QPoint(20, 20));
    EXPECT_EQ(w->editors().popups().context(), PopupCalendar);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0], (QPair<int, int>{PopupCalendar, 3}));
}

TEST_F(MainWindowTest, CalendarListShowsTheSelectedDay) {
    livra::test::addAlarm(*c, 1, 7, 5, 4);
    livra::test::addAlarm(*c, 1, 22, 30, 2);
    named<ui::DirectionsTab>(*w, "directionsTab")->refreshCalendarList();
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 0)->text(), "");
    QTest::mouseClick(named<QTabBar>(*w, "dayTabs"), Qt::LeftButton, {}, named<QTabBar>(*w, "dayTabs")->tabRect(1).center());
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 0)->text(), "07:05");
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(0, 1)->text(), "04");
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(1, 1)->text(), "02(ЖМ)");
    EXPECT_EQ(named<QTableWidget>(*w, "calendarList")->item(2, 0)->text(), "");
}

TEST_F(MainWindowTest, AboutBoxAndMissingHelpAndLoader) {
    w->menuAction(MenuAbout)->trigger();
    auto* about = w->findChild<QDialog*>("aboutBox");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "О программе...");
    EXPECT_EQ(about->size(), QSize(390, 290));
    const QString text = about->findChild<QPlainTextEdit*>("aboutText")->toPlainText();
    EXPECT_TRUE(text.startsWith("Программа: Конфигуратор 'Ливра'\nВерсия: 1.02\nКласс : 2\n"));
    EXPECT_TRUE(text.contains(QString("\nСборка: ") + LIVRA_VERSION + "\n")) << text.toStdString();
    const QString dir0 = QDir::currentPath();
    about->close();  // the close box behaves like "Ок"
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->findChild<QDialog*>("aboutBox"), nullptr);

    // Without help.chm "Справка" opens the user guide (see the polish tests).
    QDir::setCurrent(at(""));
    ModalScript script;
    script.answer("Ок");
    QTest::mouseClick(buttonText("Загрузчик"), Qt::LeftButton);
    QDir::setCurrent(dir0);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Загрузчик");
    EXPECT_TRUE(script.boxes[0].text.contains("BootLoader.exe"));
}

TEST_F(MainWindowTest, ExchangeAnimationStartsWithItsSecondFrame) {
    ExchangeWindow x(w.get());
    EXPECT_EQ(x.frame(), 1);
    EXPECT_EQ(x.findChild<QWidget*>("exchangeAnimation")->geometry(), QRect(5, 5, 100, 100));
    EXPECT_EQ(x.cancelButton()->geometry(), QRect(5, 110, 100, 30));
    EXPECT_EQ(x.cancelButton()->text(), "Отмена");
}

TEST_F(MainWindowTest, ExchangeWindowDisablesTheMainWindowAndCancels) {
    QtDialogs& d = w->dialogs();
    d.exchangeBegin();
    ExchangeWindow* x = d.exchangeWindow();
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->windowTitle(), "Обмен данными");
    EXPECT_EQ(x->size(), QSize(110, 145));
    EXPECT_FALSE(w->isEnabled());
    EXPECT_FALSE(x->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(d.cancelRequested());
    // The main window cannot be closed during an exchange.
    c->Modified = 0;
    w->close();
    EXPECT_TRUE(w->isVisible());
    // No refresh pass runs while the command waits for the controller.
    c->TactTable[3][0] = Tact{TactPhase, 1, 7, 0, 0};
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    w->refreshPass();
    EXPECT_EQ(c->TactTable[3][0].tEnd, 0);
    d.exchangeProgress(4100, 8200);
    QTest::mouseClick(x->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(d.cancelRequested());
    d.exchangeEnd();
    EXPECT_EQ(d.exchangeWindow(), nullptr);
    EXPECT_TRUE(w->isEnabled());
    w->configurationReplaced();
    EXPECT_EQ(c->TactTable[3][0].tEnd, 7);
}

// The program started as a user starts it: the project of the command line.
TEST(StartUp, CommandLineProjectOpensWithoutQuestions) {
    TempDir dir;
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
    auto cfg = livra::test::sampleConfiguration();
    livra::test::writeBytes(dir / "cross.ptm", serializeProject(*cfg, Bytes{7, 7}));
    livra::test::writeBytes(dir / "imit.snt", Bytes{1});
    // Named relative to the start folder; kept as a full path.
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(pathToUtf8(dir.path())));
    StartOptions o;
    o.project = "cross.ptm";
    Session s(o);
    ModalScript script;
    s.start();
    QDir::setCurrent(before);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(std::filesystem::path(s.configuration().ProjectFileName), std::filesystem::absolute(dir / "cross.ptm"));
    EXPECT_TRUE(s.configuration().sameTables(*cfg));
    EXPECT_EQ(s.window().windowTitle(), "Конфигуратор ДК 'Ливра'  -  cross.ptm");
    EXPECT_TRUE(s.window().isVisible());
    EXPECT_TRUE(s.window().refreshRunning());
    // The plan of the project replaced the left-over one.
    EXPECT_EQ(livra::test::readBytes(dir / "imit.snt"), (Bytes{7, 7}));
    qunsetenv("LIVRA_WORKDIR");
}

TEST(StartUp, NonProjectShowsTheLoaderErrorAndContinuesEmpty) {
    TempDir dir;
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
    livra::test::writeBytes(dir / "notes.ptm", Bytes{'n', 'o', 'p', 'e', '\n'});
    livra::test::writeBytes(dir / "imit.snt", Bytes{1});
    StartOptions o;
    o.project = pathToUtf8(dir / "notes.ptm");
    Session s(o);
    ModalScript script;
    script.answer("Ок");
    s.start();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Ошибка");
    EXPECT_EQ(script.boxes[0].text, "Формат файла не поддерживается");
    EXPECT_TRUE(s.configuration().sameTables(Configuration()));
    EXPECT_EQ(s.window().windowTitle(), "Конфигуратор ДК 'Ливра'");
    EXPECT_FALSE(std::filesystem::exists(dir / "imit.snt"));
    qunsetenv("LIVRA_WORKDIR");
}

TEST(StartUp, CommandLineOptions) {
    std::string error;
    auto o = parseCommandLine({"--port", "/dev/ttyUSB0", "a.ptm"}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->port, "/dev/ttyUSB0");
    EXPECT_EQ(o->project, "a.ptm");
    EXPECT_FALSE(parseCommandLine({"--port", "x", "--virtual-controller"}, error));
    EXPECT_FALSE(parseCommandLine({"--port"}, error));
    EXPECT_FALSE(parseCommandLine({"--bogus"}, error));
    EXPECT_FALSE(parseCommandLine({"a.ptm", "b.ptm"}, error));
    o = parseCommandLine({"--virtual-controller"}, error);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->virtualController);

    // Qt's own options are left to Qt, with their values, in either spelling.
    o = parseCommandLine({"-platform", "offscreen", "a.ptm", "-style=fusion", "-reverse", "--quit-after-show"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->project, "a.ptm");
    EXPECT_TRUE(o->quitAfterShow);
    o = parseCommandLine({"a.ptm", "-platform"}, error);
    EXPECT_FALSE(o) << "a Qt option without its value is a second project name";
    o = parseCommandLine({"-platformx", "offscreen"}, error);
    EXPECT_FALSE(o) << "only Qt's exact option names are skipped";
}

// A big table is moved with the wheel over its picture, not only by its bars:
// the wheel scrolls directions, Shift+wheel or a sideways wheel the tacts, a
// touchpad's small steps add up to a notch, and the bars' ends hold.
TEST_F(MainWindowTest, WheelOverTheTablesScrollsThem) {
    auto wheel = [](QWidget* target, QPoint delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF at(50, 150);
        QWheelEvent e(at, target->mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    };
    const int lines = QApplication::wheelScrollLines();
    QScrollBar* dirs = child<QScrollBar>("directionsScroll");
    QScrollBar* tacts = child<QScrollBar>("tactScroll");
    QScrollBar* tactDirs = child<QScrollBar>("tactDirectionScroll");

    wheel(named<ui::CanvasView>(*w, "directionsCanvas"), QPoint(0, -120));
    EXPECT_EQ(dirs->value(), lines);
    wheel(named<ui::CanvasView>(*w, "directionsCanvas"), QPoint(0, 120));
    EXPECT_EQ(dirs->value(), 0);

    wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(0, -240));
    EXPECT_EQ(tactDirs->value(), 2 * lines);
    EXPECT_EQ(tacts->value(), 0);
    wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(tacts->value(), lines);
    EXPECT_EQ(tactDirs->value(), 2 * lines);
    wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(-120, 0));
    EXPECT_EQ(tacts->value(), 2 * lines);

    for (int i = 0; i < 3; ++i) wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(-40, 0));
    EXPECT_EQ(tacts->value(), 3 * lines);

    for (int i = 0; i < 200; ++i) wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(-120, 0));
    EXPECT_EQ(tacts->value(), TactCount - 1);
    wheel(named<ui::CanvasView>(*w, "tactCanvas"), QPoint(0, 120));
    EXPECT_EQ(tactDirs->value(), lines);
}

TEST(StartUp, SecondInstanceExitsAtOnce) {
    TempDir dir;
    const std::string name = "livra-test-" + std::to_string(::getpid());
    const std::vector<std::pair<std::string, std::string>> env = {
        {"LIVRA_INSTANCE_NAME", name}, {"QT_QPA_PLATFORM", "offscreen"}, {"LIVRA_WORKDIR", pathToUtf8(dir.path())}};
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.held());
        EXPECT_FALSE(SingleInstance(name).held());
        auto r = livra::test::runProgram(LIVRA_CONFIGURATOR_PATH, {"--quit-after-show"}, env);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "");  // ended before any window
    }
    // Released with its holder: the next start shows its window.
    auto r = livra::test::runProgram(LIVRA_CONFIGURATOR_PATH, {"--quit-after-show"}, env);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("shown after"), std::string::npos);
}

}  // namespace
