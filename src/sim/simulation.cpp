#include "sim/simulation.h"

#include <algorithm>
#include <climits>

#include "model/calendar_choice.h"

namespace livra {
namespace {

bool hasDirectionOfKind(const Configuration& c, uint8_t kind) {
    return std::find(c.DirectionKind.begin(), c.DirectionKind.end(), kind) != c.DirectionKind.end();
}

int32_t delayValue(const std::string& text) {
    const long v = parseDelay(text);
    return int32_t(std::clamp<long>(v, 0, INT32_MAX));
}

// Hands the signals of the tact just read to the directions, as far as the
// leading run of used directions reaches.
void directionPass(Simulation& sim, const Configuration& c) {
    const SimulationState& s = sim.state;
    const TactSignalRow& row = c.TactSignals[s.simProgram][s.simTact];
    for (int i = 0; i < DirectionCount; ++i) {
        const uint8_t kind = c.DirectionKind[i];
        if (!isUsedDirection(kind)) break;
        uint8_t signal = row[i];
        if (s.simKind == TactTvp1 && kind == DirTvp1) sim.display.callButtonCalled[0] = signal == SignalRed;
        if (s.simKind == TactTvp2 && kind == DirTvp2) sim.display.callButtonCalled[1] = signal == SignalRed;
        if (kind == DirTram1) {
            // A tram put on the last directions has no rows beyond the table;
            // those count as not set rather than reading past it.
            const uint8_t s2 = i + 1 < DirectionCount ? row[i + 1] : 0;
            const uint8_t s3 = i + 2 < DirectionCount ? row[i + 2] : 0;
            signal = tramLampCode(signal, s2, s3);
        }
        sim.display.directions[i] = DirectionOutput{kind, signal, true};
    }
    ++sim.display.handOvers;
}

void countDown(SimulationState& s) {
    const bool callEffective =
        (s.tvp1Called == 1 && s.tvp1DelayLeft == 0) || (s.tvp2Called == 1 && s.tvp2DelayLeft == 0);
    if (s.simKind == TactPhase && callEffective) {
        s.minCountdown = uint8_t(s.minCountdown - 1);
        s.simRemaining = s.minCountdown;
    } else {
        s.mainCountdown = uint8_t(s.mainCountdown - 1);
        s.simRemaining = s.mainCountdown;
    }
}

// Loads the next tact. Returns true when one was loaded (then it counts its
// first second), false when nothing could be loaded this step.
bool loadTact(Simulation& sim, const Configuration& c) {
    SimulationState& s = sim.state;
    // A program with nothing to run (all slots empty, or only call tacts and
    // no call pending) would make this loop spin for ever; after one full pass
    // over the tacts without loading anything the step gives up and starts
    // the program from its beginning at the next step.
    int idle = 0;
    for (;;) {
        if (s.simTact == 0 && s.tvp1Called == 0 && s.tvp2Called == 0) {
            const int32_t chosen = calendarProgram(c, sim.clock) - 1;
            if (chosen != s.simProgram) idle = 0;
            s.simProgram = chosen;
        }
        // A calendar byte naming no program (17..124) selects nothing rather
        // than a table row that does not exist.
        if (s.simProgram < 0 || s.simProgram >= ProgramCount || s.simTact > TactCount - 1) return false;
        if (idle > TactCount) {
            s.simTact = 0;
            s.simKind = 0;
            return false;
        }
        const Tact& t = c.TactTable[s.simProgram][s.simTact];
        s.simKind = t.kind;
        s.minCountdown = uint8_t(t.tMin);
        s.mainCountdown = uint8_t(t.tMain);
        if ((s.simKind == TactTvp1 && s.tvp1Called == 0) || (s.simKind == TactTvp2 && s.tvp2Called == 0)) {
            ++s.simTact;
            ++idle;
            continue;
        }
        if (s.simPrevKind == TactTvp1 && s.simKind != TactTvp1) {
            s.tvp1Called = 0;
            restartCallDelay(s, c, 1);
            sim.display.callButtonCalled[0] = false;
        }
        if (s.simPrevKind == TactTvp2 && s.simKind != TactTvp2) {
            s.tvp2Called = 0;
            restartCallDelay(s, c, 2);
            sim.display.callButtonCalled[1] = false;
        }
        s.simPrevKind = s.simKind;
        if (s.simKind > 0) directionPass(sim, c);
        if (s.simKind != TactEmpty) {
            ++s.simTact;
            return true;
        }
        s.simTact = 0;  // the first empty tact ends the cycle
        ++idle;
    }
}

bool call(Simulation& sim, const Configuration& c, int n) {
    SimulationState& s = sim.state;
    const uint8_t inputKind = n == 1 ? DirTvp1 : DirTvp2;
    const int32_t ownTact = n == 1 ? TactTvp1 : TactTvp2;
    // Only a user program 4..16 takes calls. A calendar byte naming no program
    // leaves simProgram past the table: a call taken then would hold that
    // "program" (no new choice while a call is pending) and could never be
    // served, so the simulation would stand still for good.
    const bool userProgram = s.simProgram >= FirstUserProgram && s.simProgram < ProgramCount;
    if (!userProgram || !hasDirectionOfKind(c, inputKind) || s.simKind == ownTact) return false;
    (n == 1 ? s.tvp1Called : s.tvp2Called) = 1;
    sim.display.callButtonCalled[n - 1] = true;
    return true;
}

}  // namespace

int calendarProgram(const Configuration& c, const SimClock& clock) { return calendarProgramAt(c, minuteOfWeek(clock)); }

uint8_t tramLampCode(uint8_t s1, uint8_t s2, uint8_t s3) {
    struct Pattern {
        uint8_t a, b, c, code;
    };
    static constexpr Pattern kPatterns[] = {
        {3, 3, 3, 1}, {3, 1, 1, 2}, {3, 3, 1, 3}, {3, 1, 3, 4}, {0, 0, 0, 0},
        {1, 1, 3, 5}, {1, 3, 1, 6}, {1, 3, 3, 7}, {1, 1, 1, 8},
    };
    uint8_t code = s1;
    for (const Pattern& p : kPatterns)
        if (s1 == p.a && s2 == p.b && s3 == p.c) code = p.code;
    if (s1 == SignalOff || s2 == SignalOff || s3 == SignalOff) code = 0;
    return code;
}

void simulationStep(Simulation& sim, const Configuration& c, StepMode mode) {
    SimulationState& s = sim.state;
    if (mode == StepReset) {
        s.simTact = s.simProgram = s.simRemaining = 0;
        s.minCountdown = s.mainCountdown = 0;
        s.simPrevKind = 0;
    } else {
        if (mode == StepSkip) s.simRemaining = 0;
        if (s.simRemaining > 0 || loadTact(sim, c)) countDown(s);
    }
    sim.display.programField = s.simProgram + 1;
    sim.display.tactField = s.simTact;
}

void resetSimulation(Simulation& sim, const Configuration& c) {
    SimulationState& s = sim.state;
    s.tvp1Called = s.tvp2Called = 0;
    s.simKind = 0;
    s.simProgram = 0;
    s.tvp1DelayLeft = s.tvp2DelayLeft = 0;
    simulationStep(sim, c, StepReset);
    sim.display.callButtonCalled = {false, false};
}

void tickCallDelays(SimulationState& s) {
    s.tvp1DelayLeft = std::max(0, s.tvp1DelayLeft - 1);
    s.tvp2DelayLeft = std::max(0, s.tvp2DelayLeft - 1);
}

void restartCallDelay(SimulationState& s, const Configuration& c, int n) {
    if (n == 1) {
        s.tvp1DelayLeft = delayValue(c.Tvp1Delay);
        s.tvp2DelayLeft = std::max(0, s.tvp2DelayLeft - 1);
    } else if (n == 2) {
        s.tvp2DelayLeft = delayValue(c.Tvp2Delay);
        s.tvp1DelayLeft = std::max(0, s.tvp1DelayLeft - 1);
    }
}

bool callTvp1(Simulation& sim, const Configuration& c) { return call(sim, c, 1); }
bool callTvp2(Simulation& sim, const Configuration& c) { return call(sim, c, 2); }

void simulationSecond(Simulation& sim, const Configuration& c) {
    advanceClock(sim.clock);
    simulationStep(sim, c, StepTick);
    tickCallDelays(sim.state);
}

int simulatedDirectionCount(const Configuration& c) {
    int n = 0;
    while (n < DirectionCount && isUsedDirection(c.DirectionKind[n])) ++n;
    return n;
}

}  // namespace livra
