#include "edit/calendar_edit.h"

#include <algorithm>
#include <climits>

namespace livra {

namespace {

bool validDay(int day) { return day >= 0 && day < DayCount; }
bool validRow(int row) { return row >= 0 && row < AlarmCount; }
bool validTime(int hour, int minute) { return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59; }
bool validProgram(int p) { return p >= FirstAlarmProgram && p <= LastAlarmProgram; }

// An entry with odd bytes keeps its place among the real ones; only a truly
// empty entry goes to the end, so that entry 23 stays the last free place.
int sortKey(const CalendarEntry& e) { return e.empty() ? INT_MAX : e.hour * 60 + e.minute; }

bool sameTime(const CalendarEntry& e, int hour, int minute) { return e.hour == hour && e.minute == minute; }

CalendarEntry entry(int hour, int minute, int program) {
    return CalendarEntry{uint8_t(minute), uint8_t(hour), uint8_t(program)};
}

}  // namespace

bool isEditableAlarm(const CalendarEntry& e) { return validTime(e.hour, e.minute) && validProgram(e.program); }

void sortCalendar(Configuration& c) {
    for (auto& day : c.Calendar)
        std::stable_sort(day.begin(), day.end(),
                         [](const CalendarEntry& a, const CalendarEntry& b) { return sortKey(a) < sortKey(b); });
}

AlarmResult addAlarm(Configuration& c, int day, int hour, int minute, int program) {
    if (!validDay(day) || !validTime(hour, minute) || !validProgram(program)) return AlarmResult::Refused;
    CalendarDay& entries = c.Calendar[day];
    if (!entries[AlarmCount - 1].empty()) return AlarmResult::DayFull;
    for (const CalendarEntry& e : entries)
        if (sameTime(e, hour, minute)) return AlarmResult::DuplicateTime;
    entries[AlarmCount - 1] = entry(hour, minute, program);
    sortCalendar(c);
    c.Modified = 1;
    return AlarmResult::Stored;
}

AlarmResult editAlarm(Configuration& c, int day, int row, int hour, int minute, int program) {
    if (!validDay(day) || !validRow(row) || !validTime(hour, minute) || !validProgram(program) ||
        !isEditableAlarm(c.Calendar[day][row]))
        return AlarmResult::Refused;
    CalendarDay& entries = c.Calendar[day];
    const CalendarEntry wanted = entry(hour, minute, program);
    if (entries[row] != wanted) {
        for (int i = 0; i < AlarmCount; ++i)
            if (i != row && sameTime(entries[i], hour, minute)) return AlarmResult::DuplicateTime;
    }
    entries[row] = wanted;
    sortCalendar(c);
    c.Modified = 1;
    return AlarmResult::Stored;
}

bool deleteAlarm(Configuration& c, int day, int row) {
    if (!validDay(day) || !validRow(row)) return false;
    c.Calendar[day][row] = CalendarEntry{};
    sortCalendar(c);
    c.Modified = 1;
    return true;
}

bool copyDay(Configuration& c, int from, int to) {
    c.Modified = 1;
    if (!validDay(from) || !validDay(to)) return false;
    c.Calendar[to] = c.Calendar[from];
    sortCalendar(c);
    return true;
}

}  // namespace livra
