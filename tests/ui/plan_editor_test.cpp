// The plan editor on the real simulator window: synthetic mouse and wheel
// events on the plan surface, the real pop-up menus clicked, the file dialogs
// and boxes answered as a user would.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "model/project_file.h"
#include "plan/plan_view.h"
#include "sim/sim_control.h"
#include "support/png_fixtures.h"
#include "support/test_support.h"
#include "ui/plan/plan_editor.h"
#include "ui/simulator/simulator_window.h"
#include "ui_helpers.h"

using namespace livra;
using namespace livra::ui;
using livra::test::TempDir;
using livra::uitest::ModalScript;

namespace {

// An intersection drawn for the tests: two roads, kerbs, zebra crossings.
QImage crossingPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(120, 170, 90));
    QPainter p(&img);
    p.fillRect(QRectF(w * 0.35, 0, w * 0.3, h), QColor(90, 90, 95));
    p.fillRect(QRectF(0, h * 0.35, w, h * 0.3), QColor(90, 90, 95));
    p.setPen(QPen(Qt::white, w / 250.0, Qt::DashLine));
    p.drawLine(QPointF(w * 0.5, 0), QPointF(w * 0.5, h * 0.35));
    p.drawLine(QPointF(w * 0.5, h * 0.65), QPointF(w * 0.5, h));
    p.drawLine(QPointF(0, h * 0.5), QPointF(w * 0.35, h * 0.5));
    p.drawLine(QPointF(w * 0.65, h * 0.5), QPointF(w, h * 0.5));
    for (int i = 0; i < 8; ++i) {
        const qreal s = w * 0.3 / 8;
        p.fillRect(QRectF(w * 0.35 + i * s + s * 0.2, h * 0.28, s * 0.6, h * 0.06), Qt::white);
        p.fillRect(QRectF(w * 0.35 + i * s + s * 0.2, h * 0.66, s * 0.6, h * 0.06), Qt::white);
    }
    return img;
}

QStringList texts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator()) out << a->text();
    return out;
}

QAction* actionNamed(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text) return a;
    ADD_FAILURE() << "no item " << text.toStdString() << " in " << texts(menu).join(", ").toStdString();
    return nullptr;
}

// Clicks down a path of items of a shown menu; submenus open on their click.
void pick(QMenu* menu, const QStringList& path) {
    for (const QString& text : path) {
        ASSERT_TRUE(menu && menu->isVisible()) << text.toStdString();
        QAction* a = actionNamed(menu, text);
        ASSERT_NE(a, nullptr);
        const QPoint at = menu->actionGeometry(a).center();
        QTest::mouseMove(menu, at);
        QTest::mouseClick(menu, Qt::LeftButton, {}, at);
        if (QMenu* sub = a->menu()) {
            if (!sub->isVisible()) QTest::keyClick(menu, Qt::Key_Right);
            menu = sub;
        }
    }
}

class PlanEditorTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Configuration> c = test::sampleConfiguration();  // 1 vehicle, 2 pedestrian
    SimulatorMemory memory;
    std::unique_ptr<SimulatorWindow> w;
    PlanEditor* editor = nullptr;  // the window's own

    void SetUp() override {
        c->ProgramDir = pathToUtf8(dir.path()) + "/";
        test::addDirection(*c, 2, DirTram1);
        open();
    }
    void TearDown() override { close(); }
    void open() {
        w = std::make_unique<SimulatorWindow>(*c, memory);
        editor = w->findChild<PlanEditor*>("planEditor");
        ASSERT_NE(editor, nullptr);
        // Shown without exec() and without its modality, so that the scripted
        // boxes and dialogs are the only modal windows.
        w->setWindowModality(Qt::NonModal);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void close() {
        if (!w) return;
        editor = nullptr;
        QTest::mouseClick(w->closeButton(), Qt::LeftButton);
        w.reset();
    }
    PlanSurface& surface() { return w->planSurface(); }
    Plan& plan() { return w->plan(); }
    QString at(const std::string& name) { return QString::fromStdString(pathToUtf8(dir / name)); }

    void hover(QPoint p) { QTest::mouseMove(&surface(), p); }
    void rightClick(QPoint p) {
        QTest::mouseMove(&surface(), p);
        QTest::mouseClick(&surface(), Qt::RightButton, {}, p);
    }
    void wheel(QPoint p, int delta, Qt::KeyboardModifiers mods = {}) {
        QWheelEvent e(QPointF(p), QPointF(surface().mapToGlobal(p)), {}, QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(&surface(), &e);
    }
    // Right-click on empty plan and a mount item: the new head's id.
    int32_t mountAt(QPoint p, const QString& item) {
        rightClick(p);
        EXPECT_TRUE(editor->planMenu()->isVisible());
        const std::size_t before = plan().planObjects.size();
        pick(editor->planMenu(), {"Смонтировать объект", item});
        EXPECT_EQ(plan().planObjects.size(), before + 2) << item.toStdString();
        return plan().planObjects.size() > before ? plan().planObjects[before].id : 0;
    }
    QRgb pixel(QPoint p) { return surface().renderToImage().pixel(p); }
    void saveShot(const QString& name, const std::vector<QMenu*>& menus = {}) {
        const QString out = LIVRA_SCREENSHOT_DIR;
        ASSERT_TRUE(QDir().mkpath(out));
        // The window with its open menus, on a canvas that holds them all.
        const QPoint origin = w->mapToGlobal(QPoint(0, 0));
        QRect area(QPoint(0, 0), w->size());
        for (QMenu* m : menus)
            if (m->isVisible()) area |= QRect(m->pos() - origin, m->size());
        QImage shot(area.size(), QImage::Format_RGB32);
        shot.fill(QColor(60, 60, 60));
        QPainter p(&shot);
        p.drawImage(-area.topLeft(), w->grab().toImage());
        for (QMenu* m : menus)
            if (m->isVisible()) p.drawImage(m->pos() - origin - area.topLeft(), m->grab().toImage());
        p.end();
        EXPECT_TRUE(shot.save(out + "/" + name));
    }
};

TEST_F(PlanEditorTest, MountFromThePlanMenuThenHoverTintsAndDragMovesHeadAndLabel) {
    rightClick({100, 100});
    EXPECT_EQ(c->Modified, 1);  // opening the menu counts as a change
    EXPECT_EQ(texts(editor->planMenu()), (QStringList{"Загрузить план перекрестка", "Смонтировать объект", "Скриншот"}));
    EXPECT_EQ(texts(actionNamed(editor->planMenu(), "Смонтировать объект")->menu()),
              (QStringList{"Напр.№1 Транспортный", "Напр.№2 Пешеходный", "Напр.№3-5 Трамвайный"}));
    editor->planMenu()->close();
    c->Modified = 0;

    const int32_t head = mountAt({100, 100}, "Напр.№3-5 Трамвайный");
    ASSERT_GT(head, 0);
    const PlanObject* h = findObject(plan(), head);
    const PlanObject& label = plan().planObjects.back();
    EXPECT_EQ(h->direction, 3);
    EXPECT_EQ(QPoint(h->x, h->y), QPoint(100, 100));
    EXPECT_EQ(label.owner, head);
    EXPECT_EQ(label.text, "3-5Р");
    EXPECT_EQ(QPoint(label.x, label.y), QPoint(155, 100));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_NE(pixel({125, 125}), qRgb(0, 0, 125));  // the head is drawn

    const QRgb plain = pixel({101, 101});
    hover({120, 120});
    EXPECT_EQ(surface().highlighted(), (std::vector<int32_t>{head, label.id}));
    EXPECT_GT(qBlue(pixel({101, 101})), qBlue(plain));  // blue tint over the head
    hover({300, 300});
    EXPECT_TRUE(surface().highlighted().empty());
    EXPECT_EQ(pixel({101, 101}), plain);

    c->Modified = 0;
    hover({120, 120});
    QTest::mousePress(&surface(), Qt::LeftButton, {}, {120, 120});
    QTest::mouseMove(&surface(), {150, 160});
    QTest::mouseMove(&surface(), {170, 190});
    QTest::mouseRelease(&surface(), Qt::LeftButton, {}, {170, 190});
    EXPECT_EQ(QPoint(h->x, h->y), QPoint(150, 170));
    EXPECT_EQ(QPoint(label.x, label.y), QPoint(205, 170));
    EXPECT_EQ(c->Modified, 1);
}

TEST_F(PlanEditorTest, WheelTurnsAndShiftWheelScales) {
    const int32_t head = mountAt({200, 200}, "Напр.№1 Транспортный");
    const PlanObject* h = findObject(plan(), head);
    c->Modified = 0;
    wheel({220, 220}, -120);
    EXPECT_EQ(h->angle, 45);
    EXPECT_EQ(c->Modified, 1);
    wheel({220, 220}, 120);
    wheel({220, 220}, 120);
    EXPECT_EQ(h->angle, -45);
    wheel({220, 220}, -120, Qt::ShiftModifier);
    EXPECT_EQ(std::lround(h->width), 45);
    EXPECT_EQ(h->angle, -45);
    wheel({210, 210}, 120, Qt::ShiftModifier);
    wheel({210, 210}, 120, Qt::ShiftModifier);
    EXPECT_EQ(std::lround(h->width), 55);
    EXPECT_EQ(std::lround(h->height), 55);
    wheel({400, 400}, 120);  // over nothing
    EXPECT_EQ(h->angle, -45);
    wheel({220, 220}, 60);  // half a notch waits for the other half
    EXPECT_EQ(h->angle, -45);
    wheel({220, 220}, 60);
    EXPECT_EQ(h->angle, -90);
}

TEST_F(PlanEditorTest, ObjectMenuRotatesScalesAndDemountsButNotOverALabel) {
    const int32_t head = mountAt({150, 150}, "Напр.№2 Пешеходный");
    rightClick({160, 160});
    QMenu* menu = editor->objectMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(texts(menu), (QStringList{"Демонтировать обьект", "Повернуть", "Маштаб"}));
    QMenu* rotate = actionNamed(menu, "Повернуть")->menu();
    EXPECT_EQ(texts(rotate), (QStringList{"По часовой стрелке", "Против часовой стрелки"}));
    for (QAction* a : rotate->actions()) EXPECT_EQ(texts(a->menu()), (QStringList{"45°", "90°", "135°", "180°"}));
    EXPECT_EQ(texts(actionNamed(menu, "Маштаб")->menu()), (QStringList{"400%", "200%", "100%", "50%", "25%"}));
    pick(menu, {"Повернуть", "По часовой стрелке", "90°"});
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(findObject(plan(), head)->angle, 90);
    rightClick({160, 160});
    pick(editor->objectMenu(), {"Маштаб", "200%"});
    EXPECT_EQ(findObject(plan(), head)->width, 100.0f);
    rightClick({160, 160});
    pick(editor->objectMenu(), {"Повернуть", "Против часовой стрелки", "135°"});
    EXPECT_EQ(findObject(plan(), head)->angle, -45);

    // The label sits 55 px right of the head's original place.
    const PlanObject& label = plan().planObjects.back();
    rightClick({label.x + 40 - 5, label.y + 5});
    EXPECT_FALSE(editor->objectMenu()->isVisible());
    EXPECT_FALSE(editor->planMenu()->isVisible());

    rightClick({160, 160});
    pick(editor->objectMenu(), {"Демонтировать обьект"});
    EXPECT_EQ(plan().planObjects.size(), 2u);  // the plan picture object and the probe
    EXPECT_EQ(pixel({160, 160}), qRgb(0, 0, 125));
}

TEST_F(PlanEditorTest, LoadPictureTakesAValidPngAndDamagedOnesChangeNothing) {
    std::filesystem::create_directories(dir / "shem");
    ASSERT_TRUE(crossingPicture(300, 200).save(at("shem/cross.png")));
    {
        ModalScript script;
        script.chooseFile(at("shem/cross.png"));
        rightClick({300, 300});
        pick(editor->planMenu(), {"Загрузить план перекрестка"});
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.dialogTitles, QStringList{"Открыть"});
    }
    EXPECT_EQ(surface().planPicture().size(), QSize(300, 200));
    EXPECT_EQ(plan().planPicturePath, pathToUtf8(dir / "shem" / "cross.png"));
    EXPECT_EQ(pixel({10, 10}), qRgb(120, 170, 90));  // stretched over the whole plan
    EXPECT_EQ(pixel({490, 490}), qRgb(120, 170, 90));
    const QImage shown = surface().renderToImage();

    const Bytes good = test::readBytes(dir / "shem" / "cross.png");
    const std::pair<const char*, Bytes> bad[] = {
        {"truncated.png", test::truncatedPng(good)},
        {"crc.png", test::withBadIdatCrc(good)},
        {"huge.png", test::withDeclaredSize(good, 60000, 60000)},
        {"text.png", Bytes{'p', 'l', 'a', 'n', '\n'}},
    };
    for (const auto& [name, bytes] : bad) {
        test::writeBytes(dir / name, bytes);
        c->Modified = 0;
        ModalScript script;
        script.chooseFile(at(name));
        script.answer("Ок");
        rightClick({300, 300});
        c->Modified = 0;
        pick(editor->planMenu(), {"Загрузить план перекрестка"});
        EXPECT_TRUE(script.done()) << name;
        ASSERT_EQ(script.boxes.size(), 1u) << name;
        EXPECT_EQ(script.boxes[0].title, "Ошибка");
        EXPECT_EQ(script.boxes[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(script.boxes[0].text.startsWith(QString("Не удалось загрузить план перекрестка ") + name)) << name;
        EXPECT_EQ(surface().renderToImage(), shown) << name;
        EXPECT_EQ(plan().planPicturePath, pathToUtf8(dir / "shem" / "cross.png")) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / "shem" / name)) << name;
        EXPECT_EQ(c->Modified, 0) << name;
    }
}

