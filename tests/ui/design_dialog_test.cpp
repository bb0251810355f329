// "Программа по фазам…" driven as an engineer drives it: clicks on the
// phase table's cells, the order buttons, a call phase with its place,
// "Построить", and "Отменить" taking the whole program back.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "check/safety_check.h"
#include "design/phase_design.h"
#include "support/test_support.h"
#include "ui/design/design_dialog.h"
#include "ui/main_window.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::ModalScript;
using livra::uitest::named;

namespace {

// The sample's crossing without a program: roads 1 and 2, walkers 3 and 4,
// the call button 5, the sample's matrix.
std::unique_ptr<Configuration> crossing() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    test::addDirection(*c, 2, DirPedestrian);
    test::addDirection(*c, 3, DirPedestrian);
    test::addDirection(*c, 4, DirTvp1);
    SafetyData& s = c->Safety;
    s.defined = true;
    const int pairs[][3] = {{1, 2, 5}, {2, 1, 5}, {1, 4, 6}, {2, 3, 6}, {4, 1, 5}, {3, 2, 5}};
    for (const auto& p : pairs) {
        s.conflict[size_t(p[0] - 1)].set(size_t(p[1] - 1));
        s.conflict[size_t(p[1] - 1)].set(size_t(p[0] - 1));
        s.intergreen[size_t(p[0] - 1)][size_t(p[1] - 1)] = int16_t(p[2]);
    }
    return c;
}

void clickCell(QTableWidget* t, int row, int column) {
    QTableWidgetItem* item = t->item(row, column);
    ASSERT_TRUE(item) << row << "," << column;
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(item).center());
}

QStringList listTexts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

}  // namespace

TEST(DesignDialog, MarksOrderACallPhaseBuildOneUndoStep) {
    auto c = crossing();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    c->CurrentProgram = FirstUserProgram;
    QAction* item = w.menuAction(MenuDesign);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "Программа по фазам…");

    ModalScript script;
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<DesignDialog*>(m);
        if (!d) return false;
        EXPECT_EQ(d->windowTitle(), "Программа по фазам");
        auto* t = named<QTableWidget>(*d, "phaseTable");
        auto* status = named<QLabel>(*d, "statusLabel");
        auto* build = named<QPushButton>(*d, "buildButton");
        EXPECT_EQ(t->rowCount(), 4);  // the call button has no row
        EXPECT_EQ(t->columnCount(), 2);
        // Walkers 4 and road 2 in the first column, 1 and 3 in the second.
        clickCell(t, 1, 0);
        clickCell(t, 3, 0);
        clickCell(t, 0, 1);
        // A conflicting mark shows at once and nothing can be built.
        clickCell(t, 1, 1);
        EXPECT_EQ(t->item(1, 1)->background().color(), QColor(240, 110, 110));
        EXPECT_EQ(status->text(), "Ф2: напр. 1 и 2 конфликтуют — уберите одно из них из фазы");
        EXPECT_FALSE(build->isEnabled());
        clickCell(t, 1, 1);
        clickCell(t, 2, 1);
        EXPECT_EQ(t->item(1, 1)->text(), "");
        EXPECT_EQ(t->item(0, 1)->text(), "●");
        // Road 1's phase first: "◀ Раньше" on the second column.
        t->setCurrentCell(0, 1);
        QTest::mouseClick(named<QPushButton>(*d, "earlierButton"), Qt::LeftButton);
        EXPECT_EQ(d->design().phases[0].directions, (std::vector<int>{0, 2}));
        EXPECT_EQ(d->design().phases[1].directions, (std::vector<int>{1, 3}));
        // Its times.
        t->setCurrentCell(0, 0);
        auto* tMin = named<QSpinBox>(*d, "tMinBox");
        auto* tMain = named<QSpinBox>(*d, "tMainBox");
        tMin->setValue(12);
        tMain->setValue(30);
        EXPECT_EQ(d->design().phases[0].tMin, 12);
        EXPECT_EQ(d->design().phases[0].tMain, 30);
        // A call phase for the walkers after Ф1.
        QTest::mouseClick(named<QCheckBox>(*d, "call1Check"), Qt::LeftButton);
        EXPECT_EQ(t->columnCount(), 3);
        EXPECT_EQ(t->horizontalHeaderItem(2)->text(), "ТВП1");
        clickCell(t, 2, 2);
        clickCell(t, 3, 2);
        named<QSpinBox>(*d, "call1After")->setValue(1);
        EXPECT_TRUE(build->isEnabled()) << status->text().toStdString();
        EXPECT_EQ(listTexts(named<QListWidget>(*d, "changeList")),
                  (QStringList{"Ф1→ТВП1: 9 с, решает 1→4: 6 с", "ТВП1→Ф1: 8 с, решает 4→1: 5 с",
                               "Ф1→Ф2: 9 с, решает 1→4: 6 с", "Ф2→Ф1: 9 с, решает 2→3: 6 с"}));
