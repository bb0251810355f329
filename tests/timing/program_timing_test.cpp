// Timing a program from its traffic counts: the sample crossing and small
// programs made for one rule each.
#include "timing/program_timing.h"

#include <gtest/gtest.h>

#include <numeric>

#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"
#include "timing/program_phases.h"
#include "timing/traffic_edit.h"

namespace livra::timing {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();
constexpr int P4 = FirstUserProgram;

std::unique_ptr<Configuration> crossroad() {
    const auto bytes = readWholeFile(kRepo / "examples" / "crossroad.ptm", kMaxProjectFileSize);
    auto parsed = parseProject(*bytes);
    auto c = std::move(parsed->config);
    loadProjectSafety(*c, pathToUtf8(kRepo / "examples" / "crossroad.ptm"));
    return c;
}

void set(Configuration& c, int d1, TrafficField f, const std::string& v) {
    ASSERT_TRUE(setTrafficField(c, P4, d1 - 1, f, v).ok()) << d1 << " " << v;
}

// The sample: an all-red start-up (tact 1, lost time), phases 1+3 (tact 3)
// and its short return after the call (tact 11), then 2+4 (tact 16): two
// stages. Each phase ends in a 3 s flashing green, the rest of the
// interphases is lost: L = 5 + 1 (all red, red-and-yellow) + 6 + 3.
TEST(ProgramTiming, TheSampleCrossingAtItsShippedDemand) {
    auto c = crossroad();
    const ProgramPhases ph = readProgramPhases(*c, P4);
    ASSERT_EQ(ph.phases.size(), 3u);
    EXPECT_EQ(ph.lostTime, 15);
    EXPECT_EQ(ph.cycle, 76);
    ASSERT_EQ(ph.stages.size(), 2u);
    EXPECT_EQ(ph.stages[0].runOn, 3);
    EXPECT_EQ(ph.stages[1].runOn, 3);
    EXPECT_EQ(ph.runOnGreen.at(0), 3);  // direction 1's flashing green after tact 11
    EXPECT_EQ(ph.stages[0].phases, (std::vector<int>{0, 1}));  // tact 11 runs on from tact 3
    EXPECT_EQ(ph.stages[0].main, 0);
    EXPECT_EQ(ph.phases[0].tact, 2);
    EXPECT_EQ(ph.phases[0].greens, (std::vector<int>{0, 2}));

    set(*c, 1, TrafficField::Flow, "450");
    set(*c, 2, TrafficField::Flow, "220");
    const auto r = computeTiming(*c, P4);
    ASSERT_TRUE(r.ok()) << r.error();
    const TimingPlan& p = r.value();
    EXPECT_NEAR(p.Y, 450.0 / 1800 + 220.0 / 1800, 1e-12);
    EXPECT_EQ(p.lostTime, 15);
    EXPECT_EQ(p.cycle0, 44);  // (1.5 · 15 + 5) / 0.6278 = 43.8
    EXPECT_EQ(p.cycle, 44);
    ASSERT_EQ(p.phases.size(), 3u);
    EXPECT_EQ(p.phases[0].green, 11);  // 19 of the stage less tact 11's 5 s and the 3 s flashing green
    EXPECT_EQ(p.phases[1].green, 5);
    EXPECT_EQ(p.phases[2].green, 7);  // 10 less the flashing green
    EXPECT_DOUBLE_EQ(p.phases[0].y, 0.25);
    EXPECT_DOUBLE_EQ(p.phases[1].y, 0);  // counted in tact 3
    EXPECT_NEAR(p.phases[2].y, 220.0 / 1800, 1e-12);
    EXPECT_TRUE(p.notes.empty());
    ASSERT_EQ(p.directions.size(), 4u);  // 1, 2, then the walkers 3, 4
    EXPECT_EQ(p.directions[0].green, 19);
    EXPECT_NEAR(*p.directions[0].x, 450.0 * 44 / (1800 * 19), 1e-12);
    EXPECT_NEAR(*p.directions[1].x, 220.0 * 44 / (1800 * 10), 1e-12);
    EXPECT_TRUE(p.directions[2].pedestrian);
    const double mean = (450 * *p.directions[0].delay + 220 * *p.directions[1].delay) / 670;
    EXPECT_NEAR(*p.meanDelay, mean, 1e-12);
    // Webster's first term for road 1: C (1 − λ)² / (2 (1 − λx)), λ = 19/44.
    const double lambda = 19.0 / 44, x = *p.directions[0].x;
    EXPECT_GT(*p.directions[0].delay, 44 * (1 - lambda) * (1 - lambda) / (2 * (1 - lambda * x)));

    // Applied, the program runs the printed cycle, the rest of it untouched.
    const Tact call = c->TactTable[P4][3];
    const Tact startUp = c->TactTable[P4][0];
    applyTiming(*c, p);
    EXPECT_EQ(readProgramPhases(*c, P4).cycle, p.cycle);
    EXPECT_EQ(c->TactTable[P4][2].tMain, 11);
    EXPECT_EQ(c->TactTable[P4][2].tMin, 11);  // 12 held to the green
    EXPECT_EQ(c->TactTable[P4][3], call);
    EXPECT_EQ(c->TactTable[P4][0], startUp);
    // Timed again, the same plan.
    EXPECT_EQ(computeTiming(*c, P4).value().phases[0].green, 11);
}

TEST(ProgramTiming, CycleHeldToItsBoundsAndOverloadSaid) {
    auto c = crossroad();
    set(*c, 1, TrafficField::Flow, "1");
    auto r = computeTiming(*c, P4);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().cycle0, 28);  // 27.5 / (1 − 1/1800) rounded up
    // 28, then both stages raised to their least: 5 + 5 + 3 s and 5 + 3 s.
    EXPECT_EQ(r.value().cycle, 15 + 13 + 8);

