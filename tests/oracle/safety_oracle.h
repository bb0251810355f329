#pragma once
// A second way to the safety findings, kept apart from src/check: it plays
// each user program second by second through the simulation engine with
// every call pattern that makes a difference (none, each button held, both
// held) and across every calendar switch, records which tact is on show each
// second, and judges the rules on those seconds alone.
#include <map>
#include <tuple>
#include <vector>

#include "model/configuration.h"
#include "model/safety_data.h"

namespace livra::oracle {

struct PlayedFinding {
    int seconds = 0;
    int path = 0;
    int fromProgram = -1;
    bool operator==(const PlayedFinding&) const = default;
};

// (rule, program, tact, direction, other, required, above-the-range)
using PlayedKey = std::tuple<int, int, int, int, int, int, bool>;

std::map<PlayedKey, PlayedFinding> safetyFindingsByPlaying(const Configuration& c, const SafetyData& s);

}  // namespace livra::oracle
