#pragma once
// The simulated controller: plays a configuration second by second from the
// simulated clock, the weekly calendar and the two call buttons. It only reads
// the configuration. What a real controller would light is left in
// `SimulationDisplay` for the simulator window and the plan to pick up.
#include <array>
#include <cstdint>

#include "model/configuration.h"
#include "sim/sim_clock.h"

namespace livra {

enum StepMode : int32_t {
    StepTick = 0,
    StepReset = 1,
    StepSkip = 3,  // "шаг вперед": end the tact on show at once
};

struct SimulationState {
    int32_t simProgram = 0;    // program in force, 0..15; −1 when the calendar selects nothing
    int32_t simTact = 0;       // next tact to load; after loading, the 1-based number of the tact on show
    int32_t simRemaining = 0;  // the countdown moved last; 0: the next step loads a tact
    int32_t simKind = 0;       // TactKind of the tact on show
    int32_t simPrevKind = 0;   // TactKind of the tact loaded before
    uint8_t minCountdown = 0;  // both wrap at 8 bits like the controller's counters
    uint8_t mainCountdown = 0;
    int32_t tvp1Called = 0;
    int32_t tvp2Called = 0;
    int32_t tvp1DelayLeft = 0;  // seconds before a pending call may shorten a phase
    int32_t tvp2DelayLeft = 0;
};

// The last signal handed to one direction.
struct DirectionOutput {
    uint8_t kind = 0;    // DirectionKindCode
    uint8_t signal = 0;  // SignalCode, or the tramLampCode for a tram's first direction
    bool handed = false;
};

// Everything the engine shows: the plan signals, the call buttons and the two
// number fields of the window.
struct SimulationDisplay {
    std::array<DirectionOutput, DirectionCount> directions{};
    std::array<bool, 2> callButtonCalled{};  // true: the "called" picture
    int32_t programField = 0;                // simProgram + 1 as last written
    int32_t tactField = 0;                   // simTact as last written
    uint32_t handOvers = 0;                  // counts direction passes, so a view knows when to redraw
};

struct Simulation {
    SimulationState state;
    SimClock clock;  // survives resets
    SimulationDisplay display;
};

// The program number (1..16) in force at the clock, 0 when the calendar has no
// valid entry. Entries count in table order; the latest one that is not later
// than now wins, and before the week's first entry the last valid entry of the
// week stays in force.
int calendarProgram(const Configuration& c, const SimClock& clock);

// Code of the tram head picture for the signals of its three directions.
uint8_t tramLampCode(uint8_t s1, uint8_t s2, uint8_t s3);

void simulationStep(Simulation& sim, const Configuration& c, StepMode mode);

// What the simulator window does on opening and on "Стоп": calls and delays
// cleared, `StepReset`, both call buttons idle. The clock keeps its value.
void resetSimulation(Simulation& sim, const Configuration& c);

void tickCallDelays(SimulationState& s);
void restartCallDelay(SimulationState& s, const Configuration& c, int n);

// A press of call button 1 / 2. Accepted only while a user program is in
// force, the configuration has the call input, and its own call tact is not on
// show; returns whether it was accepted.
bool callTvp1(Simulation& sim, const Configuration& c);
bool callTvp2(Simulation& sim, const Configuration& c);

// One simulated second as the window's timer runs it: advance the clock,
// step, count the call delays down.
void simulationSecond(Simulation& sim, const Configuration& c);

// Directions 1..D that the engine ever hands a signal to: D is the number of
// leading directions of a used kind (1..9, 12, 13).
int simulatedDirectionCount(const Configuration& c);

}  // namespace livra
