// Many cells and tacts at once on the tact grid, through the mouse, the
// cells' menu and the keys: each is one undo step.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "support/test_support.h"
#include "tact_grid_helpers.h"
#include "ui/tacts/tact_editor.h"
#include "window_parts.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::ModalScript;

namespace {

class TactSelection : public ::testing::Test {
protected:
    std::unique_ptr<Configuration> c = livra::test::sampleConfiguration();  // vehicle 1, pedestrian 2; program 4
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
        w->configurationReplaced();
        named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
        w->refreshPass();
    }
    CanvasView* canvas() { return named<CanvasView>(*w, "tactCanvas"); }
    QPoint cell(int t, int d) { return livra::uitest::tactCell(*w, t, d); }
    QPoint header(int t) { return livra::uitest::tactHeader(*w, t); }
    const GridSelection& selection() { return w->editors().tacts().selection(); }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas()->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &move);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    }
    // Picks the item with this text in the pop-up menu the next action opens.
    static void chooseItem(const QString& text) {
        QTimer::singleShot(0, [text] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions())
                if (a->text() == text) {
                    menu->setActiveAction(a);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            ADD_FAILURE() << "no item " << text.toStdString();
            menu->close();
        });
    }
    // The signal choice the next action opens: the button of `code`.
    static void answerSignal(ModalScript& script, int code) {
        script.act([code](QWidget* widget) {
            auto* d = qobject_cast<SignalChoiceDialog*>(widget);
            if (!d) return false;
            for (PictureButton* b : d->pictureButtons())
                if (b->objectName() == QString("signal_%1").arg(code)) QTest::mouseClick(b, Qt::LeftButton);
            return true;
        });
    }
    QString undoText() { return w->menuAction(MenuUndo)->text(); }
};

TEST_F(TactSelection, DraggedAndClickedCellsTakeOneSignalInOneStep) {
    const Configuration before = *c;
    const QColor plain = canvas()->image().pixelColor(cell(1, 1));
    // A drag from tact 1 to tact 3 over both directions selects six cells
    // and opens no dialog (the script has no step: one would fail the test).
    {
        ModalScript none;
        drag(cell(0, 0), cell(2, 1));
        EXPECT_TRUE(none.done());
    }
    EXPECT_EQ(selection().cells.size(), 6u);
    // Ctrl takes a cell out, Shift adds the rectangle from the last one.
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, cell(2, 1));
    EXPECT_EQ(selection().cells.size(), 5u);
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, cell(2, 1));
    EXPECT_EQ(selection().cells.size(), 6u);
    EXPECT_NE(canvas()->image().pixelColor(cell(1, 1)), plain);  // veiled

    // Right click in the selection, "Сигнал для выделенных…", red.
    ModalScript script;
    answerSignal(script, SignalRed);
    chooseItem("Сигнал для выделенных…");
    QTest::mouseClick(canvas(), Qt::RightButton, {}, cell(0, 0));
    ASSERT_TRUE(script.done());
    for (int t = 0; t < 3; ++t)
        for (int d = 0; d < 2; ++d) EXPECT_EQ(c->TactSignals[3][t][d], SignalRed) << t << " " << d;
    EXPECT_EQ(undoText(), "Отменить: сигнал выделенных");
    w->stepHistory(true);
    EXPECT_TRUE(c->sameTables(before));

    // "Заполнить направление…" on the pedestrian: every used tact of its row.
    answerSignal(script, SignalGreen);
    chooseItem("Заполнить направление…");
    QTest::mouseClick(canvas(), Qt::RightButton, {}, cell(1, 1));
    ASSERT_TRUE(script.done());
    for (int t = 0; t < usedTactCount(*c, 3); ++t) {
        if (c->TactTable[3][t].kind == TactPhase) {
            EXPECT_EQ(c->TactSignals[3][t][1], SignalGreen) << t;
        }
    }
    EXPECT_EQ(undoText(), "Отменить: заполнение направления");
    w->stepHistory(true);
    EXPECT_TRUE(c->sameTables(before));

    // A plain click still opens the signal choice for its one cell.
    answerSignal(script, SignalGreen);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, cell(0, 1));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->TactSignals[3][0][1], SignalGreen);
    EXPECT_TRUE(selection().empty());
}

TEST_F(TactSelection, TactsAreCopiedCutAndPastedWithTheKeysAndTheMenu) {
    const Configuration before = *c;
    const int used = usedTactCount(*c, 3);
    ASSERT_GE(used, 3);
    // Tacts 1..2 by Ctrl and Shift on the header band, then Ctrl+C.
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, header(0));
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ShiftModifier, header(1));
    EXPECT_EQ(selection().firstTact, 0);
    EXPECT_EQ(selection().lastTact, 1);
    canvas()->setFocus();
    QTest::keyClick(canvas(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(w->editors().tacts().hasCopiedTacts());

    // Into program 6, empty: Ctrl+V there.
    named<QComboBox>(*w, "programBox")->setCurrentIndex(5);
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, cell(0, 0));
    canvas()->setFocus();
    QTest::keyClick(canvas(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(usedTactCount(*c, 5), 2);
    EXPECT_EQ(c->TactTable[5][0].kind, before.TactTable[3][0].kind);
    EXPECT_EQ(c->TactSignals[5][1], before.TactSignals[3][1]);
    EXPECT_EQ(undoText(), "Отменить: вставка тактов");
    w->stepHistory(true);
    EXPECT_EQ(usedTactCount(*c, 5), 0);

    // Back in program 4: cut tact 2 (Ctrl+X on a cell of it), then paste it
    // before tact 1 from the menu.
    named<QComboBox>(*w, "programBox")->setCurrentIndex(3);
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, cell(1, 0));
    canvas()->setFocus();
    QTest::keyClick(canvas(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(usedTactCount(*c, 3), used - 1);
    EXPECT_EQ(c->TactTable[3][1].kind, before.TactTable[3][2].kind);
    EXPECT_EQ(undoText(), "Отменить: вырезка тактов");
    chooseItem("Вставить такты\tCtrl+V");
    QTest::mouseClick(canvas(), Qt::RightButton, {}, cell(0, 0));
    EXPECT_EQ(c->TactTable[3][0].kind, before.TactTable[3][1].kind);
    EXPECT_EQ(c->TactSignals[3][0], before.TactSignals[3][1]);
    w->stepHistory(true);
    w->stepHistory(true);
    EXPECT_TRUE(c->sameTables(before));

    // "Вставить такт «все красные»" before tact 2: one step.
    chooseItem("Вставить такт «все красные»");
    QTest::mouseClick(canvas(), Qt::RightButton, {}, cell(1, 0));
    EXPECT_EQ(c->TactTable[3][1].kind, TactIntermediate);
    EXPECT_EQ(c->TactTable[3][1].tMain, kAllRedSeconds);
    EXPECT_EQ(c->TactSignals[3][1][0], SignalRed);
    EXPECT_EQ(c->TactSignals[3][1][1], SignalRed);
    EXPECT_EQ(usedTactCount(*c, 3), used + 1);
    EXPECT_EQ(undoText(), "Отменить: такт «все красные»");
    w->stepHistory(true);
    EXPECT_TRUE(c->sameTables(before));
}

}  // namespace