TEST_F(PlanEditorTest, ScreenshotIsTheSurfaceAndAnExistingFileIsReplacedOnlyOnYes) {
    ASSERT_TRUE(surface().loadPlanPictureFile([&] {
        crossingPicture(500, 500).save(at("cross.png"));
        return pathToUtf8(dir / "cross.png");
    }()));
    mountAt({220, 80}, "Напр.№1 Транспортный");
    {
        ModalScript script;
        script.chooseFile(at("shot"));
        rightClick({400, 400});
        pick(editor->planMenu(), {"Скриншот"});
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.dialogTitles, QStringList{"Сохранить скриншот"});
    }
    const QImage saved(at("shot.bmp"));
    ASSERT_EQ(saved.size(), QSize(500, 500));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), surface().renderToImage().convertToFormat(QImage::Format_RGB32));
    const Bytes first = test::readBytes(dir / "shot.bmp");
    EXPECT_EQ(first.size(), 750054u);

    // The head moves, so a replaced file differs from the first.
    hover({240, 100});
    QTest::mousePress(&surface(), Qt::LeftButton, {}, {240, 100});
    QTest::mouseMove(&surface(), {260, 160});
    QTest::mouseRelease(&surface(), Qt::LeftButton, {}, {260, 160});
    {
        ModalScript script;
        script.chooseFile(at("shot.bmp"));
        script.answer("Нет");
        script.chooseFile(at("other.BMP"));
        rightClick({400, 400});
        pick(editor->planMenu(), {"Скриншот"});
        EXPECT_TRUE(script.done());
        expectBox(script.boxes, "Подтвердить сохранение", "shot.bmp уже существует.\nЗаменить?", QMessageBox::Warning,
                  (QStringList{"Да", "Нет"}));
        EXPECT_EQ(script.dialogTitles, (QStringList{"Сохранить скриншот", "Сохранить скриншот"}));
    }
    EXPECT_EQ(test::readBytes(dir / "shot.bmp"), first);
    EXPECT_TRUE(std::filesystem::exists(dir / "other.BMP"));
    {
        ModalScript script;
        script.chooseFile(at("shot.bmp"));
        script.answer("Да");
        rightClick({400, 400});
        pick(editor->planMenu(), {"Скриншот"});
        EXPECT_TRUE(script.done());
    }
    EXPECT_NE(test::readBytes(dir / "shot.bmp"), first);
}

