#pragma once
// One SUMO program into one user program: each phase becomes a tact (a phase
// with y, u or o an intermediate tact "Промтакт", else a "Фаза"), duration ->
// Т осн, minDur -> Т мин, letters back to signals by the letter table. Link
// index k is direction k + 1. Any doubt refuses the whole program and
// changes nothing.
#include <string>

#include "model/configuration.h"
#include "sumo/sumo_types.h"

namespace livra {

struct SumoImportRequest {
    std::string tlsId;
    std::string programId;
    int program = FirstUserProgram;  // index 3..15
    bool replace = false;            // a program that is not empty may be overwritten
};

struct SumoImportResult {
    bool ok = false;
    bool targetNotEmpty = false;  // refused only because the target holds tacts
    std::string error;            // the refusal, one or more lines
    int tacts = 0;                // tacts written
};

// The tls ids in file order, each once; and the program ids of one of them.
std::vector<std::string> sumoTlsIds(const SumoAdditional& a);
std::vector<std::string> sumoProgramIds(const SumoAdditional& a, const std::string& tlsId);

// Checks everything first; on success replaces the program's tacts and
// signals (the rest of the program cleared), on refusal leaves `c` as it was.
// Modified and the views are the caller's.
SumoImportResult importSumoProgram(Configuration& c, const SumoAdditional& a, const SumoImportRequest& r);

}  // namespace livra
