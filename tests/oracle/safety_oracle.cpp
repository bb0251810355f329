#include "oracle/safety_oracle.h"

#include <algorithm>
#include <memory>

#include "check/safety_check.h"
#include "sim/simulation.h"

namespace livra::oracle {
namespace {

enum Look { Dark, Red, Yellow, RedYellow, Green, Flash };
enum Who { Nobody, Car, Walker, Tram, Arrow };

constexpr int64_t kMonday = 4 * 86400;  // 1970-01-05 00:00, a Monday

Who whoIs(uint8_t kind) {
    if (kind == 1) return Car;
    if (kind == 2) return Walker;
    if (kind >= 7 && kind <= 9) return Tram;
    if (kind == 6) return Arrow;
    return Nobody;
}

Look lookOf(const Configuration& c, int program, int tact, int d) {
    const auto& row = c.TactSignals[program][tact];
    const uint8_t v = row[d];
    switch (whoIs(c.DirectionKind[d])) {
        case Car:
        case Walker:
            return v == 1 ? Red : v == 2 ? Yellow : v == 6 ? RedYellow : v == 3 ? Green : v == 5 ? Flash : Dark;
        case Arrow: return v == 3 ? Green : v == 5 ? Flash : Dark;
        case Tram: {
            int first = d;
            while (c.DirectionKind[first] != 7) --first;
            for (int k = first; k < first + 3 && k < DirectionCount; ++k)
                if (row[k] == 7) return Dark;
            return v == 3 ? Green : v == 5 ? Flash : v == 1 ? Red : Dark;
        }
        default: return Dark;
    }
}

bool go(Look l) { return l == Green || l == Flash; }

struct Second {
    int program, tact, kind;
};

class Judge {
public:
    Judge(const Configuration& c, const SafetyData& s) : c_(c), s_(s) {}

    // The rules on one stretch of played seconds; its first and last runs are
    // cut by the stretch's ends and are judged only where that does not matter.
    void judge(const std::vector<Second>& secs, int path, int fromProgram) {
        const int n = int(secs.size());
        if (n == 0) return;
        std::vector<std::vector<Look>> look(DirectionCount);
        for (int d = 0; d < DirectionCount; ++d) {
            if (whoIs(c_.DirectionKind[d]) == Nobody) continue;
            look[d].resize(n);
            for (int i = 0; i < n; ++i) look[d][i] = lookOf(c_, secs[i].program, secs[i].tact, d);
        }
        const SafetyRules& r = s_.rules;
        for (int d = 0; d < DirectionCount; ++d) {
            const Who who = whoIs(c_.DirectionKind[d]);
            if (who == Nobody) continue;
            const auto& L = look[d];
            // Conflicts: every second both are at go.
            if (s_.defined)
                for (int e = d + 1; e < DirectionCount; ++e) {
                    if (!s_.conflict[d][e] || look[e].empty()) continue;
                    for (int i = 0; i < n; ++i)
                        if (go(L[i]) && go(look[e][i])) {
                            const int kind = secs[i].kind;
                            note(SafetyRule::Conflict, secs[i], d, e, kind == 3 ? 1 : kind == 4 ? 2 : 0, -1, 0, 0);
                        }
                }
            for (int i = 0; i < n;) {
                if (!go(L[i])) {
                    ++i;
                    continue;
                }
                int j = i;
                while (j + 1 < n && go(L[j + 1])) ++j;
                const bool from = i > 0, to = j + 1 < n;
                const int minGreen = who == Walker ? r.minGreenPedestrian : (who == Car || who == Tram) ? r.minGreenVehicle : 0;
                if (from && to && minGreen > 0 && j - i + 1 < minGreen)
                    note(SafetyRule::MinGreen, secs[i], d, -1, path, fromProgram, j - i + 1, minGreen);
                if ((who == Car || who == Walker) && to && r.flashingGreen > 0 && L[j] == Flash) {
                    int k = j;
                    while (k > i && L[k - 1] == Flash) --k;
                    if ((k > 0) && j - k + 1 < r.flashingGreen)
                        note(SafetyRule::FlashingGreen, secs[k], d, -1, path, fromProgram, j - k + 1, r.flashingGreen);
                }
                if (who == Car && to && r.yellow > 0) {
                    if (L[j + 1] == Red) note(SafetyRule::Yellow, secs[j + 1], d, -1, path, fromProgram, 0, r.yellow);
                    if (L[j + 1] == Yellow) {
                        int m = j + 1;
                        while (m + 1 < n && L[m + 1] == Yellow) ++m;
                        if (m + 1 < n && m - j < r.yellow)
                            note(SafetyRule::Yellow, secs[j + 1], d, -1, path, fromProgram, m - j, r.yellow);
                    }
                }
                if (who == Walker && to && r.flashingGreen > 0 && L[j] == Green && L[j + 1] == Red)
                    note(SafetyRule::PedestrianClear, secs[j + 1], d, -1, path, fromProgram, 0, r.flashingGreen);
                if (who == Car && from && r.redYellowMin > 0) {
                    if (L[i - 1] == Red) note(SafetyRule::RedYellow, secs[i], d, -1, path, fromProgram, 0, r.redYellowMin);
                    if (L[i - 1] == RedYellow) {
                        int q = i - 1;
                        while (q > 0 && L[q - 1] == RedYellow) --q;
                        const int len = i - q;
                        if (q > 0 && len < r.redYellowMin)
                            note(SafetyRule::RedYellow, secs[q], d, -1, path, fromProgram, len, r.redYellowMin);
                        if (q > 0 && r.redYellowMax > 0 && len > r.redYellowMax)
                            note(SafetyRule::RedYellow, secs[q], d, -1, path, fromProgram, len, r.redYellowMax);
                    }
                }
                i = j + 1;
            }
        }
        if (!s_.defined) return;
        for (int a = 0; a < DirectionCount; ++a)
            for (int b = 0; b < DirectionCount; ++b) {
                if (a == b || look[a].empty() || look[b].empty() || !s_.conflict[a][b]) continue;
                const int need = s_.intergreen[a][b];
                if (need <= 0) continue;
                for (int i = 1; i < n; ++i) {
                    if (!go(look[b][i]) || go(look[b][i - 1]) || go(look[a][i])) continue;
                    int e = i - 1;
                    while (e >= 0 && !go(look[a][e])) --e;
                    if (e < 0) continue;
                    const int gap = i - (e + 1);
                    if (gap < need) note(SafetyRule::Intergreen, secs[i], a, b, path, fromProgram, gap, need);
                }
            }
    }

