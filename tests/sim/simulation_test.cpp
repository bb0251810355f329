#include "sim/simulation.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;
using test::addTact;

SimClock at(int day, int month, int year, int h, int m, int s) {
    SimClock clock;
    EXPECT_TRUE(setClockDate(clock, day, month, year));
    EXPECT_TRUE(setClockTime(clock, h, m, s));
    return clock;
}

// Runs whole simulated seconds; `presses` maps "after k seconds" to a button.
// Returns the tact field after each second.
std::vector<int> run(Simulation& sim, const Configuration& c, int seconds,
                     std::vector<std::pair<int, int>> presses = {}) {
    std::vector<int> tacts;
    for (int k = 0; k < seconds; ++k) {
        for (auto [after, button] : presses)
            if (after == k) (button == 1 ? callTvp1 : callTvp2)(sim, c);
        simulationSecond(sim, c);
        tacts.push_back(sim.display.tactField);
    }
    return tacts;
}

// The tact field as runs: {tact, seconds on show}.
std::vector<std::pair<int, int>> runs(const std::vector<int>& tacts) {
    std::vector<std::pair<int, int>> out;
    for (int t : tacts) {
        if (!out.empty() && out.back().first == t)
            ++out.back().second;
        else
            out.push_back({t, 1});
    }
    return out;
}

using Runs = std::vector<std::pair<int, int>>;

// Vehicle 1 and the ТВП1 input 2; program 4: phase 30/10, ТВП1 5, phase 20/5.
std::unique_ptr<Configuration> callConfiguration() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirTvp1);
    addTact(*c, 3, TactPhase, 30, 10, SignalGreen);
    addTact(*c, 3, TactTvp1, 5, 0, SignalRed);
    addTact(*c, 3, TactPhase, 20, 5, SignalYellow);
    addAlarm(*c, 0, 0, 0, 4);
    return c;
}

Simulation started(const Configuration& c) {
    Simulation sim;
    sim.clock = at(7, 12, 2026, 0, 0, 0);  // a Monday
    resetSimulation(sim, c);
    return sim;
}

TEST(Calendar, ChoosesByTableOrderNotLaterThanNowAndCarriesTheWeekOver) {
    auto c = test::newConfiguration();
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 12, 0, 0)), 0);

    addAlarm(*c, 0, 6, 0, 4);    // Monday 06:00 → 4
    addAlarm(*c, 0, 12, 0, 5);   // Monday 12:00 → 5
    addAlarm(*c, 0, 9, 30, 6);   // Monday 09:30 → 6, later in the table than 12:00
    addAlarm(*c, 6, 22, 0, 7);   // Sunday 22:00 → 7
    c->Calendar[3][0] = {0, 125, 8};  // a byte of 125 or more: ignored
    c->Calendar[6][5] = {10, 23, 126};

    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 0, 0, 0)), 7) << "before Monday's first entry";
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 5, 59, 59)), 7);
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 6, 0, 0)), 4) << "an entry at this very minute is in force";
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 9, 29, 0)), 4);
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 9, 30, 0)), 6);
    EXPECT_EQ(calendarProgram(*c, at(7, 12, 2026, 13, 0, 0)), 6) << "table order: 09:30 comes after 12:00";
    EXPECT_EQ(calendarProgram(*c, at(10, 12, 2026, 3, 0, 0)), 6) << "Thursday: Monday's last word";
    EXPECT_EQ(calendarProgram(*c, at(13, 12, 2026, 21, 59, 0)), 6);
    EXPECT_EQ(calendarProgram(*c, at(13, 12, 2026, 22, 0, 0)), 7);
}

TEST(TramLampCode, PatternsAndOffAndNoMatch) {
    EXPECT_EQ(tramLampCode(3, 3, 3), 1);
    EXPECT_EQ(tramLampCode(3, 1, 1), 2);
    EXPECT_EQ(tramLampCode(3, 3, 1), 3);
    EXPECT_EQ(tramLampCode(3, 1, 3), 4);
    EXPECT_EQ(tramLampCode(0, 0, 0), 0);
    EXPECT_EQ(tramLampCode(1, 1, 3), 5);
    EXPECT_EQ(tramLampCode(1, 3, 1), 6);
    EXPECT_EQ(tramLampCode(1, 3, 3), 7);
    EXPECT_EQ(tramLampCode(1, 1, 1), 8);
    EXPECT_EQ(tramLampCode(7, 3, 3), 0);
    EXPECT_EQ(tramLampCode(3, 7, 1), 0);
    EXPECT_EQ(tramLampCode(1, 1, 7), 0);
    EXPECT_EQ(tramLampCode(2, 1, 1), 2) << "no match keeps the first direction's own code";
    EXPECT_EQ(tramLampCode(1, 2, 3), 1);
    EXPECT_EQ(tramLampCode(5, 0, 0), 5);
}

