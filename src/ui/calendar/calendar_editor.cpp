#include "ui/calendar/calendar_editor.h"

#include <QTabBar>
#include <QTableWidget>

#include "edit/calendar_edit.h"
#include "ui/calendar/alarm_dialog.h"
#include "ui/editors/editors.h"
#include "ui/main_window.h"

namespace livra::ui {

namespace {

enum CalendarMenuId { MenuAdd = 1, MenuEdit = 2, MenuDelete = 3, MenuCancel = 4 };

const char* const kDayFull = "Список переполнен.\nНет места для новой записи.";

int selectedRow(QTableWidget* list) {
    return list->selectionModel()->hasSelection() ? list->currentRow() : -1;
}

}  // namespace

void CalendarEditor::menuChosen(int id) {
    MainWindow& w = e_.window();
    const int day = w.dayTabs()->currentIndex();
    const int row = selectedRow(w.calendarList());
    switch (id) {
    case MenuAdd: openAlarmDialog(-1); break;
    case MenuEdit:
        if (row >= 0) openAlarmDialog(row);
        break;
    case MenuDelete:
        if (deleteAlarm(w.configuration(), day, row)) w.refreshCalendarList();
        break;
    default: break;
    }
}

void CalendarEditor::openAlarmDialog(int row) {
    MainWindow& w = e_.window();
    Configuration& c = w.configuration();
    const int day = w.dayTabs()->currentIndex();
    if (day < 0 || day >= DayCount) return;
    const bool add = row < 0;
    bool& open = add ? addOpen_ : editOpen_;
    if (open) return;
    // An entry the lists cannot show (empty, or odd bytes from a file) is
    // not edited: "Ок" would store something the user never saw.
    if (!add && (row >= AlarmCount || !isEditableAlarm(c.Calendar[day][row]))) return;
    open = true;
    AlarmDialog dialog(&w, c, w.dialogs(), day, row);
    dialog.move(w.geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    dialog.exec();
    open = false;
    c.Modified = 1;
    w.refreshCalendarList();
    if (dialog.result() == AlarmResult::DayFull)
        w.dialogs().messageBox("Внимание!", kDayFull, Buttons::Ok, Icon::None);
}

}  // namespace livra::ui
