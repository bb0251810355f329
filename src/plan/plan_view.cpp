#include "plan/plan_view.h"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace livra {

bool insideEditArea(int x, int y) { return 5 < x && x < PlanSide - 5 && 5 < y && y < PlanSide - 5; }

int32_t objectUnderPointer(const Plan& plan, int x, int y) {
    int32_t hit = -1;
    for (const auto& o : plan.planObjects) {
        if (o.id == PointerProbeId || o.id == PlanPictureObjectId) continue;
        // Compared in double: sizes come from files and may be large.
        if (o.x <= x && double(x) < double(o.x) + double(o.width) && o.y <= y && double(y) < double(o.y) + double(o.height))
            hit = o.id;
    }
    return hit;
}

void highlightObject(Plan& plan, int32_t id) {
    if (auto* o = findObject(plan, id)) o->highlighted = 1;
}

void clearHighlights(Plan& plan) {
    for (auto& o : plan.planObjects) o.highlighted = 0;
}

std::vector<int32_t> highlightedObjects(const Plan& plan) {
    std::vector<int32_t> ids;
    for (const auto& o : plan.planObjects)
        if (o.highlighted) ids.push_back(o.id);
    return ids;
}

void dragStep(Plan& plan, int dx, int dy) {
    for (auto& o : plan.planObjects)
        if (o.highlighted) {
            // Saturating: a plan file may hold positions near the int range.
            o.x = int32_t(std::clamp<int64_t>(int64_t(o.x) + dx, INT32_MIN, INT32_MAX));
            o.y = int32_t(std::clamp<int64_t>(int64_t(o.y) + dy, INT32_MIN, INT32_MAX));
        }
}

std::vector<MountItem> mountItems(const Configuration& c) {
    std::vector<MountItem> items;
    for (int i = 0; i < DirectionCount && c.DirectionKind[i] != 0; ++i) {
        const std::string number = "Напр.№" + std::to_string(i + 1);
        const char* name = nullptr;
        switch (c.DirectionKind[i]) {
        case DirVehicle: name = " Транспортный"; break;
        case DirPedestrian: name = " Пешеходный"; break;
        case DirExtraRed: name = " Допсекция красный"; break;
        case DirExtraYellow: name = " Допсекция желтый"; break;
        case DirExtraGreen: name = " Допсекция зеленый"; break;
        case DirTram1:
            items.push_back({planmenu::MountFirst + i, number + "-" + std::to_string(i + 3) + " Трамвайный"});
            continue;
        default: continue;
        }
        items.push_back({planmenu::MountFirst + i, number + name});
    }
    return items;
}

MenuCommand menuCommand(int id) {
    using planmenu::RotateFirst, planmenu::ScaleFirst;
    if (id == planmenu::Demount) return {MenuCommand::Demount, 0};
    if (id == planmenu::LoadPicture) return {MenuCommand::LoadPicture, 0};
    if (id == planmenu::Screenshot) return {MenuCommand::Screenshot, 0};
    if (id >= planmenu::MountFirst && id < planmenu::MountFirst + DirectionCount)
        return {MenuCommand::Mount, id - planmenu::MountFirst};
    if (id >= RotateFirst && id < RotateFirst + 4) return {MenuCommand::Rotate, 45 * (id - RotateFirst + 1)};
    if (id >= RotateFirst + 4 && id < RotateFirst + 8) return {MenuCommand::Rotate, -45 * (id - RotateFirst - 3)};
    static constexpr int percents[] = {400, 200, 100, 50, 25};
    if (id >= ScaleFirst && id < ScaleFirst + 5) return {MenuCommand::Scale, percents[id - ScaleFirst]};
    return {};
}

std::string screenshotFileName(const std::string& chosen) {
    std::string tail = chosen.size() >= 4 ? chosen.substr(chosen.size() - 4) : std::string();
    std::transform(tail.begin(), tail.end(), tail.begin(), [](char ch) { return ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch; });
    return tail == ".bmp" ? chosen : chosen + ".bmp";
}

PlanEditing::PlanEditing(Plan& plan, Configuration& c) : plan_(plan), c_(c), mountList_(mountItems(c)) {}

bool PlanEditing::hover(int x, int y) {
    const auto before = highlightedObjects(plan_);
    const int32_t h = objectUnderPointer(plan_, x, y);
    if (h != hovered_) {
        clearHighlights(plan_);
        highlightObject(plan_, h);
    }
    hovered_ = h;
    for (auto& o : plan_.planObjects)
        if (h > 0 && o.owner == h) o.highlighted = 1;
    lastX_ = x;
    lastY_ = y;
    objectMenuOpened_ = false;
    return highlightedObjects(plan_) != before;
}

