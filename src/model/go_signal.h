#pragma once
// What a direction "goes" on: the one rule the engine's conflict monitor, the
// safety check, the conflict matrix, the diagrams and the design share.
#include <cstdint>

#include "model/configuration.h"

namespace livra {

// The signal a direction shows as far as the rules are concerned. A tram row
// counts by its own lamp (dark when any of its three rows is off); an extra
// section counts only when it is the green one.
// Flashing yellow and dark are told apart for the switches into and out of
// the fixed programs (ЖМ, ОС).
enum class SafetyAspect : uint8_t { Other, Red, Yellow, RedYellow, Green, FlashingGreen, FlashingYellow, Dark };

// The aspect of one lamp read alone (a tram row without its head's other rows).
SafetyAspect lampAspect(uint8_t kind, uint8_t signal);
SafetyAspect safetyAspect(const Configuration& c, const TactSignalRow& row, int direction);

// Green and flashing green are go.
inline bool isGoAspect(SafetyAspect a) { return a == SafetyAspect::Green || a == SafetyAspect::FlashingGreen; }

// A go signal (green or flashing green) for a direction of this kind read
// alone; extra red and yellow sections and call inputs never show go.
inline bool isGoSignal(uint8_t kind, uint8_t signal) { return isGoAspect(lampAspect(kind, signal)); }

// Direction d goes in this row of signals (a dark tram head does not).
inline bool goesOn(const Configuration& c, const TactSignalRow& row, int d) {
    return isGoAspect(safetyAspect(c, row, d));
}

}  // namespace livra
