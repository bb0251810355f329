// The simulator window driven as a user drives it: real clicks on its
// buttons, its timers stepped by hand instead of waited for.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <filesystem>
#include <sstream>

#include "model/project_file.h"
#include "plan/plan_pictures.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/session.h"
#include "ui/simulator/simulator_window.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";

class SimulatorWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    Configuration c;
    SimulatorMemory memory;
    std::unique_ptr<SimulatorWindow> w;

    void SetUp() override {
        c.ProgramDir = pathToUtf8(dir.path()) + "/";
        ASSERT_TRUE(loadProject(c, pathToUtf8(kExamples / "crossroad.ptm")).ok());
        std::filesystem::create_directories(dir / "shem");
        std::filesystem::copy_file(kExamples / "shem" / "crossroad.png", dir / "shem" / "crossroad.png");
        open();
    }
    void open() {
        w = std::make_unique<SimulatorWindow>(c, memory);
        w->show();
    }
    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() / 2)); }
    void setPickers(QDate d, QTime t) {
        w->datePicker()->setDate(d);
        w->timePicker()->setTime(t);
        click(w->setClockButton());
    }
    // Signal of each head by direction; every head of a direction agrees.
    std::map<int, int> headSignals() {
        std::map<int, int> s;
        for (const PlanObject& o : w->plan().planObjects) {
            if (!o.isHead()) continue;
            if (s.count(o.direction)) {
                EXPECT_EQ(s[o.direction], o.signal) << "direction " << int(o.direction);
            }
            s[o.direction] = o.signal;
        }
        return s;
    }
    bool allHeadsDark() {
        for (const PlanObject& o : w->plan().planObjects)
            if (o.isHead() && w->planSurface().headPicture(o.id) != darkHeadPicture(c.DirectionKind[o.direction - 1]))
                return false;
        return true;
    }
    void shoot(const char* name) {
        const QString out = LIVRA_SCREENSHOT_DIR;
        ASSERT_TRUE(QDir().mkpath(out));
        EXPECT_TRUE(w->grab().save(out + "/" + name)) << name;
    }
};

