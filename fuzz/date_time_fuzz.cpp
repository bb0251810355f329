// Dates and times from outside: simulate's --start text and the civil
// calendar under it. Byte 0 even: the rest is a --start text, checked against
// an independent reading (a regular expression and the calendar rules); odd:
// the rest gives a year, month, day and a day number for the calendar's
// round trips, with any values a caller could pass.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "cli/cli_util.h"
#include "model/civil_date.h"
#include "sim/sim_clock.h"

using namespace livra;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool leapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool realDate(int64_t y, int m, int d) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m >= 1 && m <= 12 && d >= 1 && d <= kDays[m - 1] + (m == 2 && leapYear(y));
}

void startText(const std::string& text) {
    static const std::regex form(R"(^(\d{1,2})\.(\d{1,2})\.(\d{1,4}) +(\d{1,2}):(\d{1,2}):(\d{1,2})$)");
    std::smatch m;
    bool expected = std::regex_match(text, m, form);
    int f[6] = {};
    if (expected) {
        for (int i = 0; i < 6; ++i) f[i] = std::stoi(m[i + 1].str());
        expected = f[2] >= 1900 && f[2] <= 9999 && realDate(f[2], f[1], f[0]) && f[3] <= 23 && f[4] <= 59 && f[5] <= 59;
    }
    SimClock clock{12345};
    const bool accepted = cli::setClockFromText(clock, text);
    check(accepted == expected);
    if (!accepted) {
        check(clock.seconds == 12345);
        return;
    }
    const ClockFields c = clockFields(clock);
    check(c.day == f[0] && c.month == f[1] && c.year == f[2] && c.hour == f[3] && c.minute == f[4] && c.second == f[5]);
    char again[32];
    std::snprintf(again, sizeof again, "%02d.%02d.%04d %02d:%02d:%02d", c.day, c.month, c.year, c.hour, c.minute,
                  c.second);
    SimClock other;
    check(cli::setClockFromText(other, again) && other.seconds == clock.seconds);
}

void calendar(const uint8_t* data, std::size_t size) {
    if (size < 20) return;
    int32_t year, month, day;
    int64_t number;
    std::memcpy(&year, data, 4);
    std::memcpy(&month, data + 4, 4);
    std::memcpy(&day, data + 8, 4);
    std::memcpy(&number, data + 12, 8);
    // Whatever the fields, the day number is defined.
    (void)daysFromCivil(year, month, day);
    if (realDate(year, month, day)) {
        const int64_t n = daysFromCivil(year, month, day);
        int y, m, d;
        civilFromDays(n, y, m, d);
        check(y == year && m == month && d == day);
        civilFromDays(n + 1, y, m, d);
        check(realDate(y, m, d) && (d == day + 1 || d == 1));
        check(daysFromCivil(y, m, d) == n + 1);
        const int w = weekdayOf(year, month, day);
        check(w >= 1 && w <= 7 && weekdayOf(y, m, d) == w % 7 + 1);
    }
    // Day numbers of years a 32-bit year can name.
    number %= int64_t(1) << 38;
    int y, m, d;
    civilFromDays(number, y, m, d);
    check(realDate(y, m, d) && daysFromCivil(y, m, d) == number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 200) return 0;
    if (data[0] % 2 == 0)
        startText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    else
        calendar(data + 1, size - 1);
    return 0;
}
