#pragma once
// The letter table between the controller's signals and SUMO's link states
// (r y g G s u o O). One letter stands for one direction: link index k is
// direction k + 1. Each kind of direction reads its rows by their meaning:
//
//   kind               red  yellow  green  fl.yellow  fl.green  red+yellow  off
//   vehicle             r     y       G        o         G          u        O
//   pedestrian          r     -       G        -         G          -        O
//   extra red section   r     -       -        -         -          -        O
//   extra yellow sect.  -     y       -        o         -          -        O
//   extra green arrow   -     -       G        -         G          -        r
//   tram row            r     -       G        -         -          -        O
//   call input, "not applicable", no direction: O
//
// SUMO has no flashing green: it is shown as G, traffic may still go. A dark
// green arrow holds its movement (r); a dark head (O) leaves the crossing
// unsignalled. A tram row is one of the head's three movements: green lets
// it go (G), red holds it (r).
#include <cstdint>
#include <optional>

namespace livra {

// The SUMO letter of a signal code shown by a direction of this kind.
char sumoLetter(uint8_t directionKind, uint8_t signal);

// The signal a direction of this kind shows for a letter in a tact of this
// kind: one of the signals the tact grid offers for that cell whose letter
// is this one (g reads as G); nothing when none is.
std::optional<uint8_t> signalFromSumoLetter(uint8_t directionKind, int32_t tactKind, char letter);

bool isSumoLetter(char letter);

}  // namespace livra
