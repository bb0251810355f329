// The conflict matrix editor, its calculator, the tact grid's marks and the
// simulator's conflict monitor, driven as an engineer drives them: real
// clicks and keys on the widgets, the modal windows answered as they come.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "check/safety_check.h"
#include "diagram_qt/diagram_export.h"
#include "diagram_qt/diagram_painter.h"
#include "edit/conflict_matrix.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "pictures/pictures.h"
#include "report_qt/report_export.h"
#include "report_qt/report_painter.h"
#include "support/test_support.h"
#include "ui/canvas_view.h"
#include "ui/canvases.h"
#include "ui/main_window.h"
#include "ui/safety/conflict_matrix_dialog.h"
#include "ui/safety/intergreen_calculator_dialog.h"
#include "ui/simulator/simulator_window.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;
using livra::uitest::named;
using livra::uitest::screenshotPath;

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";

// The first sample, before it was made safe: its pedestrian call sequence
// ends pedestrian 4's flashing green right before vehicle 1's green.
std::unique_ptr<Configuration> unsafeSample() {
    auto parsed = parseProject(test::readBytes(std::filesystem::path(LIVRA_TEST_DATA) / "crossroad_unsafe.ptm"));
    EXPECT_TRUE(parsed);
    return parsed ? std::move(parsed->config) : test::newConfiguration();
}

void clickCell(QTableView* table, const QModelIndex& index, Qt::MouseButton button = Qt::LeftButton) {
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), button, {}, table->visualRect(index).center());
}

// The cell editor on show (a closed one lingers until deleted).
QLineEdit* openEditor(QTableView* table) {
    for (QLineEdit* e : table->findChildren<QLineEdit*>("intergreenEditor"))
        if (e->isVisible()) return e;
    return nullptr;
}

// Digits typed on the current cell, then Enter in the editor they open; the
// view stores the value on its next pass through the event loop.
void typeInto(QTableView* table, const QModelIndex& index, const QString& text) {
    table->setCurrentIndex(index);
    QTest::keyClicks(table, text.left(1));
    QLineEdit* editor = openEditor(table);
    ASSERT_TRUE(editor) << "no editor opened";
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

// The crossing's real conflicts: vehicle 1 against vehicle 2 and pedestrian
// 4, vehicle 2 against pedestrian 3.
void setCrossingMatrix(SafetyData& s) {
    s.clear();
    setConflict(s, 0, 1, true);
    setConflict(s, 0, 3, true);
    setConflict(s, 1, 2, true);
    s.defined = true;
}

}  // namespace

