#pragma once
// Where a mouse click on the tact grid or the directions picture lands
// (their geometry: edit/grid_geometry.h).
#include "edit/grid_geometry.h"
#include "model/configuration.h"

namespace livra {

enum class GridArea { Nothing, Cell, DirectionColumn, HeaderBand };

struct GridHit {
    GridArea area = GridArea::Nothing;
    int tact = -1;       // Cell and HeaderBand
    int direction = -1;  // Cell and DirectionColumn
    bool operator==(const GridHit&) const = default;
};

// Maps a grid-local point; firstTact and firstDirection are the positions of
// the two scroll bars, width and height the picture's (it grows with the
// window). Points off the picture or off the tables hit nothing.
GridHit hitTactGrid(int x, int y, int firstTact, int firstDirection, int width = grid::TactGridWidth,
                    int height = grid::TactGridHeight);
// How many whole tact columns and direction rows a grid of this size shows.
int visibleTactColumns(int width);
int visibleDirectionRows(int height);

// The row after the last used direction: the only one where a new direction
// may be created.
bool isFirstFreeDirection(const Configuration& c, int direction);

// A click on the directions picture: a direction symbol (slot -1) or the
// cell of one output slot of a direction; firstDirection is its scroll bar.
// Headers, the lines between slot cells and rows off the table hit nothing.
struct DirectionsHit {
    enum Area { Nothing, Symbol, Slot } area = Nothing;
    int direction = -1;
    int slot = -1;
    bool operator==(const DirectionsHit&) const = default;
};
DirectionsHit hitDirectionsPicture(int x, int y, int firstDirection);

}  // namespace livra
