#include <gtest/gtest.h>

#include "edit/tact_edit.h"
#include "support/test_support.h"

namespace livra {
namespace {

// Every tact of program 4 used, each field and each of the 63 signals
// telling which tact it came from.
std::unique_ptr<Configuration> numberedProgram(int used = TactCount) {
    auto c = test::newConfiguration();
    for (int t = 0; t < used; ++t) {
        c->TactTable[3][t] = Tact{1 + t % 4, t + 1000, t + 2000, t + 3000, t + 4000};
        for (int d = 0; d < DirectionCount; ++d) c->TactSignals[3][t][d] = uint8_t((t * 7 + d) % 251 + 1);
    }
    return c;
}

void expectEmpty(const Configuration& c, int p, int t) {
    EXPECT_EQ(c.TactTable[p][t], Tact{}) << "tact " << t;
    for (int d = 0; d < DirectionCount; ++d) ASSERT_EQ(c.TactSignals[p][t][d], 0) << "tact " << t << " dir " << d;
}

TEST(TactList, InsertMovesWholeTactsAndRefusesAFullTable) {
    // "Вставить до" on tact 0 of three tacts: they move to 1..3, tact 0 empty.
    auto c = numberedProgram(3);
    const auto before = *c;
    ASSERT_EQ(insertTactBefore(*c, 3, 0), TactEditResult::Done);
    expectEmpty(*c, 3, 0);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(c->TactTable[3][t + 1], before.TactTable[3][t]);
        EXPECT_EQ(c->TactSignals[3][t + 1], before.TactSignals[3][t]);
    }
    // "Вставить после" tact 1: the old tact 1 stays, the new one is tact 2.
    ASSERT_EQ(insertTactAfter(*c, 3, 1), TactEditResult::Done);
    EXPECT_EQ(c->TactTable[3][1], before.TactTable[3][0]);
    expectEmpty(*c, 3, 2);
    EXPECT_EQ(c->TactTable[3][3], before.TactTable[3][1]);
    EXPECT_EQ(c->TactSignals[3][4], before.TactSignals[3][2]);

    // At the last slot: before empties it, after has nothing to move.
    auto last = numberedProgram(320);
    const auto lastBefore = *last;
    ASSERT_EQ(insertTactAfter(*last, 3, 320), TactEditResult::Done);
    EXPECT_TRUE(last->sameTables(lastBefore));
    ASSERT_EQ(insertTactBefore(*last, 3, 319), TactEditResult::Done);
    expectEmpty(*last, 3, 319);
    EXPECT_EQ(last->TactTable[3][320], lastBefore.TactTable[3][319]);

    // Tact 321 in use: both inserts are refused anywhere, nothing moves.
    auto full = numberedProgram();
    const auto fullBefore = *full;
    for (int t : {0, 160, 320}) {
        EXPECT_EQ(insertTactBefore(*full, 3, t), TactEditResult::TableFull);
        EXPECT_EQ(insertTactAfter(*full, 3, t), TactEditResult::TableFull);
    }
    EXPECT_TRUE(full->sameTables(fullBefore));

