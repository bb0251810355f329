#pragma once
// Which head picture the plan shows for the kind and signal last handed to a
// head, the blink phase and reset mode. Toolkit-free: the view maps a
// `HeadPicture` to its drawing.
#include <cstdint>
#include <optional>

#include "plan/plan_objects.h"

namespace livra {

enum class HeadPictureSet : uint8_t { Vehicle, Pedestrian, Section, Tram };

// `index` within the set:
//   Vehicle    0 dark, 1 red, 2 yellow, 3 green, 4 red and yellow
//   Pedestrian 0 dark, 1 red, 2 green
//   Section    0 dark, 1 red, 2 yellow, 3 green (one set for kinds 4, 5, 6)
//   Tram       the tram lamp code 0..8
struct HeadPicture {
    HeadPictureSet set = HeadPictureSet::Vehicle;
    uint8_t index = 0;
    friend bool operator==(const HeadPicture&, const HeadPicture&) = default;
};

enum class PlanDrawMode : int { Blink = 0, Reset = 1 };

// 1, 0, 1, …: each blink-mode or reset-mode pass moves the phase on.
inline int nextBlinkPhase(int phase) { return phase + 1 >= 2 ? 0 : phase + 1; }

// The picture a head of this direction kind gets when it is created (all
// lamps dark); nothing for a kind that has no head.
std::optional<HeadPicture> darkHeadPicture(uint8_t kind);

// The picture for `kind` and `signal`; nothing means "leave the head's
// picture as it is" (a signal the head cannot show, a kind without a head, a
// tram lamp code above 8). In reset mode every head is dark.
std::optional<HeadPicture> chooseHeadPicture(uint8_t kind, uint8_t signal, int blinkPhase, PlanDrawMode mode);

// The signal code that shows a head of this kind dark: off, or for a tram the
// all-dark lamp code 0.
uint8_t darkSignal(uint8_t kind);

// Every head takes its direction's kind and the dark signal, so that a later
// blink pass cannot bring back the signals of an earlier run.
void darkenHeads(Plan& plan, const Configuration& c);

}  // namespace livra
