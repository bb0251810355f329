// The analytic safety check against playing every program through the
// simulation engine second by second (tests/oracle/safety_oracle).
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "check/safety_check.h"
#include "oracle/safety_oracle.h"
#include "support/test_support.h"

namespace livra {
namespace {

// Signals a direction of each kind is given at random: mostly the ones a real
// program uses, now and then one that breaks a rule.
uint8_t randomSignal(std::mt19937& rng, uint8_t kind) {
    auto pick = [&](std::initializer_list<uint8_t> v) { return *(v.begin() + rng() % v.size()); };
    switch (kind) {
        case DirVehicle: return pick({1, 1, 1, 2, 3, 3, 5, 6, 4, 7});
        case DirPedestrian: return pick({1, 1, 3, 3, 5, 7});
        case DirExtraGreen: return pick({3, 7, 7, 5});
        case DirTram1:
        case DirTram2:
        case DirTram3: return pick({1, 1, 3, 3, 3, 7});
        case DirTvp1:
        case DirTvp2: return pick({1, 9});
        default: return pick({1, 7});
    }
}

std::unique_ptr<Configuration> randomConfiguration(std::mt19937& rng, SafetyData& s) {
    auto c = test::newConfiguration();
    int d = 0;
    const int vehicles = 1 + int(rng() % 3), walkers = int(rng() % 3);
    for (int i = 0; i < vehicles; ++i) test::addDirection(*c, d++, DirVehicle);
    for (int i = 0; i < walkers; ++i) test::addDirection(*c, d++, DirPedestrian);
    if (rng() % 3 == 0) test::addDirection(*c, d++, DirExtraGreen);
    if (rng() % 3 == 0) {
        test::addDirection(*c, d, DirTram1);
        d += 3;
    }
    const bool in1 = rng() % 2 == 0, in2 = rng() % 3 == 0;
    if (in1) test::addDirection(*c, d++, DirTvp1);
    if (in2) test::addDirection(*c, d++, DirTvp2);

    const int programs = 1 + int(rng() % 3);
    for (int p = FirstUserProgram; p < FirstUserProgram + programs; ++p) {
        const int tacts = 2 + int(rng() % 6);
        bool group1 = false, group2 = false;
        for (int t = 0; t < tacts; ++t) {
            int32_t kind = rng() % 3 == 0 ? TactIntermediate : TactPhase;
            const unsigned roll = rng() % 8;
            if (roll == 0 && !group1) kind = TactTvp1, group1 = true;
            if (roll == 1 && !group2) kind = TactTvp2, group2 = true;
            if (t == 0 && kind == TactIntermediate) kind = TactPhase;
            const int32_t tMain = 1 + int(rng() % (kind == TactPhase ? 14 : 5));
            const int32_t tMin = 1 + int(rng() % (tMain + 2));
            test::addTact(*c, p, kind, tMain, tMin, SignalRed);
            for (int k = 0; k < d; ++k) c->TactSignals[p][t][k] = randomSignal(rng, c->DirectionKind[k]);
        }
    }
    const int alarms = 1 + int(rng() % 3);
    for (int a = 0; a < alarms; ++a)
        test::addAlarm(*c, int(rng() % 7), int(rng() % 24), int(rng() % 60),
                       FirstUserProgram + 1 + int(rng() % programs));

    s.clear();
    s.defined = rng() % 5 != 0;
    for (int a = 0; a < d; ++a)
        for (int b = a + 1; b < d; ++b)
            if (rng() % 2 == 0) {
                s.conflict[a].set(b), s.conflict[b].set(a);
                s.intergreen[a][b] = int16_t(rng() % 8);
                if (rng() % 2) s.intergreen[b][a] = int16_t(rng() % 8);
            }
    if (rng() % 4 == 0) s.rules.redYellowMax = 0;
    if (rng() % 6 == 0) s.rules.yellow = 0;
    return c;
}

std::string describe(const oracle::PlayedKey& k, const oracle::PlayedFinding& f) {
    std::ostringstream o;
    const auto [rule, program, tact, d, other, required, above] = k;
    o << "rule " << rule << " P" << program + 1 << " T" << tact + 1 << " d" << d + 1 << " o" << other + 1 << " req "
      << required << (above ? " above" : "") << " -> " << f.seconds << " s, path " << f.path << " from "
      << f.fromProgram + 1;
    return o.str();
}

TEST(SafetyDifferential, AgreesWithPlayingEveryProgramThroughTheEngine) {
    std::mt19937 rng(20261209);
    int withFindings = 0, seamFindings = 0, callFindings = 0;
    for (int round = 0; round < 300; ++round) {
        SafetyData s;
        const auto c = randomConfiguration(rng, s);
        const SafetyReport report = checkSafety(*c, s);
        std::map<oracle::PlayedKey, oracle::PlayedFinding> analytic;
        for (const SafetyFinding& f : report.findings)
            analytic[{int(f.rule), f.program, f.tact, f.direction, f.other, f.required, f.seconds > f.required}] = {
                f.seconds, f.path, f.fromProgram};
        const auto played = oracle::safetyFindingsByPlaying(*c, s);
        std::string diff;
        for (const auto& [k, f] : played) {
            const auto it = analytic.find(k);
            if (it == analytic.end()) diff += "  only played: " + describe(k, f) + "\n";
            else if (!(it->second == f)) diff += "  played " + describe(k, f) + " / checked " + describe(k, it->second) + "\n";
        }
        for (const auto& [k, f] : analytic)
            if (!played.count(k)) diff += "  only checked: " + describe(k, f) + "\n";
        ASSERT_TRUE(diff.empty()) << "round " << round << "\n" << diff;
        // Below the cap every finding is worded, so the lists above are whole.
        ASSERT_EQ(report.notWorded, 0) << "round " << round;
        ASSERT_EQ(report.findings.size(), played.size()) << "round " << round;
        withFindings += !report.findings.empty();
        for (const SafetyFinding& f : report.findings) {
            seamFindings += f.path == PathCalendarSeam;
            callFindings += f.path != PathPlain && f.path != PathCalendarSeam;
        }
    }
    // The generated programs reach the call paths and the calendar seams.
    EXPECT_GT(withFindings, 200);
    EXPECT_GT(seamFindings, 20);
    EXPECT_GT(callFindings, 50);
}

}  // namespace
}  // namespace livra
