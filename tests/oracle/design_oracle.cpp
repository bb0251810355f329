#include "oracle/design_oracle.h"

#include <algorithm>

namespace livra::oracle {
namespace {

bool goes(uint8_t kind, uint8_t signal) {
    const bool head = kind == DirVehicle || kind == DirPedestrian || kind == DirExtraGreen ||
                      (kind >= DirTram1 && kind <= DirTram3);
    return head && (signal == SignalGreen || signal == SignalFlashingGreen);
}

bool isState(const Tact& t) {
    return t.kind == TactPhase || ((t.kind == TactTvp1 || t.kind == TactTvp2) && t.tMin == t.tMain && t.tMain > 0);
}

int seconds(int t) { return t == 0 ? 256 : t; }

}  // namespace

std::vector<OracleChange> designedChanges(const Configuration& c, int p) {
    const auto& tacts = c.TactTable[size_t(p)];
    const auto& rows = c.TactSignals[size_t(p)];
    int n = 0;
    while (n < TactCount && tacts[size_t(n)].kind != TactEmpty) ++n;
    std::vector<int> states;
    for (int t = 0; t < n; ++t)
        if (isState(tacts[size_t(t)])) states.push_back(t);
    std::vector<OracleChange> out;
    for (size_t k = 0; k < states.size(); ++k) {
        OracleChange ch;
        ch.firstTact = states[k] + 1;
        const int next = k + 1 < states.size() ? states[k + 1] : states[0] + n;
        ch.tacts = next - states[k] - 1;
        for (int t = ch.firstTact; t < ch.firstTact + ch.tacts; ++t) ch.seconds += seconds(tacts[size_t(t % n)].tMain);
        out.push_back(ch);
    }

    const SafetyRules& r = c.Safety.rules;
    const int fg = std::max(0, r.flashingGreen), y = std::max(0, r.yellow), ry = std::max(0, r.redYellowMin);
    auto kind = [&](int d) { return c.DirectionKind[size_t(d)]; };
    auto go = [&](int t, int d) { return goes(kind(d), rows[size_t(t % n)][size_t(d)]); };

    bool in1 = false, in2 = false;
    for (uint8_t k : c.DirectionKind) in1 = in1 || k == DirTvp1, in2 = in2 || k == DirTvp2;
    struct Pattern {
        bool a, b;
    };
    std::vector<Pattern> patterns{{false, false}};
    if (in1) patterns.push_back({true, false});
    if (in2) patterns.push_back({false, true});
    if (in1 && in2) patterns.push_back({true, true});

    for (OracleChange& ch : out) {
        const int before = (ch.firstTact - 1 + n) % n, after = (ch.firstTact + ch.tacts) % n;
        // The rule's own terms.
        int least = 0;
        for (int d = 0; d < DirectionCount; ++d) {
            const bool was = go(before, d), will = go(after, d);
            if (was && !will && kind(d) == DirVehicle) least = std::max(least, fg + y);
            if (was && !will && kind(d) == DirPedestrian && fg > 0) least = std::max(least, fg);
            if (!was && will && kind(d) == DirVehicle && ry > 0) least = std::max(least, ry);
        }
        // Pairs, played second by second on every pattern that plays this change.
        for (const Pattern& pat : patterns) {
            auto played = [&](int t) {
                const int32_t k = tacts[size_t(t)].kind;
                return (k != TactTvp1 || pat.a) && (k != TactTvp2 || pat.b);
            };
            if (ch.tacts > 0 && !played(ch.firstTact % n)) continue;
            if (!played(before) || !played(after)) continue;
            std::vector<int> order;
            for (int t = 0; t < n; ++t)
                if (played(t)) order.push_back(t);
            // Seconds of each played tact.
            std::vector<int> len(order.size());
            for (size_t i = 0; i < order.size(); ++i) {
                const Tact& t = tacts[size_t(order[i])];
                const Tact& prev = tacts[size_t(order[(i + order.size() - 1) % order.size()])];
                const bool call = pat.a || pat.b;
                if (t.kind != TactPhase || !call) len[i] = seconds(t.tMain);
                else if ((prev.kind == TactTvp1 || prev.kind == TactTvp2) && !(pat.a && pat.b))
                    len[i] = seconds(t.tMain) == 1 ? 1 : 1 + seconds(t.tMin);
                else len[i] = seconds(t.tMin);
            }
            // Two turns of seconds, each with its tact.
            std::vector<int> tactAt;
            for (int turn = 0; turn < 2; ++turn)
                for (size_t i = 0; i < order.size(); ++i)
                    for (int s = 0; s < len[i]; ++s) tactAt.push_back(order[i]);
            const int cycle = int(tactAt.size()) / 2;
            // The change's first second in the second turn.
            int startSecond = -1;
            for (int s = cycle; s < 2 * cycle; ++s)
                if (tactAt[size_t(s)] == before && (s + 1 == 2 * cycle || tactAt[size_t(s + 1)] != before)) {
                    startSecond = s + 1;
                    break;
                }
            if (startSecond < 0) continue;
            for (int j = 0; j < DirectionCount; ++j) {
                if (go(before, j) || !go(after, j)) continue;
                for (int i = 0; i < DirectionCount; ++i) {
                    if (i == j || !c.Safety.conflict[size_t(i)][size_t(j)]) continue;
                    const int ig = c.Safety.intergreen[size_t(i)][size_t(j)];
                    if (ig <= 0) continue;
                    int need = -1;
                    if (go(before, i)) {
                        // Leaves in this change: where its go ends within it.
                        int end = 0;
                        for (int s = startSecond; s < startSecond + ch.seconds && go(tactAt[size_t(s % (2 * cycle))], i); ++s) ++end;
                        need = end + ig;
                    } else {
                        for (int s = startSecond - 1; s >= startSecond - cycle && s >= 0; --s)
                            if (go(tactAt[size_t(s)], i)) {
                                need = ig - (startSecond - (s + 1));
                                break;
                            }
                    }
                    least = std::max(least, need);
                }
            }
        }
        ch.least = least;
    }
    return out;
}

}  // namespace livra::oracle
