// "Отменить" and "Повторить" take named steps that the edits push
// themselves: one step per edit, the keystrokes of one field together, the
// clean state of the saved project, and the one step a dialog records.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>

#include "support/test_support.h"
#include "window_parts.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;

namespace {

class UndoSteps : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Configuration> c = livra::test::sampleConfiguration();
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        c->ProgramDir = pathToUtf8(dir.path()) + "/";
        c->Modified = 0;
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
        w->configurationReplaced();
    }
    QAction* undo() { return w->menuAction(MenuUndo); }
    QAction* redo() { return w->menuAction(MenuRedo); }
    void click(const char* name) { QTest::mouseClick(named<QPushButton>(*w, name), Qt::LeftButton); }
};

TEST_F(UndoSteps, EachEditIsOneNamedStepAndTheRefreshRecordsNone) {
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_EQ(undo()->text(), "Отменить");

    // A program copy, then three keystrokes in one delay field.
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    named<QComboBox>(*w, "programBox")->setCurrentIndex(5);
    click("copyProgramOk");
    EXPECT_EQ(undo()->text(), "Отменить: копия программы");
    const Configuration copied = *c;
    named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    auto* delay = named<QLineEdit>(*w, "tvp1Delay");
    delay->selectAll();
    QTest::keyClicks(delay, "125");
    EXPECT_EQ(c->Tvp1Delay, "125");
    EXPECT_EQ(undo()->text(), "Отменить: задержка ТВП");

    // Changes nobody records (a redraw's derived fields) make no step.
    for (int i = 0; i < 3; ++i) w->refreshPass();
    undo()->trigger();  // the whole number at once
    EXPECT_EQ(c->Tvp1Delay, "0");
    EXPECT_EQ(delay->text(), "0");
    EXPECT_TRUE(c->sameTables(copied));
    EXPECT_EQ(redo()->text(), "Повторить: задержка ТВП");
    EXPECT_EQ(undo()->text(), "Отменить: копия программы");
    undo()->trigger();
    EXPECT_EQ(c->TactTable[5][0].kind, TactEmpty);
    EXPECT_FALSE(undo()->isEnabled());
    // Back where the project was opened: nothing to save any more.
    EXPECT_EQ(c->Modified, 0);
    redo()->trigger();
    EXPECT_EQ(c->TactTable[5], c->TactTable[3]);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(redo()->text(), "Повторить: задержка ТВП");
}

TEST_F(UndoSteps, TheSavedStateIsTheCleanOneAndADialogRecordsOneStep) {
    // A dialog of its own replaces the tables and records them once.
    c->TactTable[6] = c->TactTable[3];
    c->TactSignals[6] = c->TactSignals[3];
    c->Calendar[2][0] = CalendarEntry{30, 6, 7};
    c->Modified = 1;
    w->recordEdit("программа по фазам");
    EXPECT_EQ(undo()->text(), "Отменить: программа по фазам");
    EXPECT_EQ(c->CurrentProgram, FirstUserProgram);

    {
        ModalScript script;
        script.chooseFile(QString::fromStdString(pathToUtf8(dir / "p.ptm")));
        w->menuAction(MenuSave)->trigger();
        ASSERT_TRUE(script.done());
    }
    EXPECT_EQ(c->Modified, 0);
    const Configuration saved = *c;

    // Undone past the save: modified; redone to it: clean again.
    undo()->trigger();
    EXPECT_EQ(c->TactTable[6][0].kind, TactEmpty);
    EXPECT_EQ(c->Calendar[2][0], CalendarEntry{});
    EXPECT_EQ(c->Modified, 1);
    redo()->trigger();
    EXPECT_TRUE(c->sameTables(saved));
    EXPECT_EQ(c->Modified, 0);

    // Nothing changed: no step.
    w->recordEdit("пусто");
    EXPECT_EQ(undo()->text(), "Отменить: программа по фазам");
}

}  // namespace
