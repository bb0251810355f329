#pragma once
// A program's phases and interphases as the timing calculation sees them:
// the plain cycle (tacts "Фаза" and "Промтакт"; the call tacts run only on a
// call and are left out), each "Фаза" tact with the directions green in it,
// and the stages: phases that follow one another with no "Промтакт" between
// them (around the end of the cycle too) keep their greens running and form
// one stage. A "Промтакт" in which a direction still shows its go signal
// (green or flashing green) ends the main tact of the phase before it, as
// the flashing green ends the main tact in the design practice: its time is
// that stage's green, not lost time. A "Фаза" tact with nobody green (an
// all-red start-up) is lost time.
#include <map>
#include <vector>

#include "model/configuration.h"

namespace livra::timing {

struct ProgramPhase {
    int tact = 0;  // 0-based
    int tMin = 0;
    int tMain = 0;
    std::vector<int> greens;  // 0-based directions showing green
};

struct ProgramStage {
    std::vector<int> phases;  // indices into ProgramPhases::phases, in cycle order
    int main = 0;             // the phase that takes the stage's share (the longest, first on ties)
    int runOn = 0;            // s of "Промтакт" tacts with a go signal ending the stage's main tacts
};

struct ProgramPhases {
    std::vector<ProgramPhase> phases;  // in tact order
    std::vector<ProgramStage> stages;
    int lostTime = 0;  // the plain cycle's "Промтакт" tacts without a go signal and all-red phases
    int cycle = 0;     // the plain cycle as it stands
    std::map<int, int> runOnGreen;  // per direction: s of go signal in the run-on tacts
};

ProgramPhases readProgramPhases(const Configuration& c, int program);

}  // namespace livra::timing
