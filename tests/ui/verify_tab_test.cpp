// "Сравнить с ДК" and "Проверить после записи" clicked as a user clicks them,
// against a virtual controller on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "emulator/virtual_controller.h"
#include "image/image.h"
#include "model/files.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/session.h"

using namespace livra;
using namespace livra::ui;

namespace {

QStringList listLines(MainWindow& w) {
    QStringList out;
    for (int i = 0; i < named<QListWidget>(w, "errorList")->count(); ++i) out << named<QListWidget>(w, "errorList")->item(i)->text();
    return out;
}

void click(MainWindow& w, const char* name) {
    auto* b = w.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

TEST(VerifyTab, CompareListsTheDifferencesAndLeavesTheProjectAlone) {
    livra::test::TempDir dir;
    qputenv("LIVRA_WORKDIR", QByteArray::fromStdString(pathToUtf8(dir.path())));
    VirtualControllerOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    VirtualController controller(o);
    StartOptions s;
    s.port = controller.start();
    ASSERT_FALSE(s.port.empty()) << controller.error();
    {
        Session session(s);
        ASSERT_TRUE(session.start());
        MainWindow& w = session.window();
        named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabLink);
        Configuration& c = session.configuration();
        livra::test::useSampleTablesForTheLink(c);

        // The option is on from the start: the write is checked by a read-back.
        auto* verify = w.findChild<QCheckBox*>("verifyAfterWrite");
        ASSERT_NE(verify, nullptr);
        EXPECT_TRUE(verify->isChecked());
        EXPECT_EQ(verify->text(), "Проверить после записи");
        click(w, "writeButton");
        EXPECT_EQ(listLines(w).last(), "Конфигурация в ДК совпадает с проектом");
        EXPECT_EQ(controller.configurationsApplied(), 1);
        // The verdict follows the size report and is kept in view.
        QListWidget* list = named<QListWidget>(w, "errorList");
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(list->count() - 1))));
        const Bytes written = livra::test::readBytes(dir / imagePart(PartPrograms).fileName);

        // One signal changed in the open project, which is not marked modified.
        c.TactSignals[3][2][1] = SignalGreen;
        c.Modified = 0;
        const auto before = std::make_unique<Configuration>(c);
        click(w, "compareButton");
        EXPECT_EQ(listLines(w), QStringList{"Программа 4, такт 3: напр. 2 зелёный → красный"});
        EXPECT_TRUE(c.sameTables(*before));
        EXPECT_EQ(c.Modified, 0);
        EXPECT_EQ(w.windowTitle(), "Конфигуратор ДК 'Ливра'");
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(w.dialogs().exchangeWindow(), nullptr);
        // The working folder keeps the part files of the write.
        EXPECT_EQ(livra::test::readBytes(dir / imagePart(PartPrograms).fileName), written);
        const QString shots = LIVRA_SCREENSHOT_DIR;
        QDir().mkpath(shots);
        EXPECT_TRUE(w.grab().save(shots + "/link_compare.png"));

        // Without the option the write says nothing more than the size report.
        click(w, "verifyAfterWrite");
        EXPECT_FALSE(verify->isChecked());
        click(w, "writeButton");
        EXPECT_TRUE(named<QLabel>(w, "statusLine")->text().startsWith("Конфигурация записана в ДК ("))
            << named<QLabel>(w, "statusLine")->text().toStdString();
        EXPECT_FALSE(listLines(w).filter(QRegularExpression("^Итого ")).isEmpty());
        EXPECT_EQ(controller.configurationsApplied(), 2);
        click(w, "compareButton");
        EXPECT_EQ(listLines(w), QStringList{"Конфигурация в ДК совпадает с проектом"});
    }
    controller.stop();
    qunsetenv("LIVRA_WORKDIR");
}

}  // namespace
