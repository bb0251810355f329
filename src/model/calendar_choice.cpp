#include "model/calendar_choice.h"

namespace livra {

int calendarProgramAt(const Configuration& c, int now) {
    int chosen = -1, last = 0;
    for (int d = 0; d < DayCount; ++d)
        for (const CalendarEntry& e : c.Calendar[d]) {
            if (isCalendarEntryIgnored(e)) continue;
            last = e.program;
            if (calendarEntryMinute(d, e) <= now) chosen = e.program;
        }
    return chosen != -1 ? chosen : last;
}

}  // namespace livra
