#include "edit/tact_grid.h"

namespace livra {

GridHit hitTactGrid(int x, int y, int firstTact, int firstDirection, int width, int height) {
    using namespace grid;
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const int n = x / CellWidth;
    const int r = y / CellHeight;
    const int t = firstTact + n - 1;
    const int d = firstDirection + r - HeaderRows;
    const bool tactInside = t >= 0 && t < TactCount;
    const bool directionInside = d >= 0 && d < DirectionCount;
    if (r < HeaderRows) {
        // The band is never a cell or a direction row, whatever the scroll.
        if (n >= 1 && tactInside) return {GridArea::HeaderBand, t, -1};
        return {};
    }
    if (!directionInside) return {};
    if (n == 0) return {GridArea::DirectionColumn, -1, d};
    if (tactInside) return {GridArea::Cell, t, d};
    return {};
}

int visibleTactColumns(int width) { return width / grid::CellWidth - 1; }
int visibleDirectionRows(int height) { return height / grid::CellHeight - grid::HeaderRows; }

bool isFirstFreeDirection(const Configuration& c, int d) {
    if (d < 0 || d >= DirectionCount || c.DirectionKind[d] != DirEmpty) return false;
    return d == 0 || c.DirectionKind[d - 1] != DirEmpty;
}

DirectionsHit hitDirectionsPicture(int x, int y, int firstDirection) {
    using namespace grid;
    if (x < 0 || y < 0) return {};
    if (x < CellWidth) {
        if (y < CellHeight * DirectionsHeaderRows) return {};
        const int d = y / CellHeight - DirectionsHeaderRows + firstDirection;
        if (d < 0 || d >= DirectionCount) return {};
        return {DirectionsHit::Symbol, d, -1};
    }
    if (x > CellWidth && y > CellHeight * DirectionsHeaderRows) {
        const int s = (x - CellWidth) / SlotSize;
        const int d = (y - CellHeight * DirectionsHeaderRows) / CellHeight + firstDirection;
        if (s >= SlotCount || d < 0 || d >= DirectionCount) return {};
        return {DirectionsHit::Slot, d, s};
    }
    return {};
}

}  // namespace livra
