#include "oracle/sim_oracle.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace livra::oracle {
namespace {

// The clock as a broken-down date that ticks one second at a time; no day
// counting from an epoch, so it shares no arithmetic with the program.
struct Clock {
    int year, month, day, hour, minute, second;
    int weekday;  // 0 Sunday … 6 Saturday

    static bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
    static int monthLength(int y, int m) {
        static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return m == 2 && leap(y) ? 29 : days[m - 1];
    }
    static int weekdayOf(int y, int m, int d) {
        static const int t[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
        if (m < 3) y -= 1;
        return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
    }

    explicit Clock(const ClockStart& s)
        : year(s.year), month(s.month), day(s.day), hour(s.hour), minute(s.minute), second(s.second),
          weekday(weekdayOf(s.year, s.month, s.day)) {}

    void advance() {
        if (++second < 60) return;
        second = 0;
        if (++minute < 60) return;
        minute = 0;
        if (++hour < 24) return;
        hour = 0;
        weekday = (weekday + 1) % 7;
        if (++day <= monthLength(year, month)) return;
        day = 1;
        if (++month <= 12) return;
        month = 1;
        ++year;
    }

    std::string text() const {
        static const char* names[7] = {"Вс.", "Пн.", "Вт.", "Ср.", "Чт.", "Пт.", "Сб."};
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s%02d.%02d.%04d  %02d:%02d:%02d", names[weekday], day, month, year, hour,
                      minute, second);
        return buf;
    }

    // Monday 1 … Sunday 7, times 1440, plus the minute of the day.
    int minuteOfWeek() const { return (weekday == 0 ? 7 : weekday) * 1440 + hour * 60 + minute; }
};

bool usedKind(uint8_t k) { return (k >= 1 && k <= 9) || k == 12 || k == 13; }

// Leading blanks, a sign, digits; anything else ends the number.
long delayValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000) value = value * 10 + (text[i++] - '0');
    return negative ? -value : value;
}

int tramCode(int s1, int s2, int s3) {
    int code = s1;
    auto is = [&](int a, int b, int c) { return s1 == a && s2 == b && s3 == c; };
    if (is(3, 3, 3)) code = 1;
    if (is(3, 1, 1)) code = 2;
    if (is(3, 3, 1)) code = 3;
    if (is(3, 1, 3)) code = 4;
    if (is(0, 0, 0)) code = 0;
    if (is(1, 1, 3)) code = 5;
    if (is(1, 3, 1)) code = 6;
    if (is(1, 3, 3)) code = 7;
    if (is(1, 1, 1)) code = 8;
    if (s1 == 7 || s2 == 7 || s3 == 7) code = 0;
    return code;
}

class Engine {
public:
    Engine(const Configuration& c, const Clock& clock, SimStats& stats) : c_(c), clock_(clock), stats_(stats) {
        for (int d = 0; d < DirectionCount; ++d) {
            if (c.DirectionKind[d] == DirTvp1) hasInput1_ = true;
            if (c.DirectionKind[d] == DirTvp2) hasInput2_ = true;
        }
        while (shown_ < DirectionCount && usedKind(c.DirectionKind[shown_])) ++shown_;
    }

    void tick() {
        if (remaining_ > 0) {
            countDown();
            return;
        }
        // The loop is endless exactly when it comes back to tact 0 a second
        // time without loading: from the first return on nothing can change
        // (the calendar is read at the same minute, and a call can only be
        // cleared at the first empty tact after its call tact).
        int returns = 0;
        for (;;) {
            if (tact_ == 0 && !called1_ && !called2_) {
                const int chosen = calendarProgram() - 1;
                if (chosen != program_ && chosen >= 0) ++stats_.programChanges;
                program_ = chosen;
            }
            if (program_ < 0 || program_ >= ProgramCount) {
                ++stats_.nothingSelected;
                return;
            }
            if (tact_ > TactCount - 1) {
                ++stats_.endOfTable;
                return;
            }
            const Tact& t = c_.TactTable[program_][tact_];
            kind_ = t.kind;
            minCountdown_ = uint8_t(t.tMin);
            mainCountdown_ = uint8_t(t.tMain);
            if ((kind_ == TactTvp1 && !called1_) || (kind_ == TactTvp2 && !called2_)) {
                ++tact_;
                ++stats_.callTactsSkipped;
                continue;
            }
            if (prevKind_ == TactTvp1 && kind_ != TactTvp1) {
                called1_ = false;
                restartDelay(1);
            }
            if (prevKind_ == TactTvp2 && kind_ != TactTvp2) {
                called2_ = false;
                restartDelay(2);
            }
            prevKind_ = kind_;
            if (kind_ == TactTvp1 || kind_ == TactTvp2) ++stats_.callTactsShown;
            if (kind_ > 0) handSignals();
            if (kind_ != 0) {
                ++tact_;
                countDown();
                return;
            }
            tact_ = 0;
            if (++returns == 2) return giveUp();
        }
    }

