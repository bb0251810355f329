#include "ui/simulator/simulator_window.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimeEdit>
#include <QToolButton>

#include "model/project_file.h"
#include "pictures/pictures.h"
#include "plan/plan_pictures.h"
#include "sim/sim_plan.h"
#include "ui/plan/plan_editor.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {
namespace {

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 600;

// A pixmap of its own: a pixmap made straight from a built-in picture marks
// the shared picture as cached, and releasing the pictures at exit then
// runs cache hooks that are already gone.
QPixmap pixmapOf(const QImage& picture) { return QPixmap::fromImage(picture.copy()); }

QIcon toggleIcon(const QImage& normal, const QImage& pressed) {
    QIcon icon(pixmapOf(normal));
    icon.addPixmap(pixmapOf(pressed), QIcon::Normal, QIcon::On);
    icon.addPixmap(pixmapOf(pressed), QIcon::Active, QIcon::On);
    return icon;
}

QLabel* valueField(QWidget* parent, const char* name, QRect place) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(place);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::white);
    l->setPalette(pal);
    return l;
}

}  // namespace

SimulatorWindow::SimulatorWindow(Configuration& config, SimulatorMemory& memory, QWidget* parent)
    : QDialog(parent), c_(config), memory_(memory) {
    build();
    dialogs_ = std::make_unique<QtDialogs>(this, nullptr);
    surface_->setDialogs(dialogs_.get());
    openPlan();
    // Plan editing (hover, drag, wheel, the object and plan menus) attaches
    // here with surface_->setInput(editor); without it the plan only shows.
    new PlanEditor(*surface_, plan_, c_, *dialogs_, this);

    connect(&timer1_, &QTimer::timeout, this, &SimulatorWindow::simulationSecond);
    connect(&timer2_, &QTimer::timeout, this, &SimulatorWindow::blinkStep);
    timer1_.setTimerType(Qt::PreciseTimer);  // simulated seconds keep pace with real ones
    timer1_.start(1000);
    timer2_.start(500);
}

SimulatorWindow::~SimulatorWindow() = default;

UserDialogs& SimulatorWindow::dialogs() { return *dialogs_; }

