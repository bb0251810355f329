#pragma once
// Traffic counts beside the project, per user program (the morning and the
// evening programs have their own) and per direction: what the timing
// calculation needs and the controller's formats cannot carry. Directions
// are 0-based here, 1-based in the file and on screen.
#include <array>
#include <map>

#include "model/limits.h"

namespace livra {

// Saturation flow of one lane, pcu per hour of green. 1800 is the usual
// design value (525·B of the width rule for a 3.43 m lane); see docs/timing.md.
inline constexpr int kDefaultLaneSaturation = 1800;
// Walking speed of the crossing time, m/s; see docs/timing.md.
inline constexpr double kDefaultWalkingSpeed = 1.3;

// The bounds every number is held to, in the file and on the command line.
inline constexpr int kMaxTrafficFlow = 10000;      // pcu/h of one direction
inline constexpr int kMaxTrafficLanes = 8;
inline constexpr int kMinLaneSaturation = 100;     // pcu/h of green
inline constexpr int kMaxLaneSaturation = 3000;
inline constexpr double kMaxCrossingLength = 100;  // m
inline constexpr double kMinWalkingSpeed = 0.5;    // m/s
inline constexpr double kMaxWalkingSpeed = 3.0;

struct DirectionTraffic {
    int flow = 0;                              // pcu/h arriving (vehicle directions)
    int lanes = 1;
    int laneSaturation = kDefaultLaneSaturation;  // pcu/h of green per lane
    double crossingLength = 0;                 // m (pedestrian directions); 0: not given
    double walkingSpeed = kDefaultWalkingSpeed;
    int saturation() const { return laneSaturation * lanes; }
    bool operator==(const DirectionTraffic&) const = default;
};

// One program's counts; a direction absent from the map has none.
struct ProgramTraffic {
    std::map<int, DirectionTraffic> directions;
    bool operator==(const ProgramTraffic&) const = default;
};

struct TrafficData {
    std::array<ProgramTraffic, ProgramCount> programs{};
    bool empty() const {
        for (const auto& p : programs)
            if (!p.directions.empty()) return false;
        return true;
    }
    void clear() { programs = {}; }
    // Direction d is deleted: its counts go, those above it move down.
    void deleteDirection(int d) {
        for (auto& p : programs) {
            std::map<int, DirectionTraffic> moved;
            for (const auto& [dir, t] : p.directions)
                if (dir != d) moved[dir > d ? dir - 1 : dir] = t;
            p.directions = std::move(moved);
        }
    }
    bool operator==(const TrafficData&) const = default;
};

}  // namespace livra
