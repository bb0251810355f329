#include "check/intergreen_calculator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/configuration.h"

using namespace livra;

TEST(IntergreenCalculator, WorkedExamplesRoundUpAndNeverGoBelowZero) {
    // A car clears 20 m to the conflict point at 10 m/s after 3 s of yellow;
    // a pedestrian entering from 3 m away at 1.2 m/s:
    // 3 + (20 + 6) / 10 − 3 / 1.2 = 3 + 2.6 − 2.5 = 3.1 → 4 s.
    IntergreenResult r = computeIntergreen({20, 6, 10, 3, 1.2, 3});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.exact, 3.1, 1e-9);
    EXPECT_EQ(r.seconds, 4);
    EXPECT_EQ(r.formula, "t_z = 3 + (20 + 6) / 10 − 3 / 1,2 = 3,1 → 4 с");

    // A whole result stays as it is, though binary fractions miss it by a hair:
    // 0 + (3.6 + 0) / 1.2 = 3.
    r = computeIntergreen({3.6, 0, 1.2, 0, 1.2, 0});
    EXPECT_EQ(r.seconds, 3);
    // A pedestrian clearing 12 m at 1.2 m/s, a car entering from 40 m at 10 m/s:
    // 0 + 12 / 1.2 − 40 / 10 = 6 s.
    EXPECT_EQ(computeIntergreen({12, 0, 1.2, 40, 10, 0}).seconds, 6);
    // The entering one needs longer than the clearing one: 0, not negative.
    r = computeIntergreen({5, 6, 10, 100, 10, 0});
    ASSERT_TRUE(r.ok);
    EXPECT_LT(r.exact, 0);
    EXPECT_EQ(r.seconds, 0);
    // No entering distance: its speed does not matter, even 0.
    EXPECT_EQ(computeIntergreen({10, 15, 10, 0, 0, 3}).seconds, 6);  // tram: 3 + 2.5 → 6
}

TEST(IntergreenCalculator, RefusesWhatNoCrossingHas) {
    EXPECT_FALSE(computeIntergreen({10, 6, 0, 0, 10, 3}).ok);    // clearing speed 0
    // A clearing distance of 0 is one nobody measured: no plausible 4 s from it.
    const IntergreenResult unmeasured = computeIntergreen({0, 6, 10, 0, 10, 3});
    EXPECT_FALSE(unmeasured.ok);
    EXPECT_EQ(unmeasured.error.rfind("Укажите путь освобождения s₀", 0), 0u) << unmeasured.error;
    EXPECT_TRUE(computeIntergreen({0.1, 6, 10, 0, 10, 3}).ok);
    EXPECT_FALSE(computeIntergreen({10, 6, 10, 5, 0, 3}).ok);    // entering speed 0 with a distance
    EXPECT_FALSE(computeIntergreen({-1, 6, 10, 0, 10, 3}).ok);   // negative distance
    EXPECT_FALSE(computeIntergreen({10, 6, 10, 0, 10, -3}).ok);  // negative time
    EXPECT_FALSE(computeIntergreen({1001, 6, 10, 0, 10, 3}).ok);
    EXPECT_FALSE(computeIntergreen({10, 6, 60, 0, 10, 3}).ok);
    const IntergreenResult big = computeIntergreen({1000, 100, 0.5, 0, 10, 60});  // 60 + 2200 s
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.error, "Промежуточное время больше 255 с");
    EXPECT_FALSE(computeIntergreen({std::nan(""), 6, 10, 0, 10, 3}).ok);
}

TEST(IntergreenCalculator, DefaultsFollowTheKinds) {
    const IntergreenInputs car = defaultIntergreenInputs(DirVehicle, DirPedestrian);
    EXPECT_EQ(car, (IntergreenInputs{0, 6, 10, 0, 1.2, 3}));
    const IntergreenInputs tram = defaultIntergreenInputs(DirTram2, DirVehicle);
    EXPECT_EQ(tram, (IntergreenInputs{0, 15, 10, 0, 10, 3}));
    const IntergreenInputs walker = defaultIntergreenInputs(DirPedestrian, DirVehicle);
    EXPECT_EQ(walker, (IntergreenInputs{0, 0, 1.2, 0, 10, 0}));
}