TEST_F(PlanEditorTest, EditsSurviveClosingSavingAndReopeningTheProject) {
    const int32_t vehicle = mountAt({60, 60}, "Напр.№1 Транспортный");
    const int32_t tram = mountAt({250, 300}, "Напр.№3-5 Трамвайный");
    hover({70, 70});
    QTest::mousePress(&surface(), Qt::LeftButton, {}, {70, 70});
    QTest::mouseMove(&surface(), {90, 100});
    QTest::mouseRelease(&surface(), Qt::LeftButton, {}, {90, 100});
    rightClick({260, 310});
    pick(editor->objectMenu(), {"Повернуть", "По часовой стрелке", "90°"});
    rightClick({260, 310});
    pick(editor->objectMenu(), {"Маштаб", "200%"});
    hover({300, 150});
    wheel({90, 90}, -120, Qt::ShiftModifier);
    const Plan edited = plan();
    close();
    EXPECT_EQ(c->Modified, 1);

    const std::string project = pathToUtf8(dir / "cross.ptm");
    ASSERT_TRUE(saveProject(*c, project).ok());
    std::filesystem::remove(planFilePath(*c));
    auto reopened = test::newConfiguration();
    reopened->ProgramDir = c->ProgramDir;
    ASSERT_TRUE(loadProject(*reopened, project).ok());

    const auto listed = test::runLivra({"plan", project});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const std::string expected =
        "Рисунок плана: \n"
        "id\tвладелец\tнапр.\tx\ty\tширина\tвысота\tугол\tподпись\n"
        "1\t0\t1\t80\t90\t45.4545\t45.4545\t0\t1Т\n"
        "2\t1\t0\t135\t90\t40\t20\t0\t1Т\n"
        "3\t0\t3\t250\t300\t100\t100\t90\t3-5Р\n"
        "4\t3\t0\t305\t300\t40\t20\t0\t3-5Р\n";
    EXPECT_EQ(listed.out, expected);

    c = std::move(reopened);
    open();
    ASSERT_EQ(plan().planObjects.size(), edited.planObjects.size());
    for (const PlanObject& before : edited.planObjects) {
        const PlanObject* after = findObject(plan(), before.id);
        ASSERT_NE(after, nullptr) << before.id;
        EXPECT_EQ(QPoint(after->x, after->y), QPoint(before.x, before.y)) << before.id;
        EXPECT_EQ(after->width, before.width) << before.id;
        EXPECT_EQ(after->angle, before.angle) << before.id;
        EXPECT_EQ(after->owner, before.owner) << before.id;
    }
    (void)vehicle;
    (void)tram;
}

