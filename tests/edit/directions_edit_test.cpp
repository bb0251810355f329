#include <gtest/gtest.h>

#include <vector>

#include "edit/directions_edit.h"
#include "support/test_support.h"

namespace livra {

namespace {

using Slots = std::array<uint8_t, SlotCount>;

// A configuration whose row d carries a recognisable signal in every program.
void markSignals(Configuration& c, int d, uint8_t base) {
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; t += 40) c.TactSignals[p][t][d] = uint8_t(base + p % 5);
}

}  // namespace

TEST(DirectionsEdit, NewDirectionsTakeTheHighestFreeChannelsInSlotOrder) {
    // Each kind alone in an empty configuration of 64 channels: 62 is the
    // highest channel ever offered.
    struct Case { uint8_t kind; Slots channels, modes; };
    const Case cases[] = {
        {DirVehicle, {62, 61, 60, 0, 0, 0, 0}, {2, 0, 1, 0, 0, 0, 0}},
        {DirPedestrian, {62, 0, 61, 0, 0, 0, 0}, {2, 0, 1, 0, 0, 0, 0}},
        {DirExtraRed, {62, 0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0, 0}},
        {DirExtraYellow, {0, 62, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
        {DirExtraGreen, {0, 0, 62, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0, 0}},
        {DirTvp1, {0, 0, 62, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
        {DirTvp2, {0, 0, 62, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int(k.kind));
        auto c = test::newConfiguration();
        c->DirectionChannels[0] = {9, 9, 9, 9, 9, 9, 9};  // stale slots of a free row are not kept
        c->DirectionControl[0] = {2, 2, 2, 2, 2, 2, 2};
        ASSERT_TRUE(createDirection(*c, 0, k.kind));
        EXPECT_EQ(c->DirectionKind[0], k.kind);
        EXPECT_EQ(c->DirectionChannels[0], k.channels);
        EXPECT_EQ(c->DirectionControl[0], k.modes);
        EXPECT_EQ(c->Modified, 1);
    }

    // A second vehicle continues below the first.
    auto c = test::newConfiguration();
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));
    ASSERT_TRUE(createDirection(*c, 1, DirVehicle));
    EXPECT_EQ(c->DirectionChannels[1], (Slots{59, 58, 57, 0, 0, 0, 0}));
    EXPECT_EQ(c->FreeChannels[0], 56);

    // Eight channels: a vehicle, then a tram whose shared lamp is in all rows.
    c = test::newConfiguration();
    c->ChannelCount = 8;
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));
    EXPECT_EQ(c->DirectionChannels[0], (Slots{8, 7, 6, 0, 0, 0, 0}));
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));
    EXPECT_EQ((std::array<uint8_t, 3>{c->DirectionKind[1], c->DirectionKind[2], c->DirectionKind[3]}),
              (std::array<uint8_t, 3>{7, 8, 9}));
    EXPECT_EQ(c->DirectionChannels[1], (Slots{0, 0, 0, 5, 0, 0, 4}));
    EXPECT_EQ(c->DirectionChannels[2], (Slots{0, 0, 0, 0, 3, 0, 4}));
    EXPECT_EQ(c->DirectionChannels[3], (Slots{0, 0, 0, 0, 0, 2, 4}));
    for (int d = 1; d <= 3; ++d) EXPECT_EQ(c->DirectionControl[d], Slots{});
    // Channel 1 is the last; after it a slot stays unconnected, no error.
    ASSERT_TRUE(createDirection(*c, 4, DirPedestrian));
    EXPECT_EQ(c->DirectionChannels[4], (Slots{1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c->DirectionControl[4], (Slots{2, 0, 1, 0, 0, 0, 0}));
}

TEST(DirectionsEdit, CreationIsRefusedWhereItWouldOverwriteOrRepeat) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 3, DirPedestrian);  // a gap, as a file may have it
    test::addDirection(*c, 5, DirTvp1);
    const Configuration before = *c;
    auto unchanged = [&] { return c->sameTables(before) && c->Modified == 0; };

    EXPECT_FALSE(createDirection(*c, 1, DirTram1)) << "row 3 is in use";
    EXPECT_FALSE(createDirection(*c, 2, DirTram1)) << "row 3 is in use";
    EXPECT_FALSE(createDirection(*c, 0, DirPedestrian)) << "row 0 is in use";
    EXPECT_FALSE(createDirection(*c, 6, DirTvp1)) << "ТВП1 exists";
    EXPECT_FALSE(createDirection(*c, 6, DirTram2)) << "trams start with their first row";
    EXPECT_FALSE(createDirection(*c, 6, 3)) << "kind 3 is never produced";
    EXPECT_FALSE(createDirection(*c, 61, DirTram1));
    EXPECT_FALSE(createDirection(*c, 62, DirTram1));
    EXPECT_FALSE(createDirection(*c, 63, DirVehicle));
    EXPECT_FALSE(createDirection(*c, -1, DirVehicle));
    EXPECT_TRUE(unchanged());

    EXPECT_TRUE(canCreateDirection(*c, 6, DirTvp2));
    EXPECT_TRUE(canCreateDirection(*c, 60, DirTram1));
    EXPECT_TRUE(createDirection(*c, 60, DirTram1));
    EXPECT_EQ(c->DirectionKind[62], DirTram3);
}

