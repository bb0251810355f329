#include "ui/plan/plan_editor.h"

#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include "app/plan_commands.h"
#include "plan/plan_pictures.h"
#include "ui/plan/rgba_qimage.h"

namespace livra::ui {
namespace {

QAction* addItem(QMenu* menu, int id, const char* text) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    a->setData(id);
    a->setObjectName(QString("planMenuItem%1").arg(id));
    return a;
}

QMenu* addSubmenu(QMenu* menu, const char* title, const char* name) {
    QMenu* sub = menu->addMenu(QString::fromUtf8(title));
    sub->setObjectName(name);
    return sub;
}

}  // namespace

PlanEditor::PlanEditor(PlanSurface& surface, Plan& plan, Configuration& c, UserDialogs& dialogs, QObject* owner)
    : QObject(owner), surfaceAlive_(&surface), surface_(surface), plan_(plan), c_(c), dialogs_(dialogs), editing_(plan, c) {
    setObjectName("planEditor");
    buildMenus();
    surface_.setInput(this);
}

PlanEditor::~PlanEditor() {
    if (surfaceAlive_) surface_.setInput(nullptr);
}

void PlanEditor::buildMenus() {
    objectMenu_ = new QMenu(&surface_);
    objectMenu_->setObjectName("objectMenu");
    addItem(objectMenu_, planmenu::Demount, planmenu::DemountText);
    QMenu* rotate = addSubmenu(objectMenu_, planmenu::RotateText, "rotateMenu");
    QMenu* clockwise = addSubmenu(rotate, planmenu::ClockwiseText, "clockwiseMenu");
    for (const auto& item : planmenu::Clockwise) addItem(clockwise, item.id, item.text);
    QMenu* counter = addSubmenu(rotate, planmenu::CounterClockwiseText, "counterClockwiseMenu");
    for (const auto& item : planmenu::CounterClockwise) addItem(counter, item.id, item.text);
    QMenu* scale = addSubmenu(objectMenu_, planmenu::ScaleText, "scaleMenu");
    for (const auto& item : planmenu::Scales) addItem(scale, item.id, item.text);

    planMenu_ = new QMenu(&surface_);
    planMenu_->setObjectName("planMenu");
    addItem(planMenu_, planmenu::LoadPicture, planmenu::LoadPictureText);
    QMenu* mount = addSubmenu(planMenu_, planmenu::MountText, "mountMenu");
    for (const auto& item : editing_.mountList()) addItem(mount, item.id, item.text.c_str());
    addItem(planMenu_, planmenu::Screenshot, planmenu::ScreenshotText);

    for (QMenu* menu : {objectMenu_, planMenu_})
        connect(menu, &QMenu::triggered, this, [this](QAction* a) {
            if (a->data().isValid()) choose(a->data().toInt());
        });
}

void PlanEditor::showHighlights() {
    surface_.setHighlighted(highlightedObjects(plan_));
    surface_.update();
}

void PlanEditor::mousePress(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() != Qt::LeftButton || !insideEditArea(p.x(), p.y())) return;
    editing_.press(p.x(), p.y());
    showHighlights();
}

void PlanEditor::mouseMove(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (!insideEditArea(p.x(), p.y())) return;
    if (e->buttons() == Qt::NoButton) {
        if (editing_.hover(p.x(), p.y())) showHighlights();
    } else if (e->buttons() & Qt::LeftButton) {
        if (editing_.drag(p.x(), p.y())) surface_.update();
    }
}

void PlanEditor::mouseRelease(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() != Qt::RightButton || !insideEditArea(p.x(), p.y())) return;
    const PlanEditing::Menu menu = editing_.rightRelease(p.x(), p.y());
    if (menu == PlanEditing::Menu::None) return;
    QMenu* shown = menu == PlanEditing::Menu::Object ? objectMenu_ : planMenu_;
    shown->popup(surface_.mapToGlobal(p));
}

void PlanEditor::wheel(QWheelEvent* e) {
    const QPoint p = e->position().toPoint();
    if (!insideEditArea(p.x(), p.y())) return;
    // Some platforms turn a wheel with Shift held into a sideways one.
    const QPoint delta = e->angleDelta();
    const int turn = delta.y() != 0 ? delta.y() : delta.x();
    if (editing_.wheel(p.x(), p.y(), turn, e->modifiers() & Qt::ShiftModifier) > 0) surface_.update();
    e->accept();
}

void PlanEditor::choose(int id) {
    const std::size_t before = plan_.planObjects.size();
    const MenuCommand cmd = editing_.choose(id);
    switch (cmd.kind) {
    case MenuCommand::Mount:
        if (plan_.planObjects.size() > before) {
            // The new head starts dark, like every head of a stopped plan,
            // whatever a head that had its id showed before.
            PlanObject& head = plan_.planObjects[before];
            head.kind = c_.DirectionKind[head.direction - 1];
            head.signal = darkSignal(head.kind);
            surface_.showHandedSignals();
        }
        break;
    case MenuCommand::LoadPicture:
        if (auto picture = loadPlanPicture(c_, plan_, dialogs_)) surface_.setPlanPicture(toQImage(std::move(*picture)));
        break;
    case MenuCommand::Screenshot:
        savePlanScreenshot(c_, [this] { return toRgbaImage(surface_.renderToImage()); }, dialogs_);
        break;
    default: break;
    }
    showHighlights();
}

}  // namespace livra::ui