void PlanEditing::press(int x, int y) {
    // A press without a hover before it (a click from outside the window)
    // still takes the object under the pointer.
    if (objectUnderPointer(plan_, x, y) != hovered_) hover(x, y);
    lastX_ = x;
    lastY_ = y;
}

bool PlanEditing::drag(int x, int y) {
    // The object under the pointer as it was before this movement.
    const int32_t o = objectUnderPointer(plan_, lastX_, lastY_);
    bool moved = false;
    if (o > 0 && !objectMenuOpened_ && (x != lastX_ || y != lastY_) && !highlightedObjects(plan_).empty()) {
        dragStep(plan_, x - lastX_, y - lastY_);
        edited();
        moved = true;
    }
    lastX_ = x;
    lastY_ = y;
    objectMenuOpened_ = false;
    return moved;
}

int PlanEditing::wheel(int x, int y, int angleDelta, bool shift) {
    objectMenuOpened_ = false;
    const int32_t o = objectUnderPointer(plan_, x, y);
    if (o <= 0) {
        wheelRest_ = 0;
        return 0;
    }
    if (o != wheelObject_) wheelRest_ = 0;
    wheelObject_ = o;
    // Fine-grained wheels send parts of a notch; they add up to whole ones.
    wheelRest_ = int(std::clamp<int64_t>(int64_t(wheelRest_) + angleDelta, -100 * WheelStep, 100 * WheelStep));
    const int notches = wheelRest_ / WheelStep;
    wheelRest_ -= notches * WheelStep;
    for (int i = 0; i < std::abs(notches); ++i) {
        const bool away = notches > 0;
        if (shift) away ? growObject(plan_, o) : shrinkObject(plan_, o);
        else rotateObject(plan_, o, away ? -45 : 45);
    }
    if (notches != 0) edited();
    return std::abs(notches);
}

PlanEditing::Menu PlanEditing::rightRelease(int x, int y) {
    objectMenuOpened_ = false;
    const int32_t o = objectUnderPointer(plan_, x, y);
    // Opening either menu counts as a change of the plan.
    if (o > 0 && objectRole(plan_, o) == 1) {
        objectMenuOpened_ = true;
        edited();
        currentObject_ = o;
        return Menu::Object;
    }
    if (o == -1) {
        edited();
        menuX_ = x;
        menuY_ = y;
        return Menu::Plan;
    }
    return Menu::None;
}

MenuCommand PlanEditing::choose(int id) {
    const MenuCommand cmd = menuCommand(id);
    switch (cmd.kind) {
    case MenuCommand::Demount:
        if (!findObject(plan_, currentObject_)) break;
        demountObject(plan_, currentObject_);
        if (!findObject(plan_, hovered_)) hovered_ = 0;
        edited();
        break;
    case MenuCommand::Rotate:
        if (!findObject(plan_, currentObject_)) break;
        rotateObject(plan_, currentObject_, cmd.value);
        edited();
        break;
    case MenuCommand::Scale:
        if (!findObject(plan_, currentObject_)) break;
        scaleObject(plan_, currentObject_, cmd.value);
        edited();
        break;
    case MenuCommand::Mount: {
        // Only what the menu offered: the directions as they were at opening.
        const bool offered = std::any_of(mountList_.begin(), mountList_.end(), [&](const MountItem& m) { return m.id == id; });
        if (offered && mountObject(plan_, c_, cmd.value, menuX_, menuY_) != 0) edited();
        break;
    }
    default: break;
    }
    return cmd;
}

std::filesystem::path shemFolder(const Configuration& c) { return pathFromUtf8(c.ProgramDir) / "shem"; }

PictureTarget pictureTarget(const Configuration& c, const std::filesystem::path& chosen, const Bytes& chosenBytes) {
    const auto shem = shemFolder(c);
    std::error_code ec;
    if (std::filesystem::equivalent(chosen.parent_path(), shem, ec) && !ec) return {chosen, false, false};
    PictureTarget target{shem / chosen.filename(), true, false};
    if (std::filesystem::exists(target.path, ec)) {
        const auto there = readWholeFile(target.path);
        if (there && *there == chosenBytes) target.copy = false;
        else target.replaces = true;
    }
    return target;
}

}  // namespace livra
