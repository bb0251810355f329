// The error list shows the verdict of the tables on screen: an edit that
// makes a conflict shows at once, a double-click on a finding leads to the
// tact to mend, and a refused write against the virtual controller leaves its
// own line while the controller keeps what it had.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include "edit/conflict_matrix.h"
#include "emulator/virtual_controller.h"
#include "image/image.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "sample_window.h"
#include "support/test_support.h"
#include "tact_grid_helpers.h"
#include "ui/session.h"

using namespace livra;
using namespace livra::ui;
using namespace livra::uitest;

namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

QStringList lines(QWidget& w) {
    QStringList out;
    auto* list = named<QListWidget>(w, "errorList");
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

void withSampleMatrix(Configuration& c) {
    const Bytes json = test::readBytes(kRepo / "examples" / "crossroad.safety.json");
    ASSERT_EQ(parseSafetyJson(std::string(json.begin(), json.end()), c, c.Safety).status, SafetyFileStatus::Loaded);
}

void doubleClick(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

TEST(VerdictList, AnEditThatMakesAConflictShowsAtOnceAndADoubleClickLeadsToTheTact) {
    SampleWindow s;
    MainWindow& w = *s.window;
    withSampleMatrix(*s.c);
    // As an opening does: the list cleared, the opening's lines, the verdict.
    w.dialogs().clear();
    w.configurationReplaced();
    EXPECT_EQ(lines(w), (QStringList{"Ошибок не обнаружено", "Проверка безопасности: замечаний нет"}));

    // Direction 2 green beside direction 1 in program 4's tact 3, through
    // the grid's own dialog; no refresh pass runs in between.
    w.stopRefresh();
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    named<QComboBox>(w, "programBox")->setCurrentIndex(3);
    ModalScript script;
    setSignalThroughDialog(w, script, 2, 1, SignalGreen);
    EXPECT_TRUE(script.done());
    const QString conflict =
        "Программа 4, такт 3: напр. 1 и 2 — конфликтующие направления одновременно на разрешающем сигнале";
    EXPECT_TRUE(lines(w).contains(conflict)) << lines(w).join('\n').toStdString();
    EXPECT_EQ(lines(w).first(), "Ошибок не обнаружено");
    // Undone, the list says so at once too.
    w.stepHistory(true);
    EXPECT_EQ(lines(w), (QStringList{"Ошибок не обнаружено", "Проверка безопасности: замечаний нет"}));
    w.stepHistory(false);
    EXPECT_TRUE(lines(w).contains(conflict));

    // A double-click on the conflict: program 4 shown, its tact 3 selected.
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    named<QComboBox>(w, "programBox")->setCurrentIndex(5);
    doubleClick(named<QListWidget>(w, "errorList"), int(lines(w).indexOf(conflict)));
    EXPECT_EQ(named<QTabWidget>(w, "tabs")->currentIndex(), int(MainWindow::TabPrograms));
    EXPECT_EQ(named<QComboBox>(w, "programBox")->currentIndex(), 3);
    EXPECT_EQ(s.c->CurrentTact, 2);
    EXPECT_EQ(named<ProgramsTab>(w, "programsTab")->shownTact(), 2);
}

TEST(VerdictList, ADoubleClickOnAShortIntergreenSelectsTheInterphaseToLengthen) {
    SampleWindow s;
    MainWindow& w = *s.window;
    auto parsed = parseProject(test::readBytes(kRepo / "tests" / "data" / "crossroad_unsafe.ptm"));
    ASSERT_TRUE(parsed);
    replaceTables(*s.c, *parsed->config);
    withSampleMatrix(*s.c);
    w.configurationReplaced();
    const QStringList all = lines(w);
    const QRegularExpression mend("удлините промтакты? (\\d+)(–(\\d+))? программы (\\d+) на (\\d+) с$");
    int row = -1;
    QRegularExpressionMatch m;
    for (int i = 0; i < all.size() && row < 0; ++i)
        if ((m = mend.match(all[i])).hasMatch()) row = i;
    ASSERT_GE(row, 0) << all.join('\n').toStdString();
    // Far away first, so the grid must scroll to it.
    named<QComboBox>(w, "programBox")->setCurrentIndex(3);
    named<QScrollBar>(w, "tactScroll")->setValue(200);
    doubleClick(named<QListWidget>(w, "errorList"), row);
    const int first = m.captured(1).toInt() - 1;
    EXPECT_EQ(named<QComboBox>(w, "programBox")->currentIndex(), m.captured(4).toInt() - 1);
    EXPECT_EQ(s.c->CurrentTact, first);
    EXPECT_EQ(named<ProgramsTab>(w, "programsTab")->shownTact(), first);
    const int scroll = named<QScrollBar>(w, "tactScroll")->value();
    EXPECT_LE(scroll, first);
    EXPECT_GT(scroll + 11, first);
    // The red frame's tooltip stands on the interphase's tacts, not on the green.
    const auto marks = findingsByTact(w.safetyReport(), m.captured(4).toInt() - 1);
    const int last = m.captured(3).isEmpty() ? first : m.captured(3).toInt() - 1;
    for (int t = first; t <= last; ++t) ASSERT_TRUE(marks.count(t)) << t;
}

TEST(VerdictList, ARefusedWriteLeavesItsLineAndTheControllerKeepsWhatItHad) {
    livra::test::TempDir dir;
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
    VirtualControllerOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    VirtualController controller(o);
    StartOptions start;
    start.port = controller.start();
    ASSERT_FALSE(start.port.empty()) << controller.error();
    {
        Session session(start);
        ASSERT_TRUE(session.start());
        MainWindow& w = session.window();
        Configuration& c = session.configuration();
        // The sample goes in first.
        replaceTables(c, *sampleCrossroad());
        withSampleMatrix(c);
        w.configurationReplaced();
        named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabLink);
        auto* write = w.findChild<QPushButton*>("writeButton");
        ASSERT_NE(write, nullptr);
        QTest::mouseClick(write, Qt::LeftButton);
        EXPECT_EQ(controller.configurationsApplied(), 1);
        EXPECT_TRUE(named<QLabel>(w, "statusLine")->text().startsWith("Конфигурация записана в ДК (")) <<
            named<QLabel>(w, "statusLine")->text().toStdString();
        EXPECT_FALSE(lines(w).contains("Программа скомпилирована успешно"));
        const Bytes held = livra::test::readBytes(dir / imagePart(PartPrograms).fileName);

        // The old sample: walkers 4 hand over to direction 1 in 0 s of 5 on the call.
        auto old = parseProject(test::readBytes(kRepo / "tests" / "data" / "crossroad_unsafe.ptm"));
        ASSERT_TRUE(old);
        replaceTables(c, *old->config);
        w.configurationReplaced();
        ModalScript script;
        script.answer("Ок");
        QTest::mouseClick(write, Qt::LeftButton);
        EXPECT_TRUE(script.done());
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_TRUE(script.boxes[0].text.contains("Промежуточное время меньше заданного:")) <<
            script.boxes[0].text.toStdString();
        EXPECT_TRUE(lines(w).last().startsWith("Запись в ДК отменена: промежуточное время меньше заданного"))
            << lines(w).join('\n').toStdString();
        EXPECT_TRUE(lines(w).contains(
            "Программа 4, такт 1 (при вызове ТВП1): напр. 4 → 1 — промежуточное время 0 с, нужно не менее 5 с; "
            "вставьте промтакт не менее 5 с перед тактом 1 программы 4"))
            << lines(w).join('\n').toStdString();
        EXPECT_EQ(controller.configurationsApplied(), 1);

        // Read back: the controller holds the sample, byte for byte.
        named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabLink);
        c.Modified = 1;
        script.answer("Нет");  // the unsaved project is not saved first
        QTest::mouseClick(w.findChild<QPushButton*>("readButton"), Qt::LeftButton);
        EXPECT_EQ(livra::test::readBytes(dir / imagePart(PartPrograms).fileName), held);
        EXPECT_TRUE(script.done());
        EXPECT_EQ(encodeImage(c), encodeImage(*sampleCrossroad()));
    }
    controller.stop();
    qunsetenv("LIVRA_WORKDIR");
}

}  // namespace

