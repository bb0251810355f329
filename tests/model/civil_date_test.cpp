#include <gtest/gtest.h>

#include "model/civil_date.h"

using namespace livra;

TEST(CivilDate, KnownDaysRoundTripAcrossLeapYearsAndBefore1970) {
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(2000, 3, 1) - daysFromCivil(2000, 2, 28), 2);  // 2000 is a leap year
    EXPECT_EQ(daysFromCivil(1900, 3, 1) - daysFromCivil(1900, 2, 28), 1);  // 1900 is not
    EXPECT_EQ(daysFromCivil(1969, 12, 31), -1);
    for (int64_t z : {-25567, -1, 0, 10957, 20795, 2932896}) {
        int y, m, d;
        civilFromDays(z, y, m, d);
        EXPECT_EQ(daysFromCivil(y, m, d), z);
    }
    EXPECT_EQ(weekdayOf(1970, 1, 1), 4);
    EXPECT_EQ(weekdayOf(2026, 12, 7), 1);
    EXPECT_EQ(weekdayOf(1969, 12, 28), 7);
}
