#pragma once
// The intergreen time of a conflicting pair from the crossing's geometry:
//   t_z = t_ü + (s₀ + l) / v_r − s_e / v_e
// the last vehicle or pedestrian of the clearing direction (`from`) passes
// its crossing time t_ü, then clears the conflict point s₀ away with its own
// length l at v_r, while the first of the entering direction (`to`) needs
// s_e / v_e to reach it. Rounded up to whole seconds, never below 0.
#include <string>

#include "model/safety_data.h"

namespace livra {

// Starting values by the kinds of the pair: vehicle length 6 m (tram 15 m,
// pedestrian 0 m), clearing speed 10 m/s (pedestrian 1.2 m/s), entering speed
// the same by the entering kind, crossing time 3 s (pedestrian 0 s), both
// distances 0 m for the engineer to measure on the plan (the clearing one
// shows empty and must be given).
IntergreenInputs defaultIntergreenInputs(uint8_t fromKind, uint8_t toKind);

struct IntergreenResult {
    bool ok = false;
    double exact = 0;      // before rounding
    int seconds = 0;       // rounded up, 0..255
    std::string formula;   // "t_z = 3 + (20 + 6) / 10 − 3 / 1,2 = 3,1 → 4 с"
    std::string error;     // why there is no result
};

// Refuses (ok false, error in the engineer's words) negative distances or
// times, a clearing distance of 0 (not measured yet), a clearing speed of 0, an entering speed of 0 with a distance to
// cover, values beyond what a crossing has, and a result above 255 s.
IntergreenResult computeIntergreen(const IntergreenInputs& in);

}  // namespace livra
