#pragma once
// A configuration as SUMO traffic-light programs: one static tlLogic per
// non-empty user program (call tacts left out), one per call variant that
// serves the calls every cycle ("P-call1", "P-call2", "P-call12"), the
// fixed modes the calendar needs, and the calendar as a weekly WAUT.
#include <string>

#include "model/configuration.h"
#include "model/texts.h"
#include "sumo/sumo_types.h"

namespace livra {

inline constexpr const char* kDefaultSumoTls = "J";
inline constexpr long kSumoWeek = 7L * 24 * 3600;

// Number of letters in a state: up to the last signal head. Call inputs after
// it carry no signal and would only leave unused states behind.
int sumoStateLength(const Configuration& c);

// The state of one tact of one program through the letter table.
std::string sumoState(const Configuration& c, int program, int tact);

// The link map kept for this traffic light, if the project has one.
const SumoLinkMap* sumoMapFor(const Configuration& c, const std::string& tlsId);

// The state of one tact through the link map: one letter per link of the
// net, the letter of its direction; g where the link showed g when imported,
// or, in a program made here, where it meets a direction it yields to.
std::string sumoMappedState(const Configuration& c, const SumoLinkMap& m, int program, int tact);

// A phase's name: the tact's kind and number ("Ф1" for the first phase,
// "Промтакт 5", "ТВП1 8").
std::string sumoPhaseName(int32_t kind, int tact, int phaseNo);

// The program ID a calendar entry's program number switches to: "2", "off"
// for 3, "P" for a user program; empty for a number no program has.
std::string sumoProgramId(int program1Based);

// Everything the export writes, in file order. `tlsId` is the traffic light's
// id in the SUMO net; with the link map of that light its states have the
// net's links, else one letter per direction.
SumoAdditional buildSumoExport(const Configuration& c, const std::string& tlsId);

// The additional file's text (UTF-8). `sourceName` is named in its comment.
std::string sumoExportXml(const SumoAdditional& a, const std::string& sourceName);

// Writes the export of `c` to `pathUtf8` atomically; false when it could not
// be written (the old file, if any, is left as it was).
bool saveSumoExport(const SumoAdditional& a, const std::string& pathUtf8, const std::string& sourceName);

// One line per program for a preview: "4 — фаз 7, цикл 68 с".
std::vector<std::string> sumoExportSummary(const SumoAdditional& a);

// A tls id or program id as SUMO takes it: non-empty, printable, no blanks or
// XML specials.
bool isValidSumoId(const std::string& id);

}  // namespace livra
