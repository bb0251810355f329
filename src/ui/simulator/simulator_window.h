#pragma once
// "Имитатор": the plan surface with the clock, call and run controls of the
// simulation engine. Application-modal: the main window and its file
// commands wait until it is closed. The rules of the controls live in
// sim/sim_control; this window shows them.
#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <memory>

#include "plan/plan_objects.h"
#include "sim/conflict_monitor.h"
#include "sim/sim_control.h"
#include "ui/plan/plan_surface.h"

class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;
class QToolButton;

namespace livra::ui {

class QtDialogs;

inline constexpr const char* kClockUnset = "??.??.??.???? ??:??:??";

class SimulatorWindow : public QDialog {
    Q_OBJECT
public:
    // Opens on `config`: engine reset, the plan file loaded, the pickers of
    // the last closing applied. Show it with exec(). The simulation only
    // reads the configuration; plan editing marks it modified.
    SimulatorWindow(Configuration& config, SimulatorMemory& memory, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // The plan editor attaches here: planSurface().setInput(editor).
    PlanSurface& planSurface() { return *surface_; }
    Plan& plan() { return plan_; }
    Configuration& configuration() { return c_; }
    UserDialogs& dialogs();

    // The timers' work, callable by tests instead of waiting for them.
    void simulationSecond();  // timer 1, 1000 ms
    void blinkStep();         // timer 2, 500 ms

    const Simulation& simulation() const { return memory_.sim; }
    const RunControls& runControls() const { return run_; }

    QDateEdit* datePicker() const { return date_; }
    QTimeEdit* timePicker() const { return time_; }
    QLabel* clockLabel() const { return clock_; }
    QPushButton* setClockButton() const { return setClock_; }
    QToolButton* callButton(int n) const { return call_[n - 1]; }
    QLabel* callDelayLabel(int n) const { return callDelay_[n - 1]; }
    QToolButton* runButton() const { return run_button_; }
    QToolButton* pauseButton() const { return pause_; }
    QToolButton* stopButton() const { return stop_; }
    QToolButton* stepButton() const { return step_; }
    QLabel* programField() const { return program_; }
    QLabel* tactField() const { return tact_; }
    QLabel* timeField() const { return remaining_; }
    QPushButton* closeButton() const { return close_; }
    // The conflict monitor: trips the debugger frame red and names the pair
    // and the time; "Стоп" clears it.
    const ConflictMonitor& monitor() const { return monitor_; }
    QLabel* monitorLabel() const { return monitorText_; }
    QGroupBox* debuggerFrame() const { return debugFrame_; }
    bool timersActive() const { return timer1_.isActive() && timer2_.isActive(); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void openPlan();
    void closePlan();
    void setClock();
    void call(int n);
    void apply(const RunEffect& effect);
    void showFields();
    void showRunButtons();
    void showMonitor();

    Configuration& c_;
    SimulatorMemory& memory_;
    Plan plan_;
    RunControls run_;
    ConflictMonitor monitor_;
    uint32_t handOversShown_ = 0;
    bool closed_ = false;
    std::unique_ptr<QtDialogs> dialogs_;
    QTimer timer1_, timer2_;

    PlanSurface* surface_ = nullptr;
    QDateEdit* date_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QLabel* clock_ = nullptr;
    QPushButton* setClock_ = nullptr;
    QGroupBox* callFrame_ = nullptr;
    QToolButton* call_[2] = {};
    QIcon callIcons_[2][2];  // by input: idle, called
    QLabel* callDelay_[2] = {};
    QGroupBox* debugFrame_ = nullptr;
    QToolButton* run_button_ = nullptr;
    QToolButton* pause_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* step_ = nullptr;
    QLabel* program_ = nullptr;
    QLabel* tact_ = nullptr;
    QLabel* remaining_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* monitorText_ = nullptr;
};

}  // namespace livra::ui
