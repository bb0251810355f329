#pragma once
// The simulated clock: whole seconds since 1970-01-01 00:00:00, no time zone.
// It runs only when the simulator advances it, never from the computer's clock.
#include <cstdint>
#include <string>

namespace livra {

struct SimClock {
    int64_t seconds = 0;
};

// Civil date and time of a clock value; weekday 0 = Sunday … 6 = Saturday.
struct ClockFields {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;
};

ClockFields clockFields(const SimClock& clock);

void advanceClock(SimClock& clock);

// Replace the date (resp. the time of day) and keep the rest. A date that does
// not exist (31.02, month 13, year outside 1900..9999) or a time outside
// 00:00:00..23:59:59 changes nothing and returns false.
bool setClockDate(SimClock& clock, int day, int month, int year);
bool setClockTime(SimClock& clock, int hour, int minute, int second);

// "Пн.07.12.2026  05:14:13": weekday abbreviation, date, two blanks, time.
std::string clockText(const SimClock& clock);

// Monday 00:00 = 1440 … Sunday 23:59 = 11519.
int minuteOfWeek(const SimClock& clock);

bool isValidDate(int day, int month, int year);

}  // namespace livra
