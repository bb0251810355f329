#pragma once
// The safety data's file beside the project: NAME.ptm -> NAME.safety.json.
#include <string>

#include "model/configuration.h"
#include "model/safety_data.h"

namespace livra {

// NAME.ptm -> NAME.safety.json (the extension replaced, same folder).
std::string safetyFileNameFor(const std::string& projectFileName);

enum class SafetyFileStatus {
    Loaded,   // read and consistent with the directions
    Missing,  // no file: no matrix yet, not an error
    Stale,    // read, but written for other direction kinds (reported)
    Damaged,  // unreadable or not a safety file: data left cleared (reported)
    // read, but its stamp names other project bytes: a save cut short
    // between the two files, or the project changed elsewhere (data kept, reported)
    Mismatched,
};

struct SafetyLoadResult {
    SafetyFileStatus status = SafetyFileStatus::Missing;
    std::string message;  // the error-list line for Stale and Damaged
};

// Parses into a fresh object and replaces `out` only on success.
SafetyLoadResult loadSafetyFile(const std::string& path, const Configuration& c, SafetyData& out);
SafetyLoadResult parseSafetyJson(const std::string& text, const Configuration& c, SafetyData& out);

// Clears c.Safety and reads the file beside the project at `projectPath`,
// holding its stamp against the project file's bytes.
SafetyLoadResult loadProjectSafety(Configuration& c, const std::string& projectPath);

// After a project without a matrix was saved at `projectPath`: a readable
// safety file left there belongs to some other configuration and goes. A
// damaged one stays for the user to mend; the project's next opening reports
// it again.
void dropForeignSafetyFile(const std::string& projectPath);

// The stable JSON text (pairs 1-based, sorted); `c` gives the kinds written.
std::string safetyJson(const SafetyData& s, const Configuration& c);

}  // namespace livra
