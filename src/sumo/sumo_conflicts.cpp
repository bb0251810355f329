#include "sumo/sumo_conflicts.h"

#include <algorithm>
#include <bitset>

#include "check/intergreen_calculator.h"
#include "edit/conflict_matrix.h"

namespace livra {

SumoProposals proposeSumoConflicts(Configuration& c, const SumoAdditional& a, const std::string& tlsId,
                                   const std::vector<SumoLinkInfo>& links) {
    SumoProposals out;
    SafetyData& s = c.Safety;
    const SumoLinkMap& map = s.sumoMap;
    const int n = std::min(int(map.links.size()), int(links.size()));
    auto dirOf = [&](int k) { return map.links[std::size_t(k)].direction; };

    // Which directions go together in some phase of the light's programs.
    std::array<std::bitset<DirectionCount>, DirectionCount> together{};
    for (const SumoTlLogic& l : a.tlLogics) {
        if (l.id != tlsId) continue;
        for (const SumoPhase& ph : l.phases) {
            std::bitset<DirectionCount> go;
            for (int k = 0; k < n && k < int(ph.state.size()); ++k) {
                const char ch = ph.state[std::size_t(k)];
                if ((ch == 'G' || ch == 'g' || ch == 's') && dirOf(k) >= 0) go.set(std::size_t(dirOf(k)));
            }
            for (int d = 0; d < DirectionCount; ++d)
                if (go[std::size_t(d)]) together[std::size_t(d)] |= go;
        }
    }

    // Foes by direction, and the links each direction's links yield to.
    std::array<std::bitset<DirectionCount>, DirectionCount> foes{};
    std::vector<std::vector<int>> yields(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int di = dirOf(i);
        if (di < 0) continue;
        for (int j = 0; j < n; ++j) {
            const int dj = dirOf(j);
            if (j == i || dj < 0 || dj == di) continue;
            if (!sumoFoes(a, links[std::size_t(i)], links[std::size_t(j)])) continue;
            foes[std::size_t(di)].set(std::size_t(dj));
            if (sumoYields(a, links[std::size_t(i)], links[std::size_t(j)]) &&
                std::find(yields[std::size_t(i)].begin(), yields[std::size_t(i)].end(), dj) == yields[std::size_t(i)].end())
                yields[std::size_t(i)].push_back(dj);
        }
    }
    // The export writes g where a link meets what it yields to.
    for (int k = 0; k < n; ++k) {
        auto& y = s.sumoMap.links[std::size_t(k)].yieldsTo;
        y = yields[std::size_t(k)];
        std::sort(y.begin(), y.end());
    }

    std::vector<std::pair<int, int>> fresh;
    for (int x = 0; x < DirectionCount; ++x)
        for (int y = x + 1; y < DirectionCount; ++y) {
            if (!foes[std::size_t(x)][std::size_t(y)] && !foes[std::size_t(y)][std::size_t(x)]) continue;
            if (together[std::size_t(x)][std::size_t(y)]) {
                ++out.yieldOnly;
                continue;
            }
            if (s.conflict[std::size_t(x)][std::size_t(y)]) continue;
            setConflict(s, x, y, true);
            s.proposed[std::size_t(x)][std::size_t(y)] = s.proposed[std::size_t(y)][std::size_t(x)] = true;
            fresh.emplace_back(x, y);
            ++out.conflicts;
        }

    // Intergreens: the worst meeting of any two of the pair's links.
    for (const auto& [x, y] : fresh)
        for (const auto& [from, to] : {std::pair<int, int>(x, y), std::pair<int, int>(y, x)}) {
            std::optional<IntergreenInputs> worst;
            int worstSeconds = -1;
            for (int i = 0; i < n; ++i) {
                if (dirOf(i) != from) continue;
                for (int j = 0; j < n; ++j) {
                    if (dirOf(j) != to || !sumoFoes(a, links[std::size_t(i)], links[std::size_t(j)])) continue;
                    const auto meet = sumoMeeting(links[std::size_t(i)], links[std::size_t(j)]);
                    if (!meet) continue;
                    IntergreenInputs in = defaultIntergreenInputs(c.DirectionKind[from], c.DirectionKind[to]);
                    in.clearingDistance = std::min(meet->alongA, 1000.0);
                    in.enteringDistance = std::min(meet->alongB, 1000.0);
                    // Pedestrians walk at the calculator's pace, not the crossing lane's.
                    if (c.DirectionKind[from] != DirPedestrian && meet->speedA > 0)
                        in.clearingSpeed = std::min(meet->speedA, 100.0);
                    if (c.DirectionKind[to] != DirPedestrian && meet->speedB > 0)
                        in.enteringSpeed = std::min(meet->speedB, 100.0);
                    const IntergreenResult res = computeIntergreen(in);
                    if (res.ok && res.seconds > worstSeconds) worstSeconds = res.seconds, worst = in;
                }
            }
            if (!worst) continue;
            s.calculatorInputs[{from, to}] = *worst;
            if (setIntergreen(s, from, to, worstSeconds)) ++out.intergreens;
        }

    if (out.conflicts > 0 || out.yieldOnly > 0)
        out.notes.push_back("По сети предложено конфликтов: " + std::to_string(out.conflicts) +
                            ", межфазных интервалов: " + std::to_string(out.intergreens) +
                            " (по геометрии внутренних полос) — подтвердите их в матрице конфликтов; пар, что идут "
                            "вместе и только уступают (g), не предложено: " + std::to_string(out.yieldOnly));
    return out;
}

}  // namespace livra
