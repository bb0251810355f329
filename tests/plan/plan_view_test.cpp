#include "plan/plan_view.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

using test::addDirection;

// 1 vehicle, 2 pedestrian, 3..5 extra red/yellow/green, 6..8 tram, 9 ТВП1,
// 10 vehicle.
std::unique_ptr<Configuration> editingConfiguration() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirExtraRed);
    addDirection(*c, 3, DirExtraYellow);
    addDirection(*c, 4, DirExtraGreen);
    addDirection(*c, 5, DirTram1);
    c->DirectionKind[8] = DirTvp1;
    addDirection(*c, 9, DirVehicle);
    return c;
}

Plan openedPlan() {
    Plan plan;
    createSpecialObjects(plan);
    return plan;
}

TEST(PlanView, ObjectUnderPointerIsTheTopmostHeadOrLabelAtItsCurrentSize) {
    auto c = editingConfiguration();
    Plan plan = openedPlan();
    EXPECT_EQ(objectUnderPointer(plan, 10, 10), -1);  // the plan picture is never hit
    const int32_t head = mountObject(plan, *c, 0, 100, 100);  // id 1, label 2 at 155..195 × 100..120
    const int32_t other = mountObject(plan, *c, 1, 130, 110);  // id 3 over the first head, label 4
    ASSERT_EQ(head, 1);
    ASSERT_EQ(other, 3);
    EXPECT_EQ(objectUnderPointer(plan, 100, 100), head);
    EXPECT_EQ(objectUnderPointer(plan, 149, 109), head);
    EXPECT_EQ(objectUnderPointer(plan, 130, 110), other);  // drawn later, lies on top
    EXPECT_EQ(objectUnderPointer(plan, 160, 115), other);  // the second head covers the first label here
    EXPECT_EQ(objectUnderPointer(plan, 186, 115), 4);      // its own label, drawn after it
    EXPECT_EQ(objectUnderPointer(plan, 194, 100), 2);
    EXPECT_EQ(objectUnderPointer(plan, 195, 100), -1);  // right edge excluded
    EXPECT_EQ(objectUnderPointer(plan, 99, 100), -1);
    // The probe never hits itself, wherever it is.
    setObjectPosition(plan, PointerProbeId, 300, 300);
    EXPECT_EQ(objectUnderPointer(plan, 300, 300), -1);
    // The current size counts, not the base size; the rotation does not.
    scaleObject(plan, head, 200);
    rotateObject(plan, head, 90);
    EXPECT_EQ(objectUnderPointer(plan, 120, 199), head);
    EXPECT_EQ(objectUnderPointer(plan, 120, 200), -1);
    EXPECT_TRUE(insideEditArea(6, 494));
    EXPECT_FALSE(insideEditArea(5, 100));
    EXPECT_FALSE(insideEditArea(100, 495));
}

TEST(PlanView, HoverTintsAHeadWithItsLabelsAndDragMovesThemTogether) {
    auto c = editingConfiguration();
    Plan plan = openedPlan();
    const int32_t head = mountObject(plan, *c, 0, 100, 100);
    const int32_t label = 2;
    mountObject(plan, *c, 1, 300, 300);
    PlanEditing edit(plan, *c);

    EXPECT_TRUE(edit.hover(110, 110));
    EXPECT_EQ(highlightedObjects(plan), (std::vector<int32_t>{head, label}));
    EXPECT_FALSE(edit.hover(120, 120));  // the same head: nothing changes
    EXPECT_TRUE(edit.hover(250, 250));   // empty plan clears both
    EXPECT_TRUE(highlightedObjects(plan).empty());
    edit.hover(160, 105);  // a label alone
    EXPECT_EQ(highlightedObjects(plan), (std::vector<int32_t>{label}));
    EXPECT_EQ(c->Modified, 0);  // looking changes nothing

    edit.hover(110, 110);
    edit.press(110, 110);
    EXPECT_TRUE(edit.drag(130, 95));
    EXPECT_TRUE(edit.drag(140, 100));
    const PlanObject* h = findObject(plan, head);
    const PlanObject* l = findObject(plan, label);
    EXPECT_EQ(h->x, 130);
    EXPECT_EQ(h->y, 90);
    EXPECT_EQ(l->x, 185);
    EXPECT_EQ(l->y, 90);
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(findObject(plan, 3)->x, 300);  // not highlighted, not moved

    // A drag that starts over no object moves nothing.
    c->Modified = 0;
    edit.press(250, 250);
    EXPECT_FALSE(edit.drag(260, 270));
    EXPECT_EQ(h->x, 130);
    EXPECT_EQ(c->Modified, 0);
    highlightObject(plan, label);
    dragStep(plan, -1, 2);
    EXPECT_EQ(h->x, 130);
    EXPECT_EQ(l->x, 184);
    EXPECT_EQ(l->y, 92);
}

