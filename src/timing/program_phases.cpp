#include "timing/program_phases.h"

namespace livra::timing {

ProgramPhases readProgramPhases(const Configuration& c, int program) {
    ProgramPhases out;
    const ProgramTacts& tacts = c.TactTable[program];
    bool open = false;         // the last plain tact was a phase
    bool firstIsPhase = false;
    bool anyPlain = false;
    for (int t = 0; t < TactCount && tacts[t].kind != TactEmpty; ++t) {
        const Tact& tact = tacts[t];
        if (tact.kind == TactIntermediate) {
            out.lostTime += tact.tMain;
            out.cycle += tact.tMain;
            open = false;
            anyPlain = true;
        } else if (tact.kind == TactPhase) {
            if (!anyPlain) firstIsPhase = true;
            anyPlain = true;
            ProgramPhase ph{t, tact.tMin, tact.tMain, {}};
            for (int d = 0; d < DirectionCount; ++d)
                if (isNormalDirection(c.DirectionKind[d]) && c.TactSignals[program][t][d] == SignalGreen)
                    ph.greens.push_back(d);
            out.cycle += tact.tMain;
            if (!open) out.stages.emplace_back();
            out.stages.back().phases.push_back(int(out.phases.size()));
            out.phases.push_back(std::move(ph));
            open = true;
        }
    }
    // The cycle ends in a phase and starts in one: their greens run on.
    if (open && firstIsPhase && out.stages.size() > 1) {
        ProgramStage last = std::move(out.stages.back());
        out.stages.pop_back();
        last.phases.insert(last.phases.end(), out.stages.front().phases.begin(), out.stages.front().phases.end());
        out.stages.front().phases = std::move(last.phases);
    }
    for (ProgramStage& s : out.stages) {
        s.main = s.phases.front();
        for (int p : s.phases)
            if (out.phases[p].tMain > out.phases[s.main].tMain) s.main = p;
    }
    return out;
}

}  // namespace livra::timing