TEST(ConflictMatrixDialog, ClicksKeysAndProposalsEditACopyThatOkHandsBack) {
    auto c = unsafeSample();
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    QTableView* t = d.table();
    ASSERT_EQ(t->model()->rowCount(), 4);  // the call input has no row
    EXPECT_EQ(t->model()->headerData(3, Qt::Horizontal).toString(), "4");
    EXPECT_EQ(t->model()->headerData(0, Qt::Vertical, Qt::ToolTipRole).toString(), "Напр. 1 — Транспортный");

    // A click switches the pair, both halves; the diagonal never.
    clickCell(t, d.cellOf(0, 1));
    EXPECT_TRUE(d.result().conflict[0][1] && d.result().conflict[1][0]);
    EXPECT_EQ(t->model()->data(d.cellOf(1, 0)).toString(), "—");  // conflict, intergreen not set
    clickCell(t, d.cellOf(2, 2));
    EXPECT_FALSE(d.result().conflict[2][2]);
    // Space switches the current cell from the keyboard.
    t->setCurrentIndex(d.cellOf(2, 1));
    QTest::keyClick(t, Qt::Key_Space);
    EXPECT_TRUE(d.result().conflict[1][2]);

    // Digits on a conflicting cell: its ordered pair's intergreen.
    typeInto(t, d.cellOf(0, 1), "57");
    EXPECT_EQ(d.result().intergreen[0][1], 57);
    EXPECT_EQ(d.result().intergreen[1][0], IntergreenNotSet);
    EXPECT_EQ(t->model()->data(d.cellOf(0, 1)).toString(), "57");
    // 300 cannot be typed; Delete makes it "not set" again.
    t->setCurrentIndex(d.cellOf(0, 1));
    QTest::keyClicks(t, "3");
    QLineEdit* editor = openEditor(t);
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, "00");
    EXPECT_EQ(editor->text(), "30");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.result().intergreen[0][1], 57);
    QTest::keyClick(t, Qt::Key_Delete);
    EXPECT_EQ(d.result().intergreen[0][1], IntergreenNotSet);

    // Un-conflicting drops the value with the pair.
    typeInto(t, d.cellOf(1, 2), "4");
    EXPECT_EQ(d.result().intergreen[1][2], 4);
    clickCell(t, d.cellOf(1, 2));
    EXPECT_FALSE(d.result().conflict[1][2]);
    EXPECT_EQ(d.result().intergreen[1][2], IntergreenNotSet);

    // "Предложить по программам": 1-4 and 2-3 proposed; 1-2 is the
    // engineer's own and stays unmarked.
    QTest::mouseClick(d.proposeButton(), Qt::LeftButton);
    EXPECT_TRUE(isProposed(d.result(), 0, 3) && isProposed(d.result(), 1, 2));
    EXPECT_FALSE(isProposed(d.result(), 0, 1));
    EXPECT_TRUE(d.result().conflict[0][1]);
    EXPECT_EQ(d.statusLabel()->text(), "Предложено конфликтов: 2 — проверьте и подтвердите");
    EXPECT_TRUE(t->model()->data(d.cellOf(3, 0), Qt::ToolTipRole).toString().contains("не подтверждено"));
    EXPECT_TRUE(d.confirmButton()->isEnabled());
    EXPECT_TRUE(d.grab().save(screenshotPath("matrix_dialog_proposed.png")));
    QTest::mouseClick(d.confirmButton(), Qt::LeftButton);
    EXPECT_EQ(proposalCount(d.result()), 0);
    EXPECT_FALSE(d.confirmButton()->isEnabled());

    // The configuration itself is untouched until "Ок" is pressed.
    EXPECT_FALSE(c->Safety.conflict[0][1]);
    EXPECT_TRUE(d.changed());
    EXPECT_FALSE(d.result().defined);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(d.result().defined, true);  // a matrix from now on
}

