#include "sim/sim_plan.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace livra {
namespace {

TEST(SimPlan, HeadsTakeWhatTheirDirectionWasHanded) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirTram1);
    test::addDirection(*c, 5, DirPedestrian);  // beyond a gap: never handed
    test::addTact(*c, 3, TactPhase, 5, 0, SignalGreen);
    test::addAlarm(*c, 0, 0, 0, 4);
    Plan plan;
    createSpecialObjects(plan);
    const int32_t vehicle = mountObject(plan, *c, 0, 0, 0);
    const int32_t tram = mountObject(plan, *c, 1, 0, 0);
    const int32_t pedestrian = mountObject(plan, *c, 5, 0, 0);
    setDirectionState(plan, 6, DirPedestrian, SignalRed);

    Simulation sim;
    resetSimulation(sim, *c);
    handSignalsToPlan(sim.display, plan);
    EXPECT_EQ(findObject(plan, vehicle)->signal, 0) << "nothing handed yet";
    simulationSecond(sim, *c);
    handSignalsToPlan(sim.display, plan);
    EXPECT_EQ(findObject(plan, vehicle)->kind, DirVehicle);
    EXPECT_EQ(findObject(plan, vehicle)->signal, SignalGreen);
    EXPECT_EQ(findObject(plan, tram)->kind, DirTram1);
    EXPECT_EQ(findObject(plan, tram)->signal, 1) << "3, 3, 3 lights the whole tram head";
    EXPECT_EQ(findObject(plan, pedestrian)->signal, SignalRed) << "left as it was";
    EXPECT_EQ(findObject(plan, vehicle + 1)->signal, 0) << "labels show no signal";
}

}  // namespace
}  // namespace livra