TEST(Countdown, PhaseWithoutCallRunsTMainAndSkipsTheCallTact) {
    auto c = callConfiguration();
    Simulation sim = started(*c);
    // The ТВП1 tact is skipped in the same step: the field goes 1 → 3.
    EXPECT_EQ(runs(run(sim, *c, 80)), (Runs{{1, 30}, {3, 20}, {1, 30}}));
    EXPECT_EQ(sim.display.programField, 4);
}

TEST(Countdown, CallPressedDuringAPhaseShortensItToTMinMore) {
    auto c = callConfiguration();
    {
        Simulation sim = started(*c);
        EXPECT_EQ(runs(run(sim, *c, 25, {{5, 1}})), (Runs{{1, 15}, {2, 5}, {3, 5}}));
    }
    {
        Simulation sim = started(*c);
        // Late call: mainCountdown stands at 5, minCountdown runs its full 10.
        EXPECT_EQ(runs(run(sim, *c, 41, {{25, 1}})), (Runs{{1, 35}, {2, 5}, {3, 1}}));
    }
}

TEST(Countdown, CallPendingFromThePhaseStartLastsTMin) {
    auto c = callConfiguration();
    Simulation sim = started(*c);
    // Pressed in the second phase (ticks 31..): it ends 5 ticks later; the
    // first phase of the next cycle then lasts tMin = 10, the call tact runs,
    // and the call is served.
    EXPECT_EQ(runs(run(sim, *c, 105, {{35, 1}})), (Runs{{1, 30}, {3, 10}, {1, 10}, {2, 5}, {3, 20}, {1, 30}}));
    EXPECT_EQ(sim.state.tvp1Called, 0);
}

TEST(Delays, LeavingTheCallTactReloadsItsDelayAndTheOtherCountsOn) {
    auto c = callConfiguration();
    c->Tvp1Delay = "3";
    Simulation sim = started(*c);
    run(sim, *c, 55, {{35, 1}});
    ASSERT_EQ(sim.display.tactField, 2);
    EXPECT_TRUE(sim.display.callButtonCalled[0]);
    sim.state.tvp2DelayLeft = 2;
    advanceClock(sim.clock);
    simulationStep(sim, *c, StepTick);  // leaves the ТВП1 tact
    EXPECT_EQ(sim.display.tactField, 3);
    EXPECT_EQ(sim.state.tvp1DelayLeft, 3);
    EXPECT_EQ(sim.state.tvp2DelayLeft, 1);
    EXPECT_EQ(sim.state.tvp1Called, 0);
    EXPECT_FALSE(sim.display.callButtonCalled[0]);
    tickCallDelays(sim.state);
    EXPECT_EQ(sim.state.tvp1DelayLeft, 2);
    EXPECT_EQ(sim.state.tvp2DelayLeft, 0);
    for (int k = 0; k < 3; ++k) tickCallDelays(sim.state);
    EXPECT_EQ(sim.state.tvp1DelayLeft, 0) << "floored at 0";
    EXPECT_EQ(sim.state.tvp2DelayLeft, 0);

    // A call pressed now waits out the delay before it shortens the phase:
    // two more ticks on tMain, then tMin's 5.
    Simulation again = started(*c);
    const auto tacts = run(again, *c, 64, {{35, 1}, {56, 1}});
    EXPECT_EQ(runs(tacts), (Runs{{1, 30}, {3, 10}, {1, 10}, {2, 5}, {3, 8}, {1, 1}}));
}

TEST(Delays, RestartCallDelayTwoReloadsTheSecond) {
    auto c = test::newConfiguration();
    c->Tvp2Delay = "200";
    SimulationState s;
    s.tvp1DelayLeft = 0;
    restartCallDelay(s, *c, 2);
    EXPECT_EQ(s.tvp2DelayLeft, 200);
    EXPECT_EQ(s.tvp1DelayLeft, 0);
    s.tvp1DelayLeft = 9;
    restartCallDelay(s, *c, 2);
    EXPECT_EQ(s.tvp1DelayLeft, 8);
}

