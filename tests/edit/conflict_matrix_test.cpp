#include "edit/conflict_matrix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;

namespace {

std::unique_ptr<Configuration> crossroad() {
    auto parsed = parseProject(test::readBytes(std::filesystem::path(LIVRA_TEST_DATA) / "crossroad_unsafe.ptm"));
    EXPECT_TRUE(parsed);
    return parsed ? std::move(parsed->config) : test::newConfiguration();
}

std::set<std::pair<int, int>> conflictPairs(const SafetyData& s) {
    std::set<std::pair<int, int>> out;
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = a + 1; b < DirectionCount; ++b)
            if (s.conflict[a][b]) out.insert({a, b});
    return out;
}

}  // namespace

TEST(ConflictMatrix, ToggleKeepsSymmetryAndUnconflictingDropsThePairsValues) {
    SafetyData s;
    EXPECT_TRUE(toggleConflict(s, 0, 3));
    EXPECT_TRUE(s.conflict[0][3] && s.conflict[3][0]);
    EXPECT_TRUE(setIntergreen(s, 0, 3, 5));
    EXPECT_TRUE(setIntergreen(s, 3, 0, 7));
    s.calculatorInputs[{0, 3}] = IntergreenInputs{20, 6, 10, 0, 10, 3};
    s.proposed[0][3] = s.proposed[3][0] = true;
    // Another pair's values are not touched by this pair's switch.
    ASSERT_TRUE(toggleConflict(s, 1, 2));
    ASSERT_TRUE(setIntergreen(s, 1, 2, 4));

    EXPECT_TRUE(toggleConflict(s, 3, 0));  // either order names the pair
    EXPECT_FALSE(s.conflict[0][3] || s.conflict[3][0] || s.proposed[0][3] || s.proposed[3][0]);
    EXPECT_EQ(s.intergreen[0][3], IntergreenNotSet);
    EXPECT_EQ(s.intergreen[3][0], IntergreenNotSet);
    EXPECT_TRUE(s.calculatorInputs.empty());
    EXPECT_EQ(s.intergreen[1][2], 4);

    // A direction with itself, or outside the table: refused, nothing changes.
    const SafetyData before = s;
    EXPECT_FALSE(toggleConflict(s, 2, 2));
    EXPECT_FALSE(toggleConflict(s, -1, 2));
    EXPECT_FALSE(toggleConflict(s, 2, DirectionCount));
    EXPECT_EQ(s, before);
}

TEST(ConflictMatrix, IntergreenNeedsAConflictAndARangeAndParsesTheEngineersText) {
    SafetyData s;
    EXPECT_FALSE(setIntergreen(s, 0, 1, 5));  // no conflict yet
    setConflict(s, 0, 1, true);
    EXPECT_TRUE(setIntergreen(s, 0, 1, 0));
    EXPECT_TRUE(setIntergreen(s, 0, 1, 255));
    EXPECT_FALSE(setIntergreen(s, 0, 1, 256));
    EXPECT_FALSE(setIntergreen(s, 0, 1, -2));
    EXPECT_EQ(s.intergreen[0][1], 255);
    EXPECT_EQ(s.intergreen[1][0], IntergreenNotSet);  // ordered: the other way is its own value
    EXPECT_TRUE(setIntergreen(s, 0, 1, IntergreenNotSet));
    EXPECT_EQ(s.intergreen[0][1], IntergreenNotSet);

    EXPECT_EQ(parseIntergreenText(""), IntergreenNotSet);
    EXPECT_EQ(parseIntergreenText("  "), IntergreenNotSet);
    EXPECT_EQ(parseIntergreenText(" 7 "), 7);
    EXPECT_EQ(parseIntergreenText("0"), 0);
    EXPECT_EQ(parseIntergreenText("255"), 255);
    for (const char* bad : {"256", "-1", "5с", "1.5", "0x10", "1 2", "0255"}) EXPECT_FALSE(parseIntergreenText(bad)) << bad;
}

TEST(ConflictMatrix, ProposalsOnTheSampleAreItsCrossingPathsAndNeverOverrideTheEngineer) {
    auto c = crossroad();
    // The rows: the four signal heads, not the call input.
    EXPECT_EQ(matrixDirections(*c), (std::vector<int>{0, 1, 2, 3}));

    SafetyData s;
    // The engineer already said 3 and 4 conflict (they do not in the
    // programs: the all-pedestrian call tacts run them together).
    setConflict(s, 2, 3, true);
    setIntergreen(s, 2, 3, 4);
    EXPECT_EQ(proposeConflicts(s, *c), 3);
    // Vehicle 1 against vehicle 2 and pedestrian 4, vehicle 2 against
    // pedestrian 3: the pairs never at go together.
    EXPECT_EQ(conflictPairs(s), (std::set<std::pair<int, int>>{{0, 1}, {0, 3}, {1, 2}, {2, 3}}));
    EXPECT_TRUE(isProposed(s, 0, 1) && isProposed(s, 1, 0) && isProposed(s, 0, 3) && isProposed(s, 1, 2));
    EXPECT_FALSE(isProposed(s, 2, 3));
    EXPECT_EQ(s.intergreen[2][3], 4);
    EXPECT_EQ(proposalCount(s), 3);
    EXPECT_EQ(proposeConflicts(s, *c), 0);  // nothing new the second time

    confirmProposal(s, 1, 0);
    EXPECT_EQ(proposalCount(s), 2);
    confirmAllProposals(s);
    EXPECT_EQ(proposalCount(s), 0);
    EXPECT_EQ(conflictPairs(s).size(), 4u);

    EXPECT_FALSE(s.defined);
    finishMatrixEdit(s);
    EXPECT_TRUE(s.defined);
}