TEST_F(SimulatorWindowTest, OpensStoppedAndDarkWithItsControls) {
    EXPECT_EQ(w->windowTitle(), "Имитатор");
    EXPECT_EQ(w->size(), QSize(500, 600));
    EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(w->planSurface().geometry(), QRect(0, 0, 500, 500));
    EXPECT_EQ(w->datePicker()->geometry(), QRect(10, 510, 85, 20));
    EXPECT_EQ(w->datePicker()->displayFormat(), "dd.MM.yyyy");
    EXPECT_EQ(w->timePicker()->geometry(), QRect(10, 540, 85, 25));
    EXPECT_EQ(w->clockLabel()->geometry(), QRect(100, 510, 120, 20));
    EXPECT_EQ(w->clockLabel()->text(), "??.??.??.???? ??:??:??");
    EXPECT_EQ(w->setClockButton()->text(), "Установить");
    EXPECT_EQ(w->setClockButton()->geometry(), QRect(105, 540, 95, 20));
    EXPECT_EQ(w->callButton(1)->geometry(), QRect(235, 530, 20, 20));
    EXPECT_EQ(w->callButton(2)->geometry(), QRect(265, 530, 20, 20));
    EXPECT_EQ(w->callDelayLabel(1)->text(), "000");
    EXPECT_EQ(w->callDelayLabel(2)->geometry(), QRect(265, 555, 20, 15));
    std::map<QString, QRect> frames;
    for (QGroupBox* g : w->findChildren<QGroupBox*>()) frames[g->title()] = g->geometry();
    EXPECT_EQ(frames["ТВП"], QRect(225, 510, 65, 65));
    EXPECT_EQ(frames["Отладчик"], QRect(295, 510, 89, 76));
    const std::pair<QToolButton*, QRect> runControls[] = {{w->runButton(), {305, 530, 20, 20}},
                                                          {w->pauseButton(), {330, 530, 20, 20}},
                                                          {w->stopButton(), {355, 530, 20, 20}},
                                                          {w->stepButton(), {305, 555, 32, 20}}};
    QStringList tips;
    for (auto [b, place] : runControls) {
        EXPECT_EQ(b->geometry(), place) << b->toolTip().toStdString();
        tips << b->toolTip();
    }
    EXPECT_EQ(tips, (QStringList{"Пуск", "Пауза", "Стоп", "шаг вперед"}));
    EXPECT_TRUE(w->runButton()->isCheckable() && w->pauseButton()->isCheckable());
    QStringList captions;
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->geometry().x() == 390) captions << l->text();
    EXPECT_EQ(captions, (QStringList{"Пр.№", "Такт №", "Время"}));
    EXPECT_EQ(w->programField()->geometry(), QRect(435, 515, 45, 15));
    EXPECT_EQ(w->timeField()->text(), "");
    EXPECT_EQ(w->closeButton()->text(), "Закрыть");
    EXPECT_EQ(w->closeButton()->geometry(), QRect(410, 575, 75, 20));

    // The sample's plan: 8 heads with labels, the probe last, the picture.
    EXPECT_EQ(w->plan().planObjects.size(), 18u);
    EXPECT_EQ(w->plan().planObjects.back().id, PointerProbeId);
    EXPECT_EQ(w->planSurface().planPicture().size(), QSize(500, 500));
    EXPECT_EQ((std::map<int, int>{{1, 7}, {2, 7}, {3, 7}, {4, 7}}), headSignals());
    EXPECT_TRUE(allHeadsDark());
    // Timers idle while stopped: the clock stands, nothing blinks.
    EXPECT_TRUE(w->timersActive());
    const int phase = w->planSurface().blinkPhase();
    w->simulationSecond();
    w->blinkStep();
    EXPECT_EQ(w->clockLabel()->text(), "??.??.??.???? ??:??:??");
    EXPECT_EQ(w->planSurface().blinkPhase(), phase);
    // "Пауза" and "шаг вперед" need a started run.
    click(w->pauseButton());
    EXPECT_FALSE(w->pauseButton()->isChecked());
    click(w->stepButton());
    EXPECT_EQ(w->simulation().state.simKind, 0);
    shoot("simulator_stopped.png");

    // The first tick without "Установить" runs from the clock's zero.
    click(w->runButton());
    w->simulationSecond();
    EXPECT_EQ(w->clockLabel()->text(), "Чт.01.01.1970  00:00:01");
    // The sample runs its full cycle from there: its all-red start-up, then
    // road 1 and its walkers go.
    EXPECT_EQ(w->programField()->text(), "4");
    EXPECT_EQ((std::map<int, int>{{1, 1}, {2, 1}, {3, 1}, {4, 1}}), headSignals());
    for (int s = 0; s < 6; ++s) w->simulationSecond();
    EXPECT_EQ(w->tactField()->text(), "3");
    EXPECT_EQ((std::map<int, int>{{1, 3}, {2, 1}, {3, 3}, {4, 1}}), headSignals());
}