TEST(PlanView, MountListTextsAndMenuIds) {
    auto c = editingConfiguration();
    std::vector<std::pair<int, std::string>> items;
    for (const auto& m : mountItems(*c)) items.emplace_back(m.id, m.text);
    const std::vector<std::pair<int, std::string>> expected = {
        {1000, "Напр.№1 Транспортный"},       {1001, "Напр.№2 Пешеходный"},
        {1002, "Напр.№3 Допсекция красный"},  {1003, "Напр.№4 Допсекция желтый"},
        {1004, "Напр.№5 Допсекция зеленый"},  {1005, "Напр.№6-8 Трамвайный"},
        {1009, "Напр.№10 Транспортный"},
    };
    EXPECT_EQ(items, expected);
    // The list ends at the first empty direction.
    c->DirectionKind[4] = 0;
    EXPECT_EQ(mountItems(*c).size(), 4u);
    EXPECT_TRUE(mountItems(*test::newConfiguration()).empty());

    struct Id {
        int id;
        MenuCommand::Kind kind;
        int value;
    } ids[] = {{2, MenuCommand::Demount, 0},   {3, MenuCommand::LoadPicture, 0}, {1000, MenuCommand::Mount, 0},
               {1062, MenuCommand::Mount, 62}, {1063, MenuCommand::None, 0},     {2000, MenuCommand::Screenshot, 0},
               {2001, MenuCommand::None, 0},   {2002, MenuCommand::Rotate, 45},  {2005, MenuCommand::Rotate, 180},
               {2006, MenuCommand::Rotate, -45}, {2009, MenuCommand::Rotate, -180}, {2010, MenuCommand::Scale, 400},
               {2012, MenuCommand::Scale, 100}, {2014, MenuCommand::Scale, 25}, {2015, MenuCommand::None, 0}};
    for (const auto& i : ids) {
        EXPECT_EQ(menuCommand(i.id).kind, i.kind) << i.id;
        EXPECT_EQ(menuCommand(i.id).value, i.value) << i.id;
    }
    EXPECT_EQ(screenshotFileName("plan"), "plan.bmp");
    EXPECT_EQ(screenshotFileName("plan.BMP"), "plan.BMP");
    EXPECT_EQ(screenshotFileName("/tmp/a.Bmp"), "/tmp/a.Bmp");
    EXPECT_EQ(screenshotFileName("a.png"), "a.png.bmp");
    EXPECT_EQ(screenshotFileName("a.bmpx"), "a.bmpx.bmp");
    EXPECT_EQ(screenshotFileName("bmp"), "bmp.bmp");
}

TEST(PlanView, RightReleaseOpensTheMenusAndTheirItemsEditThePlan) {
    auto c = editingConfiguration();
    Plan plan = openedPlan();
    PlanEditing edit(plan, *c);
    // The directions as they were when editing started.
    c->DirectionKind[0] = DirPedestrian;
    EXPECT_EQ(edit.mountList().front().text, "Напр.№1 Транспортный");

    EXPECT_EQ(edit.rightRelease(200, 150), PlanEditing::Menu::Plan);
    EXPECT_EQ(c->Modified, 1);
    c->Modified = 0;
    edit.choose(1005);  // the tram at the menu's place
    ASSERT_EQ(plan.planObjects.size(), 4u);
    const PlanObject& head = plan.planObjects[2];
    const PlanObject& label = plan.planObjects[3];
    EXPECT_EQ(head.direction, 6);
    EXPECT_EQ(head.x, 200);
    EXPECT_EQ(head.y, 150);
    EXPECT_EQ(label.owner, head.id);
    EXPECT_EQ(label.text, "6-8Р");
    EXPECT_EQ(label.x, 255);
    EXPECT_EQ(c->Modified, 1);
    // A direction added after the menu was built is not offered: nothing mounted.
    c->DirectionKind[10] = DirVehicle;
    EXPECT_EQ(edit.choose(1010).kind, MenuCommand::Mount);
    EXPECT_EQ(plan.planObjects.size(), 4u);

    EXPECT_EQ(edit.rightRelease(260, 155), PlanEditing::Menu::None);  // a label
    ASSERT_EQ(edit.rightRelease(210, 160), PlanEditing::Menu::Object);
    EXPECT_EQ(edit.currentObject(), head.id);
    edit.choose(2009);
    EXPECT_EQ(plan.planObjects[2].angle, -180);
    // The object menu holds back the drag of the event right after it.
    edit.press(210, 160);
    edit.rightRelease(210, 160);
    EXPECT_FALSE(edit.drag(220, 170));
    EXPECT_TRUE(edit.drag(230, 180));

    EXPECT_EQ(edit.choose(3).kind, MenuCommand::LoadPicture);
    EXPECT_EQ(edit.choose(2000).kind, MenuCommand::Screenshot);
    edit.choose(2);
    EXPECT_EQ(plan.planObjects.size(), 2u);  // head and label gone, the two special objects stay
    edit.choose(2);                          // the object is gone: nothing happens
    EXPECT_EQ(plan.planObjects.size(), 2u);
}

}  // namespace
}  // namespace livra
