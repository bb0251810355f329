// Everyday editing through the real widgets: the programs at a glance, the
// calendar by templates, the first-use hint, the plan picture found beside
// its project, the tact dialog's kind; each edit one undo step.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "format/project_pack.h"
#include "model/files.h"
#include "model/project_file.h"
#include "sim/sim_control.h"
#include "support/test_support.h"
#include "directions_tab_helpers.h"
#include "tact_grid_helpers.h"
#include "ui/calendar/alarm_dialog.h"
#include "ui/calendar/copy_days_dialog.h"
#include "ui/directions/direction_dialogs.h"
#include "ui/plan/plan_surface.h"
#include "ui/simulator/simulator_window.h"
#include "window_parts.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;
using livra::uitest::PopupClick;

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";

class Comfort : public ::testing::Test {
protected:
    std::unique_ptr<Configuration> c = livra::test::sampleConfiguration();
    std::unique_ptr<MainWindow> w;
    void SetUp() override {
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
        w->configurationReplaced();
    }
    void tab(int index) { named<QTabWidget>(*w, "tabs")->setCurrentIndex(index); }
    QString undoText() { return w->menuAction(MenuUndo)->text(); }
};

TEST_F(Comfort, TheProgramListSaysCycleTactsAndCalendarAndTheTabTheCycle) {
    tab(MainWindow::TabPrograms);
    auto* box = named<QComboBox>(*w, "programBox");
    const int summary = Qt::UserRole + 1;
    // Program 4: 20 + 3 + 15 s, switched to on Monday.
    EXPECT_EQ(box->itemData(3, summary).toString(), "4 — 38 с, 3 такта, по календарю");
    EXPECT_EQ(box->itemData(5, summary).toString(), "6 — пусто");
    EXPECT_EQ(box->itemData(1, summary).toString(), "2 (ЖМ)");
    EXPECT_EQ(box->currentText(), "4");  // the closed box keeps the number
    EXPECT_EQ(named<QLabel>(*w, "programCycle")->text(), "Цикл 38 с\n3 такта");

    // A copy into program 6 shows there; "Отменить" takes it back.
    box->setCurrentIndex(5);
    QTest::mouseClick(named<QPushButton>(*w, "copyProgramOk"), Qt::LeftButton);
    EXPECT_EQ(box->itemData(5, summary).toString(), "6 — 38 с, 3 такта");
    EXPECT_EQ(named<QLabel>(*w, "programCycle")->text(), "Цикл 38 с\n3 такта");
    w->stepHistory(true);
    EXPECT_EQ(box->itemData(5, summary).toString(), "6 — пусто");
    EXPECT_EQ(named<QLabel>(*w, "programCycle")->text(), "");
}

