#pragma once
// One SUMO program into one user program. Each phase becomes a tact: a
// "Фаза" when something goes (G, g) and no one is in transition (y, u),
// else a "Промтакт"; duration -> Т осн, minDur -> Т мин, letters back to
// signals by the letter table. Which direction shows a link: the link map
// kept beside the project for that traffic light; else, in a project without
// directions, directions made from the net's signal groups (links that show
// the same in every phase of every program of the light); else link k is
// direction k + 1. Every change the controller forces is said in `notes`.
// Any doubt refuses the whole program and changes nothing.
#include <string>
#include <vector>

#include "model/configuration.h"
#include "sumo/sumo_types.h"

namespace livra {

struct SumoImportRequest {
    std::string tlsId;
    std::string programId;
    int program = FirstUserProgram;  // index 3..15
    bool replace = false;            // a program that is not empty may be overwritten
    bool asFixed = false;            // an actuated or delay-based program taken as fixed-time
    bool createDirections = false;   // directions from the signal groups even in a project that has some
    bool force = false;              // taken although greens meet in the conflict matrix
    std::string netName;             // the file's name, kept in the link map
};

struct SumoImportResult {
    bool ok = false;
    bool targetNotEmpty = false;     // refused only because the target holds tacts
    bool actuated = false;           // refused only because the program is actuated
    bool conflictingGreens = false;  // refused only because greens meet in the matrix
    std::string error;               // the refusal, one or more lines
    int tacts = 0;                   // tacts written
    std::vector<std::string> notes;  // what had to change and why, one line each
    int directionsCreated = 0;
    int conflictsProposed = 0;
    int intergreensProposed = 0;
};

// The tls ids in file order, each once; and the program ids of one of them.
std::vector<std::string> sumoTlsIds(const SumoAdditional& a);
std::vector<std::string> sumoProgramIds(const SumoAdditional& a, const std::string& tlsId);

// A traffic light as the import dialog lists it: its links (the longest
// state or the net's highest link index) and its signal groups.
struct SumoTlsSummary {
    std::string id;
    int links = 0;
    int groups = 0;
    int pedestrianGroups = 0;
    int programs = 0;
};
SumoTlsSummary sumoTlsSummary(const SumoAdditional& a, const std::string& tlsId);

// Checks everything first; on success replaces the program's tacts and
// signals (the rest of the program cleared) and whatever the notes say (new
// directions, the link map, a calendar entry, proposed conflicts); on
// refusal leaves `c` as it was. Modified and the views are the caller's.
SumoImportResult importSumoProgram(Configuration& c, const SumoAdditional& a, const SumoImportRequest& r);

}  // namespace livra