// Against a plain model: a pair is proposed exactly when both directions
// show go in some used tact of a user program and never in the same one, and
// they are not two pedestrian crossings.
TEST(ConflictMatrix, ProposalsMatchAnIndependentModelOnRandomPrograms) {
    std::mt19937 rng(20);
    const uint8_t kinds[] = {DirVehicle, DirPedestrian, DirExtraGreen, DirExtraRed, DirTvp1, DirVehicle, DirPedestrian};
    for (int round = 0; round < 40; ++round) {
        auto c = test::newConfiguration();
        const int n = 6;
        for (int d = 0; d < n; ++d) c->DirectionKind[d] = kinds[(d + round) % 7];
        for (int p = FirstUserProgram; p < FirstUserProgram + 2; ++p) {
            const int tacts = 1 + int(rng() % 5);
            for (int t = 0; t < tacts + 1; ++t) {
                c->TactTable[p][t].kind = t == tacts ? TactEmpty : int32_t(1 + rng() % 3);
                for (int d = 0; d < n; ++d) c->TactSignals[p][t][d] = uint8_t(1 + rng() % 7);
            }
            // A tact behind the first empty one is never played.
            c->TactTable[p][tacts + 1].kind = TactPhase;
            for (int d = 0; d < n; ++d) c->TactSignals[p][tacts + 1][d] = SignalGreen;
        }
        // Program 2 (fixed) never counts.
        for (int d = 0; d < n; ++d) c->TactSignals[1][0][d] = SignalGreen;
        c->TactTable[1][0].kind = TactIntermediate;

        SafetyData s;
        proposeConflicts(s, *c);

        auto goIn = [&](int p, int t, int d) {
            const uint8_t k = c->DirectionKind[d], sig = c->TactSignals[p][t][d];
            const bool head = k == DirVehicle || k == DirPedestrian || k == DirExtraGreen;
            return head && (sig == SignalGreen || sig == SignalFlashingGreen);
        };
        for (int a = 0; a < n; ++a) {
            for (int b = a + 1; b < n; ++b) {
                bool aGo = false, bGo = false, together = false;
                for (int p = FirstUserProgram; p < ProgramCount; ++p)
                    for (int t = 0; t < TactCount && c->TactTable[p][t].kind != TactEmpty; ++t) {
                        aGo |= goIn(p, t, a);
                        bGo |= goIn(p, t, b);
                        together |= goIn(p, t, a) && goIn(p, t, b);
                    }
                const bool walkers = c->DirectionKind[a] == DirPedestrian && c->DirectionKind[b] == DirPedestrian;
                const bool expected = aGo && bGo && !together && !walkers;
                EXPECT_EQ(bool(s.conflict[a][b]), expected) << "round " << round << " pair " << a << "," << b;
                EXPECT_EQ(bool(s.proposed[b][a]), expected);
            }
        }
    }
}

// Two crossings never green together are still no conflict, nor are two rows
// of one tram head; a vehicle against either is proposed as before.
TEST(ConflictMatrix, ProposalsLeaveWalkersAndATramHeadsOwnRowsAlone) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirPedestrian);
    test::addDirection(*c, 1, DirPedestrian);
    test::addDirection(*c, 2, DirTram1);  // rows 3, 4, 5
    test::addDirection(*c, 5, DirVehicle);
    const int p = FirstUserProgram;
    // Walkers 1, walkers 2, tram row 3, tram row 4, vehicle 6: each alone.
    for (int go : {0, 1, 2, 3, 5}) {
        const int t = test::addTact(*c, p, TactPhase, 10, 10, SignalRed);
        c->TactSignals[p][t][go] = SignalGreen;
    }
    SafetyData s;
    proposeConflicts(s, *c);
    EXPECT_FALSE(isConflict(s, 0, 1));
    EXPECT_FALSE(isConflict(s, 2, 3));
    EXPECT_TRUE(isConflict(s, 0, 5) && isProposed(s, 0, 5));
    EXPECT_TRUE(isConflict(s, 2, 5) && isProposed(s, 2, 5));
    EXPECT_TRUE(isConflict(s, 0, 2));  // walkers against a tram row
}