TEST_F(Comfort, TheCalendarTakesTypedTimesTemplatesAndCopiesToChosenDays) {
    tab(MainWindow::TabDirections);
    const auto before = c->Calendar;
    ModalScript script;
    bool listsHidden = false;
    QString refusal;
    // "Добавить": 25:00 is refused in place, then 06:30 on "Будни".
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<AlarmDialog*>(widget);
        if (!d) return false;
        listsHidden = !d->hourList()->isVisible() && !d->minuteList()->isVisible() && d->timeField()->isVisible();
        d->timeField()->clear();
        QTest::keyClicks(d->timeField(), "25:00");
        // The refusal opens inside this step, where the script's own timer
        // cannot run again: it is answered from here.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refusal = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        d->timeField()->clear();
        QTest::keyClicks(d->timeField(), "06:30");
        EXPECT_EQ(d->hourList()->currentIndex(), 6);  // in step behind the field
        d->programList()->setCurrentIndex(3);          // program 5
        d->daysBox()->setCurrentIndex(1);              // "Будни"
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    {
        PopupClick menu("Добавить");
        livra::uitest::rightClickCalendar(*w, 0);
        EXPECT_TRUE(menu.done());
    }
    ASSERT_TRUE(script.done());
    EXPECT_TRUE(listsHidden);
    EXPECT_EQ(refusal, "Время задано неверно.\nВведите часы и минуты, например 06:30");
    for (int d = 0; d < 5; ++d) {
        bool found = false;
        for (const CalendarEntry& e : c->Calendar[d]) found |= e == CalendarEntry{30, 6, 5};
        EXPECT_TRUE(found) << d;
    }
    for (const CalendarEntry& e : c->Calendar[6]) EXPECT_NE(e, (CalendarEntry{30, 6, 5}));
    EXPECT_EQ(undoText(), "Отменить: запись календаря");

    // Monday onto the weekend through "В другие дни…" and its template.
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<CopyDaysDialog*>(widget);
        if (!d) return false;
        EXPECT_FALSE(d->dayBox(0)->isEnabled());  // the day copied
        QTest::mouseClick(d->templateButton(1), Qt::LeftButton);  // "Выходные"
        EXPECT_TRUE(d->dayBox(5)->isChecked() && d->dayBox(6)->isChecked() && !d->dayBox(2)->isChecked());
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    named<QTabBar>(*w, "dayTabs")->setCurrentIndex(0);
    QTest::mouseClick(named<QPushButton>(*w, "copyToDaysButton"), Qt::LeftButton);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->Calendar[5], c->Calendar[0]);
    EXPECT_EQ(c->Calendar[6], c->Calendar[0]);
    EXPECT_EQ(undoText(), "Отменить: копия суток");
    w->stepHistory(true);
    w->stepHistory(true);
    EXPECT_EQ(c->Calendar, before);
}

TEST(ComfortHints, AnEmptyProjectSaysWhereToBeginAndTheWholeRowAddsADirection) {
    auto c = livra::test::newConfiguration();
    MainWindow w(*c, nullptr);
    w.show();
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    w.refreshPass();
    auto* canvas = named<CanvasView>(w, "directionsCanvas");
    EXPECT_EQ(canvas->image().pixelColor(63 + 10, 33 + 3), QColor(255, 255, 225));  // the hint's ground
    EXPECT_TRUE(canvas->image().save(livra::uitest::screenshotPath("directions_hint.png")));
    // A click on the hint, in the row's slots, opens the directions dialog.
    ModalScript script;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<DirectionsDialog*>(widget);
        if (!d) return false;
        QTest::mouseClick(d->kindButton(DirVehicle), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(canvas, Qt::LeftButton, {}, livra::uitest::slotCell(0, 3));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->DirectionKind[0], DirVehicle);
    w.refreshPass();
    EXPECT_NE(canvas->image().pixelColor(63 + 10, 33 + 3), QColor(255, 255, 225));  // gone with the first direction
    EXPECT_EQ(w.menuAction(MenuUndo)->text(), "Отменить: направление");
    w.stepHistory(true);
    EXPECT_EQ(c->DirectionKind[0], DirEmpty);
}

TEST(ComfortHints, AnEmptyTactOffersTheKindThatFollowsTheOneBefore) {
    auto c = livra::test::sampleConfiguration();  // program 4: phase, intermediate, phase
    MainWindow w(*c, nullptr);
    w.show();
    w.configurationReplaced();
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    ModalScript script;
    int kind = -2;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<TactPropertiesDialog*>(widget);
        if (!d) return false;
        kind = d->kindBox()->currentIndex();
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<CanvasView>(w, "tactCanvas"), Qt::LeftButton, {}, livra::uitest::tactHeader(w, 3));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(kind, 1);  // "Промтакт" after the second phase
    EXPECT_EQ(suggestedTactKind(*c, 3, 0), TactPhase);
    EXPECT_EQ(suggestedTactKind(*c, 3, 2), TactPhase);  // after the intermediate tact
}

