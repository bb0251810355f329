#pragma once
// Editing the traffic counts of one program: which direction takes which
// number, and the number's bounds. The command line and the dialog both
// edit through it.
#include <optional>
#include <string>

#include "model/configuration.h"
#include "timing/result.h"

namespace livra::timing {

enum class TrafficField { Flow, Lanes, LaneSaturation, Crossing, WalkingSpeed };

// A number as typed: digits for the whole fields; a decimal point or comma
// allowed for the crossing and the walking speed. Nothing when it does not
// parse or lies outside the field's bounds.
std::optional<double> parseTrafficNumber(TrafficField f, const std::string& text);

// The bounds as the user reads them: "0..10000".
std::string trafficBounds(TrafficField f);

// Vehicle fields on vehicle directions (all signal heads but pedestrian
// ones), the crossing and the walking speed on pedestrian ones.
bool fieldApplies(TrafficField f, uint8_t directionKind);

// Sets the field of direction d (0-based) in user program `program`
// (0-based); the reason when refused, in the user's words.
Result<bool> setTrafficField(Configuration& c, int program, int d, TrafficField f, const std::string& text);

// The direction's counts, or the defaults when it has none.
DirectionTraffic trafficOf(const Configuration& c, int program, int d);

}  // namespace livra::timing