    std::map<PlayedKey, PlayedFinding> found;

private:
    void note(SafetyRule rule, const Second& at, int d, int other, int path, int fromProgram, int seconds,
              int required) {
        const bool above = seconds > required;
        const PlayedKey key{int(rule), at.program, at.tact, d, other, required, above};
        const PlayedFinding f{seconds, path, fromProgram};
        auto it = found.find(key);
        if (it == found.end()) {
            found[key] = f;
            return;
        }
        PlayedFinding& old = it->second;
        const bool worse = (rule == SafetyRule::RedYellow && above) ? seconds > old.seconds : seconds < old.seconds;
        if (worse || (seconds == old.seconds && std::tie(path, fromProgram) < std::tie(old.path, old.fromProgram)))
            old = f;
    }

    const Configuration& c_;
    const SafetyData& s_;
};

bool hasKind(const Configuration& c, uint8_t kind) {
    return std::find(c.DirectionKind.begin(), c.DirectionKind.end(), kind) != c.DirectionKind.end();
}

void clearCalendar(Configuration& c) {
    for (auto& day : c.Calendar)
        for (auto& e : day) e = CalendarEntry{};
}

// Plays the engine; `press` says before each second which buttons are held.
// Returns the seconds played and where each cycle (a load of a tact not after
// the one before, or of another program) began.
template <class Press>
void play(const Configuration& c, int64_t clockStart, long limit, Press press, std::vector<Second>& secs,
          std::vector<int>& cycleStarts) {
    Simulation sim;
    sim.clock.seconds = clockStart;
    resetSimulation(sim, c);
    uint32_t seen = sim.display.handOvers;
    Second on{-1, -1, 0};
    for (long k = 0; k < limit; ++k) {
        const auto [b1, b2] = press(sim, secs, cycleStarts);
        if (b1) callTvp1(sim, c);
        if (b2) callTvp2(sim, c);
        simulationSecond(sim, c);
        if (sim.display.handOvers != seen) {
            seen = sim.display.handOvers;
            const int program = sim.state.simProgram, tact = sim.state.simTact - 1;
            if (program != on.program || tact <= on.tact) cycleStarts.push_back(int(secs.size()));
            on = {program, tact, c.TactTable[program][tact].kind};
        }
        secs.push_back(on);
    }
}

// Longest a cycle of p can take, whatever is pressed.
long cycleBound(const Configuration& c, int p) {
    long total = 0;
    for (int t = 0; t < TactCount && c.TactTable[p][t].kind != 0; ++t) {
        const Tact& x = c.TactTable[p][t];
        total += 1 + (uint8_t(x.tMain) ? uint8_t(x.tMain) : 256) + (uint8_t(x.tMin) ? uint8_t(x.tMin) : 256);
    }
    return total;
}

}  // namespace

std::map<PlayedKey, PlayedFinding> safetyFindingsByPlaying(const Configuration& original, const SafetyData& s) {
    // A delay only holds a call back; none lets every call shorten at once.
    auto c = std::make_unique<Configuration>(original);
    c->Tvp1Delay = c->Tvp2Delay = "0";
    const bool in1 = hasKind(*c, 12), in2 = hasKind(*c, 13);
    std::vector<std::pair<bool, bool>> patterns{{false, false}};
    if (in1) patterns.push_back({true, false});
    if (in2) patterns.push_back({false, true});
    if (in1 && in2) patterns.push_back({true, true});
    Judge judge(*c, s);

    // Which programs follow which, minute by minute over the week.
    std::vector<std::pair<int, int>> switches;
    {
        std::vector<int> order;
        for (int m = 1440; m < 8 * 1440; ++m) {
            SimClock clock{kMonday + int64_t(m - 1440) * 60};
            const int p = calendarProgram(*c, clock) - 1;
            if (order.empty() || order.back() != p) order.push_back(p);
        }
        while (order.size() > 1 && order.front() == order.back()) order.pop_back();
        if (order.size() > 1)
            for (size_t i = 0; i < order.size(); ++i) {
                const std::pair<int, int> sw{order[i], order[(i + 1) % order.size()]};
                if (std::find(switches.begin(), switches.end(), sw) == switches.end()) switches.push_back(sw);
            }
    }

    auto cyc = std::make_unique<Configuration>(*c);
    for (int p = 3; p < 16; ++p) {
        if (c->TactTable[p][0].kind == 0) continue;
        clearCalendar(*cyc);
        cyc->Calendar[0][0] = CalendarEntry{0, 0, uint8_t(p + 1)};
        const long bound = cycleBound(*c, p);
        for (const auto& [b1, b2] : patterns) {
            std::vector<Second> secs;
            std::vector<int> starts;
            play(*cyc, kMonday, 6 * bound, [&, b1 = b1, b2 = b2](const Simulation&, const auto&, const auto&) { return std::pair{b1, b2}; },
                 secs, starts);
            // Cycles 2..4: the first one began without a call pending.
            if (starts.size() < 5) continue;
            const std::vector<Second> steady(secs.begin() + starts[1], secs.begin() + starts[4]);
            judge.judge(steady, (b1 ? 1 : 0) | (b2 ? 2 : 0), -1);
        }
    }

    for (const auto& [from, to] : switches) {
        if (from < 3 || from > 15 || to < 3 || to > 15) continue;
        if (c->TactTable[from][0].kind == 0 || c->TactTable[to][0].kind == 0) continue;
        const long boundFrom = cycleBound(*c, from), boundTo = cycleBound(*c, to);
        const int switchMinute = int((3 * boundFrom) / 60 + 2);
        auto sw = std::make_unique<Configuration>(*c);
        clearCalendar(*sw);
        sw->Calendar[0][0] = CalendarEntry{0, 0, uint8_t(from + 1)};
        sw->Calendar[0][1] = CalendarEntry{uint8_t(switchMinute % 60), uint8_t(switchMinute / 60), uint8_t(to + 1)};
        for (const auto& [a1, a2] : patterns)
            for (const auto& [b1, b2] : patterns) {
                std::vector<Second> secs;
                std::vector<int> starts;
                bool stopOld = false;
                auto press = [&, to = to, a1 = a1, a2 = a2, b1 = b1, b2 = b2](const Simulation& sim, const std::vector<Second>& played,
                                                                           const std::vector<int>& st) {
                    if (sim.state.simProgram == to) return std::pair{b1, b2};
                    // From the first cycle that begins after the switch time
                    // on, nothing more is pressed: the calls pending then are
                    // served and the cycle ends free for the switch.
                    if (!stopOld && sim.clock.seconds >= kMonday + int64_t(switchMinute) * 60 && !st.empty() &&
                        st.back() == int(played.size()) - 1)
                        stopOld = true;
                    return stopOld ? std::pair{false, false} : std::pair{a1, a2};
                };
                play(*sw, kMonday, int64_t(switchMinute) * 60 + 3 * boundFrom + 3 * boundTo, press, secs, starts);
                // The old program's last cycle and the new one's first.
                int firstNew = -1;
                for (size_t i = 0; i < starts.size(); ++i)
                    if (secs[starts[i]].program == to) {
                        firstNew = int(i);
                        break;
                    }
                if (firstNew < 1 || firstNew + 1 >= int(starts.size())) continue;
                const std::vector<Second> seam(secs.begin() + starts[firstNew - 1], secs.begin() + starts[firstNew + 1]);
                judge.judge(seam, 4, from);
            }
    }
    return judge.found;
}

}  // namespace livra::oracle