#ifdef LIVRA_SCREENSHOT_DIR
        d->grab().save(livra::uitest::screenshotPath("design_dialog.png"));
#endif
        QTest::mouseClick(build, Qt::LeftButton);
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    ASSERT_EQ(c->TactTable[FirstUserProgram][0].kind, TactPhase);
    const DesignResult<PhaseDesign> read = readPhases(*c, FirstUserProgram);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(designArguments(*read.value), "--phase 1,3:12:30 --phase 2,4:5:20 --call1-after 1 --call1-phase 3,4:12");
    EXPECT_TRUE(checkSafety(*c, c->Safety).empty());
    EXPECT_EQ(c->Modified, 1);

    // One step back: the program as empty as before.
    w.menuAction(MenuUndo)->trigger();
    EXPECT_EQ(c->TactTable[FirstUserProgram][0].kind, TactEmpty);
    w.menuAction(MenuRedo)->trigger();
    EXPECT_EQ(c->TactTable[FirstUserProgram][0].kind, TactPhase);

    // "Отмена" writes nothing; a fixed program is refused with a box.
    const Configuration before = *c;
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<DesignDialog*>(m);
        if (!d) return false;
        // Prefilled with the program on show.
        EXPECT_EQ(named<QTableWidget>(*d, "phaseTable")->columnCount(), 3);
        clickCell(named<QTableWidget>(*d, "phaseTable"), 1, 0);
        QTest::mouseClick(named<QPushButton>(*d, "cancelButton"), Qt::LeftButton);
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(c->sameTables(before));
    c->CurrentProgram = 1;
    script.answer("Ок");
    item->trigger();
    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, "Программу по фазам можно построить только в программе 4..16");
}

// The calendar runs the program after the night flashing: the dialog says
// that an all-red start-up goes first and builds it.
TEST(DesignDialog, AfterTheNightFlashingTheStartUpIsSaidAndBuilt) {
    auto c = crossing();
    // ЖМ as the directions tab makes it: the roads flash yellow, the walkers dark.
    test::addTact(*c, 1, TactIntermediate, 1, 1, SignalFlashingYellow);
    c->TactSignals[1][0][2] = c->TactSignals[1][0][3] = c->TactSignals[1][0][4] = SignalOff;
    test::addAlarm(*c, 0, 0, 0, 2);
    test::addAlarm(*c, 0, 6, 0, 4);
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    c->CurrentProgram = FirstUserProgram;
    ModalScript script;
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<DesignDialog*>(m);
        if (!d) return false;
        auto* t = named<QTableWidget>(*d, "phaseTable");
        clickCell(t, 0, 0);
        clickCell(t, 2, 0);
        clickCell(t, 1, 1);
        clickCell(t, 3, 1);
        const QStringList changes = listTexts(named<QListWidget>(*d, "changeList"));
        EXPECT_FALSE(changes.isEmpty());
        if (!changes.isEmpty()) {
            EXPECT_EQ(changes.first(), "Добавлена фаза «все красные» 5 с в начало цикла: календарь переключает "
                                       "программу 4 с ЖМ или ОС или на них");
        }
        EXPECT_TRUE(d->design().phases.front().directions.empty());
        QTest::mouseClick(named<QPushButton>(*d, "buildButton"), Qt::LeftButton);
        return true;
    });
    w.menuAction(MenuDesign)->trigger();
    EXPECT_TRUE(script.done());
    const DesignResult<PhaseDesign> read = readPhases(*c, FirstUserProgram);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(designArguments(*read.value).rfind("--phase :5:5 --phase 1,3:", 0), 0u) << designArguments(*read.value);
    EXPECT_TRUE(checkSafety(*c, c->Safety).empty());
}