TEST(DirectionsEdit, NewDirectionStartsWithNoSignalInAnyProgram) {
    auto c = test::newConfiguration();
    markSignals(*c, 0, 1);
    markSignals(*c, 1, 1);
    markSignals(*c, 2, 1);
    markSignals(*c, 3, 1);
    markSignals(*c, 4, 1);
    c->CurrentProgram = 5;
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            for (int d = 0; d < 4; ++d) ASSERT_EQ(c->TactSignals[p][t][d], 0) << p << " " << t << " " << d;
    EXPECT_EQ(c->TactSignals[3][0][4], 4) << "the row after the tram keeps its signals";
}

TEST(DirectionsEdit, DeletingATramRowRemovesTheWholeTramFromEveryTable) {
    auto c = test::newConfiguration();
    const uint8_t kinds[] = {DirVehicle, DirTram1, DirPedestrian, DirExtraGreen, DirTram1, DirTvp2};
    int row = 0;
    for (uint8_t k : kinds) {
        ASSERT_TRUE(createDirection(*c, row, k));
        row += k == DirTram1 ? 3 : 1;
    }
    for (int d = 0; d < row; ++d) markSignals(*c, d, uint8_t(10 + d));
    // Independent model: the rows as a list, erased by position.
    struct Row { uint8_t kind; Slots ch, mode; std::vector<uint8_t> signals; };
    auto snapshot = [](const Configuration& cfg) {
        std::vector<Row> rows;
        for (int d = 0; d < DirectionCount; ++d) {
            Row r{cfg.DirectionKind[d], cfg.DirectionChannels[d], cfg.DirectionControl[d], {}};
            for (int p = 0; p < ProgramCount; ++p)
                for (int t = 0; t < TactCount; ++t) r.signals.push_back(cfg.TactSignals[p][t][d]);
            rows.push_back(r);
        }
        return rows;
    };
    auto eq = [](const Row& a, const Row& b) {
        return a.kind == b.kind && a.ch == b.ch && a.mode == b.mode && a.signals == b.signals;
    };
    for (int clicked : {1, 2, 3}) {  // any of the three rows of the first tram
        SCOPED_TRACE(clicked);
        auto cfg = std::make_unique<Configuration>(*c);
        std::vector<Row> expected = snapshot(*cfg);
        expected.erase(expected.begin() + 1, expected.begin() + 4);
        const Row empty{0, {}, {}, std::vector<uint8_t>(ProgramCount * TactCount, 0)};
        while (expected.size() < DirectionCount) expected.push_back(empty);
        ASSERT_TRUE(deleteDirection(*cfg, clicked));
        const std::vector<Row> got = snapshot(*cfg);
        for (int d = 0; d < DirectionCount; ++d) EXPECT_TRUE(eq(got[d], expected[d])) << "row " << d;
        EXPECT_EQ(cfg->DirectionKind[1], DirPedestrian);
        EXPECT_EQ(cfg->DirectionKind[3], DirTram1);
        EXPECT_EQ(cfg->Modified, 1);
        // The tram's channels are free again, highest first.
        EXPECT_EQ(cfg->FreeChannels[0], c->DirectionChannels[1][3]);
    }
    // Empty rows and rows outside the table are not deleted.
    EXPECT_FALSE(deleteDirection(*c, 20));
    EXPECT_FALSE(deleteDirection(*c, 63));
    EXPECT_FALSE(deleteDirection(*c, -1));
}

TEST(DirectionsEdit, StrayTramRowsFromAFileActOnThemselvesOnly) {
    auto c = test::newConfiguration();
    c->DirectionKind[0] = DirVehicle;
    c->DirectionKind[1] = DirTram2;  // no 7 before it
    c->DirectionKind[2] = DirPedestrian;
    c->DirectionKind[61] = DirTram1;  // a group that would run past row 62
    c->DirectionKind[62] = DirTram2;
    EXPECT_EQ(tramGroupStart(*c, 1), -1);
    EXPECT_EQ(tramGroupStart(*c, 61), -1);
    EXPECT_EQ(tramGroupStart(*c, 62), -1);

    // The shared lamp of a stray row goes to that row alone.
    ASSERT_TRUE(applyChannel(*c, 62, 6, 30, 0));
    EXPECT_EQ(c->DirectionChannels[62][6], 30);
    EXPECT_EQ(c->DirectionChannels[61][6], 0);
    ASSERT_TRUE(applyChannel(*c, 1, 6, 31, 0));
    EXPECT_EQ(c->DirectionChannels[1][6], 31);
    EXPECT_EQ(c->DirectionChannels[0][6], 0);
    EXPECT_EQ(c->DirectionChannels[2][6], 0);

    // Deleting the stray row keeps the vehicle and the pedestrian.
    ASSERT_TRUE(deleteDirection(*c, 1));
    EXPECT_EQ(c->DirectionKind[0], DirVehicle);
    EXPECT_EQ(c->DirectionKind[1], DirPedestrian);
    ASSERT_TRUE(deleteDirection(*c, 61));  // row 62 moved up to 61
    EXPECT_EQ(c->DirectionKind[60], DirTram1);
    EXPECT_EQ(c->DirectionKind[61], DirEmpty);
}