// The window must play exactly what the engine plays: compared line by line
// with `livra simulate` over the same start, seconds and call presses.
TEST_F(SimulatorWindowTest, RunShowsWhatTheCommandLinePrints) {
    const int seconds = 150, callAt = 20;
    const auto cli = livra::test::runLivra({"simulate", pathToUtf8(kExamples / "crossroad.ptm"), "--start",
                                            "07.12.2026 05:59:50", "--seconds", std::to_string(seconds), "--call1",
                                            std::to_string(callAt)});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;

    setPickers(QDate(2026, 12, 7), QTime(5, 59, 50));
    EXPECT_EQ(w->clockLabel()->text(), "Пн.07.12.2026  05:59:50");
    click(w->runButton());
    EXPECT_TRUE(w->runButton()->isChecked());
    EXPECT_FALSE(w->planSurface().editingAllowed());

    std::ostringstream shown;
    bool sawGreenAndRed = false, sawBlink = false, sawCalled = false;
    for (int s = 0; s < seconds; ++s) {
        if (s == callAt) {
            click(w->callButton(1));
            EXPECT_TRUE(w->callButton(1)->property("called").toBool());
            shoot("simulator_called.png");
            sawCalled = true;
        }
        w->simulationSecond();
        const auto heads = headSignals();
        shown << w->clockLabel()->text().toStdString() << '\t' << w->programField()->text().toStdString() << '\t'
              << w->tactField()->text().toStdString() << '\t';
        for (int d = 1; d <= 5; ++d) {
            const int signal = w->simulation().display.directions[d - 1].signal;
            if (heads.count(d)) {
                EXPECT_EQ(heads.at(d), signal) << "second " << s << " direction " << d;
            }
            shown << (d > 1 ? " " : "") << signal;
        }
        shown << '\n';
        // Each head shows the picture of its signal at once.
        for (const PlanObject& o : w->plan().planObjects)
            if (o.isHead()) {
                EXPECT_EQ(w->planSurface().headPicture(o.id),
                          chooseHeadPicture(o.kind, o.signal, w->planSurface().blinkPhase(), PlanDrawMode::Blink));
            }
        if (!sawGreenAndRed && heads.at(1) == SignalGreen && heads.at(2) == SignalRed) {
            sawGreenAndRed = true;
            shoot("simulator_running.png");
        }
        if (!sawBlink && heads.at(1) == SignalFlashingGreen) {
            // Both blink phases of the flashing green, 500 ms apart.
            sawBlink = true;
            w->blinkStep();
            const auto first = w->planSurface().headPicture(1);
            shoot(w->planSurface().blinkPhase() == 1 ? "simulator_blink_lit.png" : "simulator_blink_dark.png");
            w->blinkStep();
            const auto second = w->planSurface().headPicture(1);
            shoot(w->planSurface().blinkPhase() == 1 ? "simulator_blink_lit.png" : "simulator_blink_dark.png");
            EXPECT_NE(first, second);
            EXPECT_TRUE(first == (HeadPicture{HeadPictureSet::Vehicle, 3}) ||
                        second == (HeadPicture{HeadPictureSet::Vehicle, 3}));
        }
    }
    EXPECT_EQ(shown.str(), cli.out);
    EXPECT_TRUE(sawGreenAndRed && sawBlink && sawCalled);
    // The call was served: its ТВП1 tacts ran and the button is idle again.
    EXPECT_NE(cli.out.find("\t4\t7\t1 1 3 3 1\n"), std::string::npos);
    EXPECT_FALSE(w->callButton(1)->property("called").toBool());
}

TEST_F(SimulatorWindowTest, PauseStepStopAndCalls) {
    setPickers(QDate(2026, 12, 7), QTime(5, 59, 58));  // program 2 (ЖМ) until 06:00
    click(w->runButton());
    w->simulationSecond();
    EXPECT_EQ(w->programField()->text(), "2");
    click(w->callButton(1));
    EXPECT_FALSE(w->callButton(1)->property("called").toBool()) << "a fixed program takes no call";
    while (w->programField()->text() == "2") w->simulationSecond();
    EXPECT_EQ(w->programField()->text(), "4");
    EXPECT_EQ(w->tactField()->text(), "1");
    EXPECT_EQ(w->timeField()->text(), "4");  // the all-red start-up

    // "Пуск" once more: stays pressed, one step at once, the clock stands.
    const QString clock = w->clockLabel()->text();
    click(w->runButton());
    EXPECT_TRUE(w->runButton()->isChecked());
    EXPECT_EQ(w->clockLabel()->text(), clock);
    EXPECT_EQ(w->timeField()->text(), "3");

    // Paused: the timers do nothing, blinking freezes; a step still works.
    click(w->pauseButton());
    EXPECT_TRUE(w->pauseButton()->isChecked());
    EXPECT_TRUE(w->planSurface().editingAllowed());
    const int phase = w->planSurface().blinkPhase();
    w->simulationSecond();
    w->blinkStep();
    EXPECT_EQ(w->clockLabel()->text(), clock);
    EXPECT_EQ(w->planSurface().blinkPhase(), phase);
    click(w->stepButton());
    EXPECT_EQ(w->tactField()->text(), "2");
    EXPECT_EQ(headSignals().at(1), SignalRedYellow);
    EXPECT_NE(w->planSurface().blinkPhase(), phase) << "a step redraws in blink mode";
    // A call works in every state, but not while its own call tact is on show.
    click(w->callButton(1));
    EXPECT_TRUE(w->callButton(1)->property("called").toBool());
    click(w->pauseButton());
    EXPECT_FALSE(w->pauseButton()->isChecked());
    // The walkers' tact of the call group, then its three clearance tacts.
    while (w->tactField()->text() != "7") click(w->stepButton());
    EXPECT_TRUE(w->callButton(1)->property("called").toBool()) << "the input is red while the call is served";
    EXPECT_FALSE(callTvp1(const_cast<Simulation&>(w->simulation()), c));
    click(w->stepButton());
    EXPECT_FALSE(w->callButton(1)->property("called").toBool());
    click(w->stepButton());
    click(w->stepButton());
    EXPECT_EQ(w->tactField()->text(), "10");
    click(w->stepButton());
    EXPECT_EQ(w->tactField()->text(), "11");  // back to road 1 and its walkers
    EXPECT_EQ(w->callDelayLabel(1)->text(), "010") << "the call delay restarts when the call tacts are left";

    // "Стоп": released, engine reset, heads dark, clock kept.
    click(w->stopButton());
    EXPECT_FALSE(w->runButton()->isChecked());
    EXPECT_FALSE(w->pauseButton()->isChecked());
    EXPECT_EQ(w->clockLabel()->text(), clock);
    EXPECT_EQ(w->simulation().state.simTact, 0);
    EXPECT_EQ(w->callDelayLabel(1)->text(), "000");
    EXPECT_TRUE(allHeadsDark());
    EXPECT_TRUE(w->planSurface().editingAllowed());
    // Started again, the blink pass before the first second must not bring
    // back the signals of the run before.
    click(w->runButton());
    w->blinkStep();
    w->blinkStep();
    EXPECT_TRUE(allHeadsDark());
    w->simulationSecond();
    EXPECT_EQ(headSignals().at(1), SignalRed);  // the start-up again
}

