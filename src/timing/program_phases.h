#pragma once
// A program's phases and interphases as the timing calculation sees them:
// the plain cycle (tacts "Фаза" and "Промтакт"; the call tacts run only on a
// call and are left out), each "Фаза" tact with the directions green in it,
// and the stages: phases that follow one another with no "Промтакт" between
// them (around the end of the cycle too) keep their greens running and form
// one stage.
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
};

struct ProgramPhases {
    std::vector<ProgramPhase> phases;  // in tact order
    std::vector<ProgramStage> stages;
    int lostTime = 0;  // the sum of the "Промтакт" tacts of the plain cycle
    int cycle = 0;     // the plain cycle as it stands
};

ProgramPhases readProgramPhases(const Configuration& c, int program);

}  // namespace livra::timing
