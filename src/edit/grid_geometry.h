#pragma once
// The geometry of the two table pictures, shared by what draws them, the
// built-in cell pictures and the hit tests that map a click back to a row.
//
// Tact grid: 825 × 395, column 0 the directions, rows 0..2 the header band
// (which never scrolls), the rest one signal cell per tact and direction.
// Directions picture: 294 × 395, column 0 the directions, then one cell per
// output slot; row 0 the slot captions.
#include "model/limits.h"

namespace livra::grid {

constexpr int CellWidth = 63;   // signal cells and direction symbols
constexpr int CellHeight = 33;
constexpr int SlotSize = 33;    // output slot cells of the directions picture

constexpr int TactGridWidth = 825;
constexpr int TactGridHeight = 395;
constexpr int HeaderRows = 3;
constexpr int HeaderBandHeight = HeaderRows * CellHeight;

constexpr int DirectionsWidth = CellWidth + SlotCount * SlotSize;
constexpr int DirectionsHeight = 395;
constexpr int DirectionsHeaderRows = 1;

static_assert(DirectionsWidth == 294);

}  // namespace livra::grid
