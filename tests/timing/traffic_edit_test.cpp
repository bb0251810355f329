// Typed traffic numbers: each field at both its bounds, and where it applies.
#include "timing/traffic_edit.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra::timing {
namespace {

TEST(TrafficEdit, EachFieldParsedAtBothBounds) {
    struct Case {
        TrafficField f;
        std::string text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {TrafficField::Flow, "0", 0},        {TrafficField::Flow, "10000", 10000},
        {TrafficField::Flow, "10001", {}},   {TrafficField::Flow, "-1", {}},
        {TrafficField::Flow, "1.5", {}},     {TrafficField::Flow, "", {}},
        {TrafficField::Flow, "12a", {}},     {TrafficField::Flow, "99999999999999", {}},
        {TrafficField::Lanes, "1", 1},       {TrafficField::Lanes, "8", 8},
        {TrafficField::Lanes, "0", {}},      {TrafficField::Lanes, "9", {}},
        {TrafficField::LaneSaturation, "100", 100},
        {TrafficField::LaneSaturation, "3000", 3000},
        {TrafficField::LaneSaturation, "99", {}},
        {TrafficField::LaneSaturation, "3001", {}},
        {TrafficField::Crossing, "0", 0},    {TrafficField::Crossing, "100", 100},
        {TrafficField::Crossing, "100,1", {}}, {TrafficField::Crossing, "12,5", 12.5},
        {TrafficField::Crossing, "12.5", 12.5}, {TrafficField::Crossing, "1.2.3", {}},
        {TrafficField::Crossing, ",", {}},
        {TrafficField::WalkingSpeed, "0,5", 0.5}, {TrafficField::WalkingSpeed, "3", 3},
        {TrafficField::WalkingSpeed, "0,49", {}}, {TrafficField::WalkingSpeed, "3,01", {}},
    };
    for (const Case& k : cases) {
        const auto v = parseTrafficNumber(k.f, k.text);
        ASSERT_EQ(v.has_value(), k.value.has_value()) << k.text;
        if (v) EXPECT_NEAR(*v, *k.value, 1e-12) << k.text;
    }
    EXPECT_EQ(trafficBounds(TrafficField::WalkingSpeed), "0,5..3");
    EXPECT_EQ(trafficBounds(TrafficField::Flow), "0..10000");
}

TEST(TrafficEdit, FieldsOnlyWhereTheyApply) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    test::addDirection(*c, 2, DirTvp1);
    constexpr int P = FirstUserProgram;
    EXPECT_TRUE(setTrafficField(*c, P, 0, TrafficField::Flow, "300").ok());
    EXPECT_TRUE(setTrafficField(*c, P, 0, TrafficField::Lanes, "2").ok());
    EXPECT_EQ(trafficOf(*c, P, 0).saturation(), 3600);
    EXPECT_TRUE(setTrafficField(*c, P, 1, TrafficField::Crossing, "14").ok());
    EXPECT_EQ(setTrafficField(*c, P, 0, TrafficField::Crossing, "14").error(),
              "Напр. 1 транспортное: для него задаются интенсивность, полосы и поток насыщения");
    EXPECT_FALSE(setTrafficField(*c, P, 1, TrafficField::Flow, "10").ok());
    EXPECT_FALSE(setTrafficField(*c, P, 2, TrafficField::Flow, "10").ok());  // a call input
    EXPECT_FALSE(setTrafficField(*c, P, 3, TrafficField::Flow, "10").ok());  // no direction
    EXPECT_FALSE(setTrafficField(*c, P - 1, 0, TrafficField::Flow, "10").ok());  // a fixed program
    EXPECT_EQ(setTrafficField(*c, P, 0, TrafficField::Flow, "10001").error(), "Значение \"10001\" вне 0..10000");
    EXPECT_EQ(trafficOf(*c, P, 0).flow, 300);
    EXPECT_EQ(trafficOf(*c, P + 1, 0), DirectionTraffic{});
}

}  // namespace
}  // namespace livra::timing