TEST_F(PlanEditorTest, Screenshots) {
    std::filesystem::create_directories(dir / "shem");
    ASSERT_TRUE(crossingPicture(1000, 1000).save(at("shem/cross.png")));
    ASSERT_TRUE(surface().loadPlanPictureFile(pathToUtf8(dir / "shem" / "cross.png")));
    const int32_t vehicle = mountAt({95, 245}, "Напр.№1 Транспортный");
    mountAt({300, 120}, "Напр.№2 Пешеходный");
    const int32_t tram = mountAt({330, 330}, "Напр.№3-5 Трамвайный");
    rightClick({340, 340});
    pick(editor->objectMenu(), {"Повернуть", "По часовой стрелке", "90°"});
    rightClick({340, 340});
    pick(editor->objectMenu(), {"Маштаб", "200%"});
    EXPECT_EQ(findObject(plan(), tram)->width, 100.0f);
    hover({110, 260});
    EXPECT_EQ(surface().highlighted().front(), vehicle);
    saveShot("plan_editing.png");

    rightClick({450, 60});
    pick(editor->planMenu(), {"Смонтировать объект"});
    saveShot("plan_menu.png", {editor->planMenu(), actionNamed(editor->planMenu(), "Смонтировать объект")->menu()});
    editor->planMenu()->close();
    EXPECT_FALSE(editor->planMenu()->isVisible());

    rightClick({110, 260});
    QMenu* rotate = actionNamed(editor->objectMenu(), "Повернуть")->menu();
    pick(editor->objectMenu(), {"Повернуть", "По часовой стрелке"});
    QMenu* clockwise = actionNamed(rotate, "По часовой стрелке")->menu();
    saveShot("plan_object_menu.png", {editor->objectMenu(), rotate, clockwise});
    editor->objectMenu()->close();
}

}  // namespace
