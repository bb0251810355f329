#pragma once
// Programs 1..3 (КК, ЖМ, ОС) are not edited by hand: they follow the
// directions and their channels.
#include "model/configuration.h"

namespace livra {

// Writes tact 0 of programs 1, 2 and 3 from the directions. Call after every
// change of directions, channels or the channel count, so the fixed modes
// never keep a signal for an output that is gone.
void buildFixedPrograms(Configuration& c);

}  // namespace livra