void SimulatorWindow::build() {
    setObjectName("simulatorWindow");
    setWindowTitle("Имитатор");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    QFont font("Arial");
    font.setPixelSize(11);
    setFont(font);
    resize(kClientWidth, kClientHeight);
    setMinimumSize(kClientWidth, kClientHeight);

    surface_ = new PlanSurface(plan_, c_, this);
    surface_->move(0, 0);

    const auto& pics = pictures::builtInPictures();

    date_ = new QDateEdit(this);
    date_->setObjectName("datePicker");
    date_->setDisplayFormat("dd.MM.yyyy");
    date_->setGeometry(10, 510, 85, 20);
    time_ = new QTimeEdit(this);
    time_->setObjectName("timePicker");
    time_->setDisplayFormat("HH:mm:ss");
    time_->setGeometry(10, 540, 85, 25);
    const QDateTime now = QDateTime::currentDateTime();
    date_->setDate(now.date());
    time_->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));

    clock_ = new QLabel(kClockUnset, this);
    clock_->setObjectName("clockText");
    clock_->setGeometry(100, 510, 120, 20);

    setClock_ = new QPushButton("Установить", this);
    setClock_->setObjectName("setClockButton");
    setClock_->setGeometry(105, 540, 95, 20);
    setClock_->setAutoDefault(false);
    connect(setClock_, &QPushButton::clicked, this, [this] { setClock(); });

    callFrame_ = new QGroupBox("ТВП", this);
    callFrame_->setObjectName("callFrame");
    callFrame_->setGeometry(225, 510, 65, 65);
    for (int k = 0; k < 2; ++k) {
        auto* b = new QToolButton(this);
        b->setObjectName(k == 0 ? "callButton1" : "callButton2");
        b->setGeometry(235 + 30 * k, 530, 20, 20);
        b->setIconSize(QSize(20, 20));
        callIcons_[k][0] = QIcon(pixmapOf(pics.callIdleIcon[k]));
        callIcons_[k][1] = QIcon(pixmapOf(pics.callCalledIcon[k]));
        b->setIcon(callIcons_[k][0]);
        b->setToolTip(k == 0 ? "Вызов ТВП1" : "Вызов ТВП2");
        connect(b, &QToolButton::clicked, this, [this, k] { call(k + 1); });
        call_[k] = b;
        auto* delay = new QLabel("000", this);
        delay->setObjectName(k == 0 ? "callDelay1" : "callDelay2");
        delay->setGeometry(235 + 30 * k, 555, 20, 15);
        delay->setAlignment(Qt::AlignCenter);
        callDelay_[k] = delay;
    }

    debugFrame_ = new QGroupBox("Отладчик", this);
    debugFrame_->setObjectName("debugFrame");
    debugFrame_->setGeometry(295, 510, 89, 76);
    auto pictureButton = [this](const char* name, const char* tip, QRect place, const QIcon& icon, bool toggle) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setGeometry(place);
        b->setIconSize(place.size());
        b->setIcon(icon);
        b->setCheckable(toggle);
        return b;
    };
    run_button_ = pictureButton("runButton", "Пуск", {305, 530, 20, 20}, toggleIcon(pics.runIcon, pics.runPressedIcon), true);
    pause_ = pictureButton("pauseButton", "Пауза", {330, 530, 20, 20},
                           toggleIcon(pics.pauseIcon, pics.pausePressedIcon), true);
    stop_ = pictureButton("stopButton", "Стоп", {355, 530, 20, 20}, QIcon(pixmapOf(pics.stopIcon)), false);
    step_ = pictureButton("stepButton", "шаг вперед", {305, 555, 32, 20}, QIcon(pixmapOf(pics.stepIcon)),
                          false);
    connect(run_button_, &QToolButton::clicked, this, [this] { apply(pressRun(run_, memory_.sim, c_)); });
    connect(pause_, &QToolButton::clicked, this, [this] {
        pressPause(run_);
        apply({});
    });
    connect(stop_, &QToolButton::clicked, this, [this] {
        monitor_.reset();
        apply(pressStop(run_, memory_.sim, c_));
        showMonitor();
    });
    connect(step_, &QToolButton::clicked, this, [this] { apply(pressStep(run_, memory_.sim, c_)); });

    auto caption = [this](const char* text, QRect place) {
        auto* l = new QLabel(text, this);
        l->setGeometry(place);
        return l;
    };
    caption("Пр.№", {390, 515, 45, 15});
    caption("Такт №", {390, 535, 45, 15});
    caption("Время", {390, 555, 45, 15});
    program_ = valueField(this, "programField", {435, 515, 45, 15});
    tact_ = valueField(this, "tactField", {435, 535, 45, 15});
    remaining_ = valueField(this, "timeField", {435, 555, 45, 15});

    // Over the top of the plan, shown only while the monitor is tripped.
    monitorText_ = new QLabel(this);
    monitorText_->setObjectName("monitorText");
    monitorText_->setGeometry(0, 0, kClientWidth, 36);
    monitorText_->setWordWrap(true);
    monitorText_->setAlignment(Qt::AlignCenter);
    monitorText_->setStyleSheet("QLabel { background: rgb(200,0,0); color: white; font-weight: bold; padding: 2px; }");
    monitorText_->hide();

    close_ = new QPushButton("Закрыть", this);
    close_->setObjectName("closeButton");
    close_->setGeometry(410, 575, 75, 20);
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
}

void SimulatorWindow::openPlan() {
    Simulation& sim = memory_.sim;
    resetSimulation(sim, c_);
    createSpecialObjects(plan_);

    PlanLoadReport report;
    const auto onDisk = readWholeFile(planFilePath(c_));
    if (memory_.planUnsaved && onDisk == memory_.fileWhenUnsaved) {
        // The plan that could not be written last time, read back through
        // the file's own rules so that heads of deleted directions drop out.
        report = parsePlan(plan_, serializePlan(memory_.unsavedPlan), c_);
    } else if (onDisk) {
        report = parsePlan(plan_, *onDisk, c_);
    }
    memory_.planUnsaved = false;
    memory_.unsavedPlan = {};
    memory_.fileWhenUnsaved.reset();
    moveObjectToEnd(plan_, PointerProbeId);
    if (report.pictureFound) surface_->loadPlanPictureFile(plan_.planPicturePath);
    const std::string pictureName = pathToUtf8(pathFromUtf8(plan_.planPicturePath).filename());
    surface_->setMissingPictureNote(report.opened && !report.pictureFound && !pictureName.empty()
                                        ? QString::fromStdString(kPlanPictureMissingText + pictureName + "\n") +
                                              kPlanPictureLookedText
                                        : QString());

    resetSimulation(sim, c_);
    handOversShown_ = sim.display.handOvers;
    darkenHeads(plan_, c_);
    surface_->drawPlanObjects(1);
    showFields();
    showRunButtons();

    if (memory_.pickers.stored) {
        const StoredClockSetting& s = memory_.pickers;
        date_->setDate(QDate(s.year, s.month, s.day));
        time_->setTime(QTime(s.hour, s.minute, s.second));
        setClock();
    }
}

