#include <gtest/gtest.h>

#include <map>

#include "plan/plan_pictures.h"
#include "support/test_support.h"

namespace livra {
namespace {

using S = HeadPictureSet;

// The picture table written out once more, row by row as an engineer reads
// it: (kind, signal) → picture while the lamp is lit and while it is off.
struct Row {
    S set;
    int steady;   // picture when not flashing, or in the lit blink phase
    int flashOff; // picture in the dark blink phase
};
std::map<std::pair<int, int>, Row> table() {
    std::map<std::pair<int, int>, Row> t;
    t[{1, 1}] = {S::Vehicle, 1, 1};
    t[{1, 2}] = {S::Vehicle, 2, 2};
    t[{1, 3}] = {S::Vehicle, 3, 3};
    t[{1, 4}] = {S::Vehicle, 2, 0};
    t[{1, 5}] = {S::Vehicle, 3, 0};
    t[{1, 6}] = {S::Vehicle, 4, 4};
    t[{1, 7}] = {S::Vehicle, 0, 0};
    t[{2, 1}] = {S::Pedestrian, 1, 1};
    t[{2, 3}] = {S::Pedestrian, 2, 2};
    t[{2, 5}] = {S::Pedestrian, 2, 0};
    t[{2, 7}] = {S::Pedestrian, 0, 0};
    t[{4, 1}] = {S::Section, 1, 1};
    t[{4, 7}] = {S::Section, 0, 0};
    t[{5, 2}] = {S::Section, 2, 2};
    t[{5, 4}] = {S::Section, 2, 0};
    t[{5, 7}] = {S::Section, 0, 0};
    t[{6, 3}] = {S::Section, 3, 3};
    t[{6, 5}] = {S::Section, 3, 0};
    t[{6, 7}] = {S::Section, 0, 0};
    for (int code = 0; code <= 8; ++code) t[{7, code}] = {S::Tram, code, code};
    return t;
}

TEST(PlanPictures, EveryKindSignalPhaseAndModeAgainstTheTable) {
    const auto t = table();
    int pictured = 0;
    for (int kind = 0; kind < 256; ++kind)
        for (int signal = 0; signal < 256; ++signal)
            for (int phase : {0, 1}) {
                const auto blink = chooseHeadPicture(uint8_t(kind), uint8_t(signal), phase, PlanDrawMode::Blink);
                const auto it = t.find({kind, signal});
                if (it == t.end()) {
                    // Unchanged: a signal the head cannot show, a kind
                    // without a head, a tram code above 8.
                    EXPECT_FALSE(blink) << kind << "/" << signal;
                } else {
                    ASSERT_TRUE(blink) << kind << "/" << signal;
                    EXPECT_EQ(*blink, (HeadPicture{it->second.set, uint8_t(phase == 1 ? it->second.steady
                                                                                          : it->second.flashOff)}))
                        << kind << "/" << signal << " phase " << phase;
                    ++pictured;
                }
                // Reset mode: every head kind is dark whatever it was handed.
                const auto reset = chooseHeadPicture(uint8_t(kind), uint8_t(signal), phase, PlanDrawMode::Reset);
                const auto dark = darkHeadPicture(uint8_t(kind));
                EXPECT_EQ(reset.has_value(), dark.has_value()) << kind;
                if (reset && dark) {
                    EXPECT_EQ(*reset, *dark) << kind << "/" << signal;
                }
            }
    EXPECT_EQ(pictured, 2 * int(t.size()));
    EXPECT_EQ(*darkHeadPicture(DirTram1), (HeadPicture{S::Tram, 0}));
    EXPECT_FALSE(darkHeadPicture(DirTram2));
    EXPECT_FALSE(darkHeadPicture(DirTvp1));
}

TEST(PlanPictures, BlinkPhaseAlternatesStartingLit) {
    int phase = 0;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(phase = nextBlinkPhase(phase));
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 0, 1}));
}

TEST(PlanPictures, DarkenHeadsOverridesOldSignalsButNotLabelsOrSpecialObjects) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirTram1);
    Plan plan;
    createSpecialObjects(plan);
    const int32_t car = mountObject(plan, *c, 0, 10, 10);
    const int32_t tram = mountObject(plan, *c, 1, 100, 10);
    ASSERT_GT(car, 0);
    ASSERT_GT(tram, 0);
    setDirectionState(plan, 1, DirVehicle, SignalGreen);
    setDirectionState(plan, 2, DirTram1, 3);
    darkenHeads(plan, *c);
    for (const PlanObject& o : plan.planObjects) {
        if (o.id == car) EXPECT_EQ(std::pair(o.kind, o.signal), std::pair(uint8_t(DirVehicle), uint8_t(SignalOff)));
        else if (o.id == tram) EXPECT_EQ(std::pair(o.kind, o.signal), std::pair(uint8_t(DirTram1), uint8_t(0)));
        else EXPECT_EQ(o.kind, 0) << o.id;
        if (o.isHead()) {
            EXPECT_EQ(chooseHeadPicture(o.kind, o.signal, 1, PlanDrawMode::Blink), darkHeadPicture(o.kind));
        }
    }
}

}  // namespace
}  // namespace livra
