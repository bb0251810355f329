#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "edit/signal_choice.h"
#include "edit/tact_grid.h"
#include "support/test_support.h"

namespace livra {
namespace {

TEST(TactGrid, ClicksLandOnCellsDirectionsAndTheHeaderBand) {
    using A = GridArea;
    struct Case { int x, y, firstTact, firstDirection; GridHit hit; };
    const Case cases[] = {
        {63, 99, 0, 0, {A::Cell, 0, 0}},
        {62 + 63 * 3, 98 + 33 * 2, 10, 4, {A::Cell, 12, 5}},
        {824, 394, 0, 0, {A::Cell, 12, 8}},
        {5, 120, 0, 7, {A::DirectionColumn, -1, 7}},
        {30, 40, 0, 0, {A::Nothing, -1, -1}},             // the captions
        // Scrolled down, the band stays the band and never a cell.
        {100, 10, 3, 5, {A::HeaderBand, 3, -1}},
        {100, 98, 3, 62, {A::HeaderBand, 3, -1}},
        // Off the tables: columns past tact 321, rows past direction 63.
        {63 * 2 + 1, 10, 320, 0, {A::Nothing, -1, -1}},
        {63 + 1, 10, 320, 0, {A::HeaderBand, 320, -1}},
        {63 * 2 + 1, 150, 320, 0, {A::Nothing, -1, -1}},
        {10, 99 + 33, 0, 62, {A::Nothing, -1, -1}},
        {70, 99, 0, 62, {A::Cell, 0, 62}},
        {-1, 120, 0, 0, {A::Nothing, -1, -1}},
        {825, 120, 0, 0, {A::Nothing, -1, -1}},
        {100, 395, 0, 0, {A::Nothing, -1, -1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.x << "," << k.y << " from " << k.firstTact << "/" << k.firstDirection);
        EXPECT_EQ(hitTactGrid(k.x, k.y, k.firstTact, k.firstDirection), k.hit);
    }

    auto c = test::newConfiguration();
    EXPECT_TRUE(isFirstFreeDirection(*c, 0));
    EXPECT_FALSE(isFirstFreeDirection(*c, 1));
    test::addDirection(*c, 0, DirTram1);
    EXPECT_FALSE(isFirstFreeDirection(*c, 2));
    EXPECT_TRUE(isFirstFreeDirection(*c, 3));
    EXPECT_FALSE(isFirstFreeDirection(*c, 4));
    EXPECT_FALSE(isFirstFreeDirection(*c, 63));
}

// Differential: every pixel of the directions picture against the cell
// arithmetic the picture is drawn with (symbol column 63 wide, slot cells 33,
// one caption row), scrolled and not.
TEST(TactGrid, DirectionsPictureClicksLandOnSymbolsAndSlots) {
    for (int first : {0, 5, 60}) {
        for (int y = -1; y < 400; ++y)
            for (int x = -1; x < 300; ++x) {
                DirectionsHit want;
                const int row = y / 33 - 1 + first;
                if (x >= 0 && y >= 33 && row < DirectionCount) {
                    if (x < 63) want = {DirectionsHit::Symbol, row, -1};
                    else if (x > 63 && y > 33 && (x - 63) / 33 < SlotCount)
                        want = {DirectionsHit::Slot, (y - 33) / 33 + first, (x - 63) / 33};
                }
                ASSERT_EQ(hitDirectionsPicture(x, y, first), want) << x << "," << y << " from " << first;
            }
    }
    EXPECT_EQ(hitDirectionsPicture(10, 20, 0).area, DirectionsHit::Nothing);  // the caption row
    EXPECT_EQ(hitDirectionsPicture(63 + 33 * 6 + 5, 40, 2), (DirectionsHit{DirectionsHit::Slot, 2, 6}));
}

TEST(TactGrid, CallInputCellsAreMarkedInEveryProgram) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirTvp1);
    test::addDirection(*c, 2, DirTvp2);
    const int32_t kinds[] = {TactPhase, TactTvp1, TactEmpty, TactIntermediate, TactTvp2, 7, -2};
    for (int p : {0, 3, 15}) {
        for (int t = 0; t < 7; ++t) {
            c->TactTable[p][t].kind = kinds[t];
            c->TactSignals[p][t] = {};
            for (int d = 0; d < 3; ++d) c->TactSignals[p][t][d] = SignalOff;
        }
    }
    c->TactSignals[3][300][1] = SignalRed;  // an empty tact far on
    markCallInputCells(*c);
    // Per tact kind: ТВП1 input, ТВП2 input (7 = left alone).
    const uint8_t tvp1[] = {9, 7, 0, 9, 9, 7, 7};
    const uint8_t tvp2[] = {9, 9, 0, 9, 7, 7, 7};
    for (int p : {0, 3, 15})
        for (int t = 0; t < 7; ++t) {
            SCOPED_TRACE(testing::Message() << "program " << p << " tact " << t);
            EXPECT_EQ(c->TactSignals[p][t][0], SignalOff);  // not a call input
            EXPECT_EQ(c->TactSignals[p][t][1], tvp1[t]);
            EXPECT_EQ(c->TactSignals[p][t][2], tvp2[t]);
            EXPECT_EQ(c->TactSignals[p][t][3], 0);
        }
    EXPECT_EQ(c->TactSignals[3][300][1], 0);
    // Running it twice changes nothing more.
    const auto once = *c;
    markCallInputCells(*c);
    EXPECT_TRUE(c->sameTables(once));
}

// The allowed signals as the traffic rules give them, written out cell by
// cell; every pair not listed (empty tacts, unknown kinds) offers nothing.
std::map<std::pair<int, int>, std::pair<char, std::vector<int>>> expectedTable() {
    std::map<std::pair<int, int>, std::pair<char, std::vector<int>>> m;
    const std::vector<int> all6 = {1, 2, 3, 6, 4, 5};
    for (int tk = 1; tk <= 4; ++tk) {
        const bool phase = tk == 1;
        m[{1, tk}] = phase ? std::pair{'B', std::vector{1, 3}} : std::pair{'A', all6};
        m[{2, tk}] = phase ? std::pair{'B', std::vector{1, 3}} : std::pair{'C', std::vector{1, 3, 5}};
        m[{4, tk}] = {'D', {1, 7}};
        m[{5, tk}] = {'F', {2, 4, 7}};
        m[{6, tk}] = {'E', {3, 5, 7}};
        for (int tram : {7, 8, 9}) m[{tram, tk}] = {'G', {1, 3}};
    }
    m[{12, 3}] = {'D', {1, 7}};
    m[{13, 4}] = {'D', {1, 7}};
    return m;
}

TEST(SignalChoice, AllowedSignalsMatchTheRulesForEveryKindPair) {
    const auto expected = expectedTable();
    int dialogs = 0;
    for (int dk = 0; dk <= 255; ++dk)
        for (int tk = -3; tk <= 12; ++tk) {
            SCOPED_TRACE(testing::Message() << "direction kind " << dk << " tact kind " << tk);
            const SignalVariant v = allowedSignals(uint8_t(dk), tk);
            const auto codes = variantSignals(v);
            const std::vector<int> got(codes.begin(), codes.end());
            const auto it = expected.find({dk, tk});
            if (it == expected.end()) {
                EXPECT_EQ(v, SignalVariant::None);
                EXPECT_TRUE(got.empty());
                continue;
            }
            ++dialogs;
            EXPECT_EQ(variantLetter(v), it->second.first);
            EXPECT_EQ(got, it->second.second);
        }
    EXPECT_EQ(dialogs, int(expected.size()));
    EXPECT_EQ(variantLetter(SignalVariant::None), '-');
}

// The tables as the editors leave them, from any tables: marks, unused
// slots and derived fields at once, and a second pass changes nothing.
TEST(TactGrid, SettlingTheTablesIsOnePassAndStable) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirTvp1);
    c->DirectionChannels[0][5] = 40;  // a tram lamp on a vehicle row
    c->DirectionChannels[1][2] = 12;  // the call input's own slot stays
    for (int t = 0; t < 3; ++t) c->TactTable[5][t] = Tact{t == 1 ? TactTvp1 : TactPhase, 2, 10 + t, 99, 99};
    c->TactSignals[5][0][1] = SignalGreen;  // a call input's cell in a phase
    c->TactSignals[5][1][1] = SignalGreen;  // in its own call tact: kept
    settleTables(*c);
    EXPECT_EQ(c->DirectionChannels[0][5], 0);
    EXPECT_EQ(c->DirectionChannels[1][2], 12);
    EXPECT_EQ(c->TactSignals[5][0][1], SignalNotApplicable);
    EXPECT_EQ(c->TactSignals[5][1][1], SignalGreen);
    EXPECT_EQ(c->TactSignals[5][5][1], SignalNotSet);  // an empty tact
    EXPECT_EQ(c->TactTable[5][0].phaseNo, 1);
    EXPECT_EQ(c->TactTable[5][2].phaseNo, 2);
    EXPECT_EQ(c->TactTable[5][1].tEnd, 0);
    EXPECT_EQ(c->TactTable[5][2].tEnd, 22);
    const Configuration once = *c;
    settleTables(*c);
    EXPECT_TRUE(c->sameTables(once));
}

}  // namespace
}  // namespace livra