    void tickDelays() {
        delay1_ = std::max(0, delay1_ - 1);
        delay2_ = std::max(0, delay2_ - 1);
    }

    bool call(int n) {
        const bool userProgram = program_ >= FirstUserProgram && program_ < ProgramCount;
        if (n == 1) {
            if (!userProgram || !hasInput1_ || kind_ == TactTvp1) return false;
            called1_ = true;
        } else {
            if (!userProgram || !hasInput2_ || kind_ == TactTvp2) return false;
            called2_ = true;
        }
        ++stats_.acceptedPresses;
        return true;
    }

    std::string line() const {
        std::string s = clock_.text() + "\t" + std::to_string(program_ + 1) + "\t" + std::to_string(tact_) + "\t";
        for (int d = 0; d < shown_; ++d) {
            if (d) s += ' ';
            s += std::to_string(handed_[d]);
        }
        return s + "\n";
    }

private:
    int calendarProgram() const {
        const int now = clock_.minuteOfWeek();
        int chosen = -1, last = 0;
        for (int d = 0; d < DayCount; ++d)
            for (const CalendarEntry& e : c_.Calendar[d]) {
                if (e.minute >= 125 || e.hour >= 125 || e.program >= 125) continue;
                last = e.program;
                if ((d + 1) * 1440 + e.hour * 60 + e.minute <= now) chosen = e.program;
            }
        return chosen != -1 ? chosen : last;
    }

    void countDown() {
        const bool effective = (called1_ && delay1_ == 0) || (called2_ && delay2_ == 0);
        if (kind_ == TactPhase && effective) {
            remaining_ = --minCountdown_;
            ++stats_.shortenedTicks;
        } else {
            remaining_ = --mainCountdown_;
            if (kind_ == TactPhase && (called1_ || called2_)) ++stats_.heldByDelay;
        }
    }

    void restartDelay(int n) {
        if (n == 1) {
            delay1_ = int(std::max(0L, delayValue(c_.Tvp1Delay)));
            delay2_ = std::max(0, delay2_ - 1);
        } else {
            delay2_ = int(std::max(0L, delayValue(c_.Tvp2Delay)));
            delay1_ = std::max(0, delay1_ - 1);
        }
    }

    void giveUp() {
        ++stats_.givenUp;
        tact_ = 0;
        kind_ = 0;
    }

    void handSignals() {
        const auto& row = c_.TactSignals[program_][tact_];
        for (int i = 0; i < DirectionCount && usedKind(c_.DirectionKind[i]); ++i) {
            int s = row[i];
            if (c_.DirectionKind[i] == DirTram1) {
                // Rows past the last direction read as not set.
                s = tramCode(row[i], i + 1 < DirectionCount ? row[i + 1] : 0, i + 2 < DirectionCount ? row[i + 2] : 0);
                ++stats_.tramHeads;
            }
            handed_[i] = s;
        }
    }

    const Configuration& c_;
    const Clock& clock_;
    SimStats& stats_;
    bool hasInput1_ = false, hasInput2_ = false;
    int shown_ = 0;
    std::array<int, DirectionCount> handed_{};

    int program_ = 0, tact_ = 0, remaining_ = 0, kind_ = 0, prevKind_ = 0;
    uint8_t minCountdown_ = 0, mainCountdown_ = 0;
    bool called1_ = false, called2_ = false;
    int delay1_ = 0, delay2_ = 0;
};

}  // namespace

std::string startText(const ClockStart& s) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", s.day, s.month, s.year, s.hour, s.minute, s.second);
    return buf;
}

SimResult simulate(const Configuration& c, const SimRequest& request) {
    Clock clock(request.start);
    SimResult result;
    Engine engine(c, clock, result.stats);
    std::vector<int> presses1 = request.call1, presses2 = request.call2;
    std::sort(presses1.begin(), presses1.end());
    std::sort(presses2.begin(), presses2.end());
    std::size_t next1 = 0, next2 = 0;
    auto press = [&](int k) {
        for (; next1 < presses1.size() && presses1[next1] <= k; ++next1)
            if (presses1[next1] == k && !engine.call(1)) result.refused1.push_back(k);
        for (; next2 < presses2.size() && presses2[next2] <= k; ++next2)
            if (presses2[next2] == k && !engine.call(2)) result.refused2.push_back(k);
    };
    for (int second = 0; second < request.seconds; ++second) {
        press(second);
        clock.advance();
        engine.tick();
        engine.tickDelays();
        result.out += engine.line();
    }
    // A press after the last second can change nothing shown; the program
    // does not try it, so neither does the model.
    return result;
}

}  // namespace livra::oracle
