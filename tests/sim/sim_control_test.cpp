#include <gtest/gtest.h>

#include "sim/sim_control.h"
#include "support/test_support.h"

namespace livra {
namespace {

TEST(SimControl, RunPauseStepStopAndTimers) {
    auto c = test::sampleConfiguration();  // Monday 00:00 → program 4
    Simulation sim;
    RunControls r;
    resetSimulation(sim, *c);

    // Stopped: pause, step and both timers do nothing.
    pressPause(r);
    EXPECT_FALSE(r.pausePressed);
    EXPECT_FALSE(pressStep(r, sim, *c).stepped);
    EXPECT_FALSE(timerSecond(r, sim, *c).stepped);
    EXPECT_FALSE(timerBlink(r).planBlinked);
    EXPECT_EQ(sim.clock.seconds, 0);
    EXPECT_TRUE(r.editingAllowed());

    // "Пуск" starts without a step; the timers then drive.
    EXPECT_FALSE(pressRun(r, sim, *c).stepped);
    EXPECT_TRUE(r.running());
    EXPECT_FALSE(r.editingAllowed());
    EXPECT_TRUE(timerSecond(r, sim, *c).stepped);
    EXPECT_EQ(sim.clock.seconds, 1);
    EXPECT_TRUE(timerBlink(r).planBlinked);
    const uint8_t mainLeft = sim.state.mainCountdown;

    // "Пуск" again: one extra step, the clock stands.
    EXPECT_TRUE(pressRun(r, sim, *c).stepped);
    EXPECT_EQ(sim.clock.seconds, 1);
    EXPECT_EQ(sim.state.mainCountdown, uint8_t(mainLeft - 1));

    // Paused: timers idle, editing allowed, "Пуск" and a step still play.
    pressPause(r);
    EXPECT_TRUE(r.paused());
    EXPECT_TRUE(r.editingAllowed());
    EXPECT_FALSE(timerSecond(r, sim, *c).stepped);
    EXPECT_FALSE(timerBlink(r).planBlinked);
    EXPECT_EQ(sim.clock.seconds, 1);
    EXPECT_TRUE(pressRun(r, sim, *c).stepped);
    EXPECT_TRUE(r.paused());
    const int tact = sim.state.simTact;
    const RunEffect step = pressStep(r, sim, *c);
    EXPECT_TRUE(step.stepped && step.planBlinked);
    EXPECT_EQ(sim.state.simTact, tact + 1);

    // "Стоп": both released, engine reset, clock kept, heads to go dark.
    sim.state.tvp1Called = 1;
    const RunEffect stop = pressStop(r, sim, *c);
    EXPECT_TRUE(stop.planReset);
    EXPECT_TRUE(r.stopped() && !r.pausePressed);
    EXPECT_EQ(sim.state.simTact, 0);
    EXPECT_EQ(sim.state.tvp1Called, 0);
    EXPECT_EQ(sim.clock.seconds, 1);
}

TEST(SimControl, ClockSettingKeepsMidnightAndRefusesImpossibleDates) {
    SimClock clock{777};
    EXPECT_TRUE(applyClockSetting(clock, StoredClockSetting{true, 1, 1, 1970, 0, 0, 0}));
    EXPECT_EQ(clock.seconds, 0);
    EXPECT_TRUE(applyClockSetting(clock, StoredClockSetting{true, 7, 12, 2026, 5, 14, 13}));
    EXPECT_EQ(clockText(clock), "Пн.07.12.2026  05:14:13");
    EXPECT_FALSE(applyClockSetting(clock, StoredClockSetting{true, 31, 2, 2026, 0, 0, 0}));
    EXPECT_FALSE(applyClockSetting(clock, StoredClockSetting{true, 1, 3, 2026, 24, 0, 0}));
    EXPECT_EQ(clockText(clock), "Пн.07.12.2026  05:14:13") << "a refused setting changes nothing";
}

}  // namespace
}  // namespace livra