TEST(CallButtons, AcceptanceRules) {
    auto c = callConfiguration();
    Simulation sim = started(*c);
    EXPECT_FALSE(callTvp1(sim, *c)) << "after a reset no user program is in force";
    run(sim, *c, 1);
    EXPECT_FALSE(callTvp2(sim, *c)) << "no ТВП2 input in this configuration";
    EXPECT_TRUE(callTvp1(sim, *c));
    EXPECT_TRUE(sim.display.callButtonCalled[0]);
    run(sim, *c, 11);  // the phase ends 10 ticks after the press
    ASSERT_EQ(sim.display.tactField, 2);
    EXPECT_FALSE(callTvp1(sim, *c)) << "its own tact is on show";

    // A fixed program (3, ОС) in force: calls are ignored.
    c->Calendar[0][0].program = 3;
    c->TactTable[2] = c->TactTable[3];
    c->TactSignals[2] = c->TactSignals[3];
    Simulation fixed = started(*c);
    run(fixed, *c, 3);
    EXPECT_EQ(fixed.display.programField, 3);
    EXPECT_FALSE(callTvp1(fixed, *c));
    EXPECT_EQ(fixed.state.tvp1Called, 0);
}

TEST(CallButtons, CallTactShowsTheInputsSignalOnItsButton) {
    auto c = callConfiguration();
    c->TactSignals[3][1][1] = SignalNotApplicable;
    Simulation sim = started(*c);
    run(sim, *c, 14, {{1, 1}});
    ASSERT_EQ(sim.display.tactField, 2);
    EXPECT_FALSE(sim.display.callButtonCalled[0]) << "the input's signal in the call tact is not red";
}

TEST(Steps, StepSkipEndsTheTactAtOnce) {
    auto c = callConfiguration();
    Simulation sim = started(*c);
    run(sim, *c, 3);
    simulationStep(sim, *c, StepSkip);
    EXPECT_EQ(sim.display.tactField, 3);
    EXPECT_EQ(sim.state.simRemaining, 19) << "the skip step already counts the new tact's first second";
    EXPECT_EQ(sim.display.directions[0].signal, SignalYellow);
    EXPECT_EQ(runs(run(sim, *c, 20)), (Runs{{3, 19}, {1, 1}}));
}

TEST(Steps, ResetKeepsTheClockAndStartsOver) {
    auto c = callConfiguration();
    Simulation sim = started(*c);
    run(sim, *c, 40, {{1, 1}});
    const auto clock = sim.clock.seconds;
    resetSimulation(sim, *c);
    EXPECT_EQ(sim.clock.seconds, clock);
    EXPECT_EQ(sim.display.programField, 1);
    EXPECT_EQ(sim.display.tactField, 0);
    EXPECT_EQ(sim.state.tvp1Called, 0);
    EXPECT_EQ(sim.state.simRemaining, 0);
    EXPECT_EQ(runs(run(sim, *c, 31)), (Runs{{1, 30}, {3, 1}}));
}

TEST(Steps, EmptyCalendarLoadsNothingAndShowsProgramZero) {
    auto c = callConfiguration();
    c->Calendar[0][0] = CalendarEntry{};
    Simulation sim = started(*c);
    for (int k = 0; k < 5; ++k) {
        simulationSecond(sim, *c);
        EXPECT_EQ(sim.state.simProgram, -1);
        EXPECT_EQ(sim.display.programField, 0);
        EXPECT_EQ(sim.display.tactField, 0);
    }
    EXPECT_EQ(sim.display.handOvers, 0u);
    EXPECT_FALSE(sim.display.directions[0].handed);
}

TEST(Steps, FullProgramStopsAfterItsLastTact) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    for (int t = 0; t < TactCount; ++t) addTact(*c, 3, TactPhase, 1, 0, uint8_t(t == TactCount - 1 ? 2 : 3));
    addAlarm(*c, 0, 0, 0, 4);
    Simulation sim = started(*c);
    const auto tacts = run(sim, *c, 330);
    for (int k = 0; k < TactCount; ++k) ASSERT_EQ(tacts[k], k + 1);
    for (int k = TactCount; k < 330; ++k) EXPECT_EQ(tacts[k], 321);
    EXPECT_EQ(sim.display.handOvers, 321u);
    EXPECT_EQ(sim.display.directions[0].signal, 2) << "the last tact's signals stay";
}

