#pragma once
// Which program the calendar runs: the one rule the simulation engine, the
// safety check and the exports share.
#include "model/configuration.h"

namespace livra {

// An entry the controller skips: any byte 125 or above.
inline bool isCalendarEntryIgnored(const CalendarEntry& e) {
    return e.minute >= 125 || e.hour >= 125 || e.program >= 125;
}

// The minute of the week an entry of day d (0 = Monday) takes effect, on the
// scale of minuteOfWeek: Monday 00:00 is 1440.
inline int calendarEntryMinute(int day, const CalendarEntry& e) { return (day + 1) * 1440 + e.hour * 60 + e.minute; }

// The program (1-based, as the calendar stores it) in force at minute `now`
// of the week: the last entry in table order that has taken effect, or, when
// none has yet this week, the last entry of the table (last week's); 0 for a
// calendar without entries.
int calendarProgramAt(const Configuration& c, int now);

}  // namespace livra
