#pragma once
// The calendar's pop-up menu and the alarm dialog. The rules live in src/edit.

namespace livra::ui {

class Editors;

class CalendarEditor {
public:
    explicit CalendarEditor(Editors& editors) : e_(editors) {}

    // An item of the calendar menu, by its id, for the selected day and entry.
    void menuChosen(int id);

    // The alarm dialog in add mode (row < 0) or for entry `row` of the
    // selected day.
    void openAlarmDialog(int row);

private:
    Editors& e_;
    bool addOpen_ = false;
    bool editOpen_ = false;
};

}  // namespace livra::ui
