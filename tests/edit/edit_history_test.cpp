#include "edit/edit_history.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

TEST(EditHistory, UndoAndRedoWalkTheCheckpointsAndLeaveTheEditingStateAlone) {
    auto c = test::newConfiguration();
    c->ProjectFileName = "a.ptm";
    EditHistory h(3);
    h.reset(*c);
    EXPECT_FALSE(h.checkpoint(*c));  // nothing changed
    c->TactTable[4][0].tEnd = 77;   // derived fields: rewritten by every redraw
    c->TactTable[4][0].phaseNo = 3;
    EXPECT_FALSE(h.checkpoint(*c));
    c->TactTable[4][0] = Tact{};
    EXPECT_EQ(h.undo(*c), -2);
    EXPECT_EQ(h.redo(*c), -2);

    // Three edits: a tact in program 6, a direction, a delay.
    const auto s0 = *c;
    c->TactTable[5][0] = Tact{1, 5, 10, 0, 0};
    EXPECT_TRUE(h.checkpoint(*c));
    const auto s1 = *c;
    c->DirectionKind[0] = 1;
    EXPECT_TRUE(h.checkpoint(*c));
    const auto s2 = *c;
    c->Tvp1Delay = "12";  // not yet checkpointed: undo takes it back first
    c->ProjectFileName = "b.ptm";
    c->CurrentProgram = 9;
    c->Modified = 0;

    EXPECT_EQ(h.undo(*c), -1);  // the delay: no program changed
    EXPECT_TRUE(c->sameTables(s2));
    EXPECT_EQ(c->ProjectFileName, "b.ptm");
    EXPECT_EQ(c->CurrentProgram, 9);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(h.undo(*c), -1);  // the direction
    EXPECT_TRUE(c->sameTables(s1));
    EXPECT_EQ(h.undo(*c), 5);   // the tact, in program 6
    EXPECT_TRUE(c->sameTables(s0));
    EXPECT_FALSE(h.canUndo());
    EXPECT_EQ(h.undo(*c), -2);

    EXPECT_EQ(h.redo(*c), 5);
    EXPECT_TRUE(c->sameTables(s1));
    EXPECT_EQ(h.redo(*c), -1);
    EXPECT_TRUE(c->sameTables(s2));
    EXPECT_TRUE(h.canRedo());

    // A new change after an undo ends the redo line.
    EXPECT_EQ(h.undo(*c), -1);
    c->Calendar[2][0] = CalendarEntry{30, 7, 4};
    c->ChannelCount = 16;
    EXPECT_TRUE(h.checkpoint(*c));
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.redo(*c), -2);
    EXPECT_EQ(c->ChannelCount, 16);

    // The depth: only the three newest steps are kept.
    for (int i = 0; i < 5; ++i) {
        c->TactTable[7][i] = Tact{2, 3, 0, 0, 0};
        h.checkpoint(*c);
    }
    EXPECT_EQ(h.undoSteps(), 3u);

    // Another project's tables: nothing to undo.
    h.reset(*c);
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
}

TEST(EditHistory, NamedStepsTheCleanStateAndMergedKeystrokes) {
    auto c = test::newConfiguration();
    c->Modified = 0;
    EditHistory h;
    h.reset(*c);  // as "Открыть" leaves it: clean
    EXPECT_TRUE(h.isClean());
    EXPECT_FALSE(h.record(*c, "пусто"));  // nothing changed: no step
    EXPECT_FALSE(h.canUndo());

    c->TactTable[4][0] = Tact{1, 5, 10, 0, 0};
    c->Modified = 1;
    EXPECT_TRUE(h.record(*c, "вставка тактов"));
    EXPECT_EQ(h.undoName(), "вставка тактов");
    EXPECT_FALSE(h.isClean());

    // Three keystrokes in one field: one step; another field's: a new one.
    for (const char* text : {"1", "12", "125"}) {
        c->Tvp1Delay = text;
        EXPECT_TRUE(h.record(*c, "задержка", 7));
    }
    EXPECT_EQ(h.undoSteps(), 2u);
    c->Tvp2Delay = "3";
    EXPECT_TRUE(h.record(*c, "задержка", 8));
    EXPECT_EQ(h.undoSteps(), 3u);
    EXPECT_EQ(h.undo(*c), -1);
    EXPECT_EQ(c->Tvp2Delay, "0");
    EXPECT_EQ(h.redoName(), "задержка");
    EXPECT_EQ(h.undo(*c), -1);
    EXPECT_EQ(c->Tvp1Delay, "0");  // all three keystrokes at once
    EXPECT_EQ(c->Modified, 1);

    // Back on the opened tables: not modified any more; forward again: modified.
    EXPECT_EQ(h.undo(*c), 4);
    EXPECT_TRUE(h.isClean());
    EXPECT_EQ(c->Modified, 0);
    EXPECT_EQ(h.redoName(), "вставка тактов");
    EXPECT_EQ(h.redo(*c), 4);
    EXPECT_EQ(c->Modified, 1);

    // Saved here: this is the clean state now, the opened one is not.
    c->Modified = 0;
    h.markClean(*c);
    EXPECT_EQ(h.undo(*c), 4);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(h.redo(*c), 4);
    EXPECT_EQ(c->Modified, 0);

    // A change the history does not hold (the plan) keeps Modified on the
    // clean state: its question on exit is not lost.
    c->Modified = 1;
    c->Calendar[0][0] = CalendarEntry{0, 6, 4};
    EXPECT_TRUE(h.record(*c, "запись календаря"));
    EXPECT_EQ(h.undo(*c), -1);
    EXPECT_TRUE(h.isClean());
    EXPECT_EQ(c->Modified, 0);
    c->Modified = 1;  // the plan moved
    EXPECT_FALSE(h.record(*c, "план"));
    EXPECT_EQ(h.redo(*c), -1);
    EXPECT_EQ(h.undo(*c), -1);
    EXPECT_EQ(c->Modified, 1);

    // A change nobody recorded is what "Отменить" takes back first, unnamed.
    c->ChannelCount = 16;
    EXPECT_EQ(h.undo(*c), -1);
    EXPECT_EQ(c->ChannelCount, 64);
    EXPECT_EQ(h.redoName(), "");
}

}  // namespace
}  // namespace livra
