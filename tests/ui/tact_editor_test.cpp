// The tact grid clicked as a user clicks it: the header band opens the tact
// properties, a cell opens the signal choice its kinds allow, TactMenu
// inserts, deletes and clears. Screenshots go to LIVRA_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "edit/fixed_programs.h"
#include "edit/tact_edit.h"
#include "pictures/pictures.h"
#include "support/test_support.h"
#include "window_parts.h"
#include "ui/tacts/picture_button.h"
#include "ui/tacts/signal_choice_dialog.h"
#include "ui/tacts/tact_properties_dialog.h"
#include "tact_grid_helpers.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::uitest::ModalScript;

namespace {

QString shotPath(const QString& name) {
    const QString out = LIVRA_SCREENSHOT_DIR;
    QDir().mkpath(out);
    return out + "/" + name;
}

// Directions: vehicle, pedestrian, extra red, yellow, green sections, two
// trams, the two call inputs. Program 4: Фаза, Промтакт, Фаза, ТВП1, ТВП2.
std::unique_ptr<Configuration> crossing() {
    auto c = test::newConfiguration();
    const uint8_t kinds[] = {DirVehicle, DirPedestrian, DirExtraRed, DirExtraYellow, DirExtraGreen, DirTram1};
    int d = 0;
    for (uint8_t k : kinds) {
        test::addDirection(*c, d, k);
        d += k == DirTram1 ? 3 : 1;
    }
    test::addDirection(*c, 8, DirTram1);
    test::addDirection(*c, 11, DirTvp1);
    test::addDirection(*c, 12, DirTvp2);
    const uint8_t phase1[] = {3, 1, 7, 7, 3, 3, 1, 1, 1, 3, 1};
    const uint8_t inter[] = {2, 1, 1, 4, 5, 1, 1, 1, 1, 1, 1};
    const uint8_t phase2[] = {1, 3, 1, 7, 7, 1, 3, 1, 1, 1, 3};
    const uint8_t call[] = {1, 3, 1, 7, 7, 1, 1, 1, 1, 1, 1};
    test::addTact(*c, 3, TactPhase, 20, 10);
    test::addTact(*c, 3, TactIntermediate, 3);
    test::addTact(*c, 3, TactPhase, 15, 5);
    test::addTact(*c, 3, TactTvp1, 12);
    test::addTact(*c, 3, TactTvp2, 8);
    for (int dd = 0; dd < 11; ++dd) {
        c->TactSignals[3][0][dd] = phase1[dd];
        c->TactSignals[3][1][dd] = inter[dd];
        c->TactSignals[3][2][dd] = phase2[dd];
        c->TactSignals[3][3][dd] = call[dd];
        c->TactSignals[3][4][dd] = call[dd];
    }
    c->TactSignals[3][3][11] = SignalRed;
    c->TactSignals[3][4][12] = SignalOff;
    return c;
}

// Answers every message box with "Ок" and keeps what it showed. It has a
// timer of its own, so it also serves boxes that open while a ModalScript
// step is still running (a timer does not fire inside its own slot).
class BoxAnswerer {
public:
    BoxAnswerer() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            boxes.push_back({box->windowTitle(), box->text(), box->icon(), {}});
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "Ок") b->click();
        });
        timer_.start();
    }
    std::vector<livra::uitest::SeenBox> boxes;

private:
    QTimer timer_;
};

