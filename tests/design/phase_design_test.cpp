#include "design/phase_design.h"

#include <gtest/gtest.h>

#include "check/safety_check.h"
#include "support/test_support.h"

namespace livra {
namespace {

constexpr int kProgram = FirstUserProgram;
constexpr uint8_t R = SignalRed, Y = SignalYellow, G = SignalGreen, FG = SignalFlashingGreen, RY = SignalRedYellow,
                  OFF = SignalOff, NA = SignalNotApplicable;

// The sample's crossing: roads 1 and 2, walkers 3 (across 2's legs) and 4
// (across 1's legs), the call button 5; its conflicts and intergreens.
std::unique_ptr<Configuration> crossing() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    test::addDirection(*c, 2, DirPedestrian);
    test::addDirection(*c, 3, DirPedestrian);
    test::addDirection(*c, 4, DirTvp1);
    SafetyData& s = c->Safety;
    s.defined = true;
    const int pairs[][3] = {{1, 2, 5}, {2, 1, 5}, {1, 4, 6}, {2, 3, 6}, {4, 1, 5}, {3, 2, 5}};
    for (const auto& p : pairs) {
        s.conflict[size_t(p[0] - 1)].set(size_t(p[1] - 1));
        s.conflict[size_t(p[1] - 1)].set(size_t(p[0] - 1));
        s.intergreen[size_t(p[0] - 1)][size_t(p[1] - 1)] = int16_t(p[2]);
    }
    return c;
}

PhaseDesign sampleDesign() {
    PhaseDesign d;
    d.phases = {{{0, 2}, 12, 30}, {{1, 3}, 8, 20}, {{0, 2}, 6, 6}};
    d.calls[0] = CallPhase{2, {{2, 3}, 0, 12}};
    return d;
}

std::vector<std::vector<uint8_t>> signalsOf(const Configuration& c, int first, int count) {
    std::vector<std::vector<uint8_t>> out;
    for (int t = first; t < first + count; ++t)
        out.emplace_back(c.TactSignals[kProgram][size_t(t)].begin(), c.TactSignals[kProgram][size_t(t)].begin() + 5);
    return out;
}

TEST(PhaseDesign, BuildsEachChangeFromTheRulesAndNamesWhatDecidesIt) {
    auto c = crossing();
    const DesignResult<BuiltProgram> r = applyDesign(*c, kProgram, sampleDesign());
    ASSERT_TRUE(r.ok()) << r.error;
    std::vector<std::string> texts;
    for (const DesignChange& ch : r.value->changes) texts.push_back(ch.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Ф1→Ф2: 9 с, решает 1→4: 6 с",
                         "Ф2→Ф3: 9 с, решает 2→3: 6 с",
                         "Ф3→ТВП1: 9 с, решает 1→4: 6 с",
                         "ТВП1→Ф3: 8 с, решает 4→1: 5 с",
                         "Ф3→Ф1: без промтактов",
                     }));
    // Ф1→Ф2: 1 and 3 flash, 1 shows yellow, all red until 1's go ended 3 s
    // before plus 6 s for walkers 4, road 2 red-and-yellow its least 1 s.
    const auto& t = c->TactTable[kProgram];
    EXPECT_EQ(t[0], (Tact{TactPhase, 12, 30, 30, 1}));
    EXPECT_EQ(signalsOf(*c, 1, 4), (std::vector<std::vector<uint8_t>>{
                                       {FG, R, FG, R, NA}, {Y, R, R, R, NA}, {R, R, R, R, NA}, {R, RY, R, R, NA}}));
    EXPECT_EQ((std::vector<int>{t[1].tMain, t[2].tMain, t[3].tMain, t[4].tMain}), (std::vector<int>{3, 3, 2, 1}));
    EXPECT_EQ(t[1].kind, TactIntermediate);
    // The call group after Ф3: 3 keeps going, 1 clears for walkers 4; back
    // again 4 flashes and 1 waits 5 s after 4's go; the button lit until the walk has run.
    int group = 0;
    while (t[size_t(group)].kind != TactTvp1) ++group;
    EXPECT_EQ(signalsOf(*c, group, 7), (std::vector<std::vector<uint8_t>>{
                                           {FG, R, G, R, R},
                                           {Y, R, G, R, R},
                                           {R, R, G, R, R},
                                           {R, R, G, G, R},
                                           {R, R, G, FG, OFF},
                                           {R, R, G, R, OFF},
                                           {RY, R, G, R, OFF}}));
    EXPECT_EQ(t[size_t(group + 3)], (Tact{TactTvp1, 12, 12, t[size_t(group + 3)].tEnd, t[size_t(group + 3)].phaseNo}));
    EXPECT_EQ(t[size_t(group + 7)].kind, TactEmpty);  // back to Ф1 with Ф3's signals: no change
    EXPECT_TRUE(checkSafety(*c, c->Safety).empty());
}

