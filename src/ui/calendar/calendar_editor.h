#pragma once
// The calendar's pop-up menu and the alarm dialog. The rules live in src/edit.
#include "ui/editor_context.h"

namespace livra::ui {

class DirectionsTab;

class CalendarEditor {
public:
    CalendarEditor(EditorContext context, DirectionsTab& tab) : e_(std::move(context)), tab_(tab) {}

    // An item of the calendar menu, by its id, for the selected day and entry.
    void menuChosen(int id);

    // The alarm dialog in add mode (row < 0) or for entry `row` of the
    // selected day.
    void openAlarmDialog(int row);
    // The day copy: day `source` onto day `target`.
    void copyDay(int source, int target);
    // "Копировать сутки": day `source` onto the days ticked in its dialog.
    void copyToDays(int source);

private:
    EditorContext e_;
    DirectionsTab& tab_;
    bool addOpen_ = false;
    bool editOpen_ = false;
};

}  // namespace livra::ui
