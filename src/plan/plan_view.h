#pragma once
// The rules of editing the plan with the mouse and the two pop-up menus,
// without a toolkit: what lies under the pointer, hover highlighting,
// dragging, wheel turns and the menu items with their ids. The desktop
// program feeds mouse events in and shows the menus this code describes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "plan/plan_objects.h"

namespace livra {

constexpr int PlanSide = 500;
constexpr int WheelStep = 120;  // one notch of a mouse wheel

// The mouse edits the plan only inside its 5-pixel margin.
bool insideEditArea(int x, int y);

// The topmost head or label whose unrotated rectangle at its current size
// holds the point (x ≤ px < x + width), in list order; −1 when none. The plan
// picture and the pointer probe are never hit.
int32_t objectUnderPointer(const Plan& plan, int x, int y);

void highlightObject(Plan& plan, int32_t id);
void clearHighlights(Plan& plan);
std::vector<int32_t> highlightedObjects(const Plan& plan);

// Moves every highlighted object by (dx, dy).
void dragStep(Plan& plan, int dx, int dy);

// --- the pop-up menus ---

namespace planmenu {
constexpr int Demount = 2;
constexpr int LoadPicture = 3;
constexpr int MountFirst = 1000;  // + direction index
constexpr int Screenshot = 2000;
constexpr int RotateFirst = 2002;  // 2002..2005 clockwise, 2006..2009 counter-clockwise
constexpr int ScaleFirst = 2010;   // 2010..2014: 400 % … 25 %

struct Item {
    int id;
    const char* text;
};
inline constexpr const char* DemountText = "Демонтировать обьект";
inline constexpr const char* RotateText = "Повернуть";
inline constexpr const char* ClockwiseText = "По часовой стрелке";
inline constexpr const char* CounterClockwiseText = "Против часовой стрелки";
inline constexpr const char* ScaleText = "Маштаб";
inline constexpr const char* LoadPictureText = "Загрузить план перекрестка";
inline constexpr const char* MountText = "Смонтировать объект";
inline constexpr const char* ScreenshotText = "Скриншот";
inline constexpr Item Clockwise[] = {{2002, "45°"}, {2003, "90°"}, {2004, "135°"}, {2005, "180°"}};
inline constexpr Item CounterClockwise[] = {{2006, "45°"}, {2007, "90°"}, {2008, "135°"}, {2009, "180°"}};
inline constexpr Item Scales[] = {{2010, "400%"}, {2011, "200%"}, {2012, "100%"}, {2013, "50%"}, {2014, "25%"}};
}  // namespace planmenu

struct MountItem {
    int id;         // planmenu::MountFirst + direction index
    std::string text;  // "Напр.№3 Транспортный", "Напр.№5-7 Трамвайный"
};

// One item per direction from the first up to the first empty one, for the
// kinds that have a head.
std::vector<MountItem> mountItems(const Configuration& c);

// What a menu id asks for. Rotation in degrees (positive clockwise), scale in
// percent, mount by direction index.
struct MenuCommand {
    enum Kind { None, Demount, Rotate, Scale, LoadPicture, Mount, Screenshot } kind = None;
    int value = 0;
};
MenuCommand menuCommand(int id);

// "plan" → "plan.bmp"; "plan.BMP" stays as it is.
std::string screenshotFileName(const std::string& chosen);

// --- the editing state between mouse events ---

// The state the plan view keeps from one mouse event to the next, and the
// steps of hover, drag, wheel and right-button release. Every edit of the plan
// sets the configuration's Modified, since the project carries the plan.
class PlanEditing {
public:
    enum class Menu { None, Object, Plan };

    PlanEditing(Plan& plan, Configuration& c);

    // Pointer moved with no button held: highlights the head or label under
    // it with the labels of that object. True when the highlighting changed.
    bool hover(int x, int y);
    // Left button pressed: the drag starts from here.
    void press(int x, int y);
    // Pointer moved with the left button held: the highlighted objects follow
    // while the pointer was over an object. True when they moved.
    bool drag(int x, int y);
    // A wheel turn of `angleDelta` (positive away from the user) over the
    // object under the pointer: every whole notch rotates by 45° (away:
    // counter-clockwise) or, with Shift, grows (away) or shrinks. Returns the
    // notches applied.
    int wheel(int x, int y, int angleDelta, bool shift);
    // Right button released: which menu to show. A label gives none.
    Menu rightRelease(int x, int y);

    // Carries out a chosen menu item on the current object or at the plan
    // menu's position; loading a picture and the screenshot are left to the
    // caller (returned as they are).
    MenuCommand choose(int id);

    int32_t currentObject() const { return currentObject_; }
    int menuX() const { return menuX_; }
    int menuY() const { return menuY_; }
    int32_t hovered() const { return hovered_; }
    // The mount items as they were when the editing started.
    const std::vector<MountItem>& mountList() const { return mountList_; }

private:
    void edited() { c_.Modified = 1; }

    Plan& plan_;
    Configuration& c_;
    std::vector<MountItem> mountList_;
    int32_t hovered_ = 0;
    int lastX_ = 0, lastY_ = 0;
    int32_t currentObject_ = 0;
    int menuX_ = 0, menuY_ = 0;
    bool objectMenuOpened_ = false;  // blocks the drag of the next event
    int wheelRest_ = 0;
    int32_t wheelObject_ = 0;
};

// --- the plan picture's place ---

// The working folder's "shem" folder, where plan pictures live.
std::filesystem::path shemFolder(const Configuration& c);

// Where a chosen picture is kept: a file already in "shem" stays where it is;
// any other is copied there under its own name, since the plan file keeps
// only the name and looks it up in "shem".
struct PictureTarget {
    std::filesystem::path path;  // inside "shem"
    bool copy = false;           // the chosen file must be copied to `path`
    bool replaces = false;       // `path` exists with other contents
};
PictureTarget pictureTarget(const Configuration& c, const std::filesystem::path& chosen, const Bytes& chosenBytes);

}  // namespace livra
