#include "link/controller_records.h"

namespace livra {

int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

int weekdayOf(int year, int month, int day) {
    const int64_t z = daysFromCivil(year, month, day);  // 1970-01-01 was a Thursday
    const int64_t w = ((z % 7) + 7 + 3) % 7;           // 0 Monday
    return int(w) + 1;
}

int64_t civilSeconds(int year, int month, int day, int hour, int minute, int second) {
    return (daysFromCivil(year, month, day) - daysFromCivil(2000, 1, 1)) * 86400 + hour * 3600 + minute * 60 + second;
}

ClockRecord clockRecordAt(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int y, m, d;
    civilFromDays(days + daysFromCivil(2000, 1, 1), y, m, d);
    ClockRecord r;
    r.second = uint8_t(rest % 60);
    r.minute = uint8_t(rest / 60 % 60);
    r.hour = uint8_t(rest / 3600);
    r.weekday = uint8_t(weekdayOf(y, m, d));
    r.day = uint8_t(d);
    r.month = uint8_t(m);
    r.year = uint8_t(y < 2000 ? 0 : y - 2000);
    return r;
}

int64_t secondsOf(const ClockRecord& r) {
    return civilSeconds(2000 + r.year, r.month, r.day, r.hour, r.minute, r.second);
}

}  // namespace livra

#include <ctime>
#include <mutex>

namespace livra {

int64_t localClockSeconds() {
    static std::mutex guard;  // std::localtime shares one buffer
    const std::time_t t = std::time(nullptr);
    std::lock_guard lock(guard);
    const std::tm* tm = std::localtime(&t);
    if (!tm) return 0;
    return civilSeconds(tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec);
}

}  // namespace livra
