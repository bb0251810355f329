// "Паспорт объекта…" driven as a user drives it: typed into, refused where a
// field may not stand, stored as one undoable edit, and the names then shown
// where the engineer works (the program box, the calendar).
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/passport/passport_dialog.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using namespace livra::uitest;

namespace {

// Typed key by key; Cyrillic letters go as the text of their key events
// (QTest::keyClicks takes ASCII only).
void typeInto(QLineEdit* e, const QString& text) {
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

TEST(PassportDialog, TypedFieldsAndNamesAreStoredAsOneEditAndShown) {
    auto c = test::sampleConfiguration();
    MainWindow w(*c, nullptr);
    w.configurationReplaced();
    w.show();
    c->Modified = 0;
    QAction* item = w.menuAction(MenuPassport);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "Паспорт объекта…");

    ModalScript script;
    QString refusal;
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<PassportDialog*>(m);
        if (!d) return false;
        EXPECT_EQ(d->windowTitle(), "Паспорт объекта");
        typeInto(named<QLineEdit>(*d, "passportName"), "Перекрёсток ул. Ленина — ул. Мира");
        typeInto(named<QLineEdit>(*d, "passportPrepared"), "Иванов И. И.");
        typeInto(named<QLineEdit>(*d, "passportRevisionDate"), "30.02.2026");
        auto* programs = named<QTableWidget>(*d, "passportPrograms");
        EXPECT_EQ(programs->rowCount(), 16);
        programs->item(3, 1)->setText("Утро");
        auto* directions = named<QTableWidget>(*d, "passportDirections");
        EXPECT_EQ(directions->rowCount(), 2);  // the used directions only
        EXPECT_EQ(directions->item(1, 0)->text(), "2 Пешеходный");
        directions->item(0, 1)->setText("ул. Ленина, прямо");
        // A day that does not exist: the dialog stays and says why.
        QTest::mouseClick(named<QPushButton>(*d, "okButton"), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        refusal = named<QLabel>(*d, "passportProblem")->text();
        typeInto(named<QLineEdit>(*d, "passportRevisionDate"), "28.02.2026");
        EXPECT_TRUE(d->grab().save(screenshotPath("passport_dialog.png")));
        QTest::mouseClick(named<QPushButton>(*d, "okButton"), Qt::LeftButton);
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(refusal.toStdString(), std::string("Дата редакции: ") + kRevisionDateProblem);
    EXPECT_EQ(c->Safety.object.name, "Перекрёсток ул. Ленина — ул. Мира");
    EXPECT_EQ(c->Safety.object.prepared, "Иванов И. И.");
    EXPECT_EQ(c->Safety.object.revisionDate, "28.02.2026");
    EXPECT_EQ(c->Safety.object.programNames[3], "Утро");
    EXPECT_EQ(c->Safety.object.directionNames[0], "ул. Ленина, прямо");
    EXPECT_EQ(c->Modified, 1);

    // The names where the engineer works.
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
    w.refreshPass();
    EXPECT_EQ(named<QLabel>(w, "programName")->text(), "Утро");
    auto* calendar = named<QTableWidget>(w, "calendarList");
    ASSERT_EQ(calendar->columnCount(), 3);
    named<QTabWidget>(w, "tabs")->setCurrentIndex(MainWindow::TabDirections);
    w.refreshPass();
    EXPECT_EQ(calendar->item(0, 2)->text(), "Утро");

    // "Отмена" keeps everything; one undo step takes the edit back.
    script.act([&](QWidget* m) {
        auto* d = qobject_cast<PassportDialog*>(m);
        if (!d) return false;
        typeInto(named<QLineEdit>(*d, "passportName"), "другое");
        QTest::mouseClick(named<QPushButton>(*d, "cancelButton"), Qt::LeftButton);
        return true;
    });
    item->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(c->Safety.object.name, "Перекрёсток ул. Ленина — ул. Мира");
    w.stepHistory(true);
    EXPECT_TRUE(c->Safety.object.empty());
    w.stepHistory(false);
    EXPECT_EQ(c->Safety.object.programNames[3], "Утро");
}

}  // namespace
