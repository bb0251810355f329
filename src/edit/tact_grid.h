#pragma once
// Where a mouse click on the tact grid lands. The grid is drawn in 63 × 33
// cells: column 0 holds the directions, rows 0..2 the header band (which
// never scrolls), the rest the signals of one tact and one direction each.
#include "model/configuration.h"

namespace livra {

constexpr int GridWidth = 825;
constexpr int GridHeight = 395;
constexpr int GridCellWidth = 63;
constexpr int GridCellHeight = 33;
constexpr int GridHeaderRows = 3;

enum class GridArea { Nothing, Cell, DirectionColumn, HeaderBand };

struct GridHit {
    GridArea area = GridArea::Nothing;
    int tact = -1;       // Cell and HeaderBand
    int direction = -1;  // Cell and DirectionColumn
    bool operator==(const GridHit&) const = default;
};

// Maps a grid-local point; firstTact and firstDirection are the positions of
// the two scroll bars. Points off the picture or off the tables hit nothing.
GridHit hitTactGrid(int x, int y, int firstTact, int firstDirection);

// The row after the last used direction: the only one where a new direction
// may be created.
bool isFirstFreeDirection(const Configuration& c, int direction);

// A call input shows nothing in tacts of other kinds: its cells there are
// set to "not applicable" (9), in empty tacts to "not set" (0), in every
// program. Tacts of its own kind, and tact kinds no table knows, are left
// alone.
void markCallInputCells(Configuration& c);

}  // namespace livra
