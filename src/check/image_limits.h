#pragma once
// What the controller image cannot carry faithfully, checked before anything
// is compiled for a controller. The editors never produce these; only a
// damaged or hand-made project has them, and the validator's verdict (kept
// as it always was) lets them through:
//  - a tact of a kind the tact table has no code for inside a program: the
//    image ends the program there, so the controller would get a shorter one;
//  - a main time outside 1..255 s or a phase minimum time above 255 s: the
//    image holds one byte, so 300 s would reach the controller as 44 s;
//  - an empty direction row before a used one: the image carries directions by
//    position up to their count, so the one behind the hole would be lost;
//  - a calendar entry naming no program 1..16: it would be written, but the
//    controller's image could then not be read back.
#include "model/configuration.h"
#include "model/error_list.h"

namespace livra {

// 0 when the image carries the configuration faithfully; otherwise 1, with
// the first finding as the one line of the list.
int checkImageLimits(const Configuration& c, ErrorList& list);

}  // namespace livra