class TactEditorTest : public ::testing::Test {
protected:
    std::unique_ptr<Configuration> c = crossing();
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        w = std::make_unique<MainWindow>(*c, nullptr);
        w->show();
        named<QTabWidget>(*w, "tabs")->setCurrentIndex(MainWindow::TabPrograms);
        w->refreshPass();
    }
    QPoint cell(int tact, int direction) { return livra::uitest::tactCell(*w, tact, direction); }
    QPoint header(int tact) { return livra::uitest::tactHeader(*w, tact); }
    void click(QPoint at, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(named<ui::CanvasView>(*w, "tactCanvas"), b, {}, at); }
    QColor pixel(QPoint at) { return named<ui::CanvasView>(*w, "tactCanvas")->image().pixelColor(at); }
    // Picks item `index` of the pop-up menu that the next action opens.
    static void chooseMenuItem(int index) {
        QTimer::singleShot(0, [index] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i <= index; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
    }
    // For clicks that must show no menu: closes one if it appears anyway.
    static void refuseMenu(bool& shown) {
        shown = false;
        QTimer::singleShot(0, [&shown] {
            if (QWidget* menu = QApplication::activePopupWidget()) {
                shown = true;
                menu->close();
            }
        });
    }
};

TEST_F(TactEditorTest, GridShowsSignalsLabelsAndMarks) {
    // Tram ordinals, pink call-input cells outside their own tacts, grey
    // beyond the table and for codes no table knows.
    EXPECT_EQ(c->TactSignals[3][0][11], SignalNotApplicable);
    EXPECT_EQ(c->TactSignals[3][3][11], SignalRed);
    EXPECT_EQ(c->TactSignals[3][3][12], SignalNotApplicable);
    EXPECT_EQ(pixel(cell(0, 0)), QColor(0, 255, 0));
    EXPECT_EQ(pixel(cell(1, 0)), QColor(255, 242, 0));
    EXPECT_EQ(pixel(cell(0, 11)), QColor(255, 198, 197));
    EXPECT_EQ(pixel(cell(5, 0)), QColor(Qt::white));
    EXPECT_TRUE(named<ui::CanvasView>(*w, "tactCanvas")->image().save(shotPath("tact_grid.png")));
    // Both trams and both call inputs in view.
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(4);
    w->refreshPass();
    EXPECT_EQ(pixel(cell(3, 11)), QColor(255, 0, 0));
    EXPECT_EQ(pixel(cell(4, 11)), QColor(255, 198, 197));
    EXPECT_TRUE(w->grab().save(shotPath("tact_grid_window.png")));
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(0);

    c->TactSignals[3][5][0] = 42;  // a damaged file
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(60);
    named<QScrollBar>(*w, "tactScroll")->setValue(310);
    w->refreshPass();
    EXPECT_EQ(pixel(cell(315, 62)), QColor(Qt::white));
    EXPECT_EQ(pixel({63 * 12 + 31, 33 * 6 + 16}), QColor(153, 153, 153));  // direction 64
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(0);
    named<QScrollBar>(*w, "tactScroll")->setValue(0);
    w->refreshPass();
    EXPECT_EQ(pixel(cell(5, 0)), QColor(153, 153, 153));
}

