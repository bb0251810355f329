#include "edit/tact_clipboard.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

// Vehicle 1, pedestrian 2, extra green 3, call input ТВП1 4; program 4: a
// phase, an intermediate tact, a phase, a call tact.
std::unique_ptr<Configuration> crossing() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    test::addDirection(*c, 2, DirExtraGreen);
    test::addDirection(*c, 3, DirTvp1);
    test::addTact(*c, 3, TactPhase, 20, 10, SignalGreen);
    test::addTact(*c, 3, TactIntermediate, 3, 0, SignalYellow);
    test::addTact(*c, 3, TactPhase, 15, 8, SignalRed);
    test::addTact(*c, 3, TactTvp1, 5, 0, SignalRed);
    return c;
}

TEST(TactClipboard, OneSignalForManyCellsWhereEachMayShowIt) {
    auto c = crossing();
    EXPECT_EQ(usedTactCount(*c, 3), 4);
    EXPECT_EQ(usedTactCount(*c, 4), 0);

    // The vehicle's row: every used tact; a pedestrian may not show yellow.
    const auto row = directionRow(*c, 3, 0);
    ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(setCellSignals(*c, 3, row, SignalRed), 4);
    EXPECT_EQ(c->TactSignals[3][0][0], SignalRed);
    EXPECT_EQ(c->TactSignals[3][1][0], SignalRed);
    const auto tact1 = tactColumn(*c, 3, 1);
    ASSERT_EQ(tact1.size(), 4u);
    EXPECT_EQ(setCellSignals(*c, 3, tact1, SignalYellow), 1);  // the vehicle only
    EXPECT_EQ(c->TactSignals[3][1][1], SignalYellow);  // kept from before
    EXPECT_EQ(setCellSignals(*c, 3, tact1, SignalOff), 1);  // the extra green section
    EXPECT_EQ(c->TactSignals[3][1][2], SignalOff);

    // A rectangle in either order, cut to the table; empty rows and tacts none.
    EXPECT_EQ(cellRectangle({2, 1}, {0, 0}).size(), 6u);
    EXPECT_EQ(cellRectangle({TactCount - 1, 0}, {TactCount + 5, 0}).size(), 1u);
    EXPECT_TRUE(directionRow(*c, 3, 9).empty());
    EXPECT_TRUE(tactColumn(*c, 3, 7).empty());
    // A fixed program is refused.
    EXPECT_EQ(setCellSignals(*c, 0, {{0, 0}}, SignalRed), 0);
}

TEST(TactClipboard, CopyCutAndPasteMoveTactsWithTheirSignals) {
    auto c = crossing();
    const auto before = *c;
    const TactClip two = copyTacts(*c, 3, 1, 2);
    ASSERT_EQ(two.tacts.size(), 2u);
    EXPECT_EQ(two.tacts[0].kind, TactIntermediate);
    EXPECT_EQ(copyTacts(*c, 3, 2, 50).tacts.size(), 2u);  // cut at the used tacts
    EXPECT_TRUE(copyTacts(*c, 3, 10, 2).empty());

    // Into another program (empty): at its start whatever tact was asked.
    ASSERT_EQ(pasteTacts(*c, 5, 40, two), TactEditResult::Done);
    EXPECT_EQ(usedTactCount(*c, 5), 2);
    EXPECT_EQ(c->TactTable[5][0].kind, TactIntermediate);
    EXPECT_EQ(c->TactSignals[5][1], before.TactSignals[3][2]);
    EXPECT_EQ(c->TactTable[5][1].tEnd, 3 + 15);  // derived where it landed

    // Within the program: before tact 1, the rest moves on.
    ASSERT_EQ(pasteTacts(*c, 3, 0, two), TactEditResult::Done);
    EXPECT_EQ(usedTactCount(*c, 3), 6);
    EXPECT_EQ(c->TactTable[3][2].kind, TactPhase);
    EXPECT_EQ(c->TactSignals[3][2], before.TactSignals[3][0]);
    // Cut = copy and delete: back to the tables before.
    ASSERT_EQ(deleteTacts(*c, 3, 0, 2), TactEditResult::Done);
    EXPECT_EQ(c->TactTable[3], before.TactTable[3]);
    EXPECT_EQ(c->TactSignals[3], before.TactSignals[3]);

    // No room: nothing moves.
    for (int t = 0; t < TactCount - 1; ++t) c->TactTable[6][t] = Tact{TactPhase, 1, 2, 0, 0};
    const auto full = *c;
    EXPECT_EQ(pasteTacts(*c, 6, 0, two), TactEditResult::TableFull);
    EXPECT_TRUE(c->sameTables(full));
    EXPECT_EQ(pasteTacts(*c, 1, 0, two), TactEditResult::Refused);  // a fixed program
    EXPECT_EQ(pasteTacts(*c, 3, 0, TactClip{}), TactEditResult::Refused);
}

TEST(TactClipboard, TheAllRedTactShowsRedOrOffEverywhere) {
    auto c = crossing();
    ASSERT_EQ(insertAllRedTact(*c, 3, 2), TactEditResult::Done);
    const Tact& t = c->TactTable[3][2];
    EXPECT_EQ(t.kind, TactIntermediate);
    EXPECT_EQ(t.tMain, kAllRedSeconds);
    EXPECT_EQ(c->TactSignals[3][2][0], SignalRed);
    EXPECT_EQ(c->TactSignals[3][2][1], SignalRed);
    EXPECT_EQ(c->TactSignals[3][2][2], SignalOff);      // an extra green section has no red
    EXPECT_EQ(c->TactSignals[3][2][3], SignalNotSet);   // a call input shows nothing here
    EXPECT_EQ(c->TactSignals[3][2][4], SignalNotSet);   // no direction
    EXPECT_EQ(c->TactTable[3][3].kind, TactPhase);      // the second phase moved on
    // After the used tacts when asked beyond them.
    ASSERT_EQ(insertAllRedTact(*c, 3, 100, 2), TactEditResult::Done);
    EXPECT_EQ(c->TactTable[3][5].tMain, 2);
}

}  // namespace
}  // namespace livra
