// The formulas against worked examples as published, and by hand.
#include "timing/webster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace livra::timing {
namespace {

// byjus.com, "If the normal flows on two approach roads at an intersection
// are respectively 500 pcu per hr and 300 pcu per hr…": s = 1600 on each
// road, L = 16 s; published Y = 0.5, C0 = 58 s.
TEST(Webster, CycleOfTheTwoRoadsExampleOfByjus) {
    const double Y = 500.0 / 1600 + 300.0 / 1600;
    EXPECT_DOUBLE_EQ(Y, 0.5);
    EXPECT_DOUBLE_EQ(optimumCycle(16, Y), 58.0);
}

// interviewmania.com, a GATE question: N-S 1000 of 2500, E-W 900 of 3000,
// L = 12 s; published y = 0.4 and 0.3, Y = 0.7, C0 = 77 s (76.7 rounded up).
TEST(Webster, CycleOfTheGateExampleOfInterviewmania) {
    const double Y = 1000.0 / 2500 + 900.0 / 3000;
    EXPECT_NEAR(Y, 0.7, 1e-12);
    EXPECT_NEAR(optimumCycle(12, Y), 76.667, 1e-3);
    EXPECT_EQ(std::ceil(optimumCycle(12, Y)), 77);
}

// Highway Engineering (M. Rogers), Example 5.6, three stages: ymax 0.25,
// 0.25 and 0.22, L = 12 s; published Y = 0.72 and C0 = 23/0.28 = 82 s
// (the book rounds to the nearest second, we round up: 83 s).
TEST(Webster, CycleOfTheThreeStageExampleOfHighwayEngineering) {
    const double c0 = optimumCycle(12, 0.25 + 0.25 + 0.22);
    EXPECT_NEAR(c0, 23 / 0.28, 1e-9);
    EXPECT_EQ(std::lround(c0), 82);
    EXPECT_EQ(std::ceil(c0), 83);
}

// byjus.com, "The uniform arrival and uniform service rates observed on an
// approach road… are 20 and 50 vehicles/minutes": red 30 s, effective green
// 30 s, cycle 60 s; published average delay 12.5 s.
TEST(Webster, UniformDelayOfTheByjusApproach) {
    EXPECT_DOUBLE_EQ(uniformDelay(20 * 60, 50 * 60, 60, 30), 12.5);
}

// The three terms by hand for C = 60, g = 27, q = 600, s = 1800: x = 0.7407,
// 13.6125 + 6.3492 − 2.3468 = 17.615 s. Past saturation, without green or
// without flow the delay is what it must be.
TEST(Webster, ThreeTermDelayAndItsLimits) {
    EXPECT_NEAR(*saturationDegree(600, 1800, 60, 27), 0.74074, 1e-5);
    EXPECT_NEAR(*websterDelay(600, 1800, 60, 27), 17.6149, 1e-4);
    EXPECT_FALSE(websterDelay(1800, 1800, 60, 30).has_value());  // x = 2
    EXPECT_FALSE(websterDelay(900, 1800, 60, 30).has_value());   // x = 1 exactly
    EXPECT_TRUE(websterDelay(899, 1800, 60, 30).has_value());
    EXPECT_FALSE(websterDelay(100, 1800, 60, 0).has_value());
    EXPECT_FALSE(saturationDegree(100, 1800, 60, 0).has_value());
    EXPECT_DOUBLE_EQ(*websterDelay(0, 1800, 60, 30), 7.5);  // 60·0.25/2
    // More flow, more delay; more green, less.
    EXPECT_LT(*websterDelay(300, 1800, 60, 27), *websterDelay(600, 1800, 60, 27));
    EXPECT_GT(*websterDelay(600, 1800, 60, 25), *websterDelay(600, 1800, 60, 30));
}

TEST(Webster, SplitKeepsTheSumAndGivesTheRestToTheLargestRemainders) {
    EXPECT_EQ(splitKeepingSum(33, {0.25, 0.1222}), (std::vector<int>{22, 11}));  // 22.16, 10.84
    EXPECT_EQ(splitKeepingSum(10, {1, 1, 1}), (std::vector<int>{4, 3, 3}));     // ties: earlier first
    EXPECT_EQ(splitKeepingSum(7, {0, 2, 0}), (std::vector<int>{0, 7, 0}));
    EXPECT_EQ(splitKeepingSum(5, {0, 0}), (std::vector<int>{0, 0}));
    for (int total = 1; total < 200; total += 7) {
        const auto s = splitKeepingSum(total, {0.31, 0.17, 0.05, 0.2});
        EXPECT_EQ(std::accumulate(s.begin(), s.end(), 0), total);
    }
}

}  // namespace
}  // namespace livra::timing
