#include "edit/tact_clipboard.h"

#include <algorithm>

#include "edit/signal_choice.h"

namespace livra {
namespace {

bool mayShow(const Configuration& c, int program, GridCell cell, uint8_t code) {
    if (cell.tact < 0 || cell.tact >= TactCount || cell.direction < 0 || cell.direction >= DirectionCount) return false;
    const auto codes = variantSignals(allowedSignals(c.DirectionKind[cell.direction], c.TactTable[program][cell.tact].kind));
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

int usedTactCount(const Configuration& c, int program) {
    if (program < 0 || program >= ProgramCount) return 0;
    int n = TactCount;
    while (n > 0 && c.TactTable[program][n - 1].kind == TactEmpty) --n;
    return n;
}

int setCellSignals(Configuration& c, int program, const std::vector<GridCell>& cells, uint8_t code) {
    if (!isUserProgram(program)) return 0;
    int set = 0;
    for (const GridCell& cell : cells) {
        if (!mayShow(c, program, cell, code)) continue;
        c.TactSignals[program][cell.tact][cell.direction] = code;
        ++set;
    }
    return set;
}

std::vector<GridCell> directionRow(const Configuration& c, int program, int direction) {
    std::vector<GridCell> cells;
    if (direction < 0 || direction >= DirectionCount || !isUsedDirection(c.DirectionKind[direction])) return cells;
    for (int t = 0; t < usedTactCount(c, program); ++t)
        if (c.TactTable[program][t].kind != TactEmpty) cells.push_back({t, direction});
    return cells;
}

std::vector<GridCell> tactColumn(const Configuration& c, int program, int tact) {
    std::vector<GridCell> cells;
    if (program < 0 || program >= ProgramCount || tact < 0 || tact >= TactCount ||
        c.TactTable[program][tact].kind == TactEmpty)
        return cells;
    for (int d = 0; d < DirectionCount; ++d)
        if (isUsedDirection(c.DirectionKind[d])) cells.push_back({tact, d});
    return cells;
}

std::vector<GridCell> cellRectangle(GridCell a, GridCell b) {
    std::vector<GridCell> cells;
    const int t0 = std::max(0, std::min(a.tact, b.tact)), t1 = std::min(TactCount - 1, std::max(a.tact, b.tact));
    const int d0 = std::max(0, std::min(a.direction, b.direction)),
              d1 = std::min(DirectionCount - 1, std::max(a.direction, b.direction));
    for (int t = t0; t <= t1; ++t)
        for (int d = d0; d <= d1; ++d) cells.push_back({t, d});
    return cells;
}

void GridSelection::tactsToTake(int fallback, int& first, int& count) const {
    if (hasTacts()) {
        first = firstTact;
        count = lastTact - firstTact + 1;
    } else if (!cells.empty()) {
        int lo = TactCount, hi = -1;
        for (const GridCell& cell : cells) {
            lo = std::min(lo, cell.tact);
            hi = std::max(hi, cell.tact);
        }
        first = lo;
        count = hi - lo + 1;
    } else {
        first = fallback;
        count = 1;
    }
}

TactClip copyTacts(const Configuration& c, int program, int first, int count) {
    TactClip clip;
    if (program < 0 || program >= ProgramCount || first < 0 || count <= 0) return clip;
    const int end = std::min(first + count, usedTactCount(c, program));
    for (int t = first; t < end; ++t) {
        Tact tact = c.TactTable[program][t];
        tact.tEnd = 0;  // derived again where it lands
        tact.phaseNo = 0;
        clip.tacts.push_back(tact);
        clip.rows.push_back(c.TactSignals[program][t]);
    }
    return clip;
}

TactEditResult pasteTacts(Configuration& c, int program, int at, const TactClip& clip) {
    if (!isUserProgram(program) || at < 0 || clip.empty() || clip.tacts.size() != clip.rows.size())
        return TactEditResult::Refused;
    const int used = usedTactCount(c, program);
    const int n = int(clip.tacts.size());
    if (used + n > TactCount) return TactEditResult::TableFull;
    at = std::min(at, used);
    auto& tacts = c.TactTable[program];
    auto& signals = c.TactSignals[program];
    std::move_backward(tacts.begin() + at, tacts.begin() + used, tacts.begin() + used + n);
    std::move_backward(signals.begin() + at, signals.begin() + used, signals.begin() + used + n);
    for (int i = 0; i < n; ++i) {
        tacts[at + i] = clip.tacts[i];
        signals[at + i] = clip.rows[i];
    }
    recomputeDerivedTactFields(c, program);
    return TactEditResult::Done;
}

TactEditResult deleteTacts(Configuration& c, int program, int first, int count) {
    if (!isUserProgram(program) || first < 0 || first >= TactCount || count <= 0) return TactEditResult::Refused;
    const int end = std::min(first + count, TactCount);
    auto& tacts = c.TactTable[program];
    auto& signals = c.TactSignals[program];
    std::move(tacts.begin() + end, tacts.end(), tacts.begin() + first);
    std::move(signals.begin() + end, signals.end(), signals.begin() + first);
    for (int t = TactCount - (end - first); t < TactCount; ++t) {
        tacts[t] = Tact{};
        signals[t].fill(SignalNotSet);
    }
    recomputeDerivedTactFields(c, program);
    return TactEditResult::Done;
}

int32_t suggestedTactKind(const Configuration& c, int program, int tact) {
    if (program < 0 || program >= ProgramCount || tact <= 0 || tact >= TactCount) return TactPhase;
    return c.TactTable[program][tact - 1].kind == TactPhase ? TactIntermediate : TactPhase;
}

TactEditResult insertAllRedTact(Configuration& c, int program, int at, int32_t seconds) {
    TactClip clip;
    clip.tacts.push_back(Tact{TactIntermediate, 0, seconds, 0, 0});
    TactSignalRow row{};
    for (int d = 0; d < DirectionCount; ++d) {
        const auto codes = variantSignals(allowedSignals(c.DirectionKind[d], TactIntermediate));
        if (std::find(codes.begin(), codes.end(), SignalRed) != codes.end()) row[d] = SignalRed;
        else if (std::find(codes.begin(), codes.end(), SignalOff) != codes.end()) row[d] = SignalOff;
    }
    clip.rows.push_back(row);
    return pasteTacts(c, program, at, clip);
}

}  // namespace livra
