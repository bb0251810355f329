#pragma once
// The links of one traffic light as the net knows them: which lanes a link
// runs over from the stop line, whether it is a pedestrian crossing, which
// links it crosses (foes) and gives way to (response) in its junction's right
// of way, and where two links' paths meet.
#include <optional>
#include <string>
#include <vector>

#include "sumo/sumo_types.h"

namespace livra {

struct SumoLinkPath {
    int junction = -1;                  // index into SumoAdditional::junctions
    int request = -1;                   // the junction's link index
    std::vector<const SumoLane*> lanes;  // internal lanes, stop line first
};

struct SumoLinkInfo {
    bool pedestrian = false;            // over a crossing
    std::vector<SumoLinkPath> paths;    // usually one; none when the net lacks it
};

// By link index, as many as the longest state of that traffic light's programs
// or its highest link index in the net. Empty without a net.
std::vector<SumoLinkInfo> sumoLinks(const SumoAdditional& file, const std::string& tlsId, int linkCount);

// Whether links a and b cross or merge (foes) in the net; whether a gives way to b.
bool sumoFoes(const SumoAdditional& file, const SumoLinkInfo& a, const SumoLinkInfo& b);
bool sumoYields(const SumoAdditional& file, const SumoLinkInfo& a, const SumoLinkInfo& b);

// Where the two links' paths meet: the distance from each stop line along its
// own path, m. Paths that do not cross meet where they end (a merge). None
// when either link has no lanes.
struct SumoMeeting {
    double alongA = 0, alongB = 0;
    double speedA = 0, speedB = 0;  // of the lanes they meet on, m/s
};
std::optional<SumoMeeting> sumoMeeting(const SumoLinkInfo& a, const SumoLinkInfo& b);

}  // namespace livra
