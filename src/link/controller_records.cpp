#include "link/controller_records.h"

namespace livra {

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
