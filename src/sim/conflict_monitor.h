#pragma once
// A conflict monitor for the simulated controller, as a hardware one sits in
// a real cabinet: fed the signals on show every simulated second, it trips
// the moment two conflicting directions show go together, or a direction
// turns green before the intergreen after a conflicting direction's go has
// run, or hands over between a conflicting pair it has no intergreen for. It stays tripped (the first cause kept) until it is reset.
#include <array>
#include <cstdint>
#include <string>

#include "model/configuration.h"
#include "model/safety_data.h"
#include "sim/simulation.h"

namespace livra {

struct MonitorTrip {
    bool conflict = false;  // true: go together; false: intergreen cut short
    int direction = -1;     // 0-based; for an intergreen the one clearing
    int other = -1;         // 0-based; for an intergreen the one entering
    int seconds = 0;        // the intergreen that played
    int required = 0;       // the pair's intergreen; IntergreenNotSet when it has none
    std::string time;       // the simulated clock when it tripped
    std::string text;       // one line for the window
};

class ConflictMonitor {
public:
    void reset();
    // One simulated second with these signals on show (by direction).
    // Returns true when this second tripped the monitor.
    bool observe(const Configuration& c, const SafetyData& s, const std::array<uint8_t, DirectionCount>& shown,
                 const std::string& time);
    // The signals the simulator's heads show after a step: those of the tact
    // it loaded last (kept while a tact counts down).
    bool observe(const Configuration& c, const Simulation& sim);

    bool tripped() const { return tripped_; }
    const MonitorTrip& trip() const { return trip_; }
    const std::array<uint8_t, DirectionCount>& signalsOnShow() const { return shown_; }

private:
    bool tripped_ = false;
    MonitorTrip trip_;
    long second_ = 0;
    std::array<bool, DirectionCount> go_{};
    // The second at which each direction's last go ended (its first second
    // without go); −1 while it has not gone in this run.
    std::array<long, DirectionCount> goEnded_{};
    std::array<uint8_t, DirectionCount> shown_{};
    uint32_t handOversSeen_ = 0;
    bool started_ = false;
};

}  // namespace livra