TEST_F(TactEditorTest, HeaderClickOpensTheTactDialogAndChecksTheTimes) {
    // Scrolled down: the band still opens the tact dialog, never a signal one.
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(5);
    ModalScript script;
    QString title;
    QSize size;
    bool minEnabled = true;
    int kindIndex = -2;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<TactPropertiesDialog*>(widget);
        if (!d) return false;
        title = d->windowTitle();
        size = d->size();
        kindIndex = d->kindBox()->currentIndex();
        minEnabled = d->minField()->isEnabled() || d->minLabel()->isEnabled();
        EXPECT_TRUE(d->grab().save(shotPath("tact_dialog_intermediate.png")));
        // Фаза: "Т мин" comes alive; 5 > 3 is refused, then 0 and 0 twice.
        d->kindBox()->setCurrentIndex(0);
        EXPECT_TRUE(d->minField()->isEnabled());
        d->minField()->clear();
        QTest::keyClicks(d->minField(), "5");
        d->mainField()->clear();
        QTest::keyClicks(d->mainField(), "3");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        d->minField()->clear();
        d->mainField()->clear();
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(c->TactTable[3][1].kind, TactIntermediate);  // nothing stored yet
        // Ten digits do not fit: the field keeps nine.
        QTest::keyClicks(d->mainField(), "4294967301");
        EXPECT_EQ(d->mainField()->text(), "429496730");
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        d->mainField()->clear();
        QTest::keyClicks(d->mainField(), "2x5");
        QTest::keyClicks(d->minField(), "4");
        EXPECT_TRUE(d->grab().save(shotPath("tact_dialog_phase.png")));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    BoxAnswerer answerer;
    click(header(1));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(title, QString("Свойства такт") + QChar('a') + "№2");
    EXPECT_EQ(size, QSize(260, 97));
    EXPECT_EQ(kindIndex, 1);
    EXPECT_FALSE(minEnabled);
    QStringList texts;
    for (const auto& b : answerer.boxes) {
        EXPECT_EQ(b.title, "Ошибка !");
        EXPECT_EQ(b.icon, QMessageBox::Warning);
        texts << b.text;
    }
    EXPECT_EQ(texts, (QStringList{"Т мин. не может быть больше Т осн\n", "Т осн. не может быть 0 сек\n",
                                  "Т мин. не может быть 0 сек\n", "Т осн. не может превышать 255 сек\n",
                                  "Т мин. не может быть 0 сек\n"}));
    // Stored: a phase of 25 s, 4 s minimum; the kind changed, signals cleared.
    EXPECT_EQ(c->CurrentTact, 1);
    EXPECT_EQ(c->TactTable[3][1].kind, TactPhase);
    EXPECT_EQ(c->TactTable[3][1].tMain, 25);
    EXPECT_EQ(c->TactTable[3][1].tMin, 4);
    EXPECT_EQ(c->TactSignals[3][1][0], SignalNotSet);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(TactEditorTest, TactDialogCancelAndFixedProgramsOpenNothingElse) {
    ModalScript script;
    QPoint corner, expected;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<TactPropertiesDialog*>(widget);
        if (!d) return false;
        EXPECT_EQ(d->windowTitle(), QString("Свойства такт") + QChar('a') + "№1");
        EXPECT_EQ(d->kindBox()->currentIndex(), 0);
        EXPECT_TRUE(d->minField()->isEnabled());
        EXPECT_EQ(d->minField()->text(), "10");
        EXPECT_EQ(d->mainField()->text(), "20");
        d->mainField()->setText("77");
        corner = d->pos();
        const QPoint mouse = named<ui::CanvasView>(*w, "tactCanvas")->mapToGlobal(header(0));
        expected = placeOnScreen(mouse - QPoint(130, 47), d->size(), mouse);
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    click(header(0));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(corner, expected);
    EXPECT_EQ(c->TactTable[3][0].tMain, 20);
    EXPECT_EQ(c->Modified, 1);  // "Отмена" counts as an edit

    // Fixed programs: no dialog and no menu (an unexpected window would fail
    // the script); empty tacts and call inputs elsewhere: no signal dialog.
    c->Modified = 0;
    buildFixedPrograms(*c);
    named<QComboBox>(*w, "programBox")->setCurrentIndex(1);
    click(header(0));
    bool menuShown = true;
    refuseMenu(menuShown);
    click(header(0), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_FALSE(menuShown);
    click(cell(0, 0));
    EXPECT_EQ(w->editors().popups().context(), PopupNone);
    named<QComboBox>(*w, "programBox")->setCurrentIndex(3);
    click(cell(6, 0));    // empty tact
    click(cell(0, 11));   // ТВП1 input in a phase
    click(cell(3, 12));   // ТВП2 input in a ТВП1 tact
    // A user program's cell answers the right button with the cells' menu,
    // not the signal dialog.
    refuseMenu(menuShown);
    click(cell(0, 0), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_TRUE(menuShown);
    c->DirectionKind[2] = 3;  // a kind no table knows
    click(cell(0, 2));
    c->TactTable[3][2].kind = 9;  // a tact kind no table knows
    click(cell(2, 0));
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_EQ(c->Modified, 0);
}

TEST_F(TactEditorTest, CellsOpenTheVariantTheirKindsAllowAndButtonsWriteCodes) {
    struct Case { int tact, direction; char variant; QStringList codes; int press; };
    const QStringList six = {"signal_1", "signal_2", "signal_3", "signal_6", "signal_4", "signal_5"};
    const Case cases[] = {
        {1, 0, 'A', six, 6},
        {0, 0, 'B', {"signal_1", "signal_3"}, 1},
        {1, 1, 'C', {"signal_1", "signal_3", "signal_5"}, 5},
        {0, 2, 'D', {"signal_1", "signal_7"}, 1},
        {2, 4, 'E', {"signal_3", "signal_5", "signal_7"}, 5},
        {2, 3, 'F', {"signal_2", "signal_4", "signal_7"}, 4},
        {1, 9, 'G', {"signal_1", "signal_3"}, 3},
        {3, 11, 'D', {"signal_1", "signal_7"}, 7},  // ТВП1 input in its own tact
    };
    const QSize sizes[] = {{441, 96}, {161, 96}, {231, 92}, {161, 96}, {231, 92}, {231, 92}, {161, 92}, {161, 96}};
    int i = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << k.variant << " tact " << k.tact << " dir " << k.direction);
        ModalScript script;
        QStringList names;
        QString title;
        QSize size;
        QPoint cancelAt;
        script.act([&](QWidget* widget) {
            auto* d = qobject_cast<SignalChoiceDialog*>(widget);
            if (!d) return false;
            title = d->windowTitle();
            size = d->size();
            cancelAt = d->cancelButton()->pos();
            for (PictureButton* b : d->pictureButtons()) names << b->objectName();
            EXPECT_TRUE(d->grab().save(shotPath(QString("signal_dialog_%1.png").arg(k.variant))));
            for (PictureButton* b : d->pictureButtons())
                if (b->objectName() == QString("signal_%1").arg(k.press)) QTest::mouseClick(b, Qt::LeftButton);
            return true;
        });
        c->Modified = 0;
        click(cell(k.tact, k.direction));
        ASSERT_TRUE(script.done());
        EXPECT_EQ(names, k.codes);
        EXPECT_EQ(size, sizes[i++]);
        EXPECT_EQ(title, QString("Напр.№%1  Такт№%2").arg(k.direction + 1).arg(k.tact + 1));
        EXPECT_EQ(c->CurrentTact, k.tact);
        EXPECT_EQ(c->CurrentDirection, k.direction);
        EXPECT_EQ(c->TactSignals[3][k.tact][k.direction], k.press);
        EXPECT_EQ(c->Modified, 1);
        // Redrawn at once, without waiting for the refresh.
        EXPECT_EQ(pixel(cell(k.tact, k.direction) - QPoint(25, 12)),
                  pictures::builtInPictures().signalCell[k.press].pixelColor(6, 4));
    }

    // "Отмена" stores nothing.
    ModalScript script;
    script.act([&](QWidget* widget) {
        auto* d = qobject_cast<SignalChoiceDialog*>(widget);
        if (!d) return false;
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    click(cell(0, 0));
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->TactSignals[3][0][0], SignalRed);
}

TEST_F(TactEditorTest, TactMenuInsertsDeletesAndClears) {
    const auto before = *c;
    // "Вставить до" on tact 2: the second phase moves to tact 3.
    chooseMenuItem(0);
    click(header(1), Qt::RightButton);
    EXPECT_EQ(w->editors().popups().context(), PopupTacts);
    EXPECT_EQ(c->CurrentTact, 1);
    EXPECT_EQ(c->TactTable[3][1].kind, TactEmpty);
    EXPECT_EQ(c->TactTable[3][2].kind, TactIntermediate);
    EXPECT_EQ(c->TactSignals[3][2], before.TactSignals[3][1]);
    EXPECT_EQ(pixel(cell(1, 0)), QColor(Qt::white));  // redrawn
    // "Удалить" takes it away again.
    chooseMenuItem(2);
    click(header(1), Qt::RightButton);
    EXPECT_EQ(c->TactTable[3][1].kind, TactIntermediate);
    // "Вставить после" tact 5.
    chooseMenuItem(1);
    click(header(4), Qt::RightButton);
    EXPECT_EQ(c->TactTable[3][4].kind, TactTvp2);
    EXPECT_EQ(c->TactTable[3][5].kind, TactEmpty);
    // "Отмена" does nothing.
    c->Modified = 0;
    chooseMenuItem(4);
    click(header(0), Qt::RightButton);
    EXPECT_EQ(c->Modified, 0);

    // "Удалить все": "Нет" keeps the program, "Да" empties it.
    ModalScript script;
    script.answer("Нет");
    chooseMenuItem(3);
    click(header(0), Qt::RightButton);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(c->TactTable[3][0].kind, TactPhase);
    script.answer("Да");
    chooseMenuItem(3);
    click(header(0), Qt::RightButton);
    ASSERT_TRUE(script.done());
    ASSERT_EQ(script.boxes.size(), 2u);
    EXPECT_EQ(script.boxes[0].title, "Внимание");
    EXPECT_EQ(script.boxes[0].text, "Вся страница будет очищена, кроме направлений.\nВыполнить?");
    EXPECT_EQ(script.boxes[0].buttons, (QStringList{"Да", "Нет"}));
    EXPECT_EQ(c->TactTable[3][0].kind, TactEmpty);
    EXPECT_EQ(c->DirectionKind[0], DirVehicle);
}

TEST_F(TactEditorTest, AFullTableShowsTheBoxAndChangesNothing) {
    for (int t = 0; t < TactCount; ++t) c->TactTable[3][t] = Tact{TactPhase, 1, 2, 0, 0};
    w->configurationReplaced();
    const auto before = *c;
    ModalScript script;
    script.answer("Ок");
    script.answer("Ок");
    chooseMenuItem(0);
    click(header(3), Qt::RightButton);
    chooseMenuItem(1);
    click(header(3), Qt::RightButton);
    ASSERT_TRUE(script.done());
    ASSERT_EQ(script.boxes.size(), 2u);
    for (const auto& b : script.boxes) {
        EXPECT_EQ(b.title, "Внимание !");
        EXPECT_EQ(b.text, "Таблица переполнена. Для вставки нет места\n");
        EXPECT_EQ(b.icon, QMessageBox::Warning);
    }
    EXPECT_TRUE(c->sameTables(before));
}

TEST_F(TactEditorTest, DirectionColumnReachesTheDirectionsEditor) {
    // A used row: DirectionMenu at the mouse, for that direction.
    chooseMenuItem(2);  // "Отмена"
    QTest::mouseClick(named<ui::CanvasView>(*w, "tactCanvas"), Qt::RightButton, {}, QPoint(10, 33 * 5 + 10));
    EXPECT_EQ(w->editors().popups().context(), PopupDirections);
    EXPECT_EQ(c->CurrentDirection, 2);
    // The first free row opens the directions dialog for that row.
    named<QScrollBar>(*w, "tactDirectionScroll")->setValue(13);
    QString dialogTitle;
    QTimer::singleShot(0, [&dialogTitle] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogTitle = dialog->windowTitle();
            dialog->close();
        }
    });
    QTest::mouseClick(named<ui::CanvasView>(*w, "tactCanvas"), Qt::LeftButton, {}, QPoint(10, 33 * 3 + 10));
    EXPECT_EQ(dialogTitle, "Направления");
    EXPECT_EQ(c->CurrentDirection, 13);
    // A free row below it sets the direction but shows no menu.
    bool menuShown = true;
    refuseMenu(menuShown);
    QTest::mouseClick(named<ui::CanvasView>(*w, "tactCanvas"), Qt::RightButton, {}, QPoint(10, 33 * 4 + 10));
    QApplication::processEvents();
    EXPECT_FALSE(menuShown);
    EXPECT_EQ(c->CurrentDirection, 14);
}

}  // namespace
