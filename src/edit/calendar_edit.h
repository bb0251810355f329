#pragma once
// The weekly calendar: adding, editing and deleting alarms, keeping each
// day's entries in time order (empty entries last), copying a day.
#include <cstdint>
#include <string>

#include "model/configuration.h"

namespace livra {

enum class AlarmResult {
    Stored,
    DayFull,        // entry 23 is used: no place for a new alarm
    DuplicateTime,  // another entry of the day has this time
    Refused,        // day, row, hour, minute or program outside the lists
};

// The lists of the alarm dialog: hours 0..23, minutes 0..59, programs 2..16.
constexpr int FirstAlarmProgram = 2;
constexpr int LastAlarmProgram = ProgramCount;

// True when the alarm dialog can show this entry: hour, minute and program
// within the dialog's lists. Empty entries and odd bytes from a file are not.
bool isEditableAlarm(const CalendarEntry& e);

// Orders every day's entries by time of day, equal times keeping their
// order; empty entries stand after all others.
void sortCalendar(Configuration& c);

// A new alarm at hour:minute switching to program (2..16) on a day (0..6).
AlarmResult addAlarm(Configuration& c, int day, int hour, int minute, int program);

// Replaces entry `row` of a day. Refused for an entry isEditableAlarm says
// no to: the dialog could not have shown it.
AlarmResult editAlarm(Configuration& c, int day, int row, int hour, int minute, int program);

// Empties entry `row`; the day's later entries move up. False when day or
// row is outside the table.
bool deleteAlarm(Configuration& c, int day, int row);

// All 24 entries of day `from` over day `to`, empty ones included.
bool copyDay(Configuration& c, int from, int to);

// Sets of days, bit 0 Monday … bit 6 Sunday, as the templates name them.
using DayMask = uint8_t;
inline constexpr DayMask kWeekdays = 0x1F;   // "Будни"
inline constexpr DayMask kWeekend = 0x60;    // "Выходные"
inline constexpr DayMask kEveryDay = 0x7F;   // "Каждый день"
inline constexpr DayMask dayBit(int day) { return DayMask(1u << day); }

// Day `from`'s entries over every day of `days` (`from` itself left as it
// is). False when `from` is outside the week.
bool copyDayTo(Configuration& c, int from, DayMask days);

// One alarm on every day of `days`, all or nothing: when one day cannot take
// it (full, the time taken, input outside the lists) no day changes, and the
// result and that day are returned.
struct DaysAlarmResult {
    AlarmResult result = AlarmResult::Stored;
    int day = -1;  // the day that refused
};
DaysAlarmResult addAlarmToDays(Configuration& c, DayMask days, int hour, int minute, int program);

// "06:30", "6:30", "0630" or "6" (whole hours) as hour and minute; false for
// anything else or a time outside 00:00..23:59.
bool parseTimeOfDay(const std::string& text, int& hour, int& minute);

}  // namespace livra