    // Fixed programs and tacts off the table are not edited.
    EXPECT_EQ(insertTactBefore(*full, 2, 0), TactEditResult::Refused);
    EXPECT_EQ(insertTactAfter(*full, 3, 321), TactEditResult::Refused);
    EXPECT_EQ(insertTactBefore(*full, 16, 0), TactEditResult::Refused);
    EXPECT_EQ(deleteTact(*full, 3, -1), TactEditResult::Refused);
    EXPECT_TRUE(full->sameTables(fullBefore));
}

TEST(TactList, DeleteShiftsFieldsAndSignalsBackAndClearsTheLastSlot) {
    auto c = numberedProgram();
    const auto before = *c;
    ASSERT_EQ(deleteTact(*c, 3, 5), TactEditResult::Done);
    for (int t = 0; t < 5; ++t) EXPECT_EQ(c->TactTable[3][t], before.TactTable[3][t]);
    for (int t = 5; t < TactCount - 1; ++t) {
        ASSERT_EQ(c->TactTable[3][t], before.TactTable[3][t + 1]) << t;
        ASSERT_EQ(c->TactSignals[3][t], before.TactSignals[3][t + 1]) << t;
    }
    expectEmpty(*c, 3, 320);

    // "Удалить" on tact 320 clears tact 320 alone.
    auto d = numberedProgram();
    const auto dBefore = *d;
    ASSERT_EQ(deleteTact(*d, 3, 320), TactEditResult::Done);
    expectEmpty(*d, 3, 320);
    for (int t = 0; t < 320; ++t) ASSERT_EQ(d->TactTable[3][t], dBefore.TactTable[3][t]);
    EXPECT_EQ(d->TactSignals[3][319], dBefore.TactSignals[3][319]);
}

TEST(TactList, ClearAndCopyTouchOnlyTheCurrentUserProgram) {
    auto c = numberedProgram();
    test::addDirection(*c, 0, DirVehicle);
    c->TactTable[5] = c->TactTable[3];
    c->TactSignals[5] = c->TactSignals[3];
    c->TactTable[0][0] = Tact{TactIntermediate, 3, 3, 3, 0};
    EXPECT_EQ(clearProgram(*c, 0), TactEditResult::Refused);
    EXPECT_EQ(c->TactTable[0][0].kind, TactIntermediate);
    ASSERT_EQ(clearProgram(*c, 3), TactEditResult::Done);
    for (int t = 0; t < TactCount; ++t) expectEmpty(*c, 3, t);
    EXPECT_EQ(c->DirectionKind[0], DirVehicle);
    EXPECT_EQ(c->TactTable[5][7].tMain, 2007);

    // Into a fixed program: refused and not even marked as changed.
    c->CurrentProgram = 1;
    EXPECT_FALSE(copyProgram(*c, 5));
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(c->TactTable[1][7], Tact{});
    // Program 6 onto program 4, every field and signal.
    c->CurrentProgram = 3;
    EXPECT_TRUE(copyProgram(*c, 5));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(c->TactTable[3], c->TactTable[5]);
    EXPECT_EQ(c->TactSignals[3], c->TactSignals[5]);
    // Onto itself or from nowhere: marked, nothing changes.
    const auto before = *c;
    c->Modified = 0;
    EXPECT_TRUE(copyProgram(*c, 3));
    EXPECT_TRUE(copyProgram(*c, 16));
    EXPECT_TRUE(copyProgram(*c, -1));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_TRUE(c->sameTables(before));
}

struct TimeCase {
    int kindIndex;
    const char *tMin, *tMain;
    std::vector<std::string> messages;
};

TEST(TactProperties, TheFiveChecksInOrderAndNothingStoredOnAFailure) {
    const TimeCase cases[] = {
        {0, "5", "3", {kMinAboveMain}},
        {0, "", "", {kMainTimeZero, kMinTimeZero}},
        {0, "300", "256", {kMainTimeTooLong, kMinTimeTooLong, kMinAboveMain}},
        {0, "0", "0", {kMainTimeZero, kMinTimeZero}},
        {0, "256", "0", {kMainTimeZero, kMinTimeTooLong, kMinAboveMain}},
        // A 32-bit wrap would read 5: the value must stay far above 255.
        {0, "4294967301", "4294967301", {kMainTimeTooLong, kMinTimeTooLong}},
        {1, "4294967301", "9", {}},
        {0, "999999999", "7", {kMinTimeTooLong, kMinAboveMain}},
        // Only a phase checks "Т мин".
        {1, "0", "4", {}},
        {2, "900", "255", {}},
        {-1, "", "5", {}},
        {3, "", "4294967296", {kMainTimeTooLong}},
        // A sign is not a digit: "-5" counts as nothing typed.
        {0, "2", "-5", {kMainTimeZero, kMinAboveMain}},
        {0, "1", "1", {}},
    };
    for (const TimeCase& tc : cases) {
        SCOPED_TRACE(std::string(tc.tMin) + " / " + tc.tMain + " kind " + std::to_string(tc.kindIndex));
        auto c = test::newConfiguration();
        c->TactTable[3][2] = Tact{TactPhase, 7, 9, 0, 0};
        const auto before = *c;
        const auto r = applyTactProperties(*c, 3, 2, {tc.kindIndex, tc.tMin, tc.tMain});
        EXPECT_EQ(r.messages, tc.messages);
        EXPECT_EQ(r.stored, tc.messages.empty());
        if (!r.stored) {
            EXPECT_TRUE(c->sameTables(before));
            continue;
        }
        const Tact& t = c->TactTable[3][2];
        EXPECT_EQ(t.kind, tc.kindIndex + 1);
        EXPECT_EQ(t.tMin, parseTimeField(tc.tMin));  // stored for every kind
        EXPECT_EQ(t.tMain, parseTimeField(tc.tMain));
    }
    EXPECT_EQ(parseTimeField("4294967301"), INT32_MAX);
    EXPECT_EQ(parseTimeField(" 42x7"), 42);
    EXPECT_EQ(parseTimeField(""), 0);

    // A new kind clears the tact's signals; the same kind keeps them.
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addTact(*c, 3, TactPhase, 10, 5, SignalGreen);
    ASSERT_TRUE(applyTactProperties(*c, 3, 0, {0, "6", "12"}).stored);
    EXPECT_EQ(c->TactSignals[3][0][0], SignalGreen);
    ASSERT_TRUE(applyTactProperties(*c, 3, 0, {1, "6", "12"}).stored);
    EXPECT_EQ(c->TactSignals[3][0][0], SignalNotSet);
    EXPECT_EQ(c->TactTable[3][0].kind, TactIntermediate);
    // Fixed programs are not edited.
    EXPECT_FALSE(applyTactProperties(*c, 1, 0, {0, "5", "5"}).stored);
    EXPECT_EQ(c->TactTable[1][0], Tact{});
}

}  // namespace
}  // namespace livra
