#include "sim/conflict_monitor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "edit/conflict_matrix.h"
#include "model/project_file.h"
#include "sim/sim_control.h"
#include "support/test_support.h"

using namespace livra;

namespace {

using Shown = std::array<uint8_t, DirectionCount>;

Shown shown(std::initializer_list<uint8_t> first) {
    Shown s{};
    int i = 0;
    for (uint8_t v : first) s[i++] = v;
    return s;
}

}  // namespace

TEST(ConflictMonitor, TripsOnConflictingGoTogetherAndStaysTrippedUntilReset) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirVehicle;
    c->DirectionKind[1] = DirPedestrian;
    c->DirectionKind[2] = DirExtraRed;
    SafetyData s;
    setConflict(s, 0, 1, true);
    setConflict(s, 0, 2, true);
    ConflictMonitor m;
    EXPECT_FALSE(m.observe(*c, s, shown({SignalGreen, SignalRed, SignalGreen}), "t1"));  // a red section has no go
    EXPECT_FALSE(m.observe(*c, s, shown({SignalYellow, SignalRed, SignalRed}), "t2"));
    EXPECT_TRUE(m.observe(*c, s, shown({SignalRed, SignalFlashingGreen, SignalRed}), "t3") == false);
    EXPECT_TRUE(m.observe(*c, s, shown({SignalFlashingGreen, SignalGreen, SignalRed}), "Пн.07.12.2026  06:00:04"));
    ASSERT_TRUE(m.tripped());
    EXPECT_TRUE(m.trip().conflict);
    EXPECT_EQ(m.trip().direction, 0);
    EXPECT_EQ(m.trip().other, 1);
    EXPECT_EQ(m.trip().text, "Конфликт: напр. 1 и 2 — разрешающий сигнал одновременно, Пн.07.12.2026  06:00:04");
    // Later seconds keep the first cause.
    EXPECT_FALSE(m.observe(*c, s, shown({SignalGreen, SignalGreen, SignalRed}), "later"));
    EXPECT_EQ(m.trip().time, "Пн.07.12.2026  06:00:04");
    m.reset();
    EXPECT_FALSE(m.tripped());
    EXPECT_FALSE(m.observe(*c, s, shown({SignalRed, SignalGreen, SignalRed}), "after"));
}

TEST(ConflictMonitor, IntergreenCutShortTripsAndAFullOneDoesNot) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirVehicle;
    c->DirectionKind[1] = DirVehicle;
    SafetyData s;
    setConflict(s, 0, 1, true);
    setIntergreen(s, 0, 1, 4);
    auto play = [&](int redSeconds) {
        ConflictMonitor m;
        for (int k = 0; k < 3; ++k) m.observe(*c, s, shown({SignalGreen, SignalRed}), "g");
        // Green ends; `redSeconds` seconds of no go for either, then 1 turns green.
        for (int k = 0; k < redSeconds; ++k) m.observe(*c, s, shown({SignalYellow, SignalRed}), "y");
        m.observe(*c, s, shown({SignalRed, SignalGreen}), "go");
        return m;
    };
    EXPECT_FALSE(play(4).tripped());
    EXPECT_FALSE(play(6).tripped());
    const ConflictMonitor shortOne = play(3);
    ASSERT_TRUE(shortOne.tripped());
    EXPECT_FALSE(shortOne.trip().conflict);
    EXPECT_EQ(shortOne.trip().seconds, 3);
    EXPECT_EQ(shortOne.trip().required, 4);
    EXPECT_EQ(shortOne.trip().text, "Промежуточное время: напр. 1 → 2 — 3 с вместо 4 с, go");
    // The other order has no value: a monitor lets no hand-over pass that it
    // has no time for, as the check refuses such a matrix.
    SafetyData reverse;
    setConflict(reverse, 0, 1, true);
    setIntergreen(reverse, 1, 0, 9);
    ConflictMonitor m;
    m.observe(*c, reverse, shown({SignalGreen, SignalRed}), "a");
    for (int k = 0; k < 20; ++k) m.observe(*c, reverse, shown({SignalRed, SignalRed}), "r");
    m.observe(*c, reverse, shown({SignalRed, SignalGreen}), "b");
    ASSERT_TRUE(m.tripped());
    EXPECT_EQ(m.trip().required, IntergreenNotSet);
    EXPECT_EQ(m.trip().text, "Промежуточное время: напр. 1 → 2 — конфликт без промежуточного времени, b");
    // Given a time, 21 s is plenty.
    setIntergreen(reverse, 0, 1, 5);
    m.reset();
    m.observe(*c, reverse, shown({SignalGreen, SignalRed}), "a");
    for (int k = 0; k < 20; ++k) m.observe(*c, reverse, shown({SignalRed, SignalRed}), "r");
    m.observe(*c, reverse, shown({SignalRed, SignalGreen}), "b");
    EXPECT_FALSE(m.tripped());
}

// The first sample (before it was made safe) run by the simulator: its plain cycle leaves pedestrian 4 three
// seconds before vehicle 1 turns green, but the pedestrian call sequence ends
// 4's flashing green right before 1's green.
TEST(ConflictMonitor, TheSimulatedSampleTripsOnlyOnceTheCallIsServed) {
    auto parsed = parseProject(test::readBytes(std::filesystem::path(LIVRA_TEST_DATA) / "crossroad_unsafe.ptm"));
    ASSERT_TRUE(parsed);
    Configuration& c = *parsed->config;
    c.Safety.clear();
    setConflict(c.Safety, 0, 1, true);
    setConflict(c.Safety, 0, 3, true);
    setConflict(c.Safety, 1, 2, true);
    setIntergreen(c.Safety, 3, 0, 3);
    // The other pairs' times given as 0 s: a monitor has one for each.
    for (auto [from, to] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{0, 3}, std::pair{1, 2}, std::pair{2, 1}})
        setIntergreen(c.Safety, from, to, 0);
    c.Safety.defined = true;

    Simulation sim;
    ASSERT_TRUE(applyClockSetting(sim.clock, StoredClockSetting{true, 7, 12, 2026, 8, 0, 0}));  // Monday
    resetSimulation(sim, c);
    ConflictMonitor m;
    for (int k = 0; k < 200; ++k) {
        simulationSecond(sim, c);
        m.observe(c, sim);
    }
    EXPECT_FALSE(m.tripped()) << m.trip().text;
    ASSERT_TRUE(callTvp1(sim, c));
    for (int k = 0; k < 200 && !m.tripped(); ++k) {
        simulationSecond(sim, c);
        m.observe(c, sim);
    }
    ASSERT_TRUE(m.tripped());
    EXPECT_FALSE(m.trip().conflict);
    EXPECT_EQ(m.trip().direction, 3);
    EXPECT_EQ(m.trip().other, 0);
    EXPECT_EQ(m.trip().seconds, 0);
    EXPECT_EQ(m.trip().time, clockText(sim.clock));
}
