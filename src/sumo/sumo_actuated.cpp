#include "sumo/sumo_actuated.h"

#include <algorithm>
#include <set>

#include "model/go_signal.h"
#include "sumo/sumo_export.h"

namespace livra {

namespace {

bool isCallKind(int32_t kind) { return kind == TactTvp1 || kind == TactTvp2; }
int callNumber(int32_t kind) { return kind == TactTvp1 ? 1 : 2; }

int cycleLength(const Configuration& c, int p) {
    int n = 0;
    while (n < TactCount && c.TactTable[p][n].kind != TactEmpty) ++n;
    return n;
}

// The group of one call kind: its first and last tact (the validator keeps
// one group per kind in a program).
struct CallGroup {
    int number = 0;  // 1 or 2
    int first = -1, last = -1;
    std::vector<int> served;  // pedestrian directions, 0-based
};

std::vector<CallGroup> callGroups(const Configuration& c, int p, int n) {
    std::vector<CallGroup> groups;
    for (int t = 0; t < n; ++t) {
        const int32_t kind = c.TactTable[p][t].kind;
        if (!isCallKind(kind)) continue;
        if (t > 0 && c.TactTable[p][t - 1].kind == kind) {
            groups.back().last = t;
            continue;
        }
        groups.push_back(CallGroup{callNumber(kind), t, t, {}});
    }
    return groups;
}

bool goes(const Configuration& c, int p, int t, int d) {
    return isGoSignal(c.DirectionKind[d], c.TactSignals[p][t][d]);
}

// The walkers a call group is for: pedestrian directions that go in it but
// not in the tact before it (those that go on anyway do not need to call);
// when every one goes on, all that go in it.
std::vector<int> servedDirections(const Configuration& c, int p, int n, const CallGroup& g) {
    const int before = g.first > 0 ? g.first - 1 : n - 1;
    std::vector<int> fresh, all;
    for (int d = 0; d < DirectionCount; ++d) {
        if (c.DirectionKind[d] != DirPedestrian) continue;
        bool inGroup = false;
        for (int t = g.first; t <= g.last; ++t) inGroup = inGroup || goes(c, p, t, d);
        if (!inGroup) continue;
        all.push_back(d);
        if (before == g.first || !goes(c, p, before, d)) fresh.push_back(d);
    }
    return fresh.empty() ? all : fresh;
}

// The link indices of a direction in the net: through the link map, else
// link k = direction k + 1.
std::vector<int> linksOf(const SumoLinkMap* map, int d) {
    std::vector<int> links;
    if (!map) return {d};
    for (std::size_t k = 0; k < map->links.size(); ++k)
        if (map->links[k].direction == d) links.push_back(int(k));
    return links;
}

// The waiting areas of one signalled link: for each crossing the link runs
// over, the walking areas at its two ends.
struct WaitingArea {
    std::string crossing;  // edge id
    const SumoLane* lane;  // walking-area lane
};

std::vector<WaitingArea> waitingAreas(const SumoAdditional& net, const std::string& tls, int link) {
    auto isCrossing = [&](const std::string& edge) {
        return std::find(net.crossingEdges.begin(), net.crossingEdges.end(), edge) != net.crossingEdges.end();
    };
    auto walkingLane = [&](const std::string& edge, int lane) -> const SumoLane* {
        const std::string id = edge + "_" + std::to_string(lane);
        for (const SumoLane& l : net.internalLanes)
            if (l.id == id && l.edgeFunction == "walkingarea") return &l;
        return nullptr;
    };
    std::vector<WaitingArea> areas;
    auto add = [&](const std::string& crossing, const SumoLane* lane) {
        if (!lane) return;
        for (const WaitingArea& a : areas)
            if (a.crossing == crossing && a.lane == lane) return;
        areas.push_back({crossing, lane});
    };
    for (const SumoConnection& k : net.connections) {
        if (k.tl != tls || k.linkIndex != link) continue;
        if (isCrossing(k.to)) add(k.to, walkingLane(k.from, k.fromLane));
        if (isCrossing(k.from)) add(k.from, walkingLane(k.to, k.toLane));
    }
    return areas;
}

std::string joined(const std::vector<std::string>& words, const char* glue) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : glue) + w;
    return out;
}

// A "Фаза" that a pending call may cut short: Т мин below Т осн. A Т мин of 0
// is taken as no cut (the controller's countdown would wrap).
bool cutByCall(const Tact& t) { return t.kind == TactPhase && t.tMin > 0 && t.tMin < t.tMain; }

}  // namespace

bool hasCallPrograms(const Configuration& c) {
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount && c.TactTable[p][t].kind != TactEmpty; ++t)
            if (isCallKind(c.TactTable[p][t].kind)) return true;
    return false;
}