TEST(Steps, ProgramWithNothingToRunGivesTheStepUp) {
    auto c = callConfiguration();
    // Only call tacts: nothing can load without a call (the validator forbids
    // it; the engine must still not spin).
    for (int t = 0; t < 3; ++t) c->TactTable[3][t] = Tact{TactTvp1, 0, 5, 0, 0};
    Simulation sim = started(*c);
    run(sim, *c, 3);
    EXPECT_EQ(sim.display.handOvers, 0u);
    EXPECT_EQ(sim.display.programField, 4);
    EXPECT_EQ(sim.display.tactField, 0);
    // The call button still works and lets the call tacts run.
    EXPECT_TRUE(callTvp1(sim, *c));
    // Served once; leaving the group clears the call and the step gives up again.
    EXPECT_EQ(runs(run(sim, *c, 16)), (Runs{{1, 5}, {2, 5}, {3, 5}, {0, 1}}));
    EXPECT_EQ(sim.state.tvp1Called, 0);

    // All slots empty.
    auto empty = callConfiguration();
    empty->TactTable[3] = ProgramTacts{};
    Simulation sim2 = started(*empty);
    run(sim2, *empty, 2);
    EXPECT_EQ(sim2.display.handOvers, 0u);
    EXPECT_EQ(sim2.display.tactField, 0);

    // A calendar byte naming no program selects nothing.
    auto odd = callConfiguration();
    odd->Calendar[0][0].program = 110;
    Simulation sim3 = started(*odd);
    run(sim3, *odd, 2);
    EXPECT_EQ(sim3.display.handOvers, 0u);
    // No user program is in force then: a call is refused rather than
    // holding that non-program until the end of time.
    EXPECT_FALSE(callTvp1(sim3, *odd));
    odd->Calendar[0][1] = CalendarEntry{1, 0, 4};
    run(sim3, *odd, 60);
    EXPECT_EQ(sim3.display.programField, 4) << "the next entry takes over at 00:01";
}

TEST(DirectionPass, StopsAtTheFirstUnusedDirectionAndCodesTrams) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirTram1);  // directions 2..4
    addDirection(*c, 5, DirPedestrian);  // after a gap: never handed
    addTact(*c, 3, TactPhase, 5, 0, SignalGreen);
    c->TactSignals[3][0][2] = SignalRed;
    c->TactSignals[3][0][3] = SignalRed;  // tram 3, 1, 1 → 2
    addAlarm(*c, 0, 0, 0, 4);
    EXPECT_EQ(simulatedDirectionCount(*c), 4);
    Simulation sim = started(*c);
    run(sim, *c, 1);
    const auto& d = sim.display.directions;
    EXPECT_EQ(d[0].signal, SignalGreen);
    EXPECT_EQ(d[1].kind, DirTram1);
    EXPECT_EQ(d[1].signal, 2);
    EXPECT_EQ(d[2].signal, SignalRed) << "the tram's other rows keep their own codes";
    EXPECT_EQ(d[2].kind, DirTram2);
    EXPECT_FALSE(d[5].handed);

    // A tram on the very last direction reads no row beyond the table.
    auto last = test::newConfiguration();
    for (int i = 0; i < DirectionCount - 1; ++i) last->DirectionKind[i] = DirVehicle;
    last->DirectionKind[62] = DirTram1;
    addTact(*last, 3, TactPhase, 5, 0, SignalGreen);
    addAlarm(*last, 0, 0, 0, 4);
    Simulation sim2 = started(*last);
    run(sim2, *last, 1);
    EXPECT_EQ(sim2.display.directions[62].signal, SignalGreen);
}

TEST(Calendar, ProgramChangesOnlyAtTheStartOfACycle) {
    auto c = callConfiguration();
    addTact(*c, 4, TactPhase, 7, 3, SignalRed);
    addTact(*c, 4, TactTvp1, 2, 0, SignalRed);
    addAlarm(*c, 0, 0, 1, 5);  // Monday 00:01 → 5
    Simulation sim;
    sim.clock = at(7, 12, 2026, 0, 0, 20);
    resetSimulation(sim, *c);
    // 00:00:21 loads program 4's cycle (50 s), which runs on past 00:01;
    // at 00:01:11 the next cycle starts in program 5.
    EXPECT_EQ(runs(run(sim, *c, 50)), (Runs{{1, 30}, {3, 20}}));
    EXPECT_EQ(sim.display.programField, 4);
    run(sim, *c, 1);
    EXPECT_EQ(sim.display.programField, 5);
    EXPECT_EQ(sim.display.directions[0].signal, SignalRed);
}

}  // namespace
}  // namespace livra
