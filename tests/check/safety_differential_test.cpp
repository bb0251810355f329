// The analytic safety check against playing every program through the
// simulation engine second by second (tests/oracle/safety_oracle).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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

// The kinds that can show a go signal.
bool showsGo(uint8_t kind) {
    return kind == DirVehicle || kind == DirPedestrian || kind == DirTram1 || kind == DirTram2 || kind == DirTram3 ||
           kind == DirExtraGreen;
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
        // A conflict without an intergreen is a fact of the matrix, not of a
        // sequence: each ordered pair of used directions with a conflict and
        // no time, counted here from the matrix itself.
        std::set<std::pair<int, int>> missing, expectedMissing;
        for (const SafetyFinding& f : report.findings) {
            if (f.rule == SafetyRule::MissingIntergreen) {
                missing.insert({f.direction, f.other});
                continue;
            }
            analytic[{int(f.rule), f.program, f.tact, f.direction, f.other, f.required, f.seconds > f.required}] = {
                f.seconds, f.path, f.fromProgram};
        }
        if (s.defined)
            for (int a = 0; a < DirectionCount; ++a)
                for (int b = 0; b < DirectionCount; ++b)
                    if (a != b && s.conflict[a][b] && s.intergreen[a][b] == IntergreenNotSet && showsGo(c->DirectionKind[a]) &&
                        showsGo(c->DirectionKind[b]))
                        expectedMissing.insert({a, b});
        EXPECT_EQ(missing, expectedMissing) << "round " << round;
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
        ASSERT_EQ(report.findings.size() - missing.size(), played.size()) << "round " << round;
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

// Many directions, long programs, every pair in conflict: hundreds of
// findings per program, past what the check words.
std::unique_ptr<Configuration> denseConfiguration(std::mt19937& rng, SafetyData& s) {
    auto c = test::newConfiguration();
    int d = 0;
    for (int i = 0; i < 8; ++i) test::addDirection(*c, d++, DirVehicle);
    for (int i = 0; i < 6; ++i) test::addDirection(*c, d++, DirPedestrian);
    test::addDirection(*c, d++, DirTvp1);
    const int programs = 2 + int(rng() % 2);
    for (int p = FirstUserProgram; p < FirstUserProgram + programs; ++p) {
        const int tacts = 30 + int(rng() % 30);
        for (int t = 0; t < tacts; ++t) {
            const int32_t kind = t == 7 ? TactTvp1 : t % 3 == 2 ? TactIntermediate : TactPhase;
            const int32_t tMain = 1 + int(rng() % 6);
            test::addTact(*c, p, kind, tMain, 1 + int(rng() % tMain), SignalRed);
            for (int k = 0; k < d; ++k) c->TactSignals[p][t][k] = randomSignal(rng, c->DirectionKind[k]);
        }
    }
    for (int a = 0; a < 3; ++a)
        test::addAlarm(*c, int(rng() % 7), int(rng() % 24), 0, FirstUserProgram + 1 + a % programs);
    s.clear();
    s.defined = true;
    for (int a = 0; a < d - 1; ++a)
        for (int b = 0; b < d - 1; ++b)
            if (a != b) s.conflict[a].set(b), s.intergreen[a][b] = int16_t(2 + rng() % 6);
    return c;
}

// Past the cap, against the played findings: the count is whole (in all, of
// conflicts, per tact), the worded ones carry the measure of the worst
// sequence, and they are the first of each program and rule, taken in turns
// program by program and rule by rule up to the total.
TEST(SafetyDifferential, PastTheCapTheCountsAreWholeAndTheFirstFindingsAreWorded) {
    std::mt19937 rng(1209);
    for (int round = 0; round < 6; ++round) {
        SafetyData s;
        const auto c = denseConfiguration(rng, s);
        const SafetyReport report = checkSafety(*c, s);
        const auto played = oracle::safetyFindingsByPlaying(*c, s);
        ASSERT_GT(played.size(), size_t(2 * kSafetyWorded)) << "round " << round;

        long conflicts = 0;
        std::map<std::pair<int, int>, long> perTact;  // (program, tact) → findings
        std::map<std::pair<int, int>, std::vector<oracle::PlayedKey>> buckets;  // (program, rule) → keys in order
        for (const auto& [k, f] : played) {
            const auto [rule, program, tact, d, other, required, above] = k;
            conflicts += rule == int(SafetyRule::Conflict);
            ++perTact[{program, tact}];
            buckets[{program, rule}].push_back(k);
        }
        for (auto& [where, keys] : buckets)
            std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
                return std::tuple(std::get<2>(a), std::get<3>(a), std::get<4>(a), std::get<5>(a), std::get<6>(a)) <
                       std::tuple(std::get<2>(b), std::get<3>(b), std::get<4>(b), std::get<5>(b), std::get<6>(b));
            });
        std::set<oracle::PlayedKey> expected;
        for (size_t turn = 0; turn < size_t(kSafetyWordedPerProgramAndRule); ++turn)
            for (const auto& [where, keys] : buckets)
                if (turn < keys.size() && expected.size() < size_t(kSafetyWorded)) expected.insert(keys[turn]);

        std::set<oracle::PlayedKey> worded;
        long wordedConflicts = 0;
        for (const SafetyFinding& f : report.findings) {
            const oracle::PlayedKey k{int(f.rule), f.program, f.tact, f.direction, f.other, f.required,
                                      f.seconds > f.required};
            worded.insert(k);
            wordedConflicts += f.rule == SafetyRule::Conflict;
            --perTact[{f.program, f.tact}];
            const auto it = played.find(k);
            ASSERT_TRUE(it != played.end()) << "round " << round << ": " << f.text;
            EXPECT_EQ(it->second, (oracle::PlayedFinding{f.seconds, f.path, f.fromProgram})) << f.text;
        }
        EXPECT_EQ(worded, expected) << "round " << round;
        EXPECT_EQ(long(report.findings.size()) + report.notWorded, long(played.size())) << "round " << round;
        EXPECT_EQ(wordedConflicts + report.conflictsNotWorded, conflicts) << "round " << round;
        for (const SafetyTactRest& rest : report.restByTact) perTact[{rest.program, rest.tact}] -= rest.count;
        for (const auto& [where, left] : perTact)
            EXPECT_EQ(left, 0) << "round " << round << ", program " << where.first + 1 << ", tact " << where.second + 1;
        EXPECT_EQ(safetyReportLines(report).back(), "… и ещё " + std::to_string(report.notWorded) + " " +
                                                        findingsWord(report.notWorded) + ", из них конфликтов: " +
                                                        std::to_string(report.conflictsNotWorded));
    }
}

TEST(SafetyReportWords, TheNounAgreesWithTheNumber) {
    for (long n : {1L, 21L, 101L, 1001L}) EXPECT_EQ(findingsWord(n), "замечание") << n;
    for (long n : {2L, 3L, 4L, 22L, 34L, 102L, 1004L}) EXPECT_EQ(findingsWord(n), "замечания") << n;
    for (long n : {0L, 5L, 11L, 12L, 13L, 14L, 19L, 20L, 111L, 112L, 114L, 2460L}) EXPECT_EQ(findingsWord(n), "замечаний") << n;
}

}  // namespace
}  // namespace livra
