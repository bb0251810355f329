// "Экспорт в SUMO…" and "Импорт из SUMO…", opened from the real menu and
// driven by their widgets; each dialog leaves a picture to look at.
#include <gtest/gtest.h>

#include "app/safety_commands.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "model/project_file.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/sumo/sumo_export_dialog.h"
#include "ui/sumo/sumo_import_dialog.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;
using livra::uitest::named;

namespace {

std::unique_ptr<Configuration> crossroad() {
    auto parsed = parseProject(livra::test::readBytes(
        std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples" / "crossroad.ptm"));
    EXPECT_TRUE(parsed);
    return parsed ? std::move(parsed->config) : std::make_unique<Configuration>();
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

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

}  // namespace

TEST(SumoDialogs, ExportFromTheMenuWritesTheFileAndSaysSo) {
    TempDir dir;
    auto c = crossroad();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    c->ProjectFileName = pathToUtf8(dir / "crossroad.ptm");
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    const QString out = QString::fromStdString(pathToUtf8(dir / "перекресток.add.xml"));
    ModalScript script;
    script.act([&](QWidget* modal) {
        auto* d = qobject_cast<SumoExportDialog*>(modal);
        if (!d) return false;
        EXPECT_EQ(d->fileField()->text(), QString::fromStdString(pathToUtf8(dir / "crossroad.add.xml")));
        const QStringList preview = texts(d->preview());
        EXPECT_EQ(preview.first(), "2 — фаз 1, цикл 1 с");
        EXPECT_EQ(preview.filter(QRegularExpression("^4-call1 — фаз \\d+, цикл \\d+ с$")).size(), 1);
        // An id SUMO cannot take disables the export.
        QTest::keyClicks(d->tlsField(), " x");
        EXPECT_FALSE(d->exportButton()->isEnabled());
        d->tlsField()->setText("J");
        EXPECT_TRUE(d->exportButton()->isEnabled());
        d->fileField()->setText(out);
        EXPECT_TRUE(d->grab().save(uitest::screenshotPath("sumo_export_dialog.png")));
        QTest::mouseClick(d->exportButton(), Qt::LeftButton);
        return true;
    });
    clickToolsItem(w, "Экспорт в SUMO…");
    EXPECT_TRUE(script.done());
    std::ifstream in(pathFromUtf8(out.toStdString()));
    const std::string xml{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(xml.find("<tlLogic id=\"J\" type=\"static\" programID=\"4\" offset=\"0\">"), std::string::npos);
    // Said on the status line; the error list keeps the verdict.
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), "Экспорт в SUMO: " + out);
}

TEST(SumoDialogs, TheCallCheckBoxTakesANetAndWritesThePushButtonPrograms) {
    TempDir dir;
    auto c = crossroad();
    c->ProjectFileName = pathToUtf8(dir / "crossroad.ptm");
    const auto data = std::filesystem::path(LIVRA_TEST_DATA) / "sumo";
    livra::test::ScriptedDialogs ui;
    SumoExportDialog d(nullptr, *c, ui);
    auto* check = named<QCheckBox>(d, "actuatedCheck");
    ASSERT_TRUE(check->isEnabled());  // the sample has call tacts
    // No net chosen: the box stays clear and the export as it was.
    ui.fileNames.push_back(std::nullopt);
    check->click();
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(texts(d.preview()).filter(QRegularExpression("^4-call1 ")).size(), 1);
    // The sample's net: programs 4 and 5 by call, their detectors named.
    ui.fileNames.push_back(pathToUtf8(data / "crossroad.net.xml"));
    check->click();
    ASSERT_TRUE(check->isChecked());
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs.back().title, "Сеть SUMO для детекторов вызова");
    const QStringList preview = texts(d.preview());
    EXPECT_TRUE(preview.contains("4 — фаз 18, цикл до 105 с, такты ТВП по вызову")) << preview.join("\n").toStdString();
    EXPECT_EQ(preview.filter(QRegularExpression("-call")).size(), 0);
    EXPECT_EQ(preview.filter(QRegularExpression("^Программа 4 — по вызову")).size(), 1);
    EXPECT_TRUE(d.grab().save(uitest::screenshotPath("sumo_export_actuated.png")));
    const std::string out = pathToUtf8(dir / "crossroad.add.xml");
    d.fileField()->setText(QString::fromStdString(out));
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    EXPECT_EQ(d.written(), out);
    EXPECT_EQ(livra::test::readBytes(pathFromUtf8(out)), livra::test::readBytes(data / "crossroad.actuated.add.xml"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(SumoDialogs, ImportShowsThePhasesAsksBeforeReplacingAndCanBeUndone) {
    TempDir dir;
    auto c = crossroad();
    c->ProgramDir = pathToUtf8(dir.path()) + "/";
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    const auto file = dir / "plan.add.xml";
    std::ofstream(file) << "<additional>\n"
                           "  <tlLogic id=\"J\" programID=\"0\"><phase duration=\"9\" state=\"GrGr\"/></tlLogic>\n"
                           "  <tlLogic id=\"J\" programID=\"утро\">\n"
                           "    <phase duration=\"35\" minDur=\"15\" state=\"GrGr\" name=\"главная\"/>\n"
                           "    <phase duration=\"4\" state=\"yurr\"/>\n"
                           "    <phase duration=\"25\" minDur=\"10\" state=\"rGrG\" name=\"второстепенная\"/>\n"
                           "    <phase duration=\"4\" state=\"uyrr\"/>\n"
                           "  </tlLogic>\n"
                           "  <tlLogic id=\"J\" programID=\"bad\"><phase duration=\"20\" state=\"GrGr\"/>"
                           "<phase duration=\"5\" state=\"GrGy\"/></tlLogic>\n"
                           "</additional>\n";
    const Configuration before = *c;

    {
    ModalScript script;
    script.act([&](QWidget* modal) {
        auto* d = qobject_cast<SumoImportDialog*>(modal);
        if (!d) return false;
        EXPECT_FALSE(d->importButton()->isEnabled());
        d->loadFile(QString::fromStdString(pathToUtf8(file)));
        EXPECT_EQ(d->programIdList()->count(), 3);
        d->programIdList()->setCurrentIndex(1);
        EXPECT_EQ(d->phaseTable()->rowCount(), 4);
        EXPECT_EQ(d->phaseTable()->item(2, 1)->text(), "второстепенная");
        EXPECT_EQ(d->phaseTable()->item(2, 4)->text(), "rGrG");
        d->targetList()->setCurrentIndex(3);  // program 7, empty in the sample
        EXPECT_TRUE(d->grab().save(uitest::screenshotPath("sumo_import_dialog.png")));
        QTest::mouseClick(d->importButton(), Qt::LeftButton);
        return true;
    });
    clickToolsItem(w, "Импорт из SUMO…");
    EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(c->TactTable[6][0], (Tact{TactPhase, 15, 35, 35, 1}));
    EXPECT_EQ(c->TactTable[6][1], (Tact{TactIntermediate, 0, 4, 39, 0}));
    EXPECT_EQ(c->TactSignals[6][1][1], SignalRedYellow);
    EXPECT_EQ(c->Modified, 1);
    // The import is told on the status line; the list ends with the verdict
    // of the tables as imported, as after every change.
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), "Импорт из SUMO: тактов 4 в программу 7");
    VectorErrorList verdict;
    showVerdict(*c, checkSafety(*c, c->Safety), verdict, true);
    QStringList expected;
    for (const std::string& l : verdict.lines) expected << QString::fromStdString(l);
    const QStringList shown = texts(named<QListWidget>(w, "errorList"));
    ASSERT_GE(shown.size(), expected.size());
    EXPECT_EQ(shown.mid(shown.size() - expected.size()), expected) << shown.join("\n").toStdString();

    // Into the same program again: asked first, "Нет" keeps it; a letter a
    // pedestrian cannot show is refused with the cause, nothing changes.
    const Configuration afterImport = *c;
    ModalScript again;
    again.answer("Нет");
    again.answer("Ок");
    {
        SumoImportDialog d(&w, *c, w.dialogs());
        d.show();
        d.loadFile(QString::fromStdString(pathToUtf8(file)));
        d.programIdList()->setCurrentIndex(1);
        d.targetList()->setCurrentIndex(3);
        QTest::mouseClick(d.importButton(), Qt::LeftButton);  // -> question, "Нет"
        d.programIdList()->setCurrentIndex(2);
        d.targetList()->setCurrentIndex(4);
        QTest::mouseClick(d.importButton(), Qt::LeftButton);  // -> refusal
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(again.done());
    ASSERT_EQ(again.boxes.size(), 2u);
    EXPECT_EQ(again.boxes[0].text, "Программа 7 не пуста.\nЗаменить её программой SUMO?");
    EXPECT_EQ(again.boxes[1].title, "Ошибка");
    EXPECT_TRUE(again.boxes[1].text.contains("направление 4 - Пешеходный не может показать «y»"));
    EXPECT_TRUE(c->sameTables(afterImport));

    // "Отменить" takes the import back.
    w.stepHistory(true);
    EXPECT_TRUE(c->sameTables(before));
}

TEST(SumoDialogs, ATypedNetListsItsLightsShowsTheChangesAndImportsAsTheCommandLineDoes) {
    TempDir dir;
    auto c = livra::test::newConfiguration();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    const QString net = QString::fromStdString(pathToUtf8(std::filesystem::path(LIVRA_TEST_DATA) / "sumo" / "small.net.xml.gz"));
    ModalScript script;
    script.act([&](QWidget* modal) {
        auto* d = qobject_cast<SumoImportDialog*>(modal);
        if (!d) return false;
        // A typed path is read on Enter, as a chosen one is.
        d->fileField()->setFocus();
        d->fileField()->setText(net);
        QTest::keyClick(d->fileField(), Qt::Key_Return);
        EXPECT_EQ(d->tlsList()->count(), 1);
        EXPECT_EQ(d->tlsList()->currentText(), "C — связей 16, групп 6 (пешеходных 2)");
        EXPECT_EQ(d->programIdList()->currentText(), "0");
        EXPECT_EQ(d->phaseTable()->rowCount(), 6);
        // The changes, before anything is changed.
        QStringList changes;
        for (int i = 0; i < d->changesList()->count(); ++i) changes << d->changesList()->item(i)->text();
        EXPECT_TRUE(changes.at(0).startsWith("Созданы направления 1..6: групп сигналов 6 (автомобильных 4, пешеходных 2)"))
            << changes.join("\n").toStdString();
        EXPECT_TRUE(changes.join("\n").contains("По сети предложено конфликтов: 8"));
        EXPECT_TRUE(changes.join("\n").contains("Календарь был пуст: добавлено переключение понедельник 00:00 — программа 4"));
        EXPECT_EQ(c->DirectionKind[0], DirEmpty);
        EXPECT_EQ(d->importButton()->text(), "Импорт");
        EXPECT_TRUE(d->grab().save(uitest::screenshotPath("sumo_import_net.png")));
        QTest::mouseClick(d->importButton(), Qt::LeftButton);
        return true;
    });
    clickToolsItem(w, "Импорт из SUMO…");
    EXPECT_TRUE(script.done());
    EXPECT_EQ(c->DirectionKind[5], DirPedestrian);
    EXPECT_EQ(c->Safety.sumoMap.links.size(), 16u);
    EXPECT_EQ(c->Safety.sumoMap.net, "small.net.xml.gz");
    EXPECT_TRUE(c->Safety.defined);
    EXPECT_EQ(c->TactTable[3][0].tMain, 37);
    EXPECT_EQ(named<QLabel>(w, "statusLine")->text(), "Импорт из SUMO: тактов 6 в программу 4");
    // The list: what the import made, then the verdict.
    const QStringList lines = texts(named<QListWidget>(w, "errorList"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.at(0).startsWith("Созданы направления 1..6")) << lines.join("\n").toStdString();
    EXPECT_TRUE(lines.contains("Ошибок не обнаружено")) << lines.join("\n").toStdString();

    // An actuated program: the dialog says why and what the box does.
    const auto file = dir / "act.add.xml";
    std::ofstream(file) << "<add><tlLogic id=\"J\" type=\"actuated\"><phase duration=\"30\" minDur=\"10\" state=\"Gr\"/>"
                           "<phase duration=\"3\" state=\"yr\"/><phase duration=\"30\" state=\"rG\"/>"
                           "<phase duration=\"3\" state=\"ry\"/></tlLogic></add>";
    auto fresh = livra::test::newConfiguration();
    SumoImportDialog d(&w, *fresh, w.dialogs());
    d.loadFile(QString::fromStdString(pathToUtf8(file)));
    EXPECT_TRUE(d.changesList()->item(0)->text().contains("— actuated: SUMO продлевает её зелёные по детекторам"));
    EXPECT_EQ(d.changesList()->item(1)->text(), "Чтобы принять её, отметьте «Программу с детекторами (actuated) — как жёсткую».");
    d.asFixedBox()->setChecked(true);
    EXPECT_TRUE(d.changesList()->item(d.changesList()->count() - 1)->text().startsWith("Календарь был пуст") ||
                d.changesList()->count() > 2);
    bool said = false;
    for (int i = 0; i < d.changesList()->count(); ++i) said = said || d.changesList()->item(i)->text().contains("принята как жёсткая");
    EXPECT_TRUE(said);
    EXPECT_EQ(fresh->DirectionKind[0], DirEmpty);
}
