#pragma once
// Civil calendar arithmetic (proleptic Gregorian), independent of time zones:
// the controller's clock and the simulated clock both count in it.
#include <cstdint>

namespace livra {

// Days since 1970-01-01; dates before 1970 give negative numbers.
int64_t daysFromCivil(int64_t year, int month, int day);
void civilFromDays(int64_t days, int& year, int& month, int& day);
// 1 Monday … 7 Sunday.
int weekdayOf(int year, int month, int day);

}  // namespace livra