// Worked by hand: vehicle 1 clears 20 m to the conflict point with a 6 m car
// at 10 m/s after 3 s of yellow; pedestrian 4 enters from 3 m at 1.2 m/s:
// t_z = 3 + (20 + 6) / 10 − 3 / 1.2 = 3 + 2.6 − 2.5 = 3.1 s, rounded up 4 s.
TEST(ConflictMatrixDialog, TheCalculatorWorksOutAPairAndPutsItInTheCell) {
    auto c = unsafeSample();
    setCrossingMatrix(c->Safety);
    ConflictMatrixDialog d(nullptr, *c);
    d.resize(760, 420);
    d.show();
    QTableView* t = d.table();
    // A right click picks the pair without switching it; "Калькулятор…".
    t->setCurrentIndex(d.cellOf(0, 3));
    EXPECT_TRUE(d.calculatorButton()->isEnabled());
    t->setCurrentIndex(d.cellOf(2, 3));  // no conflict: nothing to work out
    EXPECT_FALSE(d.calculatorButton()->isEnabled());
    t->setCurrentIndex(d.cellOf(0, 3));

    ModalScript script;
    QString formula, result;
    script.act([&](QWidget* w) {
        auto* calc = qobject_cast<IntergreenCalculatorDialog*>(w);
        if (!calc) return false;
        using F = IntergreenCalculatorDialog;
        // The defaults by kind: a car clearing, a pedestrian entering.
        EXPECT_EQ(calc->field(F::VehicleLength)->value(), 6);
        EXPECT_EQ(calc->field(F::ClearingSpeed)->value(), 10);
        EXPECT_DOUBLE_EQ(calc->field(F::EnteringSpeed)->value(), 1.2);
        EXPECT_EQ(calc->field(F::CrossingTime)->value(), 3);
        calc->field(F::ClearingDistance)->setValue(20);
        calc->field(F::EnteringDistance)->setValue(3);
        formula = calc->formulaLabel()->text();
        result = calc->resultLabel()->text();
        calc->adjustSize();
        EXPECT_TRUE(calc->grab().save(screenshotPath("intergreen_calculator.png")));
        QTest::mouseClick(calc->acceptButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(d.calculatorButton(), Qt::LeftButton);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(formula, "t_z = 3 + (20 + 6) / 10 − 3 / 1,2 = 3,1 → 4 с");
    EXPECT_EQ(result, "Промежуточное время: 4 с");
    EXPECT_EQ(d.result().intergreen[0][3], 4);
    EXPECT_EQ(t->model()->data(d.cellOf(0, 3)).toString(), "4");
    const IntergreenInputs kept{20, 6, 10, 3, 1.2, 3};
    EXPECT_EQ(d.result().calculatorInputs.at({0, 3}), kept);

    // Opened again, it starts from the inputs kept for the pair; "Отмена"
    // of the calculator leaves the cell as it was.
    script.act([&](QWidget* w) {
        auto* calc = qobject_cast<IntergreenCalculatorDialog*>(w);
        if (!calc) return false;
        EXPECT_EQ(calc->inputs(), kept);
        calc->field(IntergreenCalculatorDialog::ClearingDistance)->setValue(90);
        QTest::mouseClick(calc->cancelButton(), Qt::LeftButton);
        return true;
    });
    d.openCalculator();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(d.result().intergreen[0][3], 4);
    EXPECT_EQ(d.result().calculatorInputs.at({0, 3}), kept);
}

// Through the main window's menu: "Отмена" changes nothing, "Ок" stores as
// one edit that "Отменить" takes back; the grid marks what the check finds.
TEST(ConflictMatrixDialog, FromTheMenuOkIsOneUndoableEditAndCancelIsNothing) {
    auto c = unsafeSample();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    c->Modified = 0;
    QAction* item = w.menuAction(MenuConflictMatrix);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "Матрица конфликтов…");

    ModalScript script;
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<ConflictMatrixDialog*>(m);
        if (!d) return false;
        clickCell(d->table(), d->cellOf(0, 1));
        QTest::mouseClick(d->proposeButton(), Qt::LeftButton);
        QTest::keyClick(d, Qt::Key_Escape);  // as "Отмена"
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(c->Safety.defined);
    EXPECT_EQ(c->Safety, SafetyData{});
    EXPECT_EQ(c->Modified, 0);

    script.act([&](QWidget* m) {
        auto* d = qobject_cast<ConflictMatrixDialog*>(m);
        if (!d) return false;
        QTest::mouseClick(d->proposeButton(), Qt::LeftButton);
        QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
        typeInto(d->table(), d->cellOf(3, 0), "6");
        QTest::keyClick(d, Qt::Key_Return);  // Enter: "Ок"
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    SafetyData expected;
    setCrossingMatrix(expected);
    setIntergreen(expected, 3, 0, 6);
    EXPECT_EQ(c->Safety, expected);
    EXPECT_EQ(c->Modified, 1);

    // The check now finds pedestrian 4 → vehicle 1 cut short in the call
    // sequence; the grid frames that tact's header and tells why.
    const SafetyReport& report = w.safetyReport();
    const SafetyReport fresh = checkSafety(*c, c->Safety);
    ASSERT_EQ(report.findings.size(), fresh.findings.size());
    for (std::size_t i = 0; i < fresh.findings.size(); ++i) EXPECT_EQ(report.findings[i].text, fresh.findings[i].text);
    const auto marks = findingsByTact(report.findings, 3);
    ASSERT_FALSE(marks.empty());
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    w.refreshPass();
    const int tact = marks.begin()->first;
    const QImage grid = named<CanvasView>(w, "tactCanvas")->image();
    const QColor frame = grid.pixelColor(pictures::CellWidth * (tact + 1) + 3, 40);
    EXPECT_GT(frame.red(), 200);
    EXPECT_LT(frame.green(), 40);
    const QString tip = safetyMarkToolTip(report, 3, 0, QPoint(pictures::CellWidth * (tact + 1) + 20, 30));
    EXPECT_EQ(tip.split('\n').first().toStdString(), marks.begin()->second.front());
    EXPECT_TRUE(safetyMarkToolTip(report, 3, 0, QPoint(pictures::CellWidth * (tact + 1) + 20, 120)).isEmpty());
    EXPECT_TRUE(w.grab().save(screenshotPath("tact_grid_marked.png")));

    // One undo step takes the whole matrix edit back.
    w.stepHistory(true);
    EXPECT_EQ(c->Safety, SafetyData{});
    w.stepHistory(false);
    EXPECT_EQ(c->Safety, expected);
}

TEST(ConflictMatrixDialog, SixtyThreeDirectionsScroll) {
    auto c = test::fullConfiguration();
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    ASSERT_EQ(d.table()->model()->rowCount(), DirectionCount);
    EXPECT_LE(d.width(), 1180);
    EXPECT_LE(d.height(), 760);
    EXPECT_TRUE(d.table()->verticalScrollBar()->maximum() > 0 && d.table()->horizontalScrollBar()->maximum() > 0);
    clickCell(d.table(), d.cellOf(62, 61));
    EXPECT_TRUE(d.result().conflict[61][62]);
}

TEST(ConflictMonitorWindow, TripsRedNamesThePairAndTheTimeAndStopClearsIt) {
    TempDir dir;
    auto c = test::newConfiguration();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    // Loading puts the project's plan where the simulator reads it.
    ASSERT_TRUE(loadProject(*c, pathToUtf8(std::filesystem::path(LIVRA_TEST_DATA) / "crossroad_unsafe.ptm")).ok());
    std::filesystem::create_directories(dir / "shem");
    std::filesystem::copy_file(kExamples / "shem" / "crossroad.png", dir / "shem" / "crossroad.png");
    setCrossingMatrix(c->Safety);
    // Every conflict has its time (0 s asks nothing), so that 4 → 1 trips.
    for (const auto& [from, to] : {std::pair{0, 1}, {1, 0}, {0, 3}, {3, 0}, {1, 2}, {2, 1}})
        setIntergreen(c->Safety, from, to, 0);
    setIntergreen(c->Safety, 3, 0, 6);
    SimulatorMemory memory;
    SimulatorWindow w(*c, memory);
    w.show();
    w.datePicker()->setDate(QDate(2026, 12, 7));  // Monday, program 4 from 06:00
    w.timePicker()->setTime(QTime(8, 0, 0));
    QTest::mouseClick(w.setClockButton(), Qt::LeftButton);
    QTest::mouseClick(w.runButton(), Qt::LeftButton);
    QTest::mouseClick(w.callButton(1), Qt::LeftButton);
    for (int k = 0; k < 300 && !w.monitor().tripped(); ++k) w.simulationSecond();
    ASSERT_TRUE(w.monitor().tripped());
    const MonitorTrip& trip = w.monitor().trip();
    EXPECT_EQ(trip.direction, 3);
    EXPECT_EQ(trip.other, 0);
    EXPECT_EQ(trip.text, "Промежуточное время: напр. 4 → 1 — " + std::to_string(trip.seconds) + " с вместо 6 с, " +
                             trip.time);
    EXPECT_EQ(w.clockLabel()->text().toStdString(), trip.time);
    EXPECT_TRUE(w.monitorLabel()->isVisible());
    EXPECT_EQ(w.monitorLabel()->text().toStdString(), trip.text);
    EXPECT_TRUE(w.debuggerFrame()->styleSheet().contains("rgb(220,0,0)"));
    EXPECT_EQ(w.debuggerFrame()->toolTip().toStdString(), trip.text);
    EXPECT_TRUE(w.grab().save(screenshotPath("simulator_monitor_tripped.png")));

    QTest::mouseClick(w.stopButton(), Qt::LeftButton);
    EXPECT_FALSE(w.monitor().tripped());
    EXPECT_FALSE(w.monitorLabel()->isVisible());
    EXPECT_TRUE(w.debuggerFrame()->styleSheet().isEmpty());
    w.done(QDialog::Accepted);
}

TEST(SafetyReportPage, TheMatrixPageIsDrawnAndWritten) {
    auto c = unsafeSample();
    setCrossingMatrix(c->Safety);
    setIntergreen(c->Safety, 3, 0, 6);
    setIntergreen(c->Safety, 1, 0, 3);
    setIntergreen(c->Safety, 0, 1, 3);
    const report::Report r = report::planReport(*c, report::ReportInfo{"crossroad.ptm", "09.12.2026"});
    // The page the matrix stands on: the last but maybe one.
    int matrixPage = -1;
    for (int i = 0; i < int(r.pages.size()); ++i)
        for (const report::Block& b : r.pages[i].blocks)
            if (b.kind == report::BlockKind::SafetyMatrix && matrixPage < 0) matrixPage = i;
    ASSERT_GE(matrixPage, 0);
    QImage page(int(r.page.width), int(r.page.height), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        report::paintReportPage(p, r, matrixPage, "crossroad.ptm");
    }
    EXPECT_EQ(r.safety.cells[0][1], "3");
    EXPECT_TRUE(page.save(screenshotPath("report_matrix_page.png")));
    const QString pdf = screenshotPath("report_with_matrix.pdf");
    EXPECT_EQ(report::writeReportPdf(r, pdf.toStdString(), "crossroad.ptm"), "");
    EXPECT_GT(std::filesystem::file_size(pdf.toStdString()), 1000u);
}

// The shipped sample with its safety file: the matrix as the engineer left
// it, and the timing diagram with its intergreen brackets, all long enough.
TEST(SafetyReportPage, TheSampleShowsItsMatrixAndFullBrackets) {
    TempDir dir;
    auto c = test::newConfiguration();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    const std::string project = pathToUtf8(kExamples / "crossroad.ptm");
    ASSERT_TRUE(loadProject(*c, project).ok());
    ASSERT_EQ(loadSafetyFile(safetyFileNameFor(project), *c, c->Safety).status, SafetyFileStatus::Loaded);
    ConflictMatrixDialog d(nullptr, *c);
    d.show();
    QAbstractItemModel* m = d.table()->model();
    EXPECT_EQ(m->data(d.cellOf(0, 1)).toString(), "5");  // 1 → 2
    EXPECT_EQ(m->data(d.cellOf(0, 3)).toString(), "6");  // 1 → 4
    EXPECT_EQ(m->data(d.cellOf(3, 0)).toString(), "5");  // 4 → 1
    EXPECT_EQ(m->data(d.cellOf(2, 3)).toString(), "");   // walkers 3 and 4 may go together
    d.table()->setCurrentIndex(d.cellOf(3, 0));
    EXPECT_TRUE(d.grab().save(screenshotPath("matrix_dialog_sample.png")));

    const auto t = diagram::buildTimeline(*c, 3, nullptr);
    ASSERT_TRUE(t);
    ASSERT_FALSE(t->clearances.empty());
    for (const diagram::Clearance& cl : t->clearances) EXPECT_FALSE(cl.tooShort());
    const QImage picture = diagram::diagramImage(diagram::layoutDiagram(*t, diagram::screenGeometry()));
    EXPECT_TRUE(picture.save(screenshotPath("diagram_brackets_sample.png")));
}
