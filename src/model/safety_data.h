#pragma once
// What the controller's formats cannot carry: which directions conflict, the
// intergreen time of each conflicting ordered pair, and the signal-sequence
// profile the safety check holds the programs to. It lives in a file beside
// the project (NAME.ptm -> NAME.safety.json) so the .ptm bytes stay as other
// programs and controllers know them. Directions are 0-based here, 1-based
// in the file and on screen.
#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <utility>

#include "model/limits.h"
#include "model/object_data.h"
#include "model/project_stamp.h"
#include "model/sumo_map.h"
#include "model/traffic_data.h"

namespace livra {

// The signal-sequence profile; a value 0 switches its rule off.
struct SafetyRules {
    int yellow = 3;              // least yellow between go and red, s
    int redYellowMin = 1;        // red-and-yellow before green, s
    int redYellowMax = 2;
    int flashingGreen = 3;       // least flashing green before yellow, where it is used
    int minGreenVehicle = 5;     // least go period of a vehicle direction, s
    int minGreenPedestrian = 5;  // least go period of a pedestrian direction, s
    bool operator==(const SafetyRules&) const = default;
};

// The calculator's inputs for one ordered pair (clearing `from`, entering `to`),
// kept so the value can be worked out again later.
struct IntergreenInputs {
    double clearingDistance = 0;  // s0, m
    double vehicleLength = 0;     // l, m
    double clearingSpeed = 0;     // v_r, m/s
    double enteringDistance = 0;  // s_e, m
    double enteringSpeed = 0;     // v_e, m/s
    double crossingTime = 0;      // t_ü, s
    bool operator==(const IntergreenInputs&) const = default;
};

constexpr int16_t IntergreenNotSet = -1;

struct SafetyData {
    // False: no matrix yet (no file, or never edited); the check then runs
    // the signal-sequence rules only.
    bool defined = false;
    // Symmetric; conflict[a][b] == conflict[b][a]; the diagonal is never set.
    std::array<std::bitset<DirectionCount>, DirectionCount> conflict{};
    // Pairs put in by "Предложить по программам" and not yet confirmed.
    std::array<std::bitset<DirectionCount>, DirectionCount> proposed{};
    // intergreen[from][to]: least seconds from the end of `from`'s go signal
    // to the start of `to`'s green, 0..255, or IntergreenNotSet.
    std::array<std::array<int16_t, DirectionCount>, DirectionCount> intergreen;
    std::map<std::pair<int, int>, IntergreenInputs> calculatorInputs;  // (from, to)
    SafetyRules rules;
    // The direction kinds 1..N when the file was written (to notice a stale file).
    std::array<uint8_t, DirectionCount> writtenKinds{};
    // The object's passport, the names and the record of writing: kept with
    // or without a matrix.
    ObjectData object;
    // The project bytes the file was last written or read with.
    ProjectStamp project;
    // The links of the SUMO traffic light the programs were imported from.
    SumoLinkMap sumoMap;
    TrafficData traffic;  // counts for the timing calculation, per program

    // The file beside the project is written when it has something to keep.
    bool needsFile() const { return defined || !traffic.empty() || !sumoMap.empty() || !object.empty(); }

    SafetyData() { clear(); }
    void clear();  // back to "no matrix yet", default rules
    // Direction d (0-based) is deleted: the pairs naming it go, those above
    // it move down by one, as the rows of the tables do.
    void deleteDirection(int d);
    bool operator==(const SafetyData&) const = default;
};

}  // namespace livra
