#pragma once
// The calendar's pop-up menu and the alarm dialog. The rules live in src/edit.

namespace livra::ui {

class Editors;

class CalendarEditor {
public:
    explicit CalendarEditor(Editors& editors) : e_(editors) {}

    // An item of the calendar menu, by its id, for the selected entry.
    void menuChosen(int id);

private:
    Editors& e_;
};

}  // namespace livra::ui
