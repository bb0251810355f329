#include "edit/fixed_programs.h"

namespace livra {

namespace {

struct FixedSignals {
    uint8_t kk, zhm, os;
};

// Signals of tact 0 by direction kind; false for kinds the programs leave alone.
bool fixedSignals(const Configuration& c, int d, FixedSignals& out) {
    switch (c.DirectionKind[d]) {
    case DirVehicle:
        // Flashing yellow needs a yellow output; without one the head stays dark.
        out = {SignalRed, c.DirectionChannels[d][1] != 0 ? SignalFlashingYellow : SignalOff, SignalOff};
        return true;
    case DirPedestrian:
    case DirExtraRed:
    case DirTram1:
    case DirTram2:
    case DirTram3: out = {SignalRed, SignalOff, SignalOff}; return true;
    case DirExtraYellow: out = {SignalOff, SignalFlashingYellow, SignalOff}; return true;
    case DirExtraGreen: out = {SignalOff, SignalOff, SignalOff}; return true;
    default: return false;
    }
}

}  // namespace

void buildFixedPrograms(Configuration& c) {
    c.TactTable[0][0] = Tact{TactIntermediate, 3, 3, 3, 0};
    c.TactTable[1][0] = Tact{TactIntermediate, 1, 1, 1, 0};
    c.TactTable[2][0] = Tact{TactIntermediate, 1, 1, 1, 0};
    for (int d = 0; d < DirectionCount; ++d) {
        FixedSignals s;
        if (!fixedSignals(c, d, s)) continue;
        c.TactSignals[0][0][d] = s.kk;
        c.TactSignals[1][0][d] = s.zhm;
        c.TactSignals[2][0][d] = s.os;
    }
}

}  // namespace livra
