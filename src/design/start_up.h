#pragma once
// The start-up of a program the calendar hands over to or from the night
// flashing (ЖМ) or dark (ОС). The controller starts the new program at its
// tact 1 the moment the old one ends, so a cycle that begins on a green
// sends drivers from flashing yellow straight to green, and one that ends on
// a green sends them from green straight to flashing yellow. An all-red
// first phase, as long as the intergreens out of flashing yellow need, gives
// the cycle a start and an end with nobody at go.
#include <string>

#include "design/phase_design.h"

namespace livra {

// Longest all-red start-up tried, s.
inline constexpr int kMaxStartUpSeconds = 30;

// True when the calendar switches between `program` (0-based) and ЖМ or ОС
// in either direction.
bool calendarMeetsFlashingOrDark(const Configuration& c, int program);

// The design with an all-red phase put first, as short as the seams with
// ЖМ and ОС allow, when the calendar meets them and the safety check finds
// the design's seams unsafe without it; `said` gets the line that tells the
// engineer. Otherwise the design as it was and `said` empty.
PhaseDesign withStartUp(const Configuration& c, int program, PhaseDesign design, std::string& said);

}  // namespace livra
