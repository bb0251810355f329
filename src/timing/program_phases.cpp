#include "timing/program_phases.h"

namespace livra::timing {

ProgramPhases readProgramPhases(const Configuration& c, int program) {
    ProgramPhases out;
    const ProgramTacts& tacts = c.TactTable[program];
    bool open = false;         // the last plain tact was a phase
    bool firstIsPhase = false;
    bool anyPlain = false;
    int leadingRunOn = 0;
    for (int t = 0; t < TactCount && tacts[t].kind != TactEmpty; ++t) {
        const Tact& tact = tacts[t];
        if (tact.kind == TactIntermediate) {
            out.cycle += tact.tMain;
            std::vector<int> going;
            for (int d = 0; d < DirectionCount; ++d) {
                const uint8_t s = c.TactSignals[program][t][d];
                if (isNormalDirection(c.DirectionKind[d]) && (s == SignalGreen || s == SignalFlashingGreen))
                    going.push_back(d);
            }
            if (!going.empty() && open) {
                out.stages.back().runOn += tact.tMain;
                for (int d : going) out.runOnGreen[d] += tact.tMain;
                continue;  // the stage stays open: its greens run on
            }
            if (!going.empty() && !anyPlain) {
                // Before the first phase: the end of the cycle's last stage.
                leadingRunOn += tact.tMain;
                for (int d : going) out.runOnGreen[d] += tact.tMain;
                continue;
            }
            out.lostTime += tact.tMain;
            open = false;
            anyPlain = true;
        } else if (tact.kind == TactPhase) {
            bool anyGreen = false;
            for (int d = 0; d < DirectionCount; ++d)
                anyGreen = anyGreen || (isNormalDirection(c.DirectionKind[d]) &&
                                        c.TactSignals[program][t][d] == SignalGreen);
            if (!anyGreen) {
                // An all-red phase (a start-up after flashing yellow) serves
                // nobody: lost time, as an interphase is, and its time stays.
                out.cycle += tact.tMain;
                out.lostTime += tact.tMain;
                open = false;
                anyPlain = true;
                continue;
            }
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
    if (!out.stages.empty()) out.stages.back().runOn += leadingRunOn;
    // The cycle ends in a phase and starts in one: their greens run on.
    if (open && firstIsPhase && out.stages.size() > 1) {
        ProgramStage last = std::move(out.stages.back());
        out.stages.pop_back();
        last.phases.insert(last.phases.end(), out.stages.front().phases.begin(), out.stages.front().phases.end());
        out.stages.front().phases = std::move(last.phases);
        out.stages.front().runOn += last.runOn;
    }
    for (ProgramStage& s : out.stages) {
        s.main = s.phases.front();
        for (int p : s.phases)
            if (out.phases[p].tMain > out.phases[s.main].tMain) s.main = p;
    }
    return out;
}

}  // namespace livra::timing
