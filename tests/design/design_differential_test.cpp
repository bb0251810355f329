// Random crossings designed from random phases: every built program passes
// the safety check with no finding, every change is as long as the
// independent model asks, a change one second shorter is found by the
// check, and the phases read back as they were given.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "check/safety_check.h"
#include "design/phase_design.h"
#include "oracle/design_oracle.h"
#include "support/test_support.h"

namespace livra {
namespace {

constexpr int kProgram = FirstUserProgram;

struct Crossing {
    std::unique_ptr<Configuration> c;
    std::vector<int> heads;  // directions that may go
};

Crossing randomCrossing(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Crossing x{test::newConfiguration(), {}};
    Configuration& c = *x.c;
    const int count = pick(2, 9);
    int d = 0;
    for (int k = 0; k < count && d < 12; ++k) {
        const int roll = pick(0, 9);
        if (roll < 5) test::addDirection(c, d, DirVehicle), x.heads.push_back(d++);
        else if (roll < 8) test::addDirection(c, d, DirPedestrian), x.heads.push_back(d++);
        else if (roll == 8) {
            test::addDirection(c, d, DirTram1);  // three rows, each its own direction
            for (int r = 0; r < 3; ++r) x.heads.push_back(d++);
        } else {
            test::addDirection(c, d, DirExtraGreen), x.heads.push_back(d++);
        }
    }
    if (pick(0, 2) > 0) test::addDirection(c, d++, DirTvp1);
    if (pick(0, 2) == 0) test::addDirection(c, d++, DirTvp2);
    SafetyData& s = c.Safety;
    s.defined = true;
    if (pick(0, 3) == 0)
        s.rules = SafetyRules{pick(0, 4), pick(0, 2), 0, pick(0, 4), pick(0, 7), pick(0, 7)};
    s.rules.redYellowMax = pick(0, 1) ? 0 : s.rules.redYellowMin + pick(0, 2);
    for (size_t a = 0; a < x.heads.size(); ++a)
        for (size_t b = a + 1; b < x.heads.size(); ++b)
            if (pick(0, 9) < 4) s.conflict[size_t(x.heads[a])].set(size_t(x.heads[b])), s.conflict[size_t(x.heads[b])].set(size_t(x.heads[a]));
    for (int i : x.heads)
        for (int j : x.heads)
            if (s.conflict[size_t(i)][size_t(j)]) s.intergreen[size_t(i)][size_t(j)] = int16_t(pick(0, 9) == 0 ? pick(10, 40) : pick(0, 9));
    return x;
}

Phase randomPhase(std::mt19937& rng, const Crossing& x, int least) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<int> order = x.heads;
    std::shuffle(order.begin(), order.end(), rng);
    Phase ph;
    const int want = pick(1, int(order.size()));
    for (int d : order) {
        if (int(ph.directions.size()) >= want) break;
        const bool free = std::none_of(ph.directions.begin(), ph.directions.end(),
                                       [&](int e) { return x.c->Safety.conflict[size_t(d)][size_t(e)]; });
        if (free) ph.directions.push_back(d);
    }
    std::sort(ph.directions.begin(), ph.directions.end());
    ph.tMin = std::max(1, least) + pick(0, 4);
    ph.tMain = ph.tMin + pick(0, 20);
    return ph;
}

PhaseDesign randomDesign(std::mt19937& rng, const Crossing& x) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const SafetyRules& r = x.c->Safety.rules;
    const int least = std::max(r.minGreenVehicle, r.minGreenPedestrian);
    PhaseDesign d;
    const int phases = pick(1, 5);
    for (int k = 0; k < phases; ++k) d.phases.push_back(randomPhase(rng, x, least));
    const auto& kinds = x.c->DirectionKind;
    int taken = -1;
    for (int g = 0; g < 2; ++g) {
        const uint8_t input = g == 0 ? DirTvp1 : DirTvp2;
        if (std::find(kinds.begin(), kinds.end(), input) == kinds.end() || pick(0, 2) == 0) continue;
        CallPhase cp;
        cp.after = pick(0, phases - 1);
        if (cp.after == taken) continue;  // one group after a phase keeps the model's states apart
        if (cp.after + 1 < phases && d.phases[size_t(cp.after + 1)].directions == d.phases[size_t(cp.after)].directions)
            continue;  // refused: the next phase would read back as the return
        taken = cp.after;
        cp.phase = randomPhase(rng, x, least);
        cp.phase.tMin = 0;
        cp.phase.tMain = std::max(1, least) + pick(0, 10);
        d.calls[size_t(g)] = cp;
    }
    return d;
}