TEST(ComfortPlan, APictureBesideTheProjectIsFoundAndAMissingOneIsSaid) {
    TempDir dir;
    // The sample unpacked elsewhere: its picture in shem/ beside it, none in the working folder.
    std::filesystem::create_directories(dir / "away" / "shem");
    std::filesystem::copy_file(kExamples / "crossroad.ptm", dir / "away" / "crossroad.ptm");
    std::filesystem::copy_file(kExamples / "shem" / "crossroad.png", dir / "away" / "shem" / "crossroad.png");
    std::filesystem::create_directories(dir / "work");
    Configuration c;
    c.ProgramDir = pathToUtf8(dir / "work") + "/";
    ASSERT_TRUE(loadProject(c, pathToUtf8(dir / "away" / "crossroad.ptm")).ok());
    c.ProjectFileName = pathToUtf8(dir / "away" / "crossroad.ptm");
    SimulatorMemory memory;
    {
        SimulatorWindow s(c, memory);
        s.show();
        auto* surface = s.findChild<PlanSurface*>();
        ASSERT_TRUE(surface);
        EXPECT_FALSE(surface->planPicture().isNull());
        EXPECT_TRUE(surface->missingPictureNote().isEmpty());
    }
    std::filesystem::remove(dir / "away" / "shem" / "crossroad.png");
    {
        SimulatorWindow s(c, memory);
        s.show();
        auto* surface = s.findChild<PlanSurface*>();
        ASSERT_TRUE(surface);
        EXPECT_TRUE(surface->planPicture().isNull());
        EXPECT_EQ(surface->missingPictureNote(),
                  "Не найден рисунок плана перекрестка crossroad.png\n"
                  "Искали в папке shem программы и в папке shem рядом с проектом");
        EXPECT_TRUE(surface->grab().save(livra::uitest::screenshotPath("plan_picture_missing.png")));
    }
}

TEST(ComfortPack, TheMenuPacksTheSavedProjectAndUnpackingGivesItBackByteForByte) {
    TempDir dir;
    std::filesystem::create_directories(dir / "away" / "shem");
    std::filesystem::create_directories(dir / "work");
    for (const char* name : {"crossroad.ptm", "crossroad.safety.json"})
        if (std::filesystem::exists(kExamples / name)) std::filesystem::copy_file(kExamples / name, dir / "away" / name);
    std::filesystem::copy_file(kExamples / "shem" / "crossroad.png", dir / "away" / "shem" / "crossroad.png");
    const QByteArray workBefore = qgetenv("LIVRA_WORKDIR");
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir / "work")));
    Configuration c;
    c.ProgramDir = pathToUtf8(dir / "work") + "/";
    const std::string project = pathToUtf8(dir / "away" / "crossroad.ptm");
    ASSERT_TRUE(loadProject(c, project).ok());
    c.ProjectFileName = project;
    c.Modified = 0;
    MainWindow w(c, nullptr);
    w.show();
    ModalScript script;
    script.chooseFile(QString::fromStdString(pathToUtf8(dir / "sent")));
    w.menuAction(MenuPack)->trigger();
    ASSERT_TRUE(script.done());
    const auto archive = dir / "sent.zip";
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), QString::fromStdString("Проект упакован: " + pathToUtf8(archive)));
    const UnpackResult back = unpackProject(archive, dir / "back");
    ASSERT_TRUE(back.ok) << back.message;
    EXPECT_EQ(readWholeFile(dir / "back" / "crossroad.ptm"), readWholeFile(dir / "away" / "crossroad.ptm"));
    EXPECT_EQ(readWholeFile(dir / "back" / "shem" / "crossroad.png"),
              readWholeFile(dir / "away" / "shem" / "crossroad.png"));
    if (std::filesystem::exists(dir / "away" / "crossroad.safety.json")) {
        EXPECT_EQ(readWholeFile(dir / "back" / "crossroad.safety.json"),
                  readWholeFile(dir / "away" / "crossroad.safety.json"));
    }

    // A changed project is not packed: the archive would miss the change.
    c.Modified = 1;
    script.answer("Ок");
    w.menuAction(MenuPack)->trigger();
    ASSERT_TRUE(script.done());
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, "Сначала сохраните проект: в архив идут сохранённые файлы");
    if (workBefore.isEmpty()) qunsetenv("LIVRA_WORKDIR");
    else qputenv("LIVRA_WORKDIR", workBefore);
}

}  // namespace
