#include "edit/calendar_edit.h"

#include <algorithm>
#include <climits>
#include <memory>

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

bool copyDayTo(Configuration& c, int from, DayMask days) {
    if (!validDay(from)) return false;
    const CalendarDay source = c.Calendar[from];
    for (int d = 0; d < DayCount; ++d)
        if ((days & dayBit(d)) && d != from) c.Calendar[d] = source;
    sortCalendar(c);
    c.Modified = 1;
    return true;
}

DaysAlarmResult addAlarmToDays(Configuration& c, DayMask days, int hour, int minute, int program) {
    // Tried on a copy of the calendar: one refusing day changes nothing.
    auto trial = std::make_unique<Configuration>();  // half a megabyte: not on the stack
    trial->Calendar = c.Calendar;
    bool any = false;
    for (int d = 0; d < DayCount; ++d) {
        if (!(days & dayBit(d))) continue;
        any = true;
        const AlarmResult r = addAlarm(*trial, d, hour, minute, program);
        if (r != AlarmResult::Stored) return {r, d};
    }
    if (!any) return {AlarmResult::Refused, -1};
    c.Calendar = trial->Calendar;
    c.Modified = 1;
    return {};
}

bool parseTimeOfDay(const std::string& text, int& hour, int& minute) {
    std::string s;
    for (char ch : text)
        if (ch != ' ') s += ch;
    auto digits = [](const std::string& part) {
        if (part.empty() || part.size() > 2) return -1;
        int v = 0;
        for (char ch : part) {
            if (ch < '0' || ch > '9') return -1;
            v = v * 10 + (ch - '0');
        }
        return v;
    };
    int h = -1, m = -1;
    const auto colon = s.find_first_of(":.");
    if (colon != std::string::npos) {
        h = digits(s.substr(0, colon));
        m = s.size() - colon - 1 == 2 ? digits(s.substr(colon + 1)) : -1;
    } else if (s.size() == 4) {
        h = digits(s.substr(0, 2));
        m = digits(s.substr(2));
    } else {
        h = digits(s);
        m = 0;
    }
    if (!validTime(h, m)) return false;
    hour = h;
    minute = m;
    return true;
}

}  // namespace livra
