#pragma once
// Editing many cells and tacts at once: one signal for a set of cells, a
// direction's row or a tact's column filled, tacts copied, cut and pasted
// (within a program and between programs) and the "all red" tact. Programs
// 1..3 follow the directions and are refused, as in tact_edit.h.
#include <cstdint>
#include <set>
#include <vector>

#include "edit/tact_edit.h"
#include "model/configuration.h"

namespace livra {

struct GridCell {
    int tact = 0;
    int direction = 0;
    auto operator<=>(const GridCell&) const = default;
};

// The tacts in use: up to the last tact of a kind (those after are empty).
int usedTactCount(const Configuration& c, int program);

// Sets `code` in every cell whose direction and tact may show it (the
// signal choice's own table); cells that may not keep their signal. Returns
// how many cells were set.
int setCellSignals(Configuration& c, int program, const std::vector<GridCell>& cells, uint8_t code);
// Every used tact of a direction; every used direction of a tact.
std::vector<GridCell> directionRow(const Configuration& c, int program, int direction);
std::vector<GridCell> tactColumn(const Configuration& c, int program, int tact);
// The cells of the rectangle between two cells (either order), cut to the table.
std::vector<GridCell> cellRectangle(GridCell a, GridCell b);

// What the grid has selected: cells (a drag, Ctrl and Shift clicks) or a run
// of tacts (Ctrl and Shift clicks on the header band).
struct GridSelection {
    int program = -1;  // the program it was made in
    std::set<GridCell> cells;
    int firstTact = -1, lastTact = -1;  // the tacts, both included; -1 none
    bool hasTacts() const { return firstTact >= 0 && lastTact >= firstTact; }
    bool empty() const { return cells.empty() && !hasTacts(); }
    // The tacts an operation on tacts takes: the selected run, else the
    // tacts the cells span, else `fallback` alone.
    void tactsToTake(int fallback, int& first, int& count) const;
};

// Tacts with their signals, as copied.
struct TactClip {
    std::vector<Tact> tacts;
    std::vector<TactSignalRow> rows;  // the signals of each tact
    bool empty() const { return tacts.empty(); }
};

// Tacts first..first+count-1, cut at the used ones; empty when none is used.
TactClip copyTacts(const Configuration& c, int program, int first, int count);
// The clip's tacts before tact `at` (at most at the end of the used ones, so
// no gap opens); the tacts from there move on. TableFull when they would not
// fit: nothing changes.
TactEditResult pasteTacts(Configuration& c, int program, int at, const TactClip& clip);
// Tacts first..first+count-1 go, the following move back.
TactEditResult deleteTacts(Configuration& c, int program, int first, int count);

// The kind an empty tact is offered first: an intermediate tact after a
// phase, else a phase.
int32_t suggestedTactKind(const Configuration& c, int program, int tact);

// A "Промтакт" of `seconds` before tact `at` (or after the used ones), every
// direction showing red, or off where it has no red (extra yellow and green
// sections); call inputs show nothing outside their own tacts.
inline constexpr int32_t kAllRedSeconds = 3;
TactEditResult insertAllRedTact(Configuration& c, int program, int at, int32_t seconds = kAllRedSeconds);

}  // namespace livra
