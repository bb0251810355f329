#pragma once
// Editing the plan with the mouse while the simulation is stopped or paused:
// hover tint, dragging, wheel turns, and the object and plan pop-up menus.
// The rules are the core's PlanEditing; this class feeds it the surface's
// events and shows its menus.
#include <QObject>
#include <QPointer>

#include "plan/plan_view.h"
#include "ui/plan/plan_surface.h"

class QMenu;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

class PlanEditor : public QObject, public PlanSurfaceInput {
    Q_OBJECT
public:
    // The mount items are those of the directions at this moment. The
    // simulator window makes one for its surface, owned by the window.
    PlanEditor(PlanSurface& surface, Plan& plan, Configuration& c, UserDialogs& dialogs, QObject* owner = nullptr);
    ~PlanEditor() override;

    void mousePress(QMouseEvent* e) override;
    void mouseMove(QMouseEvent* e) override;
    void mouseRelease(QMouseEvent* e) override;
    void wheel(QWheelEvent* e) override;

    // Carries out a menu item by its id, as choosing it does.
    void choose(int id);

    QMenu* objectMenu() const { return objectMenu_; }
    QMenu* planMenu() const { return planMenu_; }
    const PlanEditing& editing() const { return editing_; }

private:
    void buildMenus();
    void showHighlights();

    QPointer<PlanSurface> surfaceAlive_;  // the window may delete the surface first
    PlanSurface& surface_;
    Plan& plan_;
    Configuration& c_;
    UserDialogs& dialogs_;
    PlanEditing editing_;
    QMenu* objectMenu_ = nullptr;  // children of the surface
    QMenu* planMenu_ = nullptr;
};

}  // namespace livra::ui