void SimulatorWindow::closePlan() {
    const QDate d = date_->date();
    const QTime t = time_->time();
    memory_.pickers = StoredClockSetting{true, d.day(), d.month(), d.year(), t.hour(), t.minute(), t.second()};
    if (!savePlanFile(plan_, c_)) {
        // Keep the edits: the next opening shows them and tries again.
        memory_.planUnsaved = true;
        memory_.unsavedPlan = plan_;
        memory_.fileWhenUnsaved = readWholeFile(planFilePath(c_));
        dialogs_->messageBox(kErrorTitle, kPlanSaveFailedText, Buttons::Ok, Icon::Error);
    }
    deleteAllObjects(plan_);
}

void SimulatorWindow::done(int result) {
    if (!closed_) {
        closed_ = true;
        timer1_.stop();
        timer2_.stop();
        closePlan();
    }
    QDialog::done(result);
}

void SimulatorWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void SimulatorWindow::setClock() {
    const QDate d = date_->date();
    const QTime t = time_->time();
    const StoredClockSetting s{true, d.day(), d.month(), d.year(), t.hour(), t.minute(), t.second()};
    if (applyClockSetting(memory_.sim.clock, s)) clock_->setText(QString::fromStdString(clockText(memory_.sim.clock)));
}

void SimulatorWindow::call(int n) {
    if (n == 1) callTvp1(memory_.sim, c_);
    else callTvp2(memory_.sim, c_);
    showFields();
}

void SimulatorWindow::simulationSecond() {
    const RunEffect effect = timerSecond(run_, memory_.sim, c_);
    if (effect.stepped) clock_->setText(QString::fromStdString(clockText(memory_.sim.clock)));
    apply(effect);
}

void SimulatorWindow::blinkStep() { apply(timerBlink(run_)); }

void SimulatorWindow::apply(const RunEffect& effect) {
    const SimulationDisplay& display = memory_.sim.display;
    // Every simulated second (and the extra steps) passes the monitor; a
    // reset is not a second played.
    if (effect.stepped && !effect.planReset && monitor_.observe(c_, memory_.sim)) showMonitor();
    if (effect.stepped && display.handOvers != handOversShown_) {
        // Only a newly loaded tact hands signals over; a reset keeps the old
        // ones in the engine's display, and they must not come back.
        handOversShown_ = display.handOvers;
        handSignalsToPlan(display, plan_);
        surface_->showHandedSignals();
    }
    if (effect.planReset) {
        darkenHeads(plan_, c_);
        surface_->drawPlanObjects(1);
    }
    if (effect.planBlinked) surface_->drawPlanObjects(0);
    showFields();
    showRunButtons();
}

void SimulatorWindow::showMonitor() {
    const bool tripped = monitor_.tripped();
    debugFrame_->setStyleSheet(tripped ? "QGroupBox#debugFrame { border: 2px solid rgb(220,0,0); color: rgb(200,0,0);"
                                         " font-weight: bold; margin-top: 7px; }"
                                         "QGroupBox#debugFrame::title { subcontrol-origin: margin; left: 6px; }"
                                       : QString());
    debugFrame_->setToolTip(tripped ? QString::fromStdString(monitor_.trip().text) : QString());
    monitorText_->setText(tripped ? QString::fromStdString(monitor_.trip().text) : QString());
    monitorText_->setVisible(tripped);
    if (tripped) monitorText_->raise();
}

void SimulatorWindow::showFields() {
    const Simulation& sim = memory_.sim;
    for (int k = 0; k < 2; ++k) {
        const bool called = sim.display.callButtonCalled[k];
        if (call_[k]->property("called").toBool() != called) {
            call_[k]->setIcon(callIcons_[k][called ? 1 : 0]);
            call_[k]->setProperty("called", called);
        }
        const int left = k == 0 ? sim.state.tvp1DelayLeft : sim.state.tvp2DelayLeft;
        callDelay_[k]->setText(QString("%1").arg(left, 3, 10, QChar('0')));
    }
    program_->setText(QString::number(sim.display.programField));
    tact_->setText(QString::number(sim.display.tactField));
    // The seconds the tact on show has left; empty while nothing runs.
    remaining_->setText(run_.stopped() ? QString() : QString::number(sim.state.simRemaining));
}

void SimulatorWindow::showRunButtons() {
    run_button_->setChecked(run_.runPressed);
    pause_->setChecked(run_.pausePressed);
    surface_->setEditingAllowed(run_.editingAllowed());
}

}  // namespace livra::ui
