#include <gtest/gtest.h>

#include "edit/fixed_programs.h"
#include "support/test_support.h"

namespace livra {

TEST(FixedPrograms, TactZeroFollowsEveryDirectionKind) {
    auto c = test::newConfiguration();
    // kind, yellow output, expected КК / ЖМ / ОС; 99 = left as it was.
    struct Row { uint8_t kind, yellow, kk, zhm, os; };
    const Row rows[] = {
        {DirVehicle, 61, 1, 4, 7},     {DirVehicle, 0, 1, 7, 7},   {DirPedestrian, 0, 1, 7, 7},
        {DirExtraRed, 0, 1, 7, 7},     {DirExtraYellow, 0, 7, 4, 7}, {DirExtraGreen, 0, 7, 7, 7},
        {DirTram1, 0, 1, 7, 7},        {DirTram2, 0, 1, 7, 7},     {DirTram3, 0, 1, 7, 7},
        {DirTvp1, 0, 99, 99, 99},      {DirTvp2, 0, 99, 99, 99},   {DirEmpty, 0, 99, 99, 99},
    };
    int d = 0;
    for (const Row& r : rows) {
        c->DirectionKind[d] = r.kind;
        c->DirectionChannels[d][1] = r.yellow;
        for (int p = 0; p < 3; ++p) c->TactSignals[p][0][d] = 99;
        ++d;
    }
    c->TactTable[1][1] = Tact{TactPhase, 5, 5, 0, 0};  // other tacts stay
    buildFixedPrograms(*c);

    d = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(d);
        EXPECT_EQ(c->TactSignals[0][0][d], r.kk);
        EXPECT_EQ(c->TactSignals[1][0][d], r.zhm);
        EXPECT_EQ(c->TactSignals[2][0][d], r.os);
        ++d;
    }
    EXPECT_EQ(c->TactTable[0][0], (Tact{2, 3, 3, 3, 0}));
    EXPECT_EQ(c->TactTable[1][0], (Tact{2, 1, 1, 1, 0}));
    EXPECT_EQ(c->TactTable[2][0], (Tact{2, 1, 1, 1, 0}));
    EXPECT_EQ(c->TactTable[1][1], (Tact{TactPhase, 5, 5, 0, 0}));
    EXPECT_EQ(c->TactTable[3][0], Tact{});

    // The yellow output goes away: ЖМ turns the vehicle dark on the next build.
    c->DirectionChannels[0][1] = 0;
    buildFixedPrograms(*c);
    EXPECT_EQ(c->TactSignals[1][0][0], SignalOff);
}

}  // namespace livra