TEST(PhaseDesign, RefusesWhatCannotBeMadeSafeNamingWhatToMendAndChangesNothing) {
    auto c = crossing();
    test::addTact(*c, kProgram, TactPhase, 20, 10, SignalGreen);
    const Configuration before = *c;
    auto refused = [&](const PhaseDesign& d) {
        const DesignResult<BuiltProgram> r = applyDesign(*c, kProgram, d);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(c->sameTables(before));
        return r.error;
    };
    PhaseDesign d = sampleDesign();
    d.phases[1].directions = {0, 1};
    EXPECT_EQ(refused(d), "Ф2: напр. 1 и 2 конфликтуют — уберите одно из них из фазы");
    d = sampleDesign();
    d.calls[0]->phase.directions = {0, 3};
    EXPECT_EQ(refused(d), "Фаза вызова ТВП1: напр. 1 и 4 конфликтуют — уберите одно из них из фазы");
    d = sampleDesign();
    c->Safety.intergreen[3][0] = IntergreenNotSet;
    EXPECT_EQ(refused(d), "Для пары 4→1 не задано промежуточное время — задайте его в матрице конфликтов");
    c->Safety.intergreen[3][0] = 5;
    d.phases[1].tMin = 4;
    EXPECT_EQ(refused(d), "Ф2: Т мин 4 с меньше наименьшего зелёного 5 с напр. 2");
    d = sampleDesign();
    d.calls[0]->phase.tMain = 3;
    EXPECT_EQ(refused(d), "Фаза вызова ТВП1: Т осн 3 с меньше наименьшего зелёного 5 с напр. 3");
    d = sampleDesign();
    d.phases[0].tMin = 31;
    EXPECT_EQ(refused(d), "Ф1: Т мин больше Т осн");
    d.phases[0] = {{0, 2}, 12, 256};
    EXPECT_EQ(refused(d), "Ф1: Т осн должно быть от 1 до 255 с");
    d = sampleDesign();
    d.phases[0].directions = {0, 4};
    EXPECT_EQ(refused(d), "Ф1: напр. 5 не может быть на разрешающем сигнале");
    d.phases[0].directions = {0, 9};
    EXPECT_EQ(refused(d), "Ф1: напр. 10 — такого направления нет");
    d = sampleDesign();
    d.calls[0]->after = 3;
    EXPECT_EQ(refused(d), "Фаза вызова ТВП1 — после фазы 4, а фаз 3");
    d.calls[0]->after = 0;
    d.phases[1].directions = {0, 2};
    EXPECT_EQ(refused(d), "Фаза вызова ТВП1 — после фазы 1: у фазы 2 те же направления — поставьте вызов после фазы 2");
    d = sampleDesign();
    d.calls[1] = d.calls[0];
    EXPECT_EQ(refused(d), "Фаза вызова ТВП2 — в направлениях нет вызывного входа «ТВП2»");
    EXPECT_EQ(refused(PhaseDesign{}), "Задайте хотя бы одну фазу");
    c->Safety.defined = false;
    EXPECT_EQ(refused(sampleDesign()), "Матрица конфликтов не задана: задайте её, чтобы строить программу по фазам");
    c->Safety.defined = true;
    EXPECT_EQ(applyDesign(*c, 1, sampleDesign()).error, "Программу по фазам можно построить только в программе 4..16");
}

