// "Расчёт режима по интенсивностям…" opened from the real menu: counts typed
// into the table's cells, the results following, "Применить" and its undo.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/timing/timing_dialog.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;

namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

std::unique_ptr<Configuration> crossroad() {
    auto parsed = parseProject(livra::test::readBytes(kRepo / "examples" / "crossroad.ptm"));
    EXPECT_TRUE(parsed);
    auto c = std::move(parsed->config);
    loadProjectSafety(*c, pathToUtf8(kRepo / "examples" / "crossroad.ptm"));
    return c;
}

void clickToolsItem(MainWindow& w, const QString& item) {
    auto* bar = w.findChild<QMenuBar*>("menuBar");
    ASSERT_NE(bar, nullptr);
    for (QAction* top : bar->actions()) {
        if (top->text() != "Инструменты") continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QMenu* menu = top->menu();
        for (QAction* a : menu->actions())
            if (a->text() == item) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
    }
    FAIL() << "no item " << item.toStdString();
}

// Types `text` into the cell as a user does: the cell's editor, then Enter.
void typeInto(QTableWidget* table, int row, int column, const QString& text) {
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : table->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // As a click elsewhere does: the typed value goes into the cell.
    table->setCurrentCell(row, 0);
    // The closed editor goes at the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

TEST(TimingDialog, TypedCountsGiveTheTimingLiveApplyIsOneUndoStep) {
    TempDir dir;
    auto c = crossroad();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    c->CurrentProgram = FirstUserProgram;
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    const ProgramTacts before = c->TactTable[FirstUserProgram];

    ModalScript script;
    script.act([&](QWidget* modal) {
        auto* d = qobject_cast<TimingDialog*>(modal);
        if (!d) return false;
        auto* table = d->findChild<QTableWidget*>("trafficTable");
        auto* summary = d->findChild<QLabel*>("summary");
        auto* apply = d->findChild<QPushButton*>("applyButton");
        EXPECT_EQ(table->rowCount(), 4);  // directions 1..4; the call input has no row
        EXPECT_EQ(table->item(2, 1)->text(), "пешеходное");
        EXPECT_FALSE(table->item(2, 2)->flags() & Qt::ItemIsEditable);  // no flow for walkers
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_TRUE(summary->text().contains("нет интенсивностей")) << summary->text().toStdString();

        typeInto(table, 0, 2, "450");
        EXPECT_TRUE(summary->text().startsWith("Y = 0,250")) << summary->text().toStdString();
        typeInto(table, 1, 2, "220");
        EXPECT_TRUE(summary->text().startsWith("Y = 0,372    L = 15 с    C0 = 44 с    C = 44 с"))
            << summary->text().toStdString();
        EXPECT_EQ(table->item(0, 7)->text(), "19");
        EXPECT_EQ(table->item(0, 8)->text(), "0,58");
        EXPECT_EQ(table->item(0, 8)->background().style(), Qt::NoBrush);  // x below 0.9: plain
        auto* phases = d->findChild<QTableWidget*>("phaseTable");
        EXPECT_EQ(phases->item(0, 3)->text(), "11");

        // A value out of bounds is marked and leaves the counts as they were.
        typeInto(table, 1, 2, "10001");
        EXPECT_EQ(table->item(1, 2)->background().color(), QColor(255, 120, 120));
        EXPECT_TRUE(summary->text().contains("C = 44 с"));
        // Heavy side road: x above 0.9 coloured.
        typeInto(table, 1, 2, "700");
        EXPECT_EQ(table->item(1, 2)->background().style(), Qt::NoBrush);
        typeInto(table, 1, 3, "1");
        auto* fix = d->findChild<QCheckBox*>("fixCycle");
        QTest::mouseClick(fix, Qt::LeftButton, {}, QPoint(5, fix->height() / 2));
        auto* cycle = d->findChild<QSpinBox*>("cycleField");
        cycle->setValue(40);
        EXPECT_TRUE(summary->text().contains("C = 40 с")) << summary->text().toStdString();
        EXPECT_EQ(table->item(1, 8)->background().color(), QColor(255, 190, 190));
        EXPECT_TRUE(d->grab().save(uitest::screenshotPath("timing_dialog.png")));
        QTest::mouseClick(fix, Qt::LeftButton, {}, QPoint(5, fix->height() / 2));
        typeInto(table, 1, 2, "220");

        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(d->appliedProgram(), FirstUserProgram);
        QTest::mouseClick(d->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        return true;
    });
    clickToolsItem(w, "Расчёт режима по интенсивностям…");
    EXPECT_TRUE(script.done());
    EXPECT_EQ(c->TactTable[FirstUserProgram][0].tMain, 5);  // the start-up stays
    EXPECT_EQ(c->TactTable[FirstUserProgram][2].tMain, 11);
    EXPECT_EQ(c->TactTable[FirstUserProgram][15].tMain, 7);
    EXPECT_EQ(c->Safety.traffic.programs[FirstUserProgram].directions[1].flow, 220);
    EXPECT_EQ(c->Modified, 1);

    // "Отменить" takes the times back in one step; "Повторить" brings them again.
    w.stepHistory(true);
    EXPECT_EQ(c->TactTable[FirstUserProgram], before);
    w.stepHistory(false);
    EXPECT_EQ(c->TactTable[FirstUserProgram][2].tMain, 11);
}