// One second off the tact `t`: shorter, or gone when it lasts one second.
void shortenTact(Configuration& c, int t) {
    auto& tacts = c.TactTable[kProgram];
    auto& rows = c.TactSignals[kProgram];
    if (tacts[size_t(t)].tMain > 1) {
        --tacts[size_t(t)].tMain;
        return;
    }
    for (int k = t; k + 1 < TactCount; ++k) tacts[size_t(k)] = tacts[size_t(k + 1)], rows[size_t(k)] = rows[size_t(k + 1)];
    tacts[TactCount - 1] = Tact{};
    rows[TactCount - 1].fill(0);
}

TEST(DesignDifferential, BuiltProgramsAreSafeAndEveryChangeIsAsShortAsTheModelAllows) {
    std::mt19937 rng(20261209);
    int built = 0, withCalls = 0, decidedByPairs = 0, mutations = 0;
    for (int round = 0; round < 400; ++round) {
        Crossing x = randomCrossing(rng);
        const PhaseDesign design = randomDesign(rng, x);
        Configuration& c = *x.c;
        const DesignResult<BuiltProgram> r = applyDesign(c, kProgram, design);
        ASSERT_TRUE(r.ok()) << "round " << round << ": " << r.error;
        ++built;
        withCalls += design.calls[0] || design.calls[1];
        const SafetyReport report = checkSafety(c, c.Safety);
        ASSERT_TRUE(report.empty()) << "round " << round << ": " << (report.findings.empty() ? "" : report.findings[0].text)
                                    << "\n" << designArguments(design);

        const std::vector<oracle::OracleChange> model = oracle::designedChanges(c, kProgram);
        int modelSeconds = 0, builtSeconds = 0;
        for (const oracle::OracleChange& ch : model) {
            EXPECT_EQ(ch.seconds, ch.least) << "round " << round << ", tact " << ch.firstTact + 1 << "\n"
                                            << designArguments(design);
            modelSeconds += ch.seconds;
        }
        for (const DesignChange& ch : r.value->changes) {
            int sum = 0;
            for (int t = ch.firstTact; t < ch.firstTact + ch.tactCount; ++t) sum += c.TactTable[kProgram][size_t(t)].tMain;
            EXPECT_EQ(sum, ch.seconds) << "round " << round << ", " << ch.text;
            builtSeconds += ch.seconds;
            decidedByPairs += ch.reason == ChangeReason::Intergreen;
        }
        EXPECT_EQ(builtSeconds, modelSeconds) << "round " << round;

        const DesignResult<PhaseDesign> back = readPhases(c, kProgram);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back.value, design) << "round " << round << "\n" << designArguments(*back.value) << "\n"
                                       << designArguments(design);

        // Each change one second shorter — its last second cut, where the
        // entering directions wait — is found by the check. (With yellow
        // off a vehicle may go from green straight to red, so a change made
        // only of a vehicle's one second of flashing green is the design's
        // own choice, not the check's.)
        const SafetyRules& rules = c.Safety.rules;
        for (const DesignChange& ch : r.value->changes) {
            if (ch.tactCount == 0) continue;
            if (ch.reason == ChangeReason::Clearance && rules.yellow == 0 && rules.flashingGreen <= 1) continue;
            Configuration broken = c;
            shortenTact(broken, ch.firstTact + ch.tactCount - 1);
            ++mutations;
            EXPECT_FALSE(checkSafety(broken, broken.Safety).empty())
                << "round " << round << ": " << ch.text << " one second shorter went unnoticed\n"
                << designArguments(design);
        }
    }
    EXPECT_EQ(built, 400);
    EXPECT_GT(withCalls, 100);
    EXPECT_GT(decidedByPairs, 100);
    EXPECT_GT(mutations, 500);
}

}  // namespace
}  // namespace livra
