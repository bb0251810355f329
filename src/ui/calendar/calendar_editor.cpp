#include "ui/calendar/calendar_editor.h"

#include "edit/calendar_edit.h"
#include "ui/calendar/alarm_dialog.h"
#include "ui/calendar/copy_days_dialog.h"
#include "ui/directions/directions_tab.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

enum CalendarMenuId { MenuAdd = 1, MenuEdit = 2, MenuDelete = 3, MenuCancel = 4 };

}  // namespace

void CalendarEditor::menuChosen(int id) {
    const int day = tab_.selectedDay();
    const int row = tab_.selectedCalendarRow();
    switch (id) {
    case MenuAdd: openAlarmDialog(-1); break;
    case MenuEdit:
        if (row >= 0) openAlarmDialog(row);
        break;
    case MenuDelete:
        if (deleteAlarm(e_.c, day, row)) {
            tab_.refreshCalendarList();
            e_.recorded(kStepDeleteCalendarEntry);
        }
        break;
    default: break;
    }
}

void CalendarEditor::openAlarmDialog(int row) {
    Configuration& c = e_.c;
    const int day = tab_.selectedDay();
    if (day < 0 || day >= DayCount) return;
    const bool add = row < 0;
    bool& open = add ? addOpen_ : editOpen_;
    if (open) return;
    // An entry the lists cannot show (empty, or odd bytes from a file) is
    // not edited: "Ок" would store something the user never saw.
    if (!add && (row >= AlarmCount || !isEditableAlarm(c.Calendar[day][row]))) return;
    open = true;
    QWidget* window = tab_.window();
    AlarmDialog dialog(window, c, e_.dialogs, day, row);
    dialog.move(window->geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    dialog.exec();
    open = false;
    c.Modified = 1;
    tab_.refreshCalendarList();
    e_.recorded(kStepCalendarEntry);
    if (dialog.result() == AlarmResult::DayFull)
        e_.dialogs.messageBox(kWarningMarkTitle, kDayFullText, Buttons::Ok, Icon::None);
}

void CalendarEditor::copyToDays(int source) {
    if (source < 0 || source >= DayCount) return;
    CopyDaysDialog dialog(tab_.window(), source);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenDays() == 0) return;
    if (!copyDayTo(e_.c, source, dialog.chosenDays())) return;
    tab_.refreshCalendarList();
    e_.recorded(kStepCopyDay);
}

void CalendarEditor::copyDay(int source, int target) {
    if (!livra::copyDay(e_.c, source, target)) return;
    tab_.refreshCalendarList();
    e_.recorded(kStepCopyDay);
}

}  // namespace livra::ui
