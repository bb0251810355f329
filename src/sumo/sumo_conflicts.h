#pragma once
// Conflicts and intergreens of a traffic light's directions from its net:
// two directions conflict when some link of one crosses or merges with some
// link of the other in the junction's right of way (foes) and no phase of
// the light lets them go together. Pairs that do go together only give way
// (a g link and what it yields to) and are no conflict. Each proposed pair
// gets the intergreen calculator's inputs from the geometry of the internal
// lanes (the distance from each stop line to where the paths meet, the
// lanes' speeds) and the time they give, marked as proposed for the engineer
// to confirm, as proposals from the programs are.
#include <string>
#include <vector>

#include "model/configuration.h"
#include "sumo/sumo_net.h"

namespace livra {

struct SumoProposals {
    int conflicts = 0;     // pairs newly proposed
    int intergreens = 0;   // ordered pairs given a time
    int yieldOnly = 0;     // crossing pairs that go together, not proposed
    std::vector<std::string> notes;
};

// By the link map of c.Safety; pairs already in the matrix stay as they are.
SumoProposals proposeSumoConflicts(Configuration& c, const SumoAdditional& a, const std::string& tlsId,
                                   const std::vector<SumoLinkInfo>& links);

}  // namespace livra