SumoActuatedResult buildSumoActuatedExport(const Configuration& c, const std::string& tlsId, const SumoAdditional& net) {
    SumoActuatedResult r;
    r.additional = buildSumoExport(c, tlsId);
    const SumoLinkMap* map = sumoMapFor(c, tlsId);
    if (!net.isNet) {
        r.error = "нужна сеть SUMO (.net.xml): по ней ставятся детекторы у переходов";
        return r;
    }
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        const int n = cycleLength(c, p);
        std::vector<CallGroup> groups = callGroups(c, p, n);
        if (groups.empty()) continue;
        const std::string programId = std::to_string(p + 1);
        auto at = std::find_if(r.additional.tlLogics.begin(), r.additional.tlLogics.end(),
                               [&](const SumoTlLogic& l) { return l.programId == programId; });
        if (at == r.additional.tlLogics.end()) continue;  // no heads: nothing was exported
        SumoTlLogic logic{tlsId, programId, "actuated", {}, 0};

        std::vector<std::string> calls;
        std::vector<std::string> noteParts;
        for (CallGroup& g : groups) {
            g.served = servedDirections(c, p, n, g);
            const std::string call = "call" + std::to_string(g.number);
            if (g.served.empty()) {
                r.error = "программа " + programId + ": такты ТВП" + std::to_string(g.number) +
                          " не дают зелёный ни одному пешеходному направлению — некого ждать у перехода";
                return r;
            }
            std::vector<std::string> waits;
            std::vector<std::string> crossingNames;
            int loops = 0;
            for (int d : g.served) {
                const std::string wait = "wait" + std::to_string(g.number) + "d" + std::to_string(d + 1);
                waits.push_back(wait);
                logic.conditions.push_back({wait, "0"});
                const std::vector<int> links = linksOf(map, d);
                std::vector<std::string> arrivals;
                int firstLink = -1;
                for (int link : links) {
                    for (const WaitingArea& a : waitingAreas(net, tlsId, link)) {
                        if (firstLink < 0) firstLink = link;
                        if (std::find(crossingNames.begin(), crossingNames.end(), a.crossing) == crossingNames.end())
                            crossingNames.push_back(a.crossing);
                        // Three loops across the walking area: a walker's way over it
                        // may be short and may run either way along the lane.
                        for (int q = 1; q <= 3; ++q) {
                            const std::string id = tlsId + "_" + programId + "_ped" + std::to_string(g.number) + "_" +
                                                   std::to_string(loops++);
                            r.additional.personLoops.push_back({id, a.lane->id, a.lane->length * q / 4.0, a.crossing});
                            arrivals.push_back("z:" + id + " < r:" + std::to_string(link));
                        }
                    }
                }
                if (firstLink < 0) {
                    r.error = "программа " + programId + ": направление " + std::to_string(d + 1) +
                              " (ТВП" + std::to_string(g.number) + ") не проходит ни по одному переходу светофора " +
                              tlsId + " в сети";
                    return r;
                }
                // Served: its crossing shows green. Waiting: someone came to the
                // crossing since it turned red.
                logic.assignments.push_back({wait, "g:" + std::to_string(firstLink) + " > 0", "0"});
                logic.assignments.push_back({wait, joined(arrivals, " or "), "1"});
            }
            logic.conditions.push_back({call, joined(waits, " or ")});
            calls.push_back(call);
            std::vector<std::string> dirs;
            for (int d : g.served) dirs.push_back(std::to_string(d + 1));
            noteParts.push_back("ТВП" + std::to_string(g.number) + " — пешеходы направлени" +
                                (dirs.size() == 1 ? "я " : "й ") + joined(dirs, ", ") + ", переходы " +
                                joined(crossingNames, " ") + ", детекторов " + std::to_string(loops));
        }
        logic.conditions.push_back({"callAny", joined(calls, " or ")});

        // Where each tact may go: the next tact, or past a call group to what follows it.
        auto groupAt = [&](int t) -> const CallGroup* {
            for (const CallGroup& g : groups)
                if (g.first == t) return &g;
            return nullptr;
        };
        std::vector<std::vector<int>> successors(static_cast<std::size_t>(n));
        for (int t = 0; t < n; ++t) {
            int j = (t + 1) % n;
            const int32_t kind = c.TactTable[p][t].kind;
            for (int guard = 0; guard <= n; ++guard) {
                successors[std::size_t(t)].push_back(j);
                const CallGroup* g = groupAt(j);
                if (!g || c.TactTable[p][j].kind == kind) break;  // inside its own group: no skipping
                j = (g->last + 1) % n;
                if (j == t) break;
            }
        }
        std::set<int> targets;  // phases an actuated phase may end into early
        for (int t = 0; t < n; ++t)
            if (cutByCall(c.TactTable[p][t]))
                for (int s : successors[std::size_t(t)]) targets.insert(s);

        int phaseNo = 0;
        for (int t = 0; t < n; ++t) {
            const Tact& tact = c.TactTable[p][t];
            if (tact.kind == TactPhase) ++phaseNo;
            SumoPhase phase;
            phase.duration = std::to_string(tact.tMain);
            if (cutByCall(tact)) {
                phase.minDur = std::to_string(tact.tMin);
                phase.maxDur = std::to_string(tact.tMain);
            }
            phase.state = map ? sumoMappedState(c, *map, p, t) : sumoState(c, p, t);
            phase.name = sumoPhaseName(tact.kind, t, phaseNo);
            const auto& next = successors[std::size_t(t)];
            if (next.size() > 1 || next.front() != (t + 1) % n) {
                std::vector<std::string> words;
                for (int s : next) words.push_back(std::to_string(s));
                phase.next = joined(words, " ");
            }
            if (const CallGroup* g = groupAt(t); g && (t == 0 || c.TactTable[p][t - 1].kind != tact.kind)) {
                phase.earlyTarget = phase.finalTarget = "call" + std::to_string(g->number);
            } else if (targets.count(t)) {
                phase.earlyTarget = "callAny";
            }
            logic.phases.push_back(std::move(phase));
        }
        *at = std::move(logic);
        // The call variants served every cycle are this program's now.
        std::erase_if(r.additional.tlLogics, [&](const SumoTlLogic& l) {
            return l.programId == programId + "-call1" || l.programId == programId + "-call2" ||
                   l.programId == programId + "-call12";
        });
        r.notes.push_back("Программа " + programId + " — по вызову (тип actuated): " + joined(noteParts, "; "));
    }
    r.ok = true;
    return r;
}

}  // namespace livra
