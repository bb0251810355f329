// The buttons of "Связь с ДК" against a virtual controller on a
// pseudo-terminal, clicked as a user clicks them.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTimer>
#include <set>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "emulator/virtual_controller.h"
#include "model/files.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/session.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::ModalScript;
using livra::uitest::screenshotPath;

namespace {

class LinkTab : public ::testing::Test {
protected:
    livra::test::TempDir dir;
    std::unique_ptr<VirtualController> controller;
    std::unique_ptr<Session> session;

    void SetUp() override { qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path()))); }
    void TearDown() override {
        session.reset();
        if (controller) controller->stop();
        qunsetenv("LIVRA_WORKDIR");
    }
    // A controller of our own, reached through --port.
    void startWith(VirtualControllerOptions o) {
        controller = std::make_unique<VirtualController>(std::move(o));
        const std::string pty = controller->start();
        ASSERT_FALSE(pty.empty()) << controller->error();
        StartOptions s;
        s.port = pty;
        session = std::make_unique<Session>(s);
        ASSERT_TRUE(session->start());
        named<QTabWidget>(session->window(), "tabs")->setCurrentIndex(MainWindow::TabLink);
    }
    void click(const char* name) {
        auto* b = session->window().findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

TEST_F(LinkTab, ClockButtonsFillBothFields) {
    VirtualControllerOptions o;
    o.clock = ClockRecord{5, 4, 21, 2, 8, 12, 26};
    startWith(o);
    MainWindow& w = session->window();
    click("readClockButton");
    EXPECT_TRUE(named<QLineEdit>(w, "controllerTime")->text().startsWith("Вт. 08.12.2026  21:04:")) << named<QLineEdit>(w, "controllerTime")->text().toStdString();
    EXPECT_FALSE(named<QLineEdit>(w, "computerTime")->text().isEmpty());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.dialogs().exchangeWindow(), nullptr);

    ModalScript script;
    script.answer("Ок");
    click("syncClockButton");
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Внимание");
    EXPECT_EQ(script.boxes[0].text, "Время синхронизировано");
    // The controller now runs on the computer's clock.
    EXPECT_EQ(named<QLineEdit>(w, "controllerTime")->text().left(14), named<QLineEdit>(w, "computerTime")->text().left(14));
}

TEST_F(LinkTab, JournalButtonFillsTheListNewestFirst) {
    VirtualControllerOptions o;
    o.journal = {
        JournalRecord{1, 2, 3, 4, 5, 26, 9, 0, 0},
        JournalRecord{10, 20, 6, 7, 12, 26, 6, 12, 3},
        JournalRecord{0, 0, 0, 0, 0, 0, 2, 0, 0},
    };
    o.newestRecord = 3;
    startWith(o);
    MainWindow& w = session->window();
    click("journalButton");
    QTreeWidget* list = named<QTreeWidget>(w, "journalList");
    // The controller logged its own start as record 4.
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(0)->text(3), "Нормальный запуск ДК");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "??.??.????  ??:??:??");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "Часы не отвечают");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "07.12.2026  06:20:10");
    EXPECT_EQ(list->topLevelItem(2)->text(1), "12");
    EXPECT_EQ(list->topLevelItem(2)->text(2), "3");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "Нет нагрузки");
    EXPECT_EQ(list->topLevelItem(3)->text(0), "04.05.2026  03:02:01");

    // "Сохранить в файл" writes the list through the journal dialog.
    ModalScript script;
    script.chooseFile(QString::fromStdString(pathToUtf8(dir / "journal")));
    click("saveJournalButton");
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.dialogTitles, QStringList{"Сохранить журнал"});
    EXPECT_TRUE(std::filesystem::exists(dir / "journal.txt"));
}

