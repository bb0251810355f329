#include "edit/tact_grid.h"

namespace livra {

GridHit hitTactGrid(int x, int y, int firstTact, int firstDirection) {
    if (x < 0 || y < 0 || x >= GridWidth || y >= GridHeight) return {};
    const int n = x / GridCellWidth;
    const int r = y / GridCellHeight;
    const int t = firstTact + n - 1;
    const int d = firstDirection + r - GridHeaderRows;
    const bool tactInside = t >= 0 && t < TactCount;
    const bool directionInside = d >= 0 && d < DirectionCount;
    if (r < GridHeaderRows) {
        // The band is never a cell or a direction row, whatever the scroll.
        if (n >= 1 && tactInside) return {GridArea::HeaderBand, t, -1};
        return {};
    }
    if (!directionInside) return {};
    if (n == 0) return {GridArea::DirectionColumn, -1, d};
    if (tactInside) return {GridArea::Cell, t, d};
    return {};
}

bool isFirstFreeDirection(const Configuration& c, int d) {
    if (d < 0 || d >= DirectionCount || c.DirectionKind[d] != DirEmpty) return false;
    return d == 0 || c.DirectionKind[d - 1] != DirEmpty;
}

void markCallInputCells(Configuration& c) {
    // Usually there are one or two call inputs: walk only their columns.
    int inputs[DirectionCount];
    uint8_t kinds[DirectionCount];
    int count = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (isCallInputDirection(c.DirectionKind[d])) {
            inputs[count] = d;
            kinds[count++] = c.DirectionKind[d];
        }
    if (count == 0) return;
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t) {
            const int32_t kind = c.TactTable[p][t].kind;
            auto& row = c.TactSignals[p][t];
            if (kind == TactEmpty) {
                for (int i = 0; i < count; ++i) row[inputs[i]] = SignalNotSet;
                continue;
            }
            if (kind != TactPhase && kind != TactIntermediate && kind != TactTvp1 && kind != TactTvp2) continue;
            for (int i = 0; i < count; ++i) {
                const int32_t own = kinds[i] == DirTvp1 ? TactTvp1 : TactTvp2;
                if (kind != own) row[inputs[i]] = SignalNotApplicable;
            }
        }
}

}  // namespace livra