struct CountingInput : PlanSurfaceInput {
    int presses = 0, moves = 0, releases = 0, wheels = 0;
    void mousePress(QMouseEvent*) override { ++presses; }
    void mouseMove(QMouseEvent*) override { ++moves; }
    void mouseRelease(QMouseEvent*) override { ++releases; }
    void wheel(QWheelEvent*) override { ++wheels; }
};

TEST_F(SimulatorWindowTest, RunningPlanWarnsAndIgnoresTheMouseUntilRelease) {
    CountingInput input;
    PlanSurface& plan = w->planSurface();
    plan.setInput(&input);
    QTest::mousePress(&plan, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&plan, QPoint(120, 110));
    QTest::mouseRelease(&plan, Qt::LeftButton, {}, QPoint(120, 110));
    EXPECT_EQ(input.presses, 1);
    EXPECT_EQ(input.releases, 1);

    click(w->runButton());
    ModalScript script;
    script.answer("Ок");
    QTest::mousePress(&plan, Qt::RightButton, {}, QPoint(250, 250));
    ASSERT_TRUE(script.done());
    expectBox(script.boxes, "Внимание!", "Запущено моделирование.\nИзменения невозможны\nдо остановки процесса",
              QMessageBox::Warning);
    // The button is still held: the plan waits for its release without
    // blocking, and passes nothing on even once editing is allowed again.
    EXPECT_TRUE(plan.ignoringUntilRelease() || QGuiApplication::mouseButtons() == Qt::NoButton);
    click(w->pauseButton());
    QTest::mouseMove(&plan, QPoint(260, 260));
    QTest::mouseRelease(&plan, Qt::RightButton, {}, QPoint(260, 260));
    EXPECT_FALSE(plan.ignoringUntilRelease());
    EXPECT_EQ(input.presses, 1);
    EXPECT_EQ(input.releases, 1);
    // Paused: editing again.
    QTest::mousePress(&plan, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseRelease(&plan, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(input.presses, 2);
    EXPECT_EQ(input.releases, 2);
    // Running: the plan's rim takes presses without a warning.
    click(w->pauseButton());
    QTest::mousePress(&plan, Qt::LeftButton, {}, QPoint(3, 100));
    QTest::mouseRelease(&plan, Qt::LeftButton, {}, QPoint(3, 100));
    EXPECT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(input.presses, 2);
}

TEST_F(SimulatorWindowTest, ClosingWritesThePlanAndReopeningAppliesThePickers) {
    // Midnight of the clock's first day is a setting like any other.
    setPickers(QDate(1970, 1, 1), QTime(0, 0, 0));
    setObjectPosition(w->plan(), 1, 60, 320);
    const Bytes expected = serializePlan(w->plan());
    click(w->closeButton());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->plan().planObjects.empty());
    EXPECT_EQ(livra::test::readBytes(dir / "imit.snt"), expected);

    // Another clock value since, as a run would leave it.
    memory.sim.clock.seconds = 1234567;
    open();
    EXPECT_EQ(w->datePicker()->date(), QDate(1970, 1, 1));
    EXPECT_EQ(w->timePicker()->time(), QTime(0, 0, 0));
    EXPECT_EQ(w->clockLabel()->text(), "Чт.01.01.1970  00:00:00");
    EXPECT_EQ(findObject(w->plan(), 1)->x, 60);
    EXPECT_TRUE(allHeadsDark());
}

TEST_F(SimulatorWindowTest, FailedPlanSaveWarnsAndKeepsThePlan) {
    const int32_t sampleX = findObject(w->plan(), 3)->x;
    ASSERT_NE(sampleX, 340);
    setObjectPosition(w->plan(), 3, 340, 170);
    // A folder in the plan file's place: the file cannot be replaced.
    std::filesystem::remove(dir / "imit.snt");
    std::filesystem::create_directory(dir / "imit.snt");
    ModalScript script;
    auto closeFailing = [&] {
        script.answer("Ок");
        click(w->closeButton());
        ASSERT_TRUE(script.done());
        ASSERT_FALSE(script.boxes.empty());
        EXPECT_EQ(script.boxes.back().title, "Ошибка");
        EXPECT_EQ(script.boxes.back().text, "План перекрестка сохранить не удалось.");
        EXPECT_EQ(script.boxes.back().icon, QMessageBox::Critical);
    };
    closeFailing();

    // The edit is not lost: the next opening shows it, and saves it.
    open();
    ASSERT_NE(findObject(w->plan(), 3), nullptr);
    EXPECT_EQ(findObject(w->plan(), 3)->x, 340);
    EXPECT_EQ(w->planSurface().planPicture().size(), QSize(500, 500));
    std::filesystem::remove(dir / "imit.snt");
    click(w->closeButton());
    EXPECT_EQ(script.boxes.size(), 1u);
    Plan saved;
    parsePlan(saved, livra::test::readBytes(dir / "imit.snt"), c);
    EXPECT_EQ(findObject(saved, 3)->x, 340);

    // A plan file put in place since (another project opened) wins over
    // the kept edit.
    open();
    setObjectPosition(w->plan(), 3, 10, 10);
    std::filesystem::remove(dir / "imit.snt");
    std::filesystem::create_directory(dir / "imit.snt");
    closeFailing();
    std::filesystem::remove(dir / "imit.snt");
    ASSERT_TRUE(loadProject(c, pathToUtf8(kExamples / "crossroad.ptm")).ok());
    open();
    EXPECT_EQ(findObject(w->plan(), 3)->x, sampleX);
}

TEST(SimulatorSession, MenuOpensTheModalWindowOverTheMainWindow) {
    TempDir dir;
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
    StartOptions options;
    options.project = pathToUtf8(kExamples / "crossroad.ptm");
    Session session(options);
    ASSERT_TRUE(session.start());
    ModalScript script;
    bool seen = false;
    script.act([&](QWidget* modal) {
        auto* sim = qobject_cast<SimulatorWindow*>(modal);
        if (!sim) return false;
        seen = true;
        EXPECT_EQ(sim->plan().planObjects.size(), 18u);
        EXPECT_EQ(QApplication::activeModalWidget(), sim) << "the main window waits";
        EXPECT_EQ(&sim->configuration(), &session.configuration());
        QTest::mouseClick(sim->closeButton(), Qt::LeftButton);
        return true;
    });
    session.window().menuAction(MenuSimulator)->trigger();
    qunsetenv("LIVRA_WORKDIR");
    EXPECT_TRUE(seen);
    EXPECT_TRUE(std::filesystem::exists(dir / "imit.snt"));
}

}  // namespace
