#pragma once
// What every editor works with besides its tab: the configuration, the boxes
// and the pop-up menus, and the one step that follows each edit.
#include <functional>

#include "model/configuration.h"

namespace livra::ui {

class PopupMenus;
class QtDialogs;

struct EditorContext {
    Configuration& c;
    QtDialogs& dialogs;
    PopupMenus& popups;
    // After a change of directions or channels (programs 1..3 follow, the
    // tables are settled, both tabs redrawn) or of a program's tacts (the
    // tables settled, the grid redrawn).
    std::function<void()> directionsChanged;
    std::function<void()> tactsChanged;
};

}  // namespace livra::ui
