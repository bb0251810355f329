#include "sim/conflict_monitor.h"

#include "check/safety_check.h"
#include "edit/conflict_matrix.h"

namespace livra {

void ConflictMonitor::reset() { *this = ConflictMonitor{}; }

bool ConflictMonitor::observe(const Configuration& c, const SafetyData& s,
                              const std::array<uint8_t, DirectionCount>& shown, const std::string& time) {
    if (!started_) {
        goEnded_.fill(-1);
        started_ = true;
    }
    std::array<bool, DirectionCount> go{};
    for (int d = 0; d < DirectionCount; ++d) {
        go[d] = isMatrixKind(c.DirectionKind[d]) && goesOn(c, shown, d);
    }
    const long now = second_++;
    bool tripsNow = false;
    auto tripWith = [&](MonitorTrip t) {
        if (tripped_ || tripsNow) return;
        t.time = time;
        trip_ = t;
        tripsNow = true;
    };
    for (int a = 0; a < DirectionCount; ++a) {
        if (!go[a]) continue;
        for (int b = a + 1; b < DirectionCount; ++b) {
            if (go[b] && s.conflict[a][b]) {
                MonitorTrip t;
                t.conflict = true;
                t.direction = a;
                t.other = b;
                t.text = "Конфликт: напр. " + std::to_string(a + 1) + " и " + std::to_string(b + 1) +
                         " — разрешающий сигнал одновременно, " + time;
                tripWith(t);
            }
        }
    }
    // A go that ends this very second counts: 0 s of intergreen.
    for (int d = 0; d < DirectionCount; ++d) {
        if (go_[d] && !go[d]) goEnded_[d] = now;
    }
    for (int to = 0; to < DirectionCount; ++to) {
        if (!go[to] || go_[to] || safetyAspect(c, shown, to) != SafetyAspect::Green) continue;
        for (int from = 0; from < DirectionCount; ++from) {
            const int need = s.intergreen[from][to];
            if (from == to || !s.conflict[from][to] || goEnded_[from] < 0) continue;
            const long played = now - goEnded_[from];
            if (need == IntergreenNotSet) {
                // A monitor is given a time for every conflicting pair: a
                // hand-over it has none for is not one it lets pass.
                MonitorTrip t;
                t.direction = from;
                t.other = to;
                t.seconds = int(played);
                t.required = IntergreenNotSet;
                t.text = "Промежуточное время: напр. " + std::to_string(from + 1) + " → " + std::to_string(to + 1) +
                         " — конфликт без промежуточного времени, " + time;
                tripWith(t);
                continue;
            }
            if (played < need) {
                MonitorTrip t;
                t.direction = from;
                t.other = to;
                t.seconds = int(played);
                t.required = need;
                t.text = "Промежуточное время: напр. " + std::to_string(from + 1) + " → " + std::to_string(to + 1) +
                         " — " + std::to_string(played) + " с вместо " + std::to_string(need) + " с, " + time;
                tripWith(t);
            }
        }
    }
    go_ = go;
    if (tripsNow) tripped_ = true;
    return tripsNow;
}

bool ConflictMonitor::observe(const Configuration& c, const Simulation& sim) {
    const SimulationState& st = sim.state;
    if (sim.display.handOvers != handOversSeen_) {
        handOversSeen_ = sim.display.handOvers;
        if (st.simProgram >= 0 && st.simProgram < ProgramCount && st.simTact >= 1 && st.simTact <= TactCount)
            shown_ = c.TactSignals[st.simProgram][st.simTact - 1];
    }
    return observe(c, c.Safety, shown_, clockText(sim.clock));
}

}  // namespace livra
