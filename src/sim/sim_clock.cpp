#include "sim/sim_clock.h"

#include <cstdio>

#include "model/civil_date.h"

namespace livra {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int64_t dayOf(const SimClock& c) { return floorDiv(c.seconds, kSecondsPerDay); }
int64_t secondOfDay(const SimClock& c) { return c.seconds - dayOf(c) * kSecondsPerDay; }

}  // namespace

bool isValidDate(int day, int month, int year) {
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap);
}

ClockFields clockFields(const SimClock& clock) {
    ClockFields f;
    const int64_t days = dayOf(clock);
    civilFromDays(days, f.year, f.month, f.day);
    const int64_t s = secondOfDay(clock);
    f.hour = int(s / 3600);
    f.minute = int(s / 60 % 60);
    f.second = int(s % 60);
    f.weekday = int(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    return f;
}

void advanceClock(SimClock& clock) { clock.seconds += 1; }

bool setClockDate(SimClock& clock, int day, int month, int year) {
    if (!isValidDate(day, month, year)) return false;
    clock.seconds = daysFromCivil(year, month, day) * kSecondsPerDay + secondOfDay(clock);
    return true;
}

bool setClockTime(SimClock& clock, int hour, int minute, int second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
    clock.seconds = dayOf(clock) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    return true;
}

std::string clockText(const SimClock& clock) {
    static const char* const kWeekdays[7] = {"Вс.", "Пн.", "Вт.", "Ср.", "Чт.", "Пт.", "Сб."};
    const ClockFields f = clockFields(clock);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%02d.%02d.%04d  %02d:%02d:%02d", kWeekdays[f.weekday], f.day, f.month, f.year,
                  f.hour, f.minute, f.second);
    return buf;
}

int minuteOfWeek(const SimClock& clock) {
    const ClockFields f = clockFields(clock);
    const int weekday = f.weekday == 0 ? 7 : f.weekday;
    return weekday * 1440 + f.hour * 60 + f.minute;
}

}  // namespace livra