namespace {

// Two roads taking turns with 3 s of yellow between them where 5 s are asked:
// "Перестроить промтакты" builds the changes again from the phases.
TEST(VerdictList, RebuildingTheInterphasesMendsAShortIntergreen) {
    livra::test::TempDir dir;
    auto c = test::newConfiguration();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    const int p = FirstUserProgram;
    const uint8_t rows[4][2] = {{SignalGreen, SignalRed}, {SignalYellow, SignalRed}, {SignalRed, SignalGreen},
                                {SignalRed, SignalYellow}};
    for (int k = 0; k < 4; ++k) {
        const int t = test::addTact(*c, p, k % 2 ? TactIntermediate : TactPhase, k % 2 ? 3 : 20, k % 2 ? 0 : 20);
        c->TactSignals[p][t][0] = rows[k][0];
        c->TactSignals[p][t][1] = rows[k][1];
    }
    test::addAlarm(*c, 0, 0, 0, 4);
    SafetyData& s = c->Safety;
    s.defined = true;
    s.conflict[0].set(1), s.conflict[1].set(0);
    s.intergreen[0][1] = s.intergreen[1][0] = 5;
    c->CurrentProgram = uint8_t(p);
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    auto* rebuild = w.findChild<QPushButton*>("rebuildInterphasesButton");
    ASSERT_NE(rebuild, nullptr);
    EXPECT_TRUE(rebuild->isEnabled());
    auto shortOnes = [&] {
        int n = 0;
        for (const SafetyFinding& f : w.safetyReport().findings) n += f.rule == SafetyRule::Intergreen;
        return n;
    };
    ASSERT_GT(shortOnes(), 0);
    QTest::mouseClick(rebuild, Qt::LeftButton);
    EXPECT_EQ(shortOnes(), 0) << lines(w).join('\n').toStdString();
    EXPECT_FALSE(rebuild->isEnabled());
    EXPECT_TRUE(lines(w).contains("Ошибок не обнаружено")) << lines(w).join('\n').toStdString();
    // One edit: "Отменить" brings the short interphases back.
    w.stepHistory(true);
    EXPECT_GT(shortOnes(), 0);
}

}  // namespace