    // With two 1 s interphases C0 falls below 25 s: raised to 25.
    auto small = test::newConfiguration();
    test::addDirection(*small, 0, DirVehicle);
    test::addDirection(*small, 1, DirVehicle);
    test::addTact(*small, P4, TactPhase, 20, 5, SignalRed);
    small->TactSignals[P4][0][0] = SignalGreen;
    test::addTact(*small, P4, TactIntermediate, 1, 0, SignalRed);
    test::addTact(*small, P4, TactPhase, 20, 5, SignalRed);
    small->TactSignals[P4][2][1] = SignalGreen;
    test::addTact(*small, P4, TactIntermediate, 1, 0, SignalRed);
    ASSERT_TRUE(setTrafficField(*small, P4, 0, TrafficField::Flow, "100").ok());
    ASSERT_TRUE(setTrafficField(*small, P4, 1, TrafficField::Flow, "100").ok());
    r = computeTiming(*small, P4);
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(r.value().cycle0, 9);  // 8 / (1 − 2/18) = 9
    EXPECT_EQ(r.value().cycle, 25);
    EXPECT_EQ(r.value().notes, (std::vector<std::string>{"Цикл поднят до 25 с (расчётный C0 = 9 с)"}));

    // Heavy: Y = 0.9 exactly is said; C0 = 27.5/0.1 = 275 is held to 120.
    set(*c, 1, TrafficField::Flow, "1080");  // 0.6
    set(*c, 2, TrafficField::Flow, "540");   // 0.3
    r = computeTiming(*c, P4);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().cycle0, 275);
    EXPECT_EQ(r.value().cycle, 120);
    EXPECT_EQ(r.value().notes,
              (std::vector<std::string>{"Перегрузка: Y = 0,90", "Цикл ограничен 120 с (расчётный C0 = 275 с)"}));
    // Just below 0.9 nothing is said of overload.
    set(*c, 2, TrafficField::Flow, "539");
    EXPECT_EQ(computeTiming(*c, P4).value().notes.size(), 1u);
}

TEST(ProgramTiming, SaturatedOrEmptyDemandRefused) {
    auto c = crossroad();
    auto r = computeTiming(*c, P4);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), kTimingNoFlowsText);
    set(*c, 1, TrafficField::Flow, "1200");
    set(*c, 2, TrafficField::Flow, "600");  // Y = 1
    r = computeTiming(*c, P4);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), "Расчёт режима невозможен: перегрузка, Y = 1,00 ≥ 1");
    set(*c, 2, TrafficField::Flow, "599");
    EXPECT_TRUE(computeTiming(*c, P4).ok());
    // A program with no phase at all.
    EXPECT_EQ(computeTiming(*c, P4 + 2).error(), kTimingNoPhasesText);
    // A fixed cycle no longer than the interphases.
    EXPECT_FALSE(computeTiming(*c, P4, 15).ok());
    EXPECT_TRUE(computeTiming(*c, P4, 16).ok());
}

TEST(ProgramTiming, GreensRaisedToTheMinimumAndTheCrossingTime) {
    auto c = crossroad();
    set(*c, 1, TrafficField::Flow, "450");
    set(*c, 2, TrafficField::Flow, "220");
    // Walkers of direction 4 need 26/1.3 = 20 s in the phase of tact 16.
    set(*c, 4, TrafficField::Crossing, "26");
    auto r = computeTiming(*c, P4);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().phases[2].minGreen, 20);
    EXPECT_EQ(r.value().phases[2].green, 20);
    EXPECT_EQ(r.value().cycle, 57);  // 44 + 13: the cycle grows with the raise
    EXPECT_EQ(r.value().notes, (std::vector<std::string>{"Зелёный поднят до минимального в фазе такта 16 (20 с)"}));
    // 26.1 m needs 21 s (rounded up); slower walkers more.
    set(*c, 4, TrafficField::Crossing, "26,1");
    EXPECT_EQ(computeTiming(*c, P4).value().phases[2].green, 21);
    set(*c, 4, TrafficField::WalkingSpeed, "1");
    EXPECT_EQ(computeTiming(*c, P4).value().phases[2].green, 27);

    // A fixed cycle keeps its length: the minimum is taken from the other stage.
    r = computeTiming(*c, P4, 60);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().cycle, 60);
    EXPECT_EQ(r.value().phases[2].green, 27);
    EXPECT_EQ(r.value().phases[0].green + r.value().phases[1].green, 60 - 15 - 6 - 27);
    // When the minimums do not fit, the cycle grows to hold them.
    r = computeTiming(*c, P4, 40);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().cycle, 15 + 6 + 27 + 5 + 5);
}

TEST(ProgramTiming, FixedCycleSplitKeepsTheSumAtEveryLength) {
    auto c = crossroad();
    set(*c, 1, TrafficField::Flow, "700");
    set(*c, 2, TrafficField::Flow, "300");
    for (int cycle = 40; cycle <= 120; ++cycle) {
        const auto r = computeTiming(*c, P4, cycle);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.value().cycle, cycle);
        int greens = 0;
        for (const auto& p : r.value().phases) {
            EXPECT_GE(p.green, p.minGreen);
            EXPECT_LE(p.tMin, p.green);
            greens += p.green;
        }
        EXPECT_EQ(greens + 15 + 6, cycle);  // L and the two flashing greens
    }
}

}  // namespace
}  // namespace livra::timing
