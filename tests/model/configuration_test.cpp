#include <gtest/gtest.h>

#include "model/configuration.h"
#include "model/cp1251.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

TEST(DerivedTactFields, PhasesCountAndIntermediatesAddTimeButCallTactsDoNot) {
    auto c = newConfiguration();
    auto& p = c->TactTable[5];
    p[0] = Tact{TactPhase, 0, 10};
    p[1] = Tact{TactIntermediate, 0, 3};
    p[2] = Tact{TactTvp1, 0, 5};
    p[3] = Tact{TactPhase, 0, 20};
    p[4].tEnd = 99;  // stale values of empty tacts are cleared
    p[4].phaseNo = 7;
    recomputeDerivedTactFields(*c, 5);
    EXPECT_EQ(p[0].phaseNo, 1);
    EXPECT_EQ(p[1].phaseNo, 0);
    EXPECT_EQ(p[2].phaseNo, 0);
    EXPECT_EQ(p[3].phaseNo, 2);
    EXPECT_EQ(p[0].tEnd, 10);
    EXPECT_EQ(p[1].tEnd, 13);
    EXPECT_EQ(p[2].tEnd, 0);
    EXPECT_EQ(p[3].tEnd, 33);
    EXPECT_EQ(p[4].tEnd, 0);
    EXPECT_EQ(p[4].phaseNo, 0);
}

TEST(DerivedTactFields, EmptyProgramYieldsZerosAndOtherProgramsAreLeftAlone) {
    auto c = newConfiguration();
    c->TactTable[4][0].tEnd = 5;
    c->TactTable[6][0] = Tact{TactPhase, 0, 10, 123, 9};
    recomputeDerivedTactFields(*c, 4);
    for (const auto& t : c->TactTable[4]) EXPECT_EQ(t, Tact{});
    EXPECT_EQ(c->TactTable[6][0].tEnd, 123);  // stored as the last recompute left it
    recomputeDerivedTactFields(*c, 16);       // out of range: no effect, no crash
}

TEST(FreeChannels, DescendingWithZerosAtTheEndAndChannelsAbove62NeverOffered) {
    auto c = newConfiguration();
    c->ChannelCount = 8;
    rebuildFreeChannels(*c);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c->FreeChannels[i], 8 - i);
    for (int i = 8; i < DirectionCount; ++i) EXPECT_EQ(c->FreeChannels[i], 0);

    c->ChannelCount = 64;
    rebuildFreeChannels(*c);
    EXPECT_EQ(c->FreeChannels[0], 62);
    EXPECT_EQ(c->FreeChannels[61], 1);
    EXPECT_EQ(c->FreeChannels[62], 0);
}

TEST(FreeChannels, VehicleTakesTheHighestChannelsInSlotOrder) {
    auto c = newConfiguration();
    c->ChannelCount = 8;
    addDirection(*c, 0, DirVehicle);
    EXPECT_EQ(c->DirectionChannels[0][0], 8);
    EXPECT_EQ(c->DirectionChannels[0][1], 7);
    EXPECT_EQ(c->DirectionChannels[0][2], 6);
    rebuildFreeChannels(*c);
    EXPECT_EQ(c->FreeChannels[0], 5);
    EXPECT_EQ(c->FreeChannels[4], 1);
    EXPECT_EQ(c->FreeChannels[5], 0);
}

TEST(FreeChannels, LoweringTheChannelCountDisconnectsHigherSlots) {
    auto c = newConfiguration();
    c->ChannelCount = 16;
    addDirection(*c, 0, DirVehicle);  // 16, 15, 14
    c->DirectionChannels[1][2] = 3;
    c->ChannelCount = 8;
    rebuildFreeChannels(*c);
    EXPECT_EQ(c->DirectionChannels[0][0], 0);
    EXPECT_EQ(c->DirectionChannels[0][2], 0);
    EXPECT_EQ(c->DirectionChannels[1][2], 3);
    EXPECT_EQ(c->FreeChannels[0], 8);
    // 3 is in use, so the list runs 8,7,6,5,4,2,1.
    EXPECT_EQ(c->FreeChannels[5], 2);
    EXPECT_EQ(c->FreeChannels[7], 0);
}

TEST(FreeChannels, ExhaustedListGivesZero) {
    auto c = newConfiguration();
    c->ChannelCount = 8;
    for (int d = 0; d < 4; ++d) addDirection(*c, d, DirPedestrian);
    EXPECT_EQ(c->DirectionChannels[3][0], 2);
    EXPECT_EQ(c->DirectionChannels[3][2], 1);
    EXPECT_EQ(takeFreeChannel(*c), 0);
}

TEST(Reset, ClearsTablesKeepsChannelCountAndCurrentProgram) {
    auto c = sampleConfiguration();
    c->ChannelCount = 24;
    c->CurrentProgram = 7;
    c->Tvp1Delay = "12";
    c->FreeChannels[3] = 9;
    resetConfiguration(*c);
    Configuration fresh;
    fresh.ChannelCount = 24;
    EXPECT_TRUE(c->sameTables(fresh));
    EXPECT_EQ(c->CurrentProgram, 7);
    EXPECT_EQ(c->Tvp1Delay, "0");
    EXPECT_TRUE(c->Calendar[6][23].empty());
}

TEST(ClearDirectionSignals, OnlyTheCurrentProgramAndThatDirection) {
    auto c = sampleConfiguration();
    addTact(*c, 4, TactPhase, 10, 5, SignalGreen);
    c->CurrentProgram = 3;
    c->TactSignals[3][320][0] = SignalRed;
    clearDirectionSignals(*c, 0);
    for (int t = 0; t < TactCount; ++t) EXPECT_EQ(c->TactSignals[3][t][0], 0) << t;
    EXPECT_EQ(c->TactSignals[3][0][1], SignalGreen);
    EXPECT_EQ(c->TactSignals[4][0][0], SignalGreen);
}

TEST(DelayParse, DecimalWithLimitsOfTheField) {
    EXPECT_EQ(parseDelay("0"), 0);
    EXPECT_EQ(parseDelay("255"), 255);
    EXPECT_EQ(parseDelay("256"), 256);
    EXPECT_EQ(parseDelay(""), 0);
    EXPECT_EQ(parseDelay("12abc"), 12);
    EXPECT_EQ(parseDelay("-3"), -3);
    EXPECT_GT(parseDelay("99999999999999999999"), 255);
}

TEST(Names, ProgramTitlesAndKinds) {
    EXPECT_EQ(programTitle(0), "1 (КК)");
    EXPECT_EQ(programTitle(1), "2 (ЖМ)");
    EXPECT_EQ(programTitle(2), "3 (ОС)");
    EXPECT_EQ(programTitle(3), "4");
    EXPECT_STREQ(tactKindName(TactIntermediate), "Промтакт");
    EXPECT_STREQ(directionKindLabel(DirTvp2), " - ТВП2");
    EXPECT_TRUE(isUsedDirection(DirTvp1));
    EXPECT_FALSE(isNormalDirection(DirTvp1));
    EXPECT_FALSE(isUsedDirection(10));
}

TEST(Cp1251, RoundTripsEveryAssignedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) all += char(b);
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
    EXPECT_EQ(cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "Привет");
    EXPECT_EQ(utf8ToCp1251("ёЁ№"), "\xB8\xA8\xB9");
    EXPECT_EQ(utf8ToCp1251("日"), "?");
    EXPECT_EQ(utf8ToCp1251("\xFF" "a\xD0"), "?a?");  // broken UTF-8 never crashes
}