TEST(DirectionsEdit, ChannelListAndApplyingAChoice) {
    auto c = test::newConfiguration();
    c->ChannelCount = 8;
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));  // 8, 7, 6
    ASSERT_TRUE(createDirection(*c, 1, DirTram1));    // 5, 4 shared, 3, 2
    EXPECT_EQ(channelChoices(*c, 0, 0), (std::vector<uint8_t>{8, 0, 1}));
    EXPECT_EQ(channelChoices(*c, 0, 4), (std::vector<uint8_t>{0, 1}));

    // Shared lamp set on the middle row: all three rows.
    ASSERT_TRUE(applyChannel(*c, 2, 6, 1, ControlCurrent));
    for (int d = 1; d <= 3; ++d) {
        EXPECT_EQ(c->DirectionChannels[d][6], 1) << d;
        EXPECT_EQ(c->DirectionControl[d][6], ControlOff) << "trams are never monitored";
    }
    // "нет" disconnects; the freed channel is offered again.
    ASSERT_TRUE(applyChannel(*c, 0, 1, 0, ControlVoltage));
    EXPECT_EQ(c->DirectionChannels[0][1], 0);
    EXPECT_EQ(c->DirectionControl[0][1], ControlVoltage);
    EXPECT_EQ(channelChoices(*c, 0, 1), (std::vector<uint8_t>{0, 4, 7}));

    // Refused, nothing changed: a used channel, a slot the kind lacks, a bad mode.
    const Configuration before = *c;
    EXPECT_FALSE(applyChannel(*c, 0, 0, 5, ControlCurrent));
    EXPECT_FALSE(applyChannel(*c, 0, 4, 4, ControlOff));
    EXPECT_FALSE(applyChannel(*c, 0, 0, 4, 3));
    EXPECT_FALSE(applyChannel(*c, 40, 0, 4, ControlOff));
    EXPECT_TRUE(c->sameTables(before));

    // A call input keeps no monitoring mode, even one a file stored.
    ASSERT_TRUE(createDirection(*c, 4, DirTvp1));
    c->DirectionControl[4][2] = ControlCurrent;
    ASSERT_TRUE(applyChannel(*c, 4, 2, 7, ControlCurrent));
    EXPECT_EQ(c->DirectionControl[4][2], ControlOff);

    // A channel above the count (from a file) is not offered as current.
    c->DirectionChannels[0][2] = 20;
    EXPECT_EQ(channelChoices(*c, 0, 2).front(), 0);
    EXPECT_EQ(c->DirectionChannels[0][2], 0);

    // 64 channels: 63 and 64 never offered, the list is ascending.
    auto big = test::newConfiguration();
    ASSERT_TRUE(createDirection(*big, 0, DirExtraRed));  // takes 62
    const std::vector<uint8_t> all = channelChoices(*big, 0, 0);
    ASSERT_EQ(all.size(), 63u);
    EXPECT_EQ(all[0], 62);
    EXPECT_EQ(all[1], 0);
    for (int i = 2; i < 63; ++i) EXPECT_EQ(all[i], i - 1);
}

TEST(DirectionsEdit, ResetAndChannelCountChange) {
    auto c = test::newConfiguration();
    ASSERT_TRUE(createDirection(*c, 0, DirVehicle));     // 62, 61, 60
    ASSERT_TRUE(createDirection(*c, 1, DirPedestrian));  // 59, 58
    c->DirectionChannels[1][0] = 5;
    const auto modes = c->DirectionControl;
    c->Modified = 0;

    ASSERT_TRUE(changeChannelCount(*c, 8));
    EXPECT_EQ(c->ChannelCount, 8);
    EXPECT_EQ(c->DirectionChannels[0], Slots{});
    EXPECT_EQ(c->DirectionChannels[1], (Slots{5, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c->FreeChannels[0], 8);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_FALSE(changeChannelCount(*c, 0));
    EXPECT_FALSE(changeChannelCount(*c, 65));
    EXPECT_EQ(c->ChannelCount, 8);

    resetChannelNumbers(*c);
    for (const auto& slots : c->DirectionChannels) EXPECT_EQ(slots, Slots{});
    EXPECT_EQ(c->DirectionControl, modes);
    EXPECT_EQ(c->FreeChannels[0], 8);
    EXPECT_EQ(c->FreeChannels[7], 1);
}

}  // namespace livra
