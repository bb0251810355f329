#include "report/program_sheet.h"

#include <algorithm>

#include "design/phase_design.h"
#include "edit/conflict_matrix.h"
#include "model/go_signal.h"

namespace livra::report {

std::string directionNumber(const Configuration& c, int direction) {
    std::string label = std::to_string(direction + 1);
    const uint8_t kind = c.DirectionKind[direction];
    if (kind >= DirTram1 && kind <= DirTram3) {
        int trams = 0;
        for (int d = 0; d <= direction; ++d) trams += c.DirectionKind[d] == DirTram1 ? 1 : 0;
        label += "." + std::to_string(std::max(trams, 1));
    }
    return label;
}

ProgramSheet programSheet(const Configuration& c, const diagram::Timeline& t) {
    ProgramSheet s;
    s.program = t.program;
    s.cycleSeconds = t.cycleSeconds;
    s.totalSeconds = t.totalSeconds;
    const int n = int(t.tacts.size());
    std::vector<int> phaseAt;  // timeline index of each phase tact
    // Tacts that belong to no change: the call groups (listed as calls) and
    // the phase a call group hands back to, which goes on with the phase
    // before the group.
    std::vector<bool> outsideChanges(n, false);
    bool afterCall = false;
    for (int i = 0; i < n; ++i) {
        const diagram::TactSpan& span = t.tacts[i];
        if (span.call) {
            outsideChanges[i] = afterCall = true;
            continue;
        }
        if (span.kind != TactPhase) {
            if (span.width > 0) afterCall = false;
            continue;
        }
        const Tact& tact = c.TactTable[t.program][span.tact];
        PhaseSheet ph;
        // Numbered as the phase design names them (a call group's return is
        // no phase of its own).
        ph.phaseNo = int(s.phases.size()) + 1;
        ph.tact = span.tact;
        ph.tMin = tact.tMin;
        ph.tMain = tact.tMain;
        ph.shown = c.TactSignals[t.program][span.tact];
        for (std::size_t r = 0; r < t.rows.size(); ++r)
            if (isNormalDirection(t.rows[r].kind) && isGoSignal(t.rows[r].kind, span.signalCodes[r]))
                ph.going.push_back(t.rows[r].direction);
        if (afterCall && !s.phases.empty() && ph.going == s.phases.back().going) {
            outsideChanges[i] = true;
            afterCall = false;
            continue;
        }
        afterCall = false;
        s.phases.push_back(std::move(ph));
        phaseAt.push_back(i);
    }

    // Change j holds the tacts after phase j up to phase j + 1 (round the
    // cycle); a green that starts in one of them, or at phase j + 1, belongs
    // to it.
    const int phases = int(phaseAt.size());
    std::vector<int> changeOf(n, -1);
    for (int j = 0; j < phases; ++j) {
        ChangeSheet ch;
        ch.fromPhase = s.phases[j].phaseNo;
        ch.toPhase = s.phases[(j + 1) % phases].phaseNo;
        const int next = phaseAt[(j + 1) % phases];
        for (int k = (phaseAt[j] + 1) % n;; k = (k + 1) % n) {
            if (k != next && outsideChanges[k]) continue;
            changeOf[k] = j;
            if (k == next) break;
            ch.tacts.push_back(t.tacts[k].tact);
            ch.seconds += t.tacts[k].width;
        }
        s.changes.push_back(std::move(ch));
    }
    for (const diagram::Clearance& cl : t.clearances) {
        if (t.totalSeconds <= 0) break;
        const int greenAt = (cl.start + cl.seconds) % t.totalSeconds;
        int k = 0;
        while (k + 1 < n && t.tacts[k + 1].start <= greenAt) ++k;
        // Zero-width tacts share their start with the next one.
        while (k + 1 < n && t.tacts[k].width == 0) ++k;
        if (changeOf[k] < 0) continue;
        PairSheet pair;
        pair.from = t.rows[cl.fromRow].direction;
        pair.to = t.rows[cl.toRow].direction;
        pair.fromLabel = t.rows[cl.fromRow].label;
        pair.toLabel = t.rows[cl.toRow].label;
        pair.required = cl.required;
        pair.provided = cl.seconds;
        s.changes[changeOf[k]].pairs.push_back(pair);
    }
    for (ChangeSheet& ch : s.changes) {
        std::sort(ch.pairs.begin(), ch.pairs.end(),
                  [](const PairSheet& a, const PairSheet& b) { return std::pair(a.from, a.to) < std::pair(b.from, b.to); });
        int best = -1;
        for (int i = 0; i < int(ch.pairs.size()); ++i) {
            const PairSheet& p = ch.pairs[i];
            if (p.required == IntergreenNotSet) continue;
            if (best < 0 || p.provided - p.required < ch.pairs[best].provided - ch.pairs[best].required) best = i;
        }
        if (best >= 0) ch.pairs[best].deciding = true;
    }
    // The phase design names the pair (or rule) that sets each change; where
    // it names a pair of the table, that pair is the deciding one.
    if (c.Safety.defined && !s.changes.empty()) {
        const auto phases = readPhases(c, t.program);
        const auto built = phases.ok() ? buildProgram(c, *phases.value) : DesignResult<BuiltProgram>{};
        if (built.ok()) {
            for (std::size_t j = 0; j < s.changes.size(); ++j) {
                ChangeSheet& ch = s.changes[j];
                const std::string from = phaseName(int(j)), to = phaseName(int((j + 1) % s.changes.size()));
                for (const DesignChange& d : built.value->changes) {
                    if (d.call != 0 || d.from != from || d.to != to) continue;
                    ch.decidedBy = d.text;
                    if (d.reason != ChangeReason::Intergreen) break;
                    for (PairSheet& p : ch.pairs)
                        if (p.from == d.leaving && p.to == d.entering) {
                            for (PairSheet& q : ch.pairs) q.deciding = false;
                            p.deciding = true;
                        }
                    break;
                }
            }
        }
    }

    // Call groups: runs of ТВП1 or ТВП2 tacts.
    int lastPhase = 0;
    for (int i = 0, next = 0; i < n; ++i) {
        const diagram::TactSpan& span = t.tacts[i];
        if (next < int(phaseAt.size()) && phaseAt[next] == i) lastPhase = s.phases[next++].phaseNo;
        if (!span.call) continue;
        if (i > 0 && t.tacts[i - 1].kind == span.kind) {
            s.calls.back().lastTact = span.tact;
            s.calls.back().seconds += span.width;
            continue;
        }
        CallSheet call;
        call.input = span.kind == TactTvp1 ? 1 : 2;
        for (int d = 0; d < DirectionCount && call.inputDirection < 0; ++d)
            if (c.DirectionKind[d] == (call.input == 1 ? DirTvp1 : DirTvp2)) call.inputDirection = d;
        call.firstTact = call.lastTact = span.tact;
        call.afterPhase = lastPhase;
        call.seconds = span.width;
        call.delay = parseDelay(call.input == 1 ? c.Tvp1Delay : c.Tvp2Delay);
        s.calls.push_back(call);
    }
    return s;
}

void numberPhasesAsSheet(diagram::Timeline& t, const ProgramSheet& sheet) {
    for (diagram::TactSpan& span : t.tacts) {
        if (span.kind != TactPhase) continue;
        const PhaseSheet* resumed = nullptr;
        for (const PhaseSheet& ph : sheet.phases)
            if (ph.tact <= span.tact && (!resumed || ph.tact > resumed->tact)) resumed = &ph;
        if (resumed) span.phaseNo = resumed->phaseNo;
    }
}

}  // namespace livra::report