TEST_F(LinkTab, InfoWriteAndReadBack) {
    startWith({});
    MainWindow& w = session->window();
    {
        ModalScript script;
        QString title, text;
        script.act([&](QWidget* shown) {
            auto* box = qobject_cast<QMessageBox*>(shown);
            if (!box) return false;
            title = box->windowTitle();
            text = box->text();
            EXPECT_TRUE(box->grab().save(screenshotPath("controller_info.png")));
            box->buttons().front()->click();
            return true;
        });
        click("infoButton");
        ASSERT_TRUE(script.done());
        EXPECT_EQ(title, "Информация о ДК");
        // Names and values in two columns, not dots in a proportional font.
        EXPECT_TRUE(text.startsWith("<table")) << text.toStdString();
        EXPECT_TRUE(text.contains("<td>Класс совместимости</td><td width=\"16\"></td><td><b>2</b>"));
        EXPECT_FALSE(text.contains(".."));
    }
    {
        // An invalid configuration is not written.
        ModalScript script;
        script.answer("Ок");
        click("writeButton");
        ASSERT_TRUE(script.done());
        EXPECT_TRUE(script.boxes[0].text.startsWith("Запись в ДК невозможна."));
        EXPECT_EQ(controller->configurationsApplied(), 0);
    }
    // A valid one goes there and comes back unchanged.
    const auto sample = livra::test::sampleConfiguration();
    Configuration& c = session->configuration();
    livra::test::useSampleTablesForTheLink(c);
    c.Modified = 0;
    click("writeButton");
    EXPECT_EQ(named<QListWidget>(w, "errorList")->item(0)->text().toStdString().rfind("Ошибок не обнаружено", 0), 0u);
    EXPECT_TRUE(w.isEnabled());

    c.TactTable[3][0].tMain = 99;
    c.Modified = 0;
    click("readButton");
    EXPECT_EQ(c.TactTable[3][0].tMain, sample->TactTable[3][0].tMain);
    EXPECT_EQ(c.DirectionKind, sample->DirectionKind);
    // No project was named: the title stays as at start.
    EXPECT_EQ(w.windowTitle(), "Конфигуратор ДК 'Ливра'");

    // Unsaved work saved on the way ("Да", then the save dialog) names the
    // project, and the title follows.
    c.Modified = 1;
    ModalScript script;
    script.answer("Да");
    script.chooseFile(QString::fromStdString(pathToUtf8(dir / "kept")));
    click("readButton");
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].title, "Читать из ДК");
    EXPECT_EQ(script.boxes[0].text,
              "Считанная программа из ДК полностью сотрет текущею\nСохранить текущею программу в файл?");
    EXPECT_EQ(script.boxes[0].icon, QMessageBox::Question);
    EXPECT_EQ(script.dialogTitles, QStringList{"Сохранить"});
    EXPECT_TRUE(std::filesystem::exists(dir / "kept.ptm"));
    EXPECT_EQ(w.windowTitle(), "Конфигуратор ДК 'Ливра'  -  kept.ptm");
    EXPECT_EQ(c.Modified, 1) << "what was read is not what kept.ptm holds";
}

TEST_F(LinkTab, CancelStopsALongWriteWhileTheAnimationRuns) {
    VirtualControllerOptions o;
    o.lineRate = 9600;  // as slow as a real cable: the write takes seconds
    startWith(o);
    MainWindow& w = session->window();
    Configuration& c = session->configuration();
    auto sample = livra::test::sampleConfiguration();
    c.TactTable = sample->TactTable;
    c.TactSignals = sample->TactSignals;
    c.DirectionKind = sample->DirectionKind;
    c.DirectionChannels = sample->DirectionChannels;
    c.Calendar = sample->Calendar;
    livra::test::switchSafetyRulesOff(c);  // the cancel is under test, not the program

    // Press "Отмена" once some bytes went and the animation moved on.
    std::set<int> frames;
    bool mainDisabled = false;
    std::size_t doneAtCancel = 0, total = 0;
    QTimer watcher;
    watcher.setInterval(1);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        ExchangeWindow* x = w.dialogs().exchangeWindow();
        if (!x || doneAtCancel) return;
        frames.insert(x->frame());
        mainDisabled = !w.isEnabled();
        if (x->progressDone() > 0 && frames.size() > 1) {
            doneAtCancel = x->progressDone();
            total = x->progressTotal();
            QTest::mouseClick(x->cancelButton(), Qt::LeftButton);
        }
    });
    watcher.start();
    ModalScript script;
    script.answer("Ок");
    click("writeButton");
    watcher.stop();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(script.boxes[0].text, "Выполнить команду не удалось!!!\nОперация прервана пользователем");
    EXPECT_TRUE(mainDisabled);
    EXPECT_GT(doneAtCancel, 0u);
    EXPECT_LT(doneAtCancel, total);
    EXPECT_EQ(controller->configurationsApplied(), 0);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.dialogs().exchangeWindow(), nullptr);
}

TEST_F(LinkTab, VirtualControllerOfTheCommandLine) {
    StartOptions s;
    s.virtualController = true;
    session = std::make_unique<Session>(s);
    ASSERT_TRUE(session->start());
    EXPECT_FALSE(session->controllerPort().empty());
    click("readClockButton");
    EXPECT_FALSE(named<QLineEdit>(session->window(), "controllerTime")->text().isEmpty());
}

}  // namespace
