#include "sim/sim_clock.h"

#include <gtest/gtest.h>

namespace livra {
namespace {

TEST(SimClock, TextOfTheEpochAndOfADate) {
    SimClock clock;
    EXPECT_EQ(clockText(clock), "Чт.01.01.1970  00:00:00");
    advanceClock(clock);
    EXPECT_EQ(clockText(clock), "Чт.01.01.1970  00:00:01");
    ASSERT_TRUE(setClockDate(clock, 7, 12, 2026));
    EXPECT_EQ(clockText(clock), "Пн.07.12.2026  00:00:01") << "the time of day is kept";
    ASSERT_TRUE(setClockTime(clock, 5, 14, 13));
    EXPECT_EQ(clockText(clock), "Пн.07.12.2026  05:14:13");
    ASSERT_TRUE(setClockDate(clock, 13, 12, 2026));
    EXPECT_EQ(clockText(clock), "Вс.13.12.2026  05:14:13");
    ASSERT_TRUE(setClockTime(clock, 23, 59, 59));
    EXPECT_EQ(clockText(clock), "Вс.13.12.2026  23:59:59") << "the date is kept";
}

TEST(SimClock, AdvancesOverDayMonthYearAndLeapDay) {
    SimClock clock;
    ASSERT_TRUE(setClockDate(clock, 31, 12, 2026));
    ASSERT_TRUE(setClockTime(clock, 23, 59, 59));
    advanceClock(clock);
    EXPECT_EQ(clockText(clock), "Пт.01.01.2027  00:00:00");
    ASSERT_TRUE(setClockDate(clock, 28, 2, 2028));
    ASSERT_TRUE(setClockTime(clock, 23, 59, 59));
    advanceClock(clock);
    EXPECT_EQ(clockText(clock), "Вт.29.02.2028  00:00:00");
    ASSERT_TRUE(setClockDate(clock, 31, 12, 1969));
    ASSERT_TRUE(setClockTime(clock, 23, 59, 59));
    EXPECT_EQ(clock.seconds, -1);
    EXPECT_EQ(clockText(clock), "Ср.31.12.1969  23:59:59");
}

TEST(SimClock, RejectsDatesAndTimesThatDoNotExist) {
    SimClock clock;
    ASSERT_TRUE(setClockDate(clock, 7, 12, 2026));
    const auto before = clock.seconds;
    EXPECT_FALSE(setClockDate(clock, 31, 2, 2026));
    EXPECT_FALSE(setClockDate(clock, 29, 2, 2027));
    EXPECT_FALSE(setClockDate(clock, 29, 2, 1900));
    EXPECT_FALSE(setClockDate(clock, 1, 13, 2026));
    EXPECT_FALSE(setClockDate(clock, 0, 1, 2026));
    EXPECT_FALSE(setClockDate(clock, 1, 1, 1899));
    EXPECT_FALSE(setClockTime(clock, 24, 0, 0));
    EXPECT_FALSE(setClockTime(clock, 0, 60, 0));
    EXPECT_FALSE(setClockTime(clock, 0, 0, -1));
    EXPECT_EQ(clock.seconds, before);
    EXPECT_TRUE(setClockDate(clock, 29, 2, 2000));
    EXPECT_TRUE(setClockDate(clock, 31, 1, 9999));
}

TEST(SimClock, MinuteOfWeekRunsMondayToSunday) {
    SimClock clock;
    ASSERT_TRUE(setClockDate(clock, 7, 12, 2026));
    EXPECT_EQ(minuteOfWeek(clock), 1440);
    ASSERT_TRUE(setClockTime(clock, 6, 30, 59));
    EXPECT_EQ(minuteOfWeek(clock), 1440 + 390);
    ASSERT_TRUE(setClockDate(clock, 13, 12, 2026));
    ASSERT_TRUE(setClockTime(clock, 23, 59, 0));
    EXPECT_EQ(minuteOfWeek(clock), 11519);
    EXPECT_EQ(minuteOfWeek(SimClock{}), 4 * 1440) << "1970-01-01 was a Thursday";
}

}  // namespace
}  // namespace livra
