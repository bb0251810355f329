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
    // After an edit has changed the tables and been shown: one undo step
    // named `name`; steps with the same nonzero key in a row make one.
    std::function<void(const char* name, int mergeKey)> recordStep;
    void recorded(const char* name, int mergeKey = 0) const {
        if (recordStep) recordStep(name, mergeKey);
    }
};

}  // namespace livra::ui
