#pragma once
// Push-button programs as SUMO actuated programs. A program with call tacts
// ("ТВП1"/"ТВП2") becomes one tlLogic of type actuated: every tact a phase,
// the call group entered only when its request is set, and the request set by
// walkers who reach the waiting area of a crossing the call serves while that
// crossing is red (detector loops on the walking areas, counting only those
// whose way leads over that crossing). The request stays set (a latch in a
// <condition>, changed by <assignment>s) until those walkers get their green,
// so a walker who comes while the call tacts are running is served in the next
// cycle. A pending request cuts a "Фаза" to its "Т мин", as the controller's
// call does.
#include <string>
#include <vector>

#include "model/configuration.h"
#include "sumo/sumo_types.h"

namespace livra {

struct SumoActuatedResult {
    bool ok = false;
    std::string error;               // why it cannot be written, one line
    SumoAdditional additional;       // the export with the push-button programs replaced
    std::vector<std::string> notes;  // per program: the call, its crossings and detectors
};

// The export of `c` for traffic light `tlsId` (as buildSumoExport) with every
// user program that has call tacts written as one actuated program, its
// detectors placed from `net` (a .net.xml as the reader gives it). Programs
// without call tacts, the fixed modes and the calendar stay as they are.
SumoActuatedResult buildSumoActuatedExport(const Configuration& c, const std::string& tlsId, const SumoAdditional& net);

// Whether some user program has call tacts (the only ones --actuated changes).
bool hasCallPrograms(const Configuration& c);

}  // namespace livra