TEST(PhaseDesign, AGroupReturningToAPhaseThatLeadsOnHoldsTheReturnersTheirLeastGreen) {
    auto c = crossing();
    PhaseDesign d;
    d.phases = {{{0, 2}, 10, 25}, {{1, 3}, 8, 20}};
    d.calls[0] = CallPhase{0, {{2, 3}, 0, 10}};
    const DesignResult<BuiltProgram> r = applyDesign(*c, kProgram, d);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value->holdSeconds[0], 5);  // road 1 came back and leaves for Ф2 next
    EXPECT_TRUE(checkSafety(*c, c->Safety).empty());
    const DesignResult<PhaseDesign> back = readPhases(*c, kProgram);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back.value, d);
    EXPECT_EQ(designArguments(*back.value), "--phase 1,3:10:25 --phase 2,4:8:20 --call1-after 1 --call1-phase 3,4:10");
}

// The sample's program 4 as it was painted by hand before the design.
void paintProgram4(Configuration& c) {
    struct Row {
        int32_t kind, tMin, tMain;
        uint8_t s[5];
    };
    const Row rows[] = {
        {TactPhase, 12, 30, {G, R, G, R, NA}},       {TactIntermediate, 0, 3, {FG, R, FG, R, NA}},
        {TactIntermediate, 0, 3, {Y, R, R, R, NA}},  {TactIntermediate, 0, 1, {R, R, R, R, NA}},
        {TactIntermediate, 0, 2, {R, RY, R, R, NA}}, {TactPhase, 8, 20, {R, G, R, G, NA}},
        {TactIntermediate, 0, 3, {R, FG, R, FG, NA}}, {TactIntermediate, 0, 3, {R, Y, R, R, NA}},
        {TactIntermediate, 0, 1, {R, R, R, R, NA}},  {TactIntermediate, 0, 2, {RY, R, R, R, NA}},
        {TactPhase, 6, 6, {G, R, G, R, NA}},         {TactTvp1, 0, 3, {FG, R, G, R, R}},
        {TactTvp1, 0, 3, {Y, R, G, R, R}},           {TactTvp1, 0, 3, {R, R, G, R, R}},
        {TactTvp1, 0, 12, {R, R, G, G, R}},          {TactTvp1, 0, 3, {R, R, FG, FG, OFF}},
        {TactTvp1, 0, 3, {R, R, R, R, OFF}},         {TactTvp1, 0, 2, {RY, R, R, R, OFF}},
    };
    int t = 0;
    for (const Row& row : rows) {
        c.TactTable[kProgram][size_t(t)] = Tact{row.kind, row.tMin, row.tMain, 0, 0};
        for (int d = 0; d < 5; ++d) c.TactSignals[kProgram][size_t(t)][size_t(d)] = row.s[d];
        ++t;
    }
    recomputeDerivedTactFields(c, kProgram);
}

TEST(PhaseDesign, PhasesReadBackFromAPaintedProgramAndItsChangesRebuild) {
    auto c = crossing();
    paintProgram4(*c);
    const DesignResult<PhaseDesign> read = readPhases(*c, kProgram);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(*read.value, sampleDesign());
    EXPECT_EQ(designArguments(*read.value),
              "--phase 1,3:12:30 --phase 2,4:8:20 --phase 1,3:6:6 --call1-after 3 --call1-phase 3,4:12");

    const DesignResult<BuiltProgram> rebuilt = rebuildInterphases(*c, kProgram);
    ASSERT_TRUE(rebuilt.ok()) << rebuilt.error;
    EXPECT_TRUE(checkSafety(*c, c->Safety).empty());
    EXPECT_EQ(*readPhases(*c, kProgram).value, sampleDesign());
    // The painted 2 s red-and-yellow becomes the least 1 s, the all red 2 s.
    EXPECT_EQ(c->TactTable[kProgram][3].tMain, 2);
    EXPECT_EQ(c->TactTable[kProgram][4].tMain, 1);

    Configuration empty = *crossing();
    EXPECT_EQ(readPhases(empty, kProgram).error, "В программе нет тактов \"Фаза\"");
}

TEST(PhaseDesign, DirectionListsAreCheckedAgainstBothBounds) {
    EXPECT_EQ(parseDirectionList("3,1"), (std::vector<int>{0, 2}));
    EXPECT_EQ(parseDirectionList("63"), (std::vector<int>{62}));
    for (const char* bad : {"", "0", "64", "1,,2", "1,1", "a", "1,", ",1", "-1", "100", "1 2"})
        EXPECT_FALSE(parseDirectionList(bad).has_value()) << bad;
}

}  // namespace
}  // namespace livra
